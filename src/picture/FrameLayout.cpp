#include "picture/FrameLayout.h"

#include <algorithm>
#include <cmath>
#include <opencv2/imgproc.hpp>

#include "common/NumberText.h"
#include "picture/RoundTicks.h"
#include "picture/ViewChoices.h"

namespace korvane {

namespace {

// Decimals of the tick labels as they have always been drawn.
constexpr int ClassicDecimals = 3;
// The most decimals a label gets when fewer do not tell its ticks apart.
constexpr int MostDecimals = 15;
// Free pixels kept between two labels of a mended axis: across, a figure's width apart
// reads as two numbers; up, the letters only need not touch.
constexpr int AcrossGap = 6;
constexpr int UpGap = 3;
// A mended vertical label ends this far left of the raster, clear of the tick marks.
constexpr int VerticalLabelEnd = RasterLeft - 12;

// The colour bar's title sits on this baseline, in the tick labels' font: below the
// caption (baseline 60) and above the bar's first label (baseline RasterTop).
constexpr int BarTitleBaseline = 82;
// The bar's left end, as the bar is drawn: W + 190.
constexpr int BarLeft = 190;

struct AxisTexts {
    std::string horizontal;
    std::string vertical;
    const char* captionAxis;  // "x", "y" or "z": the caption names the slice position
};

AxisTexts TextsFor(ViewDirection direction, const std::string& unit) {
    const auto title = [&](const char* axis) { return std::string(axis) + " [" + unit + "]"; };
    switch (direction) {
        case ViewDirection::AlongX:
            return {title("y"), title("z"), "x"};
        case ViewDirection::AlongY:
            return {title("x"), title("z"), "y"};
        case ViewDirection::AlongZ:
            return {title("x"), title("y"), "z"};
        default:
            return {"", "", ""};
    }
}

// A section's axes: the distance along its line and depth. Its caption names its offset.
AxisTexts TextsOf(const PictureLabels& labels) {
    if (labels.kind == PictureKind::Section) {
        return {"distance along A-A' [" + labels.unit + "]", "depth [" + labels.unit + "]", ""};
    }
    return TextsFor(labels.direction, labels.unit);
}

// A tick step of W / 10 pixels is zero for rasters under 10 pixels; one pixel then keeps
// the tick loop moving.
int TickStep(int size) {
    return size / 10 > 0 ? size / 10 : 1;
}

// Tick positions from `first` every TickStep(size) pixels up to first + size. The counter
// bounds the loop as well as the position, so it ends even for an absurd size.
std::vector<int> TickPositions(int first, int size) {
    std::vector<int> at;
    const int step = TickStep(size);
    for (long long i = 0; first + i * step <= static_cast<long long>(size) + first; ++i) {
        at.push_back(static_cast<int>(first + i * step));
    }
    return at;
}

PlacedText Place(std::string text, cv::Point origin, double scale) {
    PlacedText placed;
    placed.box = TextBox(text, origin, scale);
    placed.text = std::move(text);
    placed.origin = origin;
    placed.scale = scale;
    return placed;
}

void MoveTo(PlacedText& placed, cv::Point origin) {
    placed.box += origin - placed.origin;
    placed.origin = origin;
}

bool Touch(const cv::Rect& a, const cv::Rect& b, int gap) {
    const cv::Rect grown(a.x - gap, a.y - gap, a.width + 2 * gap, a.height + 2 * gap);
    return (grown & b).area() > 0;
}

std::vector<std::string> Texts(const std::vector<double>& values, int decimals) {
    std::vector<std::string> texts;
    texts.reserve(values.size());
    for (double value : values) {
        std::string text = FormatFixed(value, decimals);
        // A tick a little below zero rounds to "-0": the axis shows it as the zero it reads.
        if (text.size() > 1 && text[0] == '-' &&
            text.find_first_not_of("0.", 1) == std::string::npos) {
            text.erase(0, 1);
        }
        texts.push_back(std::move(text));
    }
    return texts;
}

// Whether neighbouring ticks of different values get different texts.
bool Distinct(const std::vector<double>& values, const std::vector<std::string>& texts) {
    for (std::size_t i = 1; i < values.size(); ++i) {
        if (values[i] != values[i - 1] && texts[i] == texts[i - 1]) {
            return false;
        }
    }
    return true;
}

// The fewest decimals that tell neighbouring ticks apart (three when none do).
int FewestDistinctDecimals(const std::vector<double>& values) {
    for (int decimals = 0; decimals <= MostDecimals; ++decimals) {
        if (Distinct(values, Texts(values, decimals))) {
            return decimals;
        }
    }
    return ClassicDecimals;
}

// Whether neighbouring labels touch: a stroke reaches about a pixel beyond its box, so
// boxes with less than two free pixels between them run into each other ("-77.690-62.262"
// reads as one number).
bool NeighboursTouch(const std::vector<PlacedText>& labels) {
    for (std::size_t i = 1; i < labels.size(); ++i) {
        if (Touch(labels[i].box, labels[i - 1].box, 2)) {
            return true;
        }
    }
    return false;
}

// Leaves out labels that touch the last one kept, the last label or `obstacle`; the first
// and the last label stay (the last unless it touches the first).
std::vector<PlacedText> Thin(std::vector<PlacedText> labels, int gap, const cv::Rect& obstacle) {
    if (labels.size() < 2) {
        return labels;
    }
    std::vector<PlacedText> kept{labels.front()};
    const PlacedText& last = labels.back();
    for (std::size_t i = 1; i + 1 < labels.size(); ++i) {
        const cv::Rect& box = labels[i].box;
        if (!Touch(box, kept.back().box, gap) && !Touch(box, last.box, gap) &&
            !Touch(box, obstacle, gap)) {
            kept.push_back(labels[i]);
        }
    }
    if (!Touch(last.box, kept.back().box, gap)) {
        kept.push_back(last);
    }
    return kept;
}

// The labels of one axis. `classicAt(i)` is where label i has always started; `mendedAt`
// places a text of a given box size at tick i on a mended axis.
template <typename ClassicAt, typename MendedAt, typename Spoils>
std::vector<PlacedText> LayoutAxis(const std::vector<double>& values, ClassicAt classicAt,
                                   MendedAt mendedAt, Spoils spoils, int gap,
                                   const cv::Rect& obstacle) {
    std::vector<PlacedText> labels;
    const std::vector<std::string> classic = Texts(values, ClassicDecimals);
    for (std::size_t i = 0; i < values.size(); ++i) {
        labels.push_back(Place(classic[i], classicAt(i), TickLabelScale));
    }
    bool clear = Distinct(values, classic) && !NeighboursTouch(labels);
    for (const PlacedText& label : labels) {
        clear = clear && !spoils(label.box);
    }
    if (clear) {
        return labels;
    }
    const std::vector<std::string> texts = Texts(values, FewestDistinctDecimals(values));
    for (std::size_t i = 0; i < values.size(); ++i) {
        labels[i] = Place(texts[i], cv::Point(0, 0), TickLabelScale);
        MoveTo(labels[i], mendedAt(i, labels[i].box.size()));
    }
    return Thin(std::move(labels), gap, obstacle);
}

// Round ticks need a known pitch on both axes.
bool RoundTicksApply(const PictureLabels& labels) {
    return labels.roundTicks && labels.pitch.horizontal > 0 && labels.pitch.vertical > 0;
}

// The least distance two round ticks stand apart: across, the widest label and a figure's
// width of air on each side; up, a label's height and air. On a long axis neither closer
// than these, so that the axis does not bristle; a short one gets at least three ticks'
// worth of room.
constexpr int AcrossSpacing = 60;
constexpr int UpSpacing = 40;

int WidestText(const std::vector<std::string>& texts) {
    int widest = 0;
    for (const std::string& text : texts) {
        widest = std::max(widest, TextBox(text, cv::Point(0, 0), TickLabelScale).width);
    }
    return widest;
}

// The ticks and labels of both axes on round values.
void LayoutRoundTicks(cv::Size rasterSize, const PictureLabels& labels, FrameLayout& layout) {
    const int W = rasterSize.width;
    const int H = rasterSize.height;
    const int canvasWidth = W + CanvasExtraWidth;
    const PlaneRange& r = labels.ranges;
    const int labelHeight = TextBox("0", cv::Point(0, 0), TickLabelScale).height;

    RoundAxisSpace across;
    across.min = r.horizontal.min;
    across.max = r.horizontal.max;
    const double hPitch = labels.pitch.horizontal;
    across.pixelOf = [&](double h) {
        return RasterLeft + static_cast<int>(std::lround((h - r.horizontal.min) / hPitch));
    };
    across.spacingFor = [W](const std::vector<std::string>& texts) {
        return std::max(std::min(AcrossSpacing, W / 3), WidestText(texts) + 2 * AcrossGap);
    };
    across.tightSpacingFor = [](const std::vector<std::string>& texts) {
        return WidestText(texts) + 2 * AcrossGap;
    };
    const RoundAxis horizontal = LayoutRoundAxis(across);
    const int labelRow = H + RasterTop + 20;
    for (const RoundTick& tick : horizontal.ticks) {
        layout.tickColumns.push_back(tick.pixel);
        PlacedText label = Place(tick.text, cv::Point(0, 0), TickLabelScale);
        const int centred = tick.pixel - label.box.width / 2;
        MoveTo(label,
               cv::Point(std::max(0, std::min(centred, canvasWidth - label.box.width)), labelRow));
        if (layout.horizontalLabels.empty() ||
            !Touch(label.box, layout.horizontalLabels.back().box, AcrossGap)) {
            layout.horizontalLabels.push_back(std::move(label));
        }
    }
    if (!horizontal.offset.empty()) {
        layout.horizontalOffset = Place(horizontal.offset, cv::Point(0, 0), TickLabelScale);
        MoveTo(layout.horizontalOffset,
               cv::Point(std::max(0, RasterLeft + W - layout.horizontalOffset.box.width),
                         labelRow + labelHeight + 12));
    }

    RoundAxisSpace up;
    up.min = r.vertical.min;
    up.max = r.vertical.max;
    const double vPitch = labels.pitch.vertical;
    up.pixelOf = [&](double v) {
        return CanvasRowOf(v, r.vertical.min, vPitch, H, labels.depthDown);
    };
    up.spacingFor = [labelHeight, H](const std::vector<std::string>&) {
        return std::max(std::min(UpSpacing, H / 3), labelHeight + 4 * UpGap);
    };
    up.tightSpacingFor = [labelHeight](const std::vector<std::string>&) {
        return labelHeight + 2 * UpGap;
    };
    const RoundAxis vertical = LayoutRoundAxis(up);
    for (const RoundTick& tick : vertical.ticks) {
        layout.tickRows.push_back(tick.pixel);
        PlacedText label = Place(tick.text, cv::Point(0, 0), TickLabelScale);
        // Centred on its tick, ending left of the tick marks.
        MoveTo(label, cv::Point(std::max(0, VerticalLabelEnd - label.box.width),
                                tick.pixel + label.box.height / 2));
        if (!Touch(label.box, layout.verticalTitle.box, UpGap)) {
            layout.verticalLabels.push_back(std::move(label));
        }
    }
    if (!vertical.offset.empty()) {
        layout.verticalOffset = Place(vertical.offset, cv::Point(0, 0), TickLabelScale);
        MoveTo(layout.verticalOffset,
               cv::Point(std::max(0, VerticalLabelEnd - layout.verticalOffset.box.width),
                         RasterTop - labelHeight - 4));
    }
}

// "V.E. 3.2x": one decimal below ten, none above; two below one. Empty where a unit is as
// long up as across (to the decimal shown).
std::string ExaggerationText(const PlaneScale& pitch) {
    if (!(pitch.horizontal > 0) || !(pitch.vertical > 0)) {
        return "";
    }
    const double ratio = VerticalExaggeration(pitch);
    const int decimals = ratio >= 10 ? 0 : ratio >= 1 ? 1 : 2;
    const std::string number = FormatFixed(ratio, decimals);
    if (number == "1.0" || !std::isfinite(ratio)) {
        return "";
    }
    return "V.E. " + number + "x";
}

}  // namespace

int CanvasRowOf(double v, double min, double pitch, int height, bool depthDown) {
    const double fromMin = (v - min) / pitch;
    const double row = depthDown ? fromMin : (height - 1) - fromMin;
    return RasterTop + static_cast<int>(std::lround(row));
}

cv::Rect TextBox(const std::string& text, cv::Point origin, double scale) {
    int baseline = 0;
    const cv::Size size = cv::getTextSize(text, cv::FONT_HERSHEY_SIMPLEX, scale, 1, &baseline);
    return cv::Rect(origin.x, origin.y - size.height, size.width, size.height);
}

FrameLayout LayoutFrame(cv::Size rasterSize, const PictureLabels& labels) {
    const int W = rasterSize.width;
    const int H = rasterSize.height;
    const int canvasWidth = W + CanvasExtraWidth;
    const AxisTexts texts = TextsOf(labels);
    FrameLayout layout;
    layout.horizontalTitle =
        Place(texts.horizontal, cv::Point(W / 2 + RasterLeft, H + RasterTop + 60), TitleScale);
    // Half the height plus 150, not plus the raster's top: the title sits a little low.
    layout.verticalTitle = Place(texts.vertical, cv::Point(20, H / 2 + 150), TitleScale);

    if (labels.exaggerationNote) {
        layout.exaggeration =
            Place(ExaggerationText(labels.pitch), cv::Point(20, H + RasterTop + 60), TitleScale);
    }
    if (RoundTicksApply(labels)) {
        LayoutRoundTicks(rasterSize, labels, layout);
        return layout;
    }

    layout.tickColumns = TickPositions(RasterLeft, W);
    layout.tickRows = TickPositions(RasterTop, H);

    // The label of tick i is min + (max - min) i / 10 whatever the number of ticks.
    std::vector<double> across, up;
    const PlaneRange& r = labels.ranges;
    for (std::size_t i = 0; i < layout.tickColumns.size(); ++i) {
        across.push_back(r.horizontal.min +
                         (r.horizontal.max - r.horizontal.min) * static_cast<double>(i) / 10);
    }
    // Depth down: the values grow down the axis from the minimum at the top.
    for (std::size_t i = 0; i < layout.tickRows.size(); ++i) {
        const double tenths = (r.vertical.max - r.vertical.min) * static_cast<double>(i) / 10;
        up.push_back(labels.depthDown ? r.vertical.min + tenths : r.vertical.max - tenths);
    }

    const int labelRow = H + RasterTop + 20;
    layout.horizontalLabels = LayoutAxis(
        across, [&](std::size_t i) { return cv::Point(layout.tickColumns[i], labelRow); },
        [&](std::size_t i, cv::Size size) {
            const int centred = layout.tickColumns[i] - size.width / 2;
            return cv::Point(std::max(0, std::min(centred, canvasWidth - size.width)), labelRow);
        },
        [&](const cv::Rect& box) { return box.x + box.width > canvasWidth; }, AcrossGap,
        cv::Rect());
    layout.verticalLabels = LayoutAxis(
        up, [&](std::size_t i) { return cv::Point(100, layout.tickRows[i]); },
        [&](std::size_t i, cv::Size size) {
            return cv::Point(std::max(0, VerticalLabelEnd - size.width), layout.tickRows[i]);
        },
        [&](const cv::Rect& box) {
            // A section's title, "depth [km]", reaches the classic labels: they make way.
            return box.x + box.width > RasterLeft || (labels.kind == PictureKind::Section &&
                                                      Touch(box, layout.verticalTitle.box, UpGap));
        },
        UpGap, layout.verticalTitle.box);
    return layout;
}

PlacedText LayoutCaption(cv::Size rasterSize, const PictureLabels& labels, double captionValue) {
    const AxisTexts texts = TextsOf(labels);
    std::string caption;
    if (labels.kind == PictureKind::Spatial) {
        if (texts.captionAxis[0] != '\0') {
            caption = std::string(texts.captionAxis) + ": " + FormatFixed(captionValue, 4) + " " +
                      labels.unit;
        }
    } else if (labels.kind == PictureKind::TimeResolved) {
        caption = "Time: " + FormatFixed(captionValue, 1) + " sec";
    } else if (labels.kind == PictureKind::Section) {
        // "A-A' offset +2.5000 km": across the line, positive on its left from A; an offset
        // that rounds to zero reads as the line itself, never "-0.0000".
        const std::string offset = FormatFixed(captionValue, 4);
        const bool zero = offset.find_first_not_of("-0.") == std::string::npos;
        caption = std::string("A-A' offset ") +
                  (zero ? "0.0000" : (captionValue > 0 ? "+" : "") + offset) + " " + labels.unit;
    }
    const int W = rasterSize.width;
    const int canvasWidth = W + CanvasExtraWidth;
    if (labels.kind == PictureKind::TimeResolved && labels.calendar) {
        // The longest text that fits: both times, the calendar time named, or alone.
        const std::string calendar = labels.calendar(captionValue);
        std::string both = caption;
        both.append(" (").append(calendar).append(")");
        for (std::string text : {both, std::string("Time: ").append(calendar), calendar}) {
            caption = std::move(text);
            if (TextBox(caption, cv::Point(0, 0), TitleScale).width <= canvasWidth) {
                break;
            }
        }
    }
    PlacedText placed = Place(caption, cv::Point(W, 60), TitleScale);
    if (placed.box.x + placed.box.width > canvasWidth) {
        MoveTo(placed, cv::Point(std::max(0, canvasWidth - placed.box.width), 60));
    }
    return placed;
}

PlacedText LayoutColourBarTitle(cv::Size rasterSize, const PictureLabels& labels) {
    if (labels.unit == "m" && !labels.weighted) {
        return {};
    }
    PlacedText title = Place(labels.weighted ? "weight per box" : "events per box", cv::Point(0, 0),
                             TickLabelScale);
    const int canvasWidth = rasterSize.width + CanvasExtraWidth;
    const int x =
        std::max(0, std::min(rasterSize.width + BarLeft, canvasWidth - title.box.width - 2));
    MoveTo(title, cv::Point(x, BarTitleBaseline));
    return title;
}

}  // namespace korvane
