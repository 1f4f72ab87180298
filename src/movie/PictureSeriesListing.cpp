#include "movie/PictureSeriesListing.h"

#include <algorithm>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <vector>

#include "common/NumberText.h"
#include "common/Paths.h"
#include "picture/PictureFileName.h"

namespace korvane {
namespace {

// Both extensions have four characters.
constexpr std::size_t ExtensionSize = 4;
constexpr std::size_t MinimumDigits = 4;

// The number of digits that end `stem`.
std::size_t TrailingDigits(std::string_view stem) {
    std::size_t digits = 0;
    while (digits < stem.size() && IsDigit(stem[stem.size() - 1 - digits])) {
        ++digits;
    }
    return digits;
}

std::string_view ExtensionOf(std::string_view name) {
    if (name.size() <= ExtensionSize) {
        return {};
    }
    const std::string_view extension = name.substr(name.size() - ExtensionSize);
    return extension == ".bmp" || extension == ".png" ? extension : std::string_view();
}

// `name` is `prefix`, at least four digits and an extension of a picture.
bool BelongsToSeries(std::string_view name, std::string_view prefix) {
    if (!IsNumberedPictureName(std::string(name)) || name.substr(0, prefix.size()) != prefix) {
        return false;
    }
    const std::string_view rest =
        name.substr(prefix.size(), name.size() - prefix.size() - ExtensionSize);
    return rest.size() >= MinimumDigits && std::all_of(rest.begin(), rest.end(), IsDigit);
}

Status Unreadable(const std::string& folder, const std::error_code& error) {
    return Status::IoError("The folder \"" + folder + "\" cannot be read (" + error.message() +
                           ").");
}

}  // namespace

bool IsNumberedPictureName(const std::string& fileName) {
    if (ExtensionOf(fileName).empty()) {
        return false;
    }
    const std::string_view stem =
        std::string_view(fileName).substr(0, fileName.size() - ExtensionSize);
    return TrailingDigits(stem) >= MinimumDigits;
}

Status ListPictureSeries(const std::string& folder, PictureSeries& series) {
    series = PictureSeries();
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    if (error) {
        return Unreadable(folder, error);
    }

    std::vector<std::string> names;
    for (const std::filesystem::directory_iterator end; entries != end; entries.increment(error)) {
        if (error) {
            break;
        }
        std::error_code typeError;
        if (entries->is_regular_file(typeError)) {
            std::string name = entries->path().filename().string();
            if (IsNumberedPictureName(name)) {
                names.push_back(std::move(name));
            }
        }
    }
    if (error) {
        return Unreadable(folder, error);
    }
    if (names.empty()) {
        return Status::Ok();
    }

    // Name order, so the first picture does not depend on the file system's listing order.
    std::sort(names.begin(), names.end());
    const std::string& first = names.front();
    const std::string prefix = first.substr(0, first.size() - ExtensionSize - MinimumDigits);
    const std::string extension(ExtensionOf(first));
    int sameKind = 0;
    int otherKind = 0;
    for (const std::string& name : names) {
        if (BelongsToSeries(name, prefix)) {
            ++(ExtensionOf(name) == extension ? sameKind : otherKind);
        }
    }
    if (otherKind > 0) {
        return Status::InvalidInput(
            "The folder \"" + folder + "\" holds BMP and PNG pictures of the series \"" + prefix +
            "\". A movie is made of one kind only: move the " +
            (extension == ".bmp" ? "PNG" : "BMP") + " pictures (or the others) elsewhere.");
    }
    series.firstPicture = JoinPath(folder, first);
    series.basePath = JoinPath(folder, prefix);
    series.count = sameKind;
    series.extension = extension;
    return Status::Ok();
}

std::string FramePicturePath(const std::string& basePath, int n, const std::string& extension) {
    return NumberedFileName(basePath, n, extension.c_str());
}

}  // namespace korvane
