#pragma once
// The labelled density picture: the raster on a white canvas with ticks, labels, titles, a
// caption and a colour scale bar, saved as BMP in the folder of the event file.

#include <opencv2/core.hpp>
#include <string>

#include "common/Ranges.h"
#include "common/Status.h"
#include "events/ViewAxes.h"

namespace korvane {

enum class PictureKind { Spatial = 0, TimeResolved = 1, Perspective = 3 };

// The canvas is the raster plus these margins for the axes, labels and colour bar.
constexpr int CanvasExtraWidth = 300;
constexpr int CanvasExtraHeight = 200;

// What the canvas around the raster says.
struct PictureLabels {
    PlaneRange ranges;         // tick labels across and up
    double captionValue = 0;   // slice position or window end
    ViewDirection direction = ViewDirection::AlongZ;  // axis titles and caption axis
    PictureKind kind = PictureKind::Spatial;
    double densityMaximum = 0;  // the colour bar's bottom label
};

// Writes the labelled picture of `raster` to `path`. `canvas` is a buffer the caller keeps
// for the whole series (reallocated only when the size changes). Fails, naming the file,
// when the picture cannot be written.
Status WriteDensityPicture(const cv::Mat& raster, const PictureLabels& labels,
                           const std::string& path, cv::Mat& canvas);

}  // namespace korvane
