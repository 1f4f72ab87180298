#include "picture/PerspectiveLabels.h"

#include <algorithm>
#include <opencv2/imgproc.hpp>
#include <string>

#include "common/NumberText.h"

namespace korvane {

namespace {

const cv::Scalar AxisColour(250, 250, 250);

void Label(cv::Mat& picture, const std::string& text, int column, int row) {
    cv::putText(picture, text, cv::Point(column, row), cv::FONT_HERSHEY_SIMPLEX, 1.0, AxisColour, 2,
                cv::LINE_8, false);
}

// The three box edges from the minimum corner, each with its name at the far end.
void DrawAxes(const PerspectiveFrame& frame, cv::Mat& picture) {
    static const char* const Names[3] = {"x", "y", "z"};
    for (int edge = 0; edge < 3; ++edge) {
        const ProjectedPoint& from = frame.edgeStart[static_cast<std::size_t>(edge)];
        const ProjectedPoint& to = frame.edgeEnd[static_cast<std::size_t>(edge)];
        cv::line(picture, cv::Point(PictureColumnOf(frame, from.u), PictureRowOf(frame, from.w)),
                 cv::Point(PictureColumnOf(frame, to.u), PictureRowOf(frame, to.w)), AxisColour, 2,
                 cv::LINE_8, 0);
    }
    for (int edge = 0; edge < 3; ++edge) {
        const ProjectedPoint& to = frame.edgeEnd[static_cast<std::size_t>(edge)];
        // The label stands ten pixels right of the edge's end (added before truncating).
        const int column = TruncatePixel((to.u - frame.uMin) / frame.du + 110);
        Label(picture, Names[edge], column, PictureRowOf(frame, to.w));
    }
}

constexpr double ValueScale = 0.5;

int TextWidth(const std::string& text, double scale, int thickness) {
    int baseline = 0;
    return cv::getTextSize(text, cv::FONT_HERSHEY_SIMPLEX, scale, thickness, &baseline).width;
}

// `text` in the values' font with its left end at `column`, kept whole inside the picture.
void ValueLabel(cv::Mat& picture, const std::string& text, int column, int row) {
    const int width = TextWidth(text, ValueScale, 1);
    column = std::max(0, std::min(column, picture.cols - width - 2));
    row = std::max(12, std::min(row, picture.rows - 4));
    cv::putText(picture, text, cv::Point(column, row), cv::FONT_HERSHEY_SIMPLEX, ValueScale,
                AxisColour, 1, cv::LINE_8, false);
}

// The values at the axes' ends: below each far end's name, and the minimums left of the
// corner, where no edge goes (x runs to the lower right, y to the upper right, z straight
// up or down).
void DrawAxisValues(const PerspectiveFrame& frame, const PerspectiveAxisValues& values,
                    cv::Mat& picture) {
    const std::string unit = values.unit.empty() ? "" : " " + values.unit;
    const double ends[3] = {values.xmax, values.ymax, values.zmax};
    for (int edge = 0; edge < 3; ++edge) {
        const ProjectedPoint& to = frame.edgeEnd[static_cast<std::size_t>(edge)];
        const int column = TruncatePixel((to.u - frame.uMin) / frame.du + 110);
        ValueLabel(picture, AxisEndText(ends[edge]) + unit, column, PictureRowOf(frame, to.w) + 22);
    }
    const ProjectedPoint& corner = frame.edgeStart[0];
    const std::string minimums = AxisEndText(values.xmin) + ", " + AxisEndText(values.ymin) + ", " +
                                 AxisEndText(values.zmin) + unit;
    // Ending at the corner, on the side z does not take: above it when z points down.
    const bool zDown = frame.edgeEnd[2].w < corner.w;
    const int row = PictureRowOf(frame, corner.w) + (zDown ? -10 : 20);
    ValueLabel(picture, minimums,
               PictureColumnOf(frame, corner.u) - 4 - TextWidth(minimums, ValueScale, 1), row);
}

}  // namespace

std::string AxisEndText(double value) {
    std::string text = FormatFixed(value, 3);
    while (text.back() == '0') {
        text.pop_back();
    }
    if (text.back() == '.') {
        text.pop_back();
    }
    return text == "-0" ? "0" : text;
}

void DrawPerspectiveLabels(const PerspectiveFrame& frame, double windowEnd, cv::Mat& picture,
                           const std::string& calendar, const PerspectiveAxisValues& values) {
    DrawAxes(frame, picture);
    const std::string caption = "Time: " + FormatFixed(windowEnd, 1) + " sec";
    int captionColumn = frame.width - 100;
    if (values.shown) {
        DrawAxisValues(frame, values, picture);
        captionColumn =
            std::max(0, std::min(captionColumn, picture.cols - TextWidth(caption, 1.0, 2) - 4));
    }
    Label(picture, caption, captionColumn, 50);
    if (!calendar.empty()) {
        int baseline = 0;
        const int width =
            cv::getTextSize(calendar, cv::FONT_HERSHEY_SIMPLEX, 1.0, 2, &baseline).width;
        Label(picture, calendar, std::max(0, std::min(frame.width - 100, picture.cols - width - 4)),
              85);
    }
}

}  // namespace korvane
