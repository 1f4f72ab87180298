#include "picture/DensityPicture.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <string_view>
#include <vector>

#include "common/AtomicFile.h"
#include "common/FloatNarrowing.h"
#include "common/NumberText.h"
#include "picture/ColourScale.h"
#include "picture/FrameLayout.h"
#include "picture/PictureFiles.h"

namespace korvane {

namespace {

struct Font {
    double scale;
};

void Text(cv::Mat& canvas, const std::string& text, int x, int y, Font font,
          const cv::Scalar& colour) {
    cv::putText(canvas, text, cv::Point(x, y), cv::FONT_HERSHEY_SIMPLEX, font.scale, colour, 1,
                cv::LINE_8, false);
}

void Text(cv::Mat& canvas, const PlacedText& placed, const cv::Scalar& colour) {
    Text(canvas, placed.text, placed.origin.x, placed.origin.y, Font{placed.scale}, colour);
}

void Line(cv::Mat& canvas, int x1, int y1, int x2, int y2, const cv::Scalar& colour) {
    cv::line(canvas, cv::Point(x1, y1), cv::Point(x2, y2), colour, 1, cv::LINE_8, 0);
}

// The caption above the raster: the slice position, or the window's end.
void DrawCaption(cv::Mat& canvas, cv::Size rasterSize, const PictureLabels& labels,
                 double captionValue) {
    const PlacedText caption = LayoutCaption(rasterSize, labels, captionValue);
    if (!caption.text.empty()) {
        Text(canvas, caption, cv::Scalar(0, 0, 0));
    }
}

// Ticks, tick labels and titles of both axes.
void DrawAxes(cv::Mat& canvas, int W, int H, const PictureLabels& labels) {
    const cv::Scalar black(0, 0, 0);
    const FrameLayout layout = LayoutFrame(cv::Size(W, H), labels);
    for (int x : layout.tickColumns) {
        Line(canvas, x, H + RasterTop, x, H + RasterTop + 10, black);
    }
    for (const PlacedText& label : layout.horizontalLabels) {
        Text(canvas, label, black);
    }
    Text(canvas, layout.horizontalTitle, black);
    for (int y : layout.tickRows) {
        Line(canvas, RasterLeft - 10, y, RasterLeft, y, black);
    }
    for (const PlacedText& label : layout.verticalLabels) {
        Text(canvas, label, black);
    }
    Text(canvas, layout.verticalTitle, black);
    for (const PlacedText* extra :
         {&layout.horizontalOffset, &layout.verticalOffset, &layout.exaggeration}) {
        if (!extra->text.empty()) {
            Text(canvas, *extra, black);
        }
    }
}

// A bar label's text: `decimals` for a plain label; a decade of the logarithmic bar with as
// many decimals as it needs (none from 1 up).
std::string BarLabelText(const BarLabel& label, bool decade, int decimals) {
    if (!decade) {
        return FormatFixed(label.density, decimals);
    }
    const double decadeDecimals = std::max(0.0, -std::round(std::log10(label.density)));
    return FormatFixed(label.density, static_cast<int>(decadeDecimals));
}

// The first canvas column clear of the colour bar (which ends at W + 200) for its labels.
constexpr int BarLabelLeft = 202;

int BarLabelWidth(const std::string& text, double scale) {
    return TextBox(text, cv::Point(0, 0), scale).width;
}

// The room between the colour bar and the picture's right edge for its labels.
int BarLabelRoom(const cv::Mat& canvas, int W) {
    return canvas.cols - (W + BarLabelLeft);
}

// The decimals the bar's labels of `densities` take: `decimals` where they all fit beside
// the bar, else as many fewer as makes them fit (none at the least).
int FittingBarDecimals(const std::vector<double>& densities, int decimals, int room) {
    for (; decimals > 0; --decimals) {
        bool fit = true;
        for (const double density : densities) {
            fit = fit && BarLabelWidth(FormatFixed(density, decimals), TitleScale) <= room;
        }
        if (fit) {
            break;
        }
    }
    return decimals;
}

// Writes a bar label at row `y`, right of the bar: at W + 210, moved left as far as the bar
// for a long one, so that it stays whole inside the picture and clear of the bar. A label
// that does not fit even so is written in powers of ten ("1.98e+12"), in a smaller font if
// need be.
void DrawBarLabel(cv::Mat& canvas, int W, int y, std::string text, double density,
                  const cv::Scalar& colour) {
    const int room = BarLabelRoom(canvas, W);
    double scale = TitleScale;
    if (BarLabelWidth(text, scale) > room) {
        const std::string exponent = FormatExponent(density);
        const std::size_t e = exponent.find('e');
        text = FormatFixed(ReadDecimal(exponent.substr(0, e)), 2) + exponent.substr(e);
    }
    while (BarLabelWidth(text, scale) > room && scale > 0.1) {
        scale -= 0.025;
    }
    const int x =
        std::max(W + BarLabelLeft, std::min(W + 210, canvas.cols - BarLabelWidth(text, scale)));
    Text(canvas, text, x, y, Font{scale}, colour);
}

// The classic bar writes each label in the colour of its row; the other maps in black, as
// their light ends would hardly show on the white canvas.
cv::Scalar BarLabelColour(const PictureLabels& labels, const cv::Scalar& row) {
    return labels.colourMap == ColourMap::Classic ? row : cv::Scalar(0, 0, 0);
}

// A colour bar on a square-root or logarithmic scale: each row has the colour of the density
// at its place on the scale; the labels at their densities' places, those that would come
// within a label's height of one already kept left out (0 and the maximum are kept).
void DrawScaledColourBar(cv::Mat& canvas, int W, int H, const PictureLabels& labels) {
    const double densityMaximum = labels.densityMaximum;
    const float maximum = NarrowToFloat(densityMaximum);
    const ColourFunction colours = ColourFunctionOf(labels.colourMap, labels.scale);
    const bool log = labels.scale == DensityScale::Log;
    const double top = log ? std::log1p(densityMaximum) : std::sqrt(densityMaximum);
    const auto densityAt = [&](double fraction) {
        const double place = fraction * top;
        return log ? std::expm1(place) : place * place;
    };
    for (int y = RasterTop; y <= H + RasterTop; ++y) {
        const double fraction = static_cast<double>(y - RasterTop) / H;
        Line(canvas, W + 190, y, W + 200, y, colours.colour(densityAt(fraction), maximum));
    }
    const std::vector<BarLabel> barLabels = ColourBarLabels(labels.scale, densityMaximum);
    std::vector<double> plain;  // the labels written with `decimals`
    for (std::size_t i = 0; i < barLabels.size(); ++i) {
        if (!log || i == 0 || i + 1 == barLabels.size()) {
            plain.push_back(barLabels[i].density);
        }
    }
    const int decimals =
        FittingBarDecimals(plain, ColourBarDecimals(plain), BarLabelRoom(canvas, W));
    const int bottomRow = H + RasterTop;
    constexpr int Gap = 14;  // a label's height and a little air
    int lastRow = -Gap;
    for (std::size_t i = 0; i < barLabels.size(); ++i) {
        const BarLabel& label = barLabels[i];
        const int y = RasterTop + static_cast<int>(std::lround(label.fraction * H));
        const bool end = i == 0 || i + 1 == barLabels.size();
        if (!end && (y - lastRow < Gap || bottomRow - y < Gap)) {
            continue;
        }
        DrawBarLabel(canvas, W, y, BarLabelText(label, log && !end, decimals), label.density,
                     BarLabelColour(labels, colours.colour(label.density, maximum)));
        lastRow = y;
    }
}

// The colour scale bar right of the raster: no density at the top, the maximum at the
// bottom, with six labels in fifths of the maximum.
void DrawColourBar(cv::Mat& canvas, int W, int H, const PictureLabels& labels) {
    if (labels.scale != DensityScale::Linear) {
        DrawScaledColourBar(canvas, W, H, labels);
        return;
    }
    const double densityMaximum = labels.densityMaximum;
    const float maximum = NarrowToFloat(densityMaximum);
    const auto colourOf = ColourFunctionOf(labels.colourMap, labels.scale).colour;
    std::vector<double> fifths;
    for (int i = 0; i <= 5; ++i) {
        fifths.push_back(i / 5.0 * densityMaximum);
    }
    const int decimals =
        FittingBarDecimals(fifths, ColourBarDecimals(fifths), BarLabelRoom(canvas, W));
    // The labels go on once the bar is drawn, so that no row of it covers one.
    std::vector<std::pair<int, cv::Scalar>> labelRows;
    int j = 0;
    for (int y = RasterTop; y <= H + RasterTop; ++y) {
        const double value = static_cast<double>(y - RasterTop) / H * densityMaximum;
        const cv::Scalar colour = colourOf(value, maximum);
        Line(canvas, W + 190, y, W + 200, y, colour);
        if (std::fabs((y - RasterTop) - static_cast<double>(j) * H / 5) < 1) {
            labelRows.emplace_back(y, colour);
            ++j;
        }
    }
    for (std::size_t i = 0; i < labelRows.size(); ++i) {
        const double value = static_cast<double>(i) / 5.0 * densityMaximum;
        DrawBarLabel(canvas, W, labelRows[i].first, FormatFixed(value, decimals), value,
                     BarLabelColour(labels, labelRows[i].second));
    }
}

// The title above the colour bar, when the picture has one.
void DrawColourBarTitle(cv::Mat& canvas, cv::Size rasterSize, const PictureLabels& labels) {
    const PlacedText title = LayoutColourBarTitle(rasterSize, labels);
    if (!title.text.empty()) {
        Text(canvas, title, cv::Scalar(0, 0, 0));
    }
}

std::string PictureFailureText(const std::string& path, const std::string& reason) {
    return "Cannot write the picture " + path + ": " + reason;
}

// The frame on a canvas for rasters of `rasterSize` whose raster area is `background`.
void DrawFrame(cv::Size rasterSize, const PictureLabels& labels, const cv::Scalar& background,
               cv::Mat& frame) {
    const int W = rasterSize.width;
    const int H = rasterSize.height;
    frame.create(H + CanvasExtraHeight, W + CanvasExtraWidth, CV_8UC3);
    frame.setTo(cv::Scalar(255, 255, 255));
    if (W > 0 && H > 0) {
        frame(cv::Rect(RasterLeft, RasterTop, W, H)).setTo(background);
    }
    if (labels.kind != PictureKind::Perspective) {
        DrawAxes(frame, W, H, labels);
    }
    if (H > 0) {
        DrawColourBar(frame, W, H, labels);
    }
    DrawColourBarTitle(frame, rasterSize, labels);
    if (labels.overlays && labels.kind != PictureKind::Perspective) {
        DrawOverlayLegend(frame, rasterSize, *labels.overlays);
    }
}

}  // namespace

bool IsUnitText(std::string_view text) {
    if (text.empty() || text.size() > 16) {
        return false;
    }
    for (char c : text) {
        if (c < ' ' || c > '~') {
            return false;
        }
    }
    return true;
}

void SeriesCanvas::Prepare(cv::Size rasterSize, const PictureLabels& labels) {
    m_labels = labels;
    m_raster = rasterSize;
    DrawFrame(rasterSize, labels, cv::Scalar(255, 255, 255), m_frame);
    // The frame draws a few pixels over the raster (the left ticks reach its first column,
    // tick labels its first columns). Drawing sets pixels without blending, so they are the
    // pixels that come out the same on a white and on a black raster area.
    m_overlay.clear();
    if (rasterSize.area() > 0) {
        cv::Mat onBlack;
        DrawFrame(rasterSize, labels, cv::Scalar(0, 0, 0), onBlack);
        const cv::Rect area(RasterLeft, RasterTop, rasterSize.width, rasterSize.height);
        for (int r = 0; r < area.height; ++r) {
            const cv::Vec3b* white = m_frame.ptr<cv::Vec3b>(area.y + r) + area.x;
            const cv::Vec3b* black = onBlack.ptr<cv::Vec3b>(area.y + r) + area.x;
            for (int c = 0; c < area.width; ++c) {
                if (white[c] == black[c]) {
                    m_overlay.push_back({cv::Point(c, r), white[c]});
                }
            }
        }
    }
    for (Slot& slot : m_slots) {
        slot.framed = false;
    }
}

bool SeriesCanvas::FrameSlot(Slot& slot) {
    if (slot.framed) {
        return false;
    }
    m_frame.copyTo(slot.canvas);
    slot.framed = true;
    return true;
}

cv::Mat SeriesCanvas::PaintArea(int slotIndex, const cv::Mat& prepared) {
    Slot& slot = m_slots[slotIndex % 2];
    const bool fresh = FrameSlot(slot) || slot.overlaid;
    slot.overlaid = false;
    if (fresh && prepared.size() == m_raster && m_raster.area() > 0) {
        prepared.copyTo(slot.canvas(RasterArea()));
    }
    return slot.canvas(RasterArea());
}

const cv::Mat& SeriesCanvas::Compose(int slotIndex, const cv::Mat& raster, double captionValue,
                                     const OverlayFrame* overlayFrame) {
    Slot& slot = m_slots[slotIndex % 2];
    if (!FrameSlot(slot)) {
        // Only the caption changes above the raster: its band gets the frame's pixels back.
        const cv::Rect band(0, 0, m_frame.cols, RasterTop);
        m_frame(band).copyTo(slot.canvas(band));
    }
    if (raster.size() == m_raster && m_raster.area() > 0) {
        cv::Mat area = slot.canvas(RasterArea());
        if (m_labels.depthDown) {
            // Rows are computed from the bottom up; depth down shows them top down. The
            // series paints such pictures aside, never into the area itself.
            cv::flip(raster, area, 0);
        } else if (area.data != raster.data) {
            raster.copyTo(area);
        }
        if (overlayFrame != nullptr && overlayFrame->toPlane && m_labels.overlays &&
            !m_labels.overlays->empty()) {
            OverlayFrame drawn = *overlayFrame;
            drawn.depthDown = m_labels.depthDown;
            DrawOverlays(area, *m_labels.overlays, drawn);
            slot.overlaid = true;
        }
        for (const OverlayPixel& pixel : m_overlay) {
            area.at<cv::Vec3b>(pixel.at) = pixel.colour;
        }
    }
    if (m_labels.kind != PictureKind::Perspective) {
        DrawCaption(slot.canvas, m_raster, m_labels, captionValue);
    }
    return slot.canvas;
}

cv::Rect SeriesCanvas::RasterArea() const {
    return cv::Rect(RasterLeft, RasterTop, m_raster.width, m_raster.height);
}

Status WritePictureFile(const cv::Mat& canvas, const std::string& path, EncodedPicture& encoded,
                        PictureFormat format) {
    if (!EncodePicture(format, canvas, encoded)) {
        return Status::Internal("Cannot write the picture " + path +
                                ": the picture could not be encoded");
    }
    AtomicFileOptions options;
    options.failureText = PictureFailureText;
    return WriteFileAtomically(path, encoded.pieces, options);
}

}  // namespace korvane
