#include "movie/PictureSeriesListing.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <vector>

#include "common/NumberText.h"
#include "common/Paths.h"
#include "movie/PictureFile.h"
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

// The numbered pictures among the regular files of `folder`, in name order, so that nothing
// depends on the file system's listing order.
Status ListNumberedNames(const std::string& folder, std::vector<std::string>& names) {
    names.clear();
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    if (error) {
        return Unreadable(folder, error);
    }
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
        names.clear();
        return Unreadable(folder, error);
    }
    std::sort(names.begin(), names.end());
    return Status::Ok();
}

// Groups sorted `names` into series: the first name not yet in a series fixes a prefix, and
// every numbered picture of that prefix joins it. `groupOf[n]` is the index of names[n]'s
// series. (A prefix may be empty: 0001.bmp, 0002.bmp are one series.)
void GroupIntoSeries(const std::vector<std::string>& names, std::vector<SeriesCount>& groups,
                     std::vector<std::size_t>& groupOf) {
    constexpr std::size_t None = static_cast<std::size_t>(-1);
    groups.clear();
    groupOf.assign(names.size(), None);
    for (std::size_t n = 0; n < names.size(); ++n) {
        if (groupOf[n] != None) {
            continue;
        }
        const std::string& first = names[n];
        const std::string prefix = first.substr(0, first.size() - ExtensionSize - MinimumDigits);
        SeriesCount group{prefix, 0};
        for (std::size_t m = n; m < names.size(); ++m) {
            if (groupOf[m] == None && BelongsToSeries(names[m], prefix)) {
                groupOf[m] = groups.size();
                ++group.count;
            }
        }
        groups.push_back(group);
    }
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

Status ListPictureSeries(const std::string& folder, PictureSeries& series,
                         const std::string& wantedPrefix) {
    series = PictureSeries();
    std::vector<std::string> names;
    if (Status listed = ListNumberedNames(folder, names); !listed.ok()) {
        return listed;
    }
    if (names.empty()) {
        return Status::Ok();
    }
    std::vector<SeriesCount> groups;
    std::vector<std::size_t> groupOf;
    GroupIntoSeries(names, groups, groupOf);

    std::size_t taken = 0;
    if (!wantedPrefix.empty()) {
        taken = groups.size();
        for (std::size_t g = 0; g < groups.size(); ++g) {
            taken = groups[g].prefix == wantedPrefix ? g : taken;
        }
        if (taken == groups.size()) {
            std::string held;
            for (const SeriesCount& group : groups) {
                held += (held.empty() ? "" : ", ") + group.prefix;
            }
            return Status::InvalidInput("The folder \"" + folder + "\" holds no series \"" +
                                        wantedPrefix + "\"; it holds: " + held + ".");
        }
    } else {
        for (std::size_t g = 1; g < groups.size(); ++g) {
            taken = groups[g].count > groups[taken].count ? g : taken;
        }
    }
    const std::string prefix = groups[taken].prefix;

    std::string extension;
    int sameKind = 0;
    int otherKind = 0;
    for (std::size_t n = 0; n < names.size(); ++n) {
        if (groupOf[n] != taken) {
            continue;
        }
        if (extension.empty()) {
            extension = std::string(ExtensionOf(names[n]));
            series.firstPicture = JoinPath(folder, names[n]);
        }
        if (ExtensionOf(names[n]) == extension) {
            ++sameKind;
            series.names.push_back(names[n]);
        } else {
            ++otherKind;
        }
    }
    if (otherKind > 0) {
        series = PictureSeries();
        return Status::InvalidInput(
            "The folder \"" + folder + "\" holds BMP and PNG pictures of the series \"" + prefix +
            "\". A movie is made of one kind only: move the " +
            (extension == ".bmp" ? "PNG" : "BMP") + " pictures (or the others) elsewhere.");
    }
    series.basePath = JoinPath(folder, prefix);
    series.count = sameKind;
    series.extension = extension;
    for (std::size_t g = 0; g < groups.size(); ++g) {
        if (g != taken) {
            series.others.push_back(groups[g]);
        }
    }
    return Status::Ok();
}

Status DescribePictureSeries(const std::string& folder, std::vector<SeriesDescription>& series) {
    series.clear();
    std::vector<std::string> names;
    if (Status listed = ListNumberedNames(folder, names); !listed.ok()) {
        return listed;
    }
    std::vector<SeriesCount> groups;
    std::vector<std::size_t> groupOf;
    GroupIntoSeries(names, groups, groupOf);
    for (std::size_t g = 0; g < groups.size(); ++g) {
        const SeriesCount& group = groups[g];
        SeriesDescription description;
        description.prefix = group.prefix;
        description.count = group.count;
        description.newest = std::chrono::system_clock::time_point::min();
        bool first = true;
        for (std::size_t n = 0; n < names.size(); ++n) {
            if (groupOf[n] != g) {
                continue;
            }
            const std::string path = JoinPath(folder, names[n]);
            if (first && !ReadPictureSize(path, description.width, description.height)) {
                description.width = 0;
                description.height = 0;
            }
            first = false;
            std::error_code error;
            const auto written = std::filesystem::last_write_time(path, error);
            if (!error) {
                description.newest =
                    std::max(description.newest, std::chrono::file_clock::to_sys(written));
            }
        }
        series.push_back(description);
    }
    return Status::Ok();
}

int NewestSeries(const std::vector<SeriesDescription>& series) {
    int newest = -1;
    for (std::size_t s = 0; s < series.size(); ++s) {
        if (newest < 0) {
            newest = static_cast<int>(s);
            continue;
        }
        const SeriesDescription& best = series[static_cast<std::size_t>(newest)];
        if (series[s].newest > best.newest ||
            (series[s].newest == best.newest && series[s].count > best.count)) {
            newest = static_cast<int>(s);
        }
    }
    return newest;
}

std::string FramePicturePath(const std::string& basePath, int n, const std::string& extension) {
    return NumberedFileName(basePath, n, extension.c_str());
}

}  // namespace korvane
