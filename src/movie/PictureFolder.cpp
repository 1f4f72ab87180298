#include "movie/PictureFolder.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "common/NumberText.h"
#include "movie/PictureSeriesListing.h"

namespace korvane {
namespace {

constexpr std::size_t NumberDigits = 4;
// More digits than this cannot be a picture number of a series (at most 9999 pictures).
constexpr std::size_t MaxNumberDigits = 9;

// The number of a name that is `prefix`, digits and the extension; -1 for any other name.
int NumberOf(const std::string& name, const std::string& prefix) {
    if (!IsNumberedPictureName(name) || name.compare(0, prefix.size(), prefix) != 0) {
        return -1;
    }
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot < prefix.size()) {
        return -1;
    }
    const std::string digits = name.substr(prefix.size(), dot - prefix.size());
    if (digits.size() < NumberDigits || !std::all_of(digits.begin(), digits.end(), IsDigit)) {
        return -1;
    }
    const std::size_t first = std::min(digits.find_first_not_of('0'), digits.size());
    if (digits.size() - first > MaxNumberDigits) {
        return -1;
    }
    int number = 0;
    for (std::size_t i = first; i < digits.size(); ++i) {
        number = number * 10 + (digits[i] - '0');
    }
    return number;
}

std::string NameOf(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

}  // namespace

bool SplitNumberedPicture(const std::string& path, std::string& folder, std::string& prefix) {
    const std::filesystem::path file(path);
    const std::string name = file.filename().string();
    if (!IsNumberedPictureName(name)) {
        return false;
    }
    const std::size_t dot = name.rfind('.');
    folder = file.parent_path().string();
    prefix = name.substr(0, dot - NumberDigits);
    return true;
}

Status ListSeriesPictures(const std::string& folder, const std::string& prefix,
                          std::vector<NumberedPicture>& pictures) {
    pictures.clear();
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    for (const std::filesystem::directory_iterator end; !error && entries != end;
         entries.increment(error)) {
        std::error_code typeError;
        if (!entries->is_regular_file(typeError)) {
            continue;
        }
        const std::string name = entries->path().filename().string();
        const int number = NumberOf(name, prefix);
        if (number >= 0) {
            pictures.push_back({number, entries->path().string()});
        }
    }
    if (error) {
        pictures.clear();
        return Status::IoError("The folder \"" + folder + "\" cannot be read (" + error.message() +
                               ").");
    }
    std::sort(pictures.begin(), pictures.end(),
              [](const NumberedPicture& a, const NumberedPicture& b) {
                  return a.number != b.number ? a.number < b.number : a.path < b.path;
              });
    return Status::Ok();
}

Status OpenPictureFolder(const std::string& folder, PictureFolder& series) {
    series = PictureFolder{folder, "", {}};
    PictureSeries listed;
    if (const Status status = ListPictureSeries(folder, listed); !status.ok()) {
        return status;
    }
    if (listed.count == 0) {
        return Status::Ok();
    }
    std::string ignored;
    SplitNumberedPicture(listed.firstPicture, ignored, series.prefix);
    return ListSeriesPictures(folder, series.prefix, series.pictures);
}

std::vector<NumberedPicture> PicturesBeyond(const std::string& folder, const std::string& prefix,
                                            int written) {
    std::vector<NumberedPicture> pictures;
    if (!ListSeriesPictures(folder, prefix, pictures).ok()) {
        return {};
    }
    pictures.erase(std::remove_if(pictures.begin(), pictures.end(),
                                  [written](const NumberedPicture& picture) {
                                      return picture.number <= written;
                                  }),
                   pictures.end());
    return pictures;
}

std::string StalePicturesText(const std::vector<NumberedPicture>& stale, const std::string& folder,
                              const std::string& prefix) {
    const std::size_t count = stale.size();
    const std::string which = count == 1
                                  ? NameOf(stale.front().path)
                                  : NameOf(stale.front().path) + " to " + NameOf(stale.back().path);
    const std::string older = FormatInteger(static_cast<double>(count)) +
                              (count == 1 ? " older picture (" : " older pictures (") + which +
                              ") of an earlier run " + (count == 1 ? "is" : "are") +
                              " still in the folder";
    // The series index of a run that finished tells a movie to leave them out.
    PictureSeries movie;
    if (ListPictureSeries(folder, movie, prefix).ok() && !movie.indexed.empty()) {
        return older + "; a movie of the folder takes only the pictures of the last run, " +
               "which its series index lists.";
    }
    return older + ": a movie of the folder would include " + (count == 1 ? "it." : "them.");
}

}  // namespace korvane
