#include "movie/PictureSeriesListing.h"

#include <algorithm>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <vector>

#include "common/Paths.h"
#include "picture/PictureFileName.h"

namespace korvane {
namespace {

constexpr std::string_view BmpExtension = ".bmp";
constexpr std::size_t MinimumDigits = 4;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The number of digits that end `stem`.
std::size_t TrailingDigits(std::string_view stem) {
    std::size_t digits = 0;
    while (digits < stem.size() && IsDigit(stem[stem.size() - 1 - digits])) {
        ++digits;
    }
    return digits;
}

bool HasPictureExtension(std::string_view name) {
    return name.size() > BmpExtension.size() &&
           name.substr(name.size() - BmpExtension.size()) == BmpExtension;
}

// `name` is `prefix`, at least four digits and ".bmp".
bool BelongsToSeries(std::string_view name, std::string_view prefix) {
    if (!IsNumberedPictureName(std::string(name)) || name.substr(0, prefix.size()) != prefix) {
        return false;
    }
    const std::string_view rest =
        name.substr(prefix.size(), name.size() - prefix.size() - BmpExtension.size());
    return rest.size() >= MinimumDigits && std::all_of(rest.begin(), rest.end(), IsDigit);
}

}  // namespace

bool IsNumberedPictureName(const std::string& fileName) {
    if (!HasPictureExtension(fileName)) {
        return false;
    }
    const std::string_view stem =
        std::string_view(fileName).substr(0, fileName.size() - BmpExtension.size());
    return TrailingDigits(stem) >= MinimumDigits;
}

Status ListPictureSeries(const std::string& folder, PictureSeries& series) {
    series = PictureSeries();
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    if (error) {
        return Status::IoError("The folder \"" + folder + "\" cannot be read (" + error.message() +
                             ").");
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
        return Status::IoError("The folder \"" + folder + "\" cannot be read (" + error.message() +
                             ").");
    }
    if (names.empty()) {
        return Status::Ok();
    }

    // Name order, so the first picture does not depend on the file system's listing order.
    std::sort(names.begin(), names.end());
    const std::string& first = names.front();
    const std::string prefix =
        first.substr(0, first.size() - BmpExtension.size() - MinimumDigits);
    series.firstPicture = JoinPath(folder, first);
    series.basePath = JoinPath(folder, prefix);
    series.count = static_cast<int>(std::count_if(
        names.begin(), names.end(),
        [&prefix](const std::string& name) { return BelongsToSeries(name, prefix); }));
    return Status::Ok();
}

std::string FramePicturePath(const std::string& basePath, int n) {
    return PictureFileName(basePath, n);
}

}  // namespace korvane
