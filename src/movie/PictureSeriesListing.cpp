#include "movie/PictureSeriesListing.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string_view>
#include <system_error>
#include <vector>

#include "common/NumberText.h"
#include "common/Paths.h"
#include "common/ReadableFile.h"
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

// A series index of 9,999 pictures takes a few megabytes; a file far larger is none.
constexpr std::size_t MaximumIndexBytes = 64 << 20;

// The pictures the series index of `prefix` in `folder` lists, in its order, when it says
// the run that wrote them is complete and names only pictures of the prefix in one format;
// false otherwise (no index, an unreadable one, a run cut short).
bool CompleteIndexPictures(const std::string& folder, const std::string& prefix,
                           std::vector<std::string>& files) {
    files.clear();
    FileDescriptor file;
    if (!OpenRegularFile(JoinPath(folder, prefix + ".json"), "series index", file).ok()) {
        return false;
    }
    std::string text;
    char block[1 << 16];
    for (ssize_t got = 0; (got = ::read(file.get(), block, sizeof block)) != 0;) {
        if (got < 0 || text.size() + static_cast<std::size_t>(got) > MaximumIndexBytes) {
            return false;
        }
        text.append(block, static_cast<std::size_t>(got));
    }
    const nlohmann::json index = nlohmann::json::parse(text, nullptr, false);
    if (!index.is_object()) {
        return false;
    }
    const auto complete = index.find("complete");
    const auto pictures = index.find("pictures");
    if (complete == index.end() || !complete->is_boolean() || !complete->get<bool>() ||
        pictures == index.end() || !pictures->is_array() || pictures->empty()) {
        return false;
    }
    for (const nlohmann::json& picture : *pictures) {
        const auto name = picture.is_object() ? picture.find("file") : picture.end();
        if (name == picture.end() || !name->is_string() ||
            !BelongsToSeries(name->get_ref<const std::string&>(), prefix) ||
            (!files.empty() &&
             ExtensionOf(name->get_ref<const std::string&>()) != ExtensionOf(files.front()))) {
            files.clear();
            return false;
        }
        files.push_back(name->get<std::string>());
    }
    return true;
}

// The pictures of the complete index of `prefix` when every one of them is among `members`
// (sorted names); empty otherwise, so that an index does not speak for a folder whose
// pictures have gone.
std::vector<std::string> IndexedPresent(const std::string& folder, const std::string& prefix,
                                        const std::vector<std::string>& members) {
    std::vector<std::string> listed;
    if (!CompleteIndexPictures(folder, prefix, listed)) {
        return {};
    }
    for (const std::string& name : listed) {
        if (!std::binary_search(members.begin(), members.end(), name)) {
            return {};
        }
    }
    return listed;
}

std::chrono::system_clock::time_point WrittenAt(const std::string& path) {
    std::error_code error;
    const auto written = std::filesystem::last_write_time(path, error);
    return error ? std::chrono::system_clock::time_point::min()
                 : std::chrono::file_clock::to_sys(written);
}

// The extension of the newest of `members` (sorted names; the first in name order of those
// as new).
std::string_view NewestExtension(const std::string& folder,
                                 const std::vector<std::string>& members) {
    std::string_view extension = ExtensionOf(members.front());
    auto newest = std::chrono::system_clock::time_point::min();
    for (const std::string& name : members) {
        const auto written = WrittenAt(JoinPath(folder, name));
        if (written > newest) {
            newest = written;
            extension = ExtensionOf(name);
        }
    }
    return extension;
}

// "27 pictures of the series "time" are left out (time0014.bmp to time0040.bmp): ..." for
// the sorted names `left`.
std::string LeftAsideText(const std::vector<std::string>& left, const std::string& prefix,
                          const std::string& why) {
    if (left.empty()) {
        return "";
    }
    const std::string range = left.size() == 1 ? left.front() : left.front() + " to " + left.back();
    return FormatInteger(static_cast<double>(left.size())) +
           (left.size() == 1 ? " picture" : " pictures") + " of the series \"" + prefix + "\" " +
           (left.size() == 1 ? "is" : "are") + " left out (" + range + "): " + why;
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
    std::vector<std::string> members;
    bool bothFormats = false;
    for (std::size_t n = 0; n < names.size(); ++n) {
        if (groupOf[n] == taken) {
            bothFormats = bothFormats || (!members.empty() &&
                                          ExtensionOf(names[n]) != ExtensionOf(members.front()));
            members.push_back(names[n]);
        }
    }
    // The last run's pictures where its index says it finished; else one format of them all,
    // that of the picture written last.
    series.indexed = IndexedPresent(folder, prefix, members);
    std::vector<std::string> left;
    std::string why;
    if (!series.indexed.empty()) {
        series.names = series.indexed;
        std::sort(series.names.begin(), series.names.end());
        std::set_difference(members.begin(), members.end(), series.names.begin(),
                            series.names.end(), std::back_inserter(left));
        series.extension = std::string(ExtensionOf(series.indexed.front()));
        series.firstPicture = JoinPath(folder, series.indexed.front());
        why = "the series index " + prefix + ".json lists the " +
              FormatInteger(static_cast<double>(series.indexed.size())) +
              " of the last run, which the movie shows.";
    } else {
        series.extension = std::string(bothFormats ? NewestExtension(folder, members)
                                                   : ExtensionOf(members.front()));
        for (const std::string& name : members) {
            (ExtensionOf(name) == series.extension ? series.names : left).push_back(name);
        }
        series.firstPicture = JoinPath(folder, series.names.front());
        const bool bmp = series.extension == ".bmp";
        why = std::string("they are ") + (bmp ? "PNG" : "BMP") +
              " pictures, and the picture written last is a " + (bmp ? "BMP" : "PNG") +
              " picture (a movie is made of one format).";
    }
    series.leftAside = LeftAsideText(left, prefix, why);
    series.basePath = JoinPath(folder, prefix);
    series.count = static_cast<int>(series.names.size());
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
        std::vector<std::string> members;
        for (std::size_t n = 0; n < names.size(); ++n) {
            if (groupOf[n] != g) {
                continue;
            }
            const std::string path = JoinPath(folder, names[n]);
            if (members.empty() && !ReadPictureSize(path, description.width, description.height)) {
                description.width = 0;
                description.height = 0;
            }
            members.push_back(names[n]);
            description.newest = std::max(description.newest, WrittenAt(path));
        }
        const std::vector<std::string> indexed = IndexedPresent(folder, group.prefix, members);
        description.lastRun = static_cast<int>(indexed.size());
        for (const std::string& name : indexed) {
            const std::string_view digits = std::string_view(name).substr(
                group.prefix.size(), name.size() - group.prefix.size() - ExtensionSize);
            const int number = TruncateToInt(ReadDecimal(digits));
            description.lastRunFirst =
                description.lastRunFirst == 0 ? number : std::min(description.lastRunFirst, number);
            description.lastRunLast = std::max(description.lastRunLast, number);
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
