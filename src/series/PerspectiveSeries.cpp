#include "series/PerspectiveSeries.h"

#include <opencv2/imgproc.hpp>

#include "common/NumberText.h"
#include "density/DensityGrid.h"
#include "events/EventOrdering.h"
#include "picture/DensityPicture.h"
#include "common/FloatNarrowing.h"
#include "picture/DensityRaster.h"
#include "density/PerspectiveFrame.h"
#include "series/SeriesLoop.h"

namespace korvane {

namespace {

// The density area sits 100 pixels inside the picture on every side.
constexpr int Frame = 100;

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

PerspectiveBox PerspectiveBoxOf(const CalculationRequest& request) {
    PerspectiveBox box;
    box.xmin = request.box.x.min;
    box.xmax = request.box.x.max;
    box.ymin = request.box.y.min;
    box.ymax = request.box.y.max;
    box.zmin = request.box.z.min;
    box.zmax = request.box.z.max;
    box.start = request.time.min;
    box.end = request.time.max;
    box.width = TruncateToInt(request.pictureWidth);
    box.height = TruncateToInt(request.pictureHeight);
    box.windows = request.numberOfPictures;
    return box;
}

Status RunPerspectiveSeries(SeriesContext& ctx) {
    const PerspectiveBox box = PerspectiveBoxOf(ctx.request);
    const double pixels = (static_cast<double>(box.width) + 2 * Frame) *
                          (static_cast<double>(box.height) + 2 * Frame);
    if (box.width < 0 || box.height < 0 || pixels > MaxRasterPixels) {
        return Status::NoMemory("The perspective picture of " + FormatInteger(box.width) + " x " +
                                FormatInteger(box.height) +
                                " pixels is too large to be made. Choose a smaller width and "
                                "height.");
    }

    SortEventsByColumn(ctx.events, TimeColumn);
    PerspectiveFrame frame;
    BuildPerspectiveFrame(ctx.events, box, frame);
    const double dt = (box.end - box.start) / box.windows;

    cv::Mat& picture = ctx.work.raster;
    picture.create(box.height + 2 * Frame, box.width + 2 * Frame, CV_8UC3);
    PerspectiveFillWork fill;
    PreparePerspectiveFill(frame, fill);

    PerspectiveWindow window;
    window.cumulative = ctx.request.cumulative;
    window.radius = ctx.request.weighting.radius;
    window.gaussian = ctx.request.weighting.gaussian;
    window.maximum = NarrowToFloat(ctx.densityMaximum);

    PictureLabels labels;
    labels.direction = ViewDirection::Perspective;
    labels.kind = PictureKind::Perspective;
    labels.densityMaximum = ctx.densityMaximum;

    SeriesSteps steps;
    steps.prefix = "perspective";
    steps.start = box.start;
    steps.end = box.end;
    steps.step = dt;
    steps.shown = &picture;
    return RunSeriesLoop(ctx, steps, [&](double t0, const std::string& path) {
        window.t0 = t0;
        window.end = t0 + dt;
        picture.setTo(cv::Scalar(0, 0, 0));
        FillPerspectiveWindow(frame, window, picture, fill);
        DrawAxes(frame, picture);
        Label(picture, "Time: " + FormatFixed(window.end, 1) + " sec", box.width - 100, 50);
        return WriteDensityPicture(picture, labels, path, ctx.work.canvas);
    });
}

}  // namespace korvane
