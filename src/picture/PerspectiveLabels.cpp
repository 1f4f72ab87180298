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

}  // namespace

void DrawPerspectiveLabels(const PerspectiveFrame& frame, double windowEnd, cv::Mat& picture,
                           const std::string& calendar) {
    DrawAxes(frame, picture);
    Label(picture, "Time: " + FormatFixed(windowEnd, 1) + " sec", frame.width - 100, 50);
    if (!calendar.empty()) {
        int baseline = 0;
        const int width =
            cv::getTextSize(calendar, cv::FONT_HERSHEY_SIMPLEX, 1.0, 2, &baseline).width;
        Label(picture, calendar, std::max(0, std::min(frame.width - 100, picture.cols - width - 4)),
              85);
    }
}

}  // namespace korvane
