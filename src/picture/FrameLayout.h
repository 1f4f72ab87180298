#pragma once
// Where the texts of a picture frame go: tick labels, axis titles and the caption, each with
// the box its letters cover. The frame is drawn from this layout, and tests check the layout
// itself (no two labels overlap, every label inside the picture) without looking at pixels.

#include <opencv2/core.hpp>
#include <string>
#include <vector>

#include "picture/DensityPicture.h"

namespace korvane {

// The two fonts of the frame (Hershey simplex, thickness 1).
constexpr double TickLabelScale = 0.35;
constexpr double TitleScale = 0.5;

// Where the raster sits on the canvas.
constexpr int RasterLeft = 150;
constexpr int RasterTop = 100;

struct PlacedText {
    std::string text;
    cv::Point origin;  // left end of the baseline, as putText takes it
    double scale = TickLabelScale;
    cv::Rect
        box;  // the letters above the baseline: origin.x .. + width, origin.y - height .. origin.y
};

// The box of `text` at `origin` in the font of `scale`.
cv::Rect TextBox(const std::string& text, cv::Point origin, double scale);

struct FrameLayout {
    std::vector<int> tickColumns;  // the horizontal ticks, canvas columns
    std::vector<int> tickRows;     // the vertical ticks, canvas rows
    std::vector<PlacedText> horizontalLabels;
    std::vector<PlacedText> verticalLabels;
    PlacedText horizontalTitle;
    PlacedText verticalTitle;
    // With round ticks, the offset the labels of an axis count from ("+6,543,000"); empty
    // text when they show the values themselves.
    PlacedText horizontalOffset;
    PlacedText verticalOffset;
    // "V.E. 3.2x", or empty text.
    PlacedText exaggeration;
};

// The frame texts for a raster of `rasterSize`. Each axis is labelled as it always was
// (every tick, three decimals, labels starting at their tick) when its labels stay apart,
// distinct and clear of the raster. Otherwise the axis gets the fewest decimals that keep
// its labels distinct; the labels are centred on their ticks across and end left of the
// ticks up, stay whole inside the canvas, and labels that would still touch a neighbour or
// the vertical title are left out, the two end labels kept.
// With labels.depthDown the vertical values run from the minimum at the top. With
// labels.roundTicks (and a known pitch) the ticks stand at round values instead, at their
// pixels, with labels that touch neither each other nor a tick.
FrameLayout LayoutFrame(cv::Size rasterSize, const PictureLabels& labels);

// The canvas row of the vertical value `v` of a raster `height` rows high whose pixels are
// `pitch` apart from `min` (at the bottom row, or at the top row when `depthDown`).
int CanvasRowOf(double v, double min, double pitch, int height, bool depthDown);

// The caption above the raster (empty text when the picture has none): at column W, moved
// left so that it stays whole inside a canvas of `rasterSize` plus the margins. A time of
// calendar time adds its calendar time, or gives it alone where both would not fit.
PlacedText LayoutCaption(cv::Size rasterSize, const PictureLabels& labels, double captionValue);

// The title above the colour bar: "events per box", or "weight per box" with weighted
// events; empty text for counted events in metres, whose pictures never had one. It stands
// between the caption's row and the bar's first label, whole inside the canvas.
PlacedText LayoutColourBarTitle(cv::Size rasterSize, const PictureLabels& labels);

}  // namespace korvane
