#include "series/PerspectiveSeries.h"

#include <new>
#include <opencv2/imgproc.hpp>

#include "common/NumberText.h"
#include "density/DensityGrid.h"
#include "events/EventOrdering.h"
#include "picture/DensityPicture.h"
#include "common/FloatNarrowing.h"
#include "density/PerspectiveFill.h"
#include "density/PerspectiveFrame.h"
#include "picture/PictureFileName.h"

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

SeriesResult Failed(std::string message) {
    return {SeriesOutcome::Failed, std::move(message)};
}

SeriesResult RunSeries(SeriesContext& ctx, const PerspectiveBox& box) {
    const double pixels = (static_cast<double>(box.width) + 2 * Frame) *
                          (static_cast<double>(box.height) + 2 * Frame);
    if (box.width < 0 || box.height < 0 || pixels > MaxRasterPixels) {
        return Failed("The perspective picture of " + FormatInteger(box.width) + " x " +
                      FormatInteger(box.height) +
                      " pixels is too large to be made. Choose a smaller width and height.");
    }

    SortEventsByColumn(ctx.events, 3);
    PerspectiveFrame frame;
    BuildPerspectiveFrame(ctx.events, box, frame);
    const double dt = (box.end - box.start) / box.windows;

    cv::Mat& picture = ctx.work.raster;
    picture.create(box.height + 2 * Frame, box.width + 2 * Frame, CV_8UC3);
    PerspectiveFillWork fill;
    PreparePerspectiveFill(frame, fill);

    ctx.host.SetProgressRange(0, TruncateToInt(box.windows + 1));
    int n = 1;
    // A window length below the precision of the start would never move it on: the
    // series then stops after one picture more than asked for, as rounding allows.
    const long long mostPictures = static_cast<long long>(TruncateToInt(box.windows)) + 1;
    PerspectiveWindow window;
    window.cumulative = ctx.run.Cumulative;
    window.radius = ctx.run.Radius;
    window.gaussian = ctx.run.Gaussiandistance;
    window.maximum = NarrowToFloat(ctx.run.DensityMaximum);

    for (double t0 = box.start; t0 < box.end && n <= mostPictures; t0 += dt) {
        window.t0 = t0;
        window.end = t0 + dt;
        picture.setTo(cv::Scalar(0, 0, 0));
        FillPerspectiveWindow(frame, window, picture, fill);
        DrawAxes(frame, picture);
        Label(picture, "Time: " + FormatFixed(window.end, 1) + " sec", box.width - 100, 50);

        const std::string name = PictureFileName("perspective", n);
        n = n + 1;
        const Status written =
            WriteDensityPicture(picture, 0, 0, 0, 0, 0, name, 3, PictureKind::Perspective,
                                ctx.eventFilePath, ctx.run.DensityMaximum, ctx.work.canvas);
        if (!written.ok()) {
            return Failed(written.message());
        }
        ctx.host.SetProgressPosition(n);
        if (ctx.host.CancelRequested()) {
            return {SeriesOutcome::Cancelled, ""};
        }
        ctx.host.DrainMessageQueue();
    }
    ctx.host.MessageBoxA("Calculation finished successfully.", "Information",
                         MessageIcon::Information);
    return {SeriesOutcome::Finished, ""};
}

}  // namespace

SeriesResult WritePerspectiveSeries(SeriesContext& ctx, const PerspectiveBox& box) {
    try {
        return RunSeries(ctx, box);
    } catch (const cv::Exception& e) {
        return Failed(std::string("The perspective series stopped: ") + e.what());
    } catch (const std::bad_alloc&) {
        return Failed("The perspective series stopped: not enough memory for its pictures.");
    }
}

}  // namespace korvane
