#pragma once
// The labelled density picture: the raster on a white canvas with ticks, labels, titles, a
// caption and a colour scale bar, saved as BMP (or PNG) in the folder of the event file.

#include <functional>
#include <memory>
#include <opencv2/core.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "common/Ranges.h"
#include "common/Status.h"
#include "events/ViewAxes.h"
#include "picture/ColourScale.h"
#include "picture/Overlays.h"
#include "picture/PictureFileName.h"
#include "picture/PictureFiles.h"

namespace korvane {

// Section: a slice across a line A-A', the distance along the line across and z up.
enum class PictureKind { Spatial = 0, TimeResolved = 1, Perspective = 3, Section = 4 };

// The canvas is the raster plus these margins for the axes, labels and colour bar.
constexpr int CanvasExtraWidth = 300;
constexpr int CanvasExtraHeight = 200;

// What the canvas around the raster says.
struct PictureLabels {
    PlaneRange ranges;                                // tick labels across and up
    double captionValue = 0;                          // slice position or window end
    ViewDirection direction = ViewDirection::AlongZ;  // axis titles and caption axis
    PictureKind kind = PictureKind::Spatial;
    double densityMaximum = 0;                  // the colour bar's bottom label
    ColourMap colourMap = ColourMap::Classic;   // the colour bar's colours
    DensityScale scale = DensityScale::Linear;  // and how its labels are spaced
    std::string unit = "m";  // of the coordinates: the axis titles and the slice caption
    bool weighted = false;   // the densities sum event weights rather than count events
    // The calendar time of a time in seconds ("2023-02-07 00:00:00 UTC"), for a time
    // caption; empty when the times are no calendar time.
    std::function<std::string(double)> calendar = nullptr;
    // Shapes drawn over every raster, with a legend above it (null or empty: none).
    std::shared_ptr<const Overlays> overlays = nullptr;
    // World units per raster column and row (zero: not known; round ticks and the
    // vertical exaggeration need them).
    PlaneScale pitch{0, 0};
    // The vertical axis runs downward: the raster's top row holds the vertical minimum.
    bool depthDown = false;
    bool roundTicks = false;        // ticks on 1-2-5 steps rather than at tenths of the range
    bool exaggerationNote = false;  // "V.E. 3.2x" where a unit is longer up than across
};

// Whether `text` can stand as the unit of the coordinates in the pictures: 1 to 16
// printable ASCII characters (the pictures' font draws no others).
bool IsUnitText(std::string_view text);

// The labelled pictures of one series. The frame (white canvas, ticks, tick labels, titles,
// colour bar) is drawn once; each picture then puts in its raster and its caption. Two
// canvases take turns, so one can be written while the next is composed.
class SeriesCanvas {
  public:
    // Draws the frame for rasters of `rasterSize` (labels.captionValue is not used).
    void Prepare(cv::Size rasterSize, const PictureLabels& labels);

    // The raster area of canvas `slot`, for the next picture of that slot to be painted in
    // place (then composed without a copy). The first time in a series it gets `prepared`'s
    // pixels, which a painter leaves where it does not reach.
    cv::Mat PaintArea(int slot, const cv::Mat& prepared);

    // The labelled picture of `raster` with the caption of `captionValue`, composed in
    // canvas `slot` (0 or 1), which stays as it is until that slot is painted or composed
    // again. `raster` may be the slot's PaintArea. The labels' overlays are drawn over the
    // raster in `overlayFrame` (none: not drawn), under the frame's own pixels.
    const cv::Mat& Compose(int slot, const cv::Mat& raster, double captionValue,
                           const OverlayFrame* overlayFrame = nullptr);

    // Where the raster sits on the canvas.
    cv::Rect RasterArea() const;

  private:
    struct OverlayPixel {
        cv::Point at;  // in the raster
        cv::Vec3b colour;
    };
    struct Slot {
        cv::Mat canvas;
        bool framed = false;  // holds the frame of the current series
        // Its raster area holds overlays, which a painter in place would leave where it
        // does not reach: the area starts again from the prepared pixels.
        bool overlaid = false;
    };

    // Copies the frame into `slot` unless it holds it already; whether it copied.
    bool FrameSlot(Slot& slot);

    PictureLabels m_labels;
    cv::Size m_raster;
    cv::Mat m_frame;
    std::vector<OverlayPixel> m_overlay;  // frame pixels drawn over the raster
    Slot m_slots[2];
};

// Encodes `canvas` as BMP (or PNG) into `encoded` (kept between calls) and writes it to
// `path` whole or not at all. Fails naming the file and the reason.
Status WritePictureFile(const cv::Mat& canvas, const std::string& path, EncodedPicture& encoded,
                        PictureFormat format = PictureFormat::Bmp);

}  // namespace korvane
