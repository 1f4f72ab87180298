#include "app/ViewerPictures.h"

#include <algorithm>
#include <filesystem>

#include "common/NumberText.h"

namespace korvane {
namespace {

const char* const ColumnNames[] = {"x", "y", "z", "t"};

// World units per raster step of a range shown on `pixels` pixels (trunc(range / scale) + 2).
double StepOf(const AxisRange& range, int pixels) {
    return ScaleOrStep(range, std::max(pixels - 2, 1));
}

}  // namespace

ViewerAxes AxesOfPictures(const PictureColumns& columns) {
    ViewerAxes axes;
    const auto named = [](int column) {
        return column >= 0 && column <= TimeColumn ? ColumnNames[column] : "";
    };
    const bool time = columns.caption == TimeColumn;
    axes.horizontal = named(columns.horizontal);
    axes.vertical = named(columns.vertical);
    axes.caption = named(columns.caption);
    axes.captionDecimals = time ? 1 : 4;
    axes.captionUnit = time ? " s" : "";
    if (columns.section) {
        axes.horizontal = "distance";
        axes.caption = "offset";
    }
    return axes;
}

std::optional<WorldPoint> WorldPositionAt(const ViewerPicture& picture, int x, int y) {
    const PlaneRange& r = picture.ranges;
    if (!picture.hasRaster ||
        (r.horizontal.min == r.horizontal.max && r.vertical.min == r.vertical.max)) {
        return std::nullopt;
    }
    const int column = x - picture.rasterLeft;
    const int rowFromBottom = picture.rasterTop + picture.rasterHeight - 1 - y;
    if (column < 0 || column >= picture.rasterWidth || rowFromBottom < 0 ||
        rowFromBottom >= picture.rasterHeight) {
        return std::nullopt;
    }
    return WorldPoint{r.horizontal.min + column * StepOf(r.horizontal, picture.rasterWidth),
                      r.vertical.min + rowFromBottom * StepOf(r.vertical, picture.rasterHeight)};
}

bool ShowsMap(const ViewerAxes& axes) {
    return axes.horizontal == "x" && axes.vertical == "y";
}

std::optional<DrawnLine> LineOnMap(const ViewerPicture& picture, const ViewerAxes& axes, int fromX,
                                   int fromY, int toX, int toY) {
    if (!ShowsMap(axes) || picture.rasterWidth < 1 || picture.rasterHeight < 1) {
        return std::nullopt;
    }
    const auto onRaster = [&picture](int x, int y) {
        return WorldPositionAt(
            picture,
            std::clamp(x, picture.rasterLeft, picture.rasterLeft + picture.rasterWidth - 1),
            std::clamp(y, picture.rasterTop, picture.rasterTop + picture.rasterHeight - 1));
    };
    const std::optional<WorldPoint> from = onRaster(fromX, fromY);
    const std::optional<WorldPoint> to = onRaster(toX, toY);
    if (!from || !to || (from->horizontal == to->horizontal && from->vertical == to->vertical)) {
        return std::nullopt;
    }
    const double resolution = std::min(StepOf(picture.ranges.horizontal, picture.rasterWidth),
                                       StepOf(picture.ranges.vertical, picture.rasterHeight));
    return DrawnLine{*from, *to, resolution};
}

std::string PointerText(const ViewerPicture& picture, const ViewerAxes& axes,
                        const std::optional<WorldPoint>& position) {
    std::string text;
    if (position && !axes.horizontal.empty()) {
        text = axes.horizontal + " = " + FormatFixed(position->horizontal, 3) + ", " +
               axes.vertical + " = " + FormatFixed(position->vertical, 3) + "   ";
    }
    text += std::filesystem::path(picture.path).filename().string();
    if (picture.hasRaster && !axes.caption.empty()) {
        text += "   " + axes.caption + " = " +
                FormatFixed(picture.captionValue, axes.captionDecimals) + axes.captionUnit;
    }
    return text;
}

std::string GroupedInteger(long long value) {
    const bool negative = value < 0;
    std::string digits = FormatInteger(static_cast<double>(negative ? -value : value));
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) {
        // GCC 12 at -O2 warns that the inlined insert may copy 2^63 overlapping bytes: a
        // false alarm of its string code (GCC bug 105329); `at` lies inside `digits`.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wrestrict"
#endif
        digits.insert(static_cast<std::size_t>(at), ",");
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
    }
    return negative ? "-" + digits : digits;
}

std::string SeriesSummaryText(int pictures, int events, const std::string& folder) {
    return GroupedInteger(pictures) + (pictures == 1 ? " picture" : " pictures") + " from " +
           GroupedInteger(events) + (events == 1 ? " event" : " events") + " in " + folder;
}

}  // namespace korvane
