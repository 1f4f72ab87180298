#pragma once
// The labelled density picture: the raster on a white canvas with ticks, labels, titles, a
// caption and a colour scale bar, saved as BMP in the folder of the event file.

#include <opencv2/core.hpp>
#include <string>

#include "common/Status.h"

namespace korvane {

enum class PictureKind { Spatial = 0, TimeResolved = 1, Perspective = 3 };

// The canvas is the raster plus these margins for the axes, labels and colour bar.
constexpr int CanvasExtraWidth = 300;
constexpr int CanvasExtraHeight = 200;

// `canvas` is a buffer the caller keeps for the whole series (reallocated only when the
// size changes). Fails, naming the file, when the picture cannot be written.
Status WriteDensityPicture(const cv::Mat& raster, double hMin, double hMax, double vMin,
                           double vMax, double captionValue, std::string fileName, int direction,
                           PictureKind kind, std::string eventFilePath, double densityMaximum,
                           cv::Mat& canvas);

}  // namespace korvane
