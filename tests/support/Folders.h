#pragma once
// What a folder holds after a run, and pictures read back from it.

#include <filesystem>
#include <opencv2/core.hpp>
#include <string>
#include <vector>

namespace korvane::testing {

// The names in `folder`, sorted (empty if it cannot be listed).
std::vector<std::string> FolderNames(const std::filesystem::path& folder);

// The names in `folder` except the series index files (*.json), sorted: the pictures and
// anything a run should not have left there.
std::vector<std::string> NamesBesideTheIndex(const std::filesystem::path& folder);

// The names in `folder` that end in ".bmp", sorted.
std::vector<std::string> PictureNames(const std::filesystem::path& folder);

// The picture at `path` as stored (empty if it cannot be read).
cv::Mat ReadPicture(const std::filesystem::path& path);

// The `width` x `height` block of a saved picture whose top-left pixel is at (column, row),
// copied out; empty if the picture cannot be read or is too small.
cv::Mat ReadPictureBlock(const std::filesystem::path& path, int column, int row, int width,
                         int height);

}  // namespace korvane::testing
