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
};

// The frame texts for a raster of `rasterSize`. Each axis is labelled as it always was
// (every tick, three decimals, labels starting at their tick) when its labels stay apart,
// distinct and clear of the raster. Otherwise the axis gets the fewest decimals that keep
// its labels distinct; the labels are centred on their ticks across and end left of the
// ticks up, stay whole inside the canvas, and labels that would still touch a neighbour or
// the vertical title are left out, the two end labels kept.
FrameLayout LayoutFrame(cv::Size rasterSize, const PictureLabels& labels);

// The caption above the raster (empty text when the picture has none): at column W, moved
// left so that it stays whole inside a canvas of `rasterSize` plus the margins. A time of
// calendar time adds its calendar time, or gives it alone where both would not fit.
PlacedText LayoutCaption(cv::Size rasterSize, const PictureLabels& labels, double captionValue);

// The title above the colour bar: "events per box", or "weight per box" with weighted
// events; empty text for counted events in metres, whose pictures never had one. It stands
// between the caption's row and the bar's first label, whole inside the canvas.
PlacedText LayoutColourBarTitle(cv::Size rasterSize, const PictureLabels& labels);

}  // namespace korvane
