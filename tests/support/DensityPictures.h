#pragma once
// One labelled picture of a raster written on its own, outside a series.

#include <opencv2/core.hpp>
#include <string>

#include "common/Status.h"
#include "picture/DensityPicture.h"

namespace korvane::testing {

// Writes the labelled picture of `raster` to `path`. `canvas` is a buffer the caller keeps
// for the whole series (reallocated only when the size changes). Fails, naming the file,
// when the picture cannot be written.
Status WriteDensityPicture(const cv::Mat& raster, const PictureLabels& labels,
                           const std::string& path, cv::Mat& canvas);

}  // namespace korvane::testing
