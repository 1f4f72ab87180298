#include "picture/DensityPicture.h"

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
#include "picture/PictureFiles.h"

namespace korvane {

namespace {

// Where the raster sits on the canvas, and the canvas margins around it.
constexpr int RasterLeft = 150;
constexpr int RasterTop = 100;

struct Font {
    double scale;
};
constexpr Font LabelFont{0.35};
constexpr Font TitleFont{0.5};

void Text(cv::Mat& canvas, const std::string& text, int x, int y, Font font,
          const cv::Scalar& colour) {
    cv::putText(canvas, text, cv::Point(x, y), cv::FONT_HERSHEY_SIMPLEX, font.scale, colour, 1,
                cv::LINE_8, false);
}

void Line(cv::Mat& canvas, int x1, int y1, int x2, int y2, const cv::Scalar& colour) {
    cv::line(canvas, cv::Point(x1, y1), cv::Point(x2, y2), colour, 1, cv::LINE_8, 0);
}

struct AxisTexts {
    const char* horizontal;
    const char* vertical;
    const char* captionAxis;  // "x", "y" or "z": the caption names the slice position
};

AxisTexts TextsFor(ViewDirection direction) {
    switch (direction) {
        case ViewDirection::AlongX:
            return {"y [m]", "z [m]", "x"};
        case ViewDirection::AlongY:
            return {"x [m]", "z [m]", "y"};
        case ViewDirection::AlongZ:
            return {"x [m]", "y [m]", "z"};
        default:
            return {"", "", ""};
    }
}

// A tick step of W / 10 pixels is zero for rasters under 10 pixels; one pixel then keeps
// the tick loop moving.
int TickStep(int size) {
    return size / 10 > 0 ? size / 10 : 1;
}

// The caption above the raster: the slice position, or the window's end.
void DrawCaption(cv::Mat& canvas, int W, const PictureLabels& labels, double captionValue) {
    const AxisTexts texts = TextsFor(labels.direction);
    std::string caption;
    if (labels.kind == PictureKind::Spatial) {
        if (texts.captionAxis[0] != '\0') {
            caption = std::string(texts.captionAxis) + ": " + FormatFixed(captionValue, 4) + " m";
        }
    } else {
        caption = "Time: " + FormatFixed(captionValue, 1) + " sec";
    }
    if (!caption.empty()) {
        Text(canvas, caption, W, 60, TitleFont, cv::Scalar(0, 0, 0));
    }
}

// Ticks, tick labels and titles of both axes.
void DrawAxes(cv::Mat& canvas, int W, int H, const PictureLabels& labels) {
    const cv::Scalar black(0, 0, 0);
    const AxisTexts texts = TextsFor(labels.direction);
    const double hMin = labels.ranges.horizontal.min;
    const double hMax = labels.ranges.horizontal.max;
    const double vMin = labels.ranges.vertical.min;
    const double vMax = labels.ranges.vertical.max;

    const int sx = TickStep(W);
    // The counter bounds the loop as well as x, so it ends even for an absurd width.
    for (long long i = 0; RasterLeft + i * sx <= static_cast<long long>(W) + RasterLeft; ++i) {
        const int x = static_cast<int>(RasterLeft + i * sx);
        Line(canvas, x, H + RasterTop, x, H + RasterTop + 10, black);
        const double value = hMin + (hMax - hMin) * static_cast<double>(i) / 10;
        Text(canvas, FormatFixed(value, 3), x, H + RasterTop + 20, LabelFont, black);
    }
    Text(canvas, texts.horizontal, W / 2 + RasterLeft, H + RasterTop + 60, TitleFont, black);

    const int sy = TickStep(H);
    for (long long i = 0; RasterTop + i * sy <= static_cast<long long>(H) + RasterTop; ++i) {
        const int y = static_cast<int>(RasterTop + i * sy);
        Line(canvas, RasterLeft - 10, y, RasterLeft, y, black);
        const double value = vMax - (vMax - vMin) * static_cast<double>(i) / 10;
        Text(canvas, FormatFixed(value, 3), 100, y, LabelFont, black);
    }
    // Half the height plus 150, not plus the raster's top: the title sits a little low.
    Text(canvas, texts.vertical, 20, H / 2 + 150, TitleFont, black);
}

// The colour scale bar right of the raster: black (0) at the top, the maximum at the bottom,
// with six labels in fifths of the maximum.
void DrawColourBar(cv::Mat& canvas, int W, int H, double densityMaximum) {
    const float maximum = NarrowToFloat(densityMaximum);
    int j = 0;
    for (int y = RasterTop; y <= H + RasterTop; ++y) {
        const double value = static_cast<double>(y - RasterTop) / H * densityMaximum;
        const cv::Scalar colour = DensityToColour(value, maximum);
        Line(canvas, W + 190, y, W + 200, y, colour);
        if (std::fabs((y - RasterTop) - static_cast<double>(j) * H / 5) < 1) {
            Text(canvas, FormatFixed(j / 5.0 * densityMaximum, 2), W + 210, y, TitleFont, colour);
            ++j;
        }
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
        DrawColourBar(frame, W, H, labels.densityMaximum);
    }
}

}  // namespace

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
    if (FrameSlot(slot) && prepared.size() == m_raster && m_raster.area() > 0) {
        prepared.copyTo(slot.canvas(RasterArea()));
    }
    return slot.canvas(RasterArea());
}

const cv::Mat& SeriesCanvas::Compose(int slotIndex, const cv::Mat& raster, double captionValue) {
    Slot& slot = m_slots[slotIndex % 2];
    const int W = m_raster.width;
    if (!FrameSlot(slot)) {
        // Only the caption changes above the raster: its band gets the frame's pixels back.
        const cv::Rect band(0, 0, m_frame.cols, RasterTop);
        m_frame(band).copyTo(slot.canvas(band));
    }
    if (raster.size() == m_raster && m_raster.area() > 0) {
        cv::Mat area = slot.canvas(RasterArea());
        if (area.data != raster.data) {
            raster.copyTo(area);
        }
        for (const OverlayPixel& pixel : m_overlay) {
            area.at<cv::Vec3b>(pixel.at) = pixel.colour;
        }
    }
    if (m_labels.kind != PictureKind::Perspective) {
        DrawCaption(slot.canvas, W, m_labels, captionValue);
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
