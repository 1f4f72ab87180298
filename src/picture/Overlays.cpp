#include "picture/Overlays.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <opencv2/imgproc.hpp>

#include "common/NumberText.h"
#include "picture/FrameLayout.h"

namespace korvane {

namespace {

// Dark colours (blue, green, red) told apart from one another, one per layer in turn: black,
// purple, brown, teal. Each is drawn on a light outline, so that it shows on the dark end of
// a colour map as well as on its light end.
constexpr std::array<std::array<double, 3>, 4> LayerColours = {
    {{0, 0, 0}, {120, 0, 120}, {20, 60, 130}, {90, 90, 0}}};
const cv::Scalar Outline(240, 240, 240);

cv::Scalar LayerColour(std::size_t layer) {
    const auto& c = LayerColours[layer % LayerColours.size()];
    return cv::Scalar(c[0], c[1], c[2]);
}

// Lines are drawn with fractional pixels: four bits of fraction.
constexpr int Shift = 4;
constexpr double ShiftScale = 1 << Shift;

cv::Point Fixed(cv::Point2d p) {
    return cv::Point(static_cast<int>(std::lround(p.x * ShiftScale)),
                     static_cast<int>(std::lround(p.y * ShiftScale)));
}

bool Finite(double v) {
    return std::isfinite(v);
}

// Cuts the segment a-b to the part where `from(t)` lies inside [low, high], t in [0, 1]
// along it; false when no part does. `da`, `db` are the values at a and b.
bool CutToRange(double da, double db, double low, double high, double& t0, double& t1) {
    if (da == db) {
        return low <= da && da <= high;
    }
    const double ta = (low - da) / (db - da);
    const double tb = (high - da) / (db - da);
    t0 = std::max(t0, std::min(ta, tb));
    t1 = std::min(t1, std::max(ta, tb));
    return t0 <= t1;
}

// Cuts the pixel segment a-b to `box` (a little larger than the raster, so that a clipped
// line's end is drawn as far as the raster's edge); false when it misses the box.
bool CutToBox(cv::Point2d& a, cv::Point2d& b, const cv::Rect2d& box) {
    double t0 = 0.0;
    double t1 = 1.0;
    if (!CutToRange(a.x, b.x, box.x, box.x + box.width, t0, t1) ||
        !CutToRange(a.y, b.y, box.y, box.y + box.height, t0, t1)) {
        return false;
    }
    const cv::Point2d d = b - a;
    b = a + d * t1;
    a = a + d * t0;
    return true;
}

// The segments of one path as the frame shows them, in raster pixels.
void PathSegments(const OverlayPath& path, const OverlayFrame& frame,
                  std::vector<std::pair<cv::Point2d, cv::Point2d>>& segments) {
    segments.clear();
    const std::size_t n = path.points.size();
    const std::size_t count = path.closed && n > 2 ? n : (n > 0 ? n - 1 : 0);
    const cv::Rect2d box(-8.0, -8.0, frame.raster.width + 16.0, frame.raster.height + 16.0);
    for (std::size_t i = 0; i < count; ++i) {
        const cv::Point3d a = frame.toPlane(path.points[i]);
        const cv::Point3d b = frame.toPlane(path.points[(i + 1) % n]);
        if (!Finite(a.x) || !Finite(a.y) || !Finite(b.x) || !Finite(b.y)) {
            continue;
        }
        double t0 = 0.0;
        double t1 = 1.0;
        if (frame.slab && Finite(a.z) && Finite(b.z) &&
            !CutToRange(a.z, b.z, frame.slab->min, frame.slab->max, t0, t1)) {
            continue;
        }
        const cv::Point3d d = b - a;
        cv::Point2d pa = OverlayPixel(frame, {a.x + d.x * t0, a.y + d.y * t0});
        cv::Point2d pb = OverlayPixel(frame, {a.x + d.x * t1, a.y + d.y * t1});
        if (CutToBox(pa, pb, box)) {
            segments.emplace_back(pa, pb);
        }
    }
}

// A small triangle standing on `at`'s row, its tip up.
std::array<cv::Point, 3> Triangle(cv::Point2d at) {
    return {Fixed(at + cv::Point2d(-4.0, 3.0)), Fixed(at + cv::Point2d(4.0, 3.0)),
            Fixed(at + cv::Point2d(0.0, -5.0))};
}

void DrawMarker(cv::Mat& image, cv::Point2d at, const cv::Scalar& colour) {
    const std::array<cv::Point, 3> corners = Triangle(at);
    const cv::Point* points = corners.data();
    const int count = 3;
    cv::polylines(image, &points, &count, 1, true, Outline, 3, cv::LINE_8, Shift);
    cv::fillConvexPoly(image, corners.data(), 3, colour, cv::LINE_8, Shift);
}

void DrawPathLine(cv::Mat& image, cv::Point2d a, cv::Point2d b, const cv::Scalar& colour,
                  bool outline) {
    cv::line(image, Fixed(a), Fixed(b), outline ? Outline : colour, outline ? 3 : 1, cv::LINE_8,
             Shift);
}

// Dark text on a light outline.
void DrawOutlinedText(cv::Mat& image, const std::string& text, cv::Point origin,
                      const cv::Scalar& colour) {
    cv::putText(image, text, origin, cv::FONT_HERSHEY_SIMPLEX, TickLabelScale, Outline, 3,
                cv::LINE_8, false);
    cv::putText(image, text, origin, cv::FONT_HERSHEY_SIMPLEX, TickLabelScale, colour, 1,
                cv::LINE_8, false);
}

// `text` shortened with "..." until it is at most `width` pixels wide in the label font.
std::string Fitted(std::string text, int width) {
    if (TextBox(text, cv::Point(0, 0), TickLabelScale).width <= width) {
        return text;
    }
    while (!text.empty() && TextBox(text + "...", cv::Point(0, 0), TickLabelScale).width > width) {
        text.pop_back();
    }
    return text.empty() ? std::string() : text + "...";
}

}  // namespace

OverlayFrame AxisOverlayFrame(const AxisMap& axes, const PlaneRange& ranges,
                              const PlaneScale& scale, cv::Size raster) {
    OverlayFrame frame;
    frame.toPlane = [axes](const OverlayPoint& p) {
        const double columns[3] = {p.x, p.y, p.z};
        const auto at = [&](int column) {
            return column >= 0 && column < 3 ? columns[column] : 0.0;
        };
        return cv::Point3d(at(axes.horizontal), at(axes.vertical), at(axes.depth));
    };
    frame.ranges = ranges;
    frame.scale = scale;
    frame.raster = raster;
    return frame;
}

OverlayFrame SectionOverlayFrame(const SectionFrame& section, const PlaneRange& ranges,
                                 const PlaneScale& scale, cv::Size raster) {
    OverlayFrame frame = AxisOverlayFrame(ViewAxes(ViewDirection::AlongY), ranges, scale, raster);
    frame.toPlane = [section](const OverlayPoint& p) {
        return cv::Point3d(section.Along(p.x, p.y), p.z, section.Across(p.x, p.y));
    };
    return frame;
}

cv::Point2d OverlayPixel(const OverlayFrame& frame, cv::Point2d plane) {
    const double fromMin = (plane.y - frame.ranges.vertical.min) / frame.scale.vertical;
    return {(plane.x - frame.ranges.horizontal.min) / frame.scale.horizontal,
            frame.depthDown ? fromMin : (frame.raster.height - 1) - fromMin};
}

void DrawOverlays(cv::Mat& area, const Overlays& overlays, const OverlayFrame& frame) {
    if (area.empty() || !frame.toPlane) {
        return;
    }
    std::vector<std::pair<cv::Point2d, cv::Point2d>> segments;
    // Every outline goes down before the lines of its layer, so that a line's outline never
    // cuts through a line of the same layer where two meet.
    for (std::size_t layer = 0; layer < overlays.size(); ++layer) {
        const cv::Scalar colour = LayerColour(layer);
        for (const bool outline : {true, false}) {
            for (const OverlayPath& path : overlays[layer].paths) {
                PathSegments(path, frame, segments);
                for (const auto& [a, b] : segments) {
                    DrawPathLine(area, a, b, colour, outline);
                }
            }
        }
        for (const OverlayMarker& marker : overlays[layer].markers) {
            const cv::Point3d p = frame.toPlane(marker.at);
            if (!Finite(p.x) || !Finite(p.y) ||
                (frame.slab && Finite(p.z) &&
                 !(frame.slab->min <= p.z && p.z <= frame.slab->max))) {
                continue;
            }
            const cv::Point2d at = OverlayPixel(frame, {p.x, p.y});
            if (at.x < -64 || at.y < -64 || at.x > area.cols + 64.0 || at.y > area.rows + 64.0) {
                continue;
            }
            DrawMarker(area, at, colour);
            if (!marker.name.empty()) {
                DrawOutlinedText(area, marker.name,
                                 cv::Point(static_cast<int>(std::lround(at.x)) + 7,
                                           static_cast<int>(std::lround(at.y)) + 4),
                                 colour);
            }
        }
    }
}

void DrawOverlayLegend(cv::Mat& canvas, cv::Size rasterSize, const Overlays& overlays) {
    constexpr int Left = 10;
    constexpr int TextLeft = 38;
    constexpr int FirstBaseline = 18;
    constexpr int RowStep = 15;
    constexpr std::size_t MostRows = 5;  // rows 18 to 78: clear of the top tick label
    // The caption starts at column W: the legend ends before it.
    const int width = rasterSize.width - 10 - TextLeft;
    for (std::size_t i = 0; i < overlays.size() && i < MostRows; ++i) {
        const int y = FirstBaseline + static_cast<int>(i) * RowStep;
        const cv::Scalar colour = LayerColour(i);
        const OverlayLayer& layer = overlays[i];
        std::string text = layer.label;
        if (i + 1 == MostRows && overlays.size() > MostRows) {
            text = "and " + FormatInteger(static_cast<double>(overlays.size() - i)) +
                   " more overlay files";
        } else if (layer.paths.empty()) {
            DrawMarker(canvas, cv::Point2d(Left + 11, y - 3), colour);
        } else {
            for (const bool outline : {true, false}) {
                DrawPathLine(canvas, cv::Point2d(Left, y - 4), cv::Point2d(Left + 22, y - 4),
                             colour, outline);
            }
        }
        text = Fitted(text, width);
        if (!text.empty()) {
            cv::putText(canvas, text, cv::Point(TextLeft, y), cv::FONT_HERSHEY_SIMPLEX,
                        TickLabelScale, cv::Scalar(0, 0, 0), 1, cv::LINE_8, false);
        }
    }
}

}  // namespace korvane
