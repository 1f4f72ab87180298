#include "support/Folders.h"

#include <algorithm>
#include <opencv2/imgcodecs.hpp>

namespace korvane::testing {

std::vector<std::string> FolderNames(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> NamesBesideTheIndex(const std::filesystem::path& folder) {
    std::vector<std::string> names = FolderNames(folder);
    std::erase_if(names, [](const std::string& name) {
        return name.size() > 5 && name.compare(name.size() - 5, 5, ".json") == 0;
    });
    return names;
}

std::vector<std::string> PictureNames(const std::filesystem::path& folder) {
    std::vector<std::string> pictures;
    for (const std::string& name : FolderNames(folder)) {
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".bmp") == 0) {
            pictures.push_back(name);
        }
    }
    return pictures;
}

cv::Mat ReadPicture(const std::filesystem::path& path) {
    return cv::imread(path.string(), cv::IMREAD_UNCHANGED);
}

cv::Mat ReadPictureBlock(const std::filesystem::path& path, int column, int row, int width,
                         int height) {
    const cv::Mat picture = ReadPicture(path);
    if (picture.empty() || column + width > picture.cols || row + height > picture.rows) {
        return cv::Mat();
    }
    return picture(cv::Rect(column, row, width, height)).clone();
}

}  // namespace korvane::testing
