#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "density/PerspectiveFrame.h"
#include "density/PerspectiveMaximum.h"
#include "events/EventOrdering.h"
#include "picture/PerspectiveLabels.h"
#include "reference/ReferencePerspective.h"
#include "reference/ReferenceRules.h"
#include "series/PerspectiveSeries.h"
#include "setup/CalculateCommand.h"
#include "support/Folders.h"
#include "support/RecordingObserver.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

using testing::RecordingObserver;
using testing::TempDir;

// One perspective calculation in a temporary folder.
struct Calculation {
    TempDir dir;
    RecordingObserver recorder;
    EventTable events;
    CalculationRequest request;  // the weighting and the cumulative switch; Run() adds the box
    double densityMaximum = 3;
    SeriesWorkspace work;
    PerspectiveBox box;

    Calculation() {
        box.xmin = 0;
        box.xmax = 10;
        box.ymin = 0;
        box.ymax = 10;
        box.zmin = 0;
        box.zmax = 10;
        box.start = 0;
        box.end = 4;
        box.width = 60;
        box.height = 40;
        box.windows = 4;
        request.kind = CalculationKind::Time;
        request.direction = ViewDirection::Perspective;
        request.eventFilePath = dir.file("events.dat");
        request.weighting.radius = 2;
    }

    void Add(double x, double y, double z, double t) {
        events.rows[static_cast<std::size_t>(events.count++)] = {x, y, z, t};
    }

    // The series of `box`: the request holds its ranges, size and number of windows.
    Status Run() {
        request.box = {{box.xmin, box.xmax}, {box.ymin, box.ymax}, {box.zmin, box.zmax}};
        request.time = {box.start, box.end};
        request.pictureWidth = box.width;
        request.pictureHeight = box.height;
        request.numberOfPictures = box.windows;
        SeriesContext ctx{recorder, events, request, densityMaximum, work};
        return RunPerspectiveSeries(ctx);
    }

    std::string Picture(int n) const { return dir.file(reference::PictureName("perspective", n)); }

    // The perspective picture as it sits on the saved canvas.
    cv::Mat Saved(int n) const {
        return testing::ReadPictureBlock(Picture(n), 150, 100, box.width + 200, box.height + 200);
    }

    cv::Mat DensityArea(int n) const {
        return Saved(n)(cv::Rect(100, 100, box.width, box.height)).clone();
    }

    int PictureCount() const {
        return static_cast<int>(testing::NamesBesideTheIndex(dir.path()).size());
    }
};

bool AllBlack(const cv::Mat& image) {
    return cv::countNonZero(image.reshape(1)) == 0;
}

// Whether any pixel shows a density: neither black nor the grey of the axes drawn over it.
bool ShowsDensity(const cv::Mat& area) {
    for (auto it = area.begin<cv::Vec3b>(); it != area.end<cv::Vec3b>(); ++it) {
        if (*it != cv::Vec3b(0, 0, 0) && *it != cv::Vec3b(250, 250, 250)) {
            return true;
        }
    }
    return false;
}

int CountOfColour(const cv::Mat& image, const cv::Vec3b& colour) {
    int count = 0;
    for (auto it = image.begin<cv::Vec3b>(); it != image.end<cv::Vec3b>(); ++it) {
        count += *it == colour;
    }
    return count;
}

TEST(PerspectiveSeries, PicturesMatchThePlainStepList) {
    struct Case {
        bool cumulative;
        bool gaussian;
        double radius;
    };
    const Case cases[] = {{false, false, 2},
                          {true, false, 1},
                          {false, true, 3},
                          {true, true, 0.5},
                          {false, false, 0}};
    for (const Case& c : cases) {
        Calculation calc;
        std::mt19937_64 random(5);
        std::uniform_real_distribution<double> unit(0, 1);
        for (int n = 0; n < 400; ++n) {
            // Some events outside the box or the time range; times on the window edges too.
            calc.Add(unit(random) * 11 - 0.5, unit(random) * 11 - 0.5, unit(random) * 11 - 0.5,
                     n % 7 == 0 ? std::floor(unit(random) * 5) : unit(random) * 4.2 - 0.1);
        }
        calc.request.cumulative = c.cumulative;
        calc.request.weighting = {c.radius, c.gaussian};
        calc.densityMaximum = c.gaussian ? 2.5 : 7;

        const Status result = calc.Run();
        ASSERT_TRUE(result.ok()) << result.message();
        // The series sorted the table on time; the plain steps start from that table.
        const std::vector<cv::Mat> expected = reference::PerspectivePicturesLiteral(
            calc.events, calc.box, c.radius, c.cumulative, c.gaussian, calc.densityMaximum);
        ASSERT_EQ(expected.size(), 4u);
        ASSERT_EQ(calc.PictureCount(), 4);
        for (int n = 1; n <= 4; ++n) {
            const cv::Mat saved = calc.Saved(n);
            ASSERT_FALSE(saved.empty()) << n;
            EXPECT_EQ(cv::norm(saved, expected[static_cast<std::size_t>(n - 1)], cv::NORM_INF), 0.0)
                << "picture " << n << " radius " << c.radius;
        }
    }
}

TEST(PerspectiveSeries, SavedPictureSizeProgressAndFinalMessage) {
    Calculation calc;
    calc.Add(5, 5, 5, 1.5);
    const Status result = calc.Run();
    ASSERT_TRUE(result.ok()) << result.message();
    const cv::Mat canvas = testing::ReadPicture(calc.Picture(1));
    EXPECT_EQ(canvas.cols, 60 + 500);
    EXPECT_EQ(canvas.rows, 40 + 400);
    EXPECT_EQ(calc.recorder.countedTotal, 4);
    EXPECT_EQ(calc.recorder.positions, (std::vector<int>{1, 2, 3, 4}));
    // The series shows nothing itself; the front end shows the box of its status.
    EXPECT_TRUE(calc.recorder.messages.empty());
    const std::optional<UserMessage> box = MessageOfCalculation(result);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->text, "Calculation finished successfully.");
    EXPECT_EQ(box->caption, "Information");
    EXPECT_EQ(box->icon, MessageIcon::Information);
    // The one event lies in the second window only.
    EXPECT_FALSE(ShowsDensity(calc.DensityArea(1)));
    EXPECT_TRUE(ShowsDensity(calc.DensityArea(2)));
    EXPECT_FALSE(ShowsDensity(calc.DensityArea(3)));
}

TEST(PerspectiveSeries, WindowBoundariesAndCumulative) {
    for (bool cumulative : {false, true}) {
        Calculation calc;
        calc.request.cumulative = cumulative;
        calc.Add(5, 5, 5, 0.0);  // exactly the start
        calc.Add(5, 5, 5, 2.0);  // exactly the start of window 3
        ASSERT_TRUE(calc.Run().ok());
        for (int n = 1; n <= 4; ++n) {
            // Both window bounds are strict: the events lie in no window. Cumulatively every
            // event before a window's end counts.
            const bool expectEvents = cumulative;
            EXPECT_EQ(ShowsDensity(calc.DensityArea(n)), expectEvents)
                << "picture " << n << " cumulative " << cumulative;
        }
    }
}

TEST(PerspectiveSeries, EndEqualToStartSaysNoPictureWasWritten) {
    Calculation calc;
    calc.Add(5, 5, 5, 0);
    calc.box.end = 0;
    const Status result = calc.Run();
    EXPECT_EQ(result.code(), Status::Code::NothingMade);
    EXPECT_EQ(calc.PictureCount(), 0);
    EXPECT_EQ(calc.recorder.countedPhases, 1);
    EXPECT_TRUE(calc.recorder.messages.empty());
    const std::optional<UserMessage> box = MessageOfCalculation(result);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->text,
              "No picture was written: the range the pictures step through, from 0 "
              "to 0, is empty. Choose a start below the end.");
    EXPECT_EQ(box->icon, MessageIcon::Warning);
}

TEST(PerspectiveSeries, NoEventsOrRadiusZeroLeaveTheAreaBlackWithAxes) {
    for (bool withEvent : {false, true}) {
        Calculation calc;
        calc.box.windows = 1;
        if (withEvent) {
            calc.Add(5, 5, 5, 1);
            calc.request.weighting.radius = 0;
        }
        ASSERT_TRUE(calc.Run().ok());
        const cv::Mat saved = calc.Saved(1);
        ASSERT_FALSE(saved.empty());
        // Everything but the grey axes, labels and caption is black.
        const cv::Vec3b grey(250, 250, 250);
        const int greyPixels = CountOfColour(saved, grey);
        EXPECT_GT(greyPixels, 100);
        cv::Mat rest = saved.clone();
        rest.setTo(cv::Scalar(0, 0, 0), [&] {
            cv::Mat mask;
            cv::inRange(saved, cv::Scalar(1, 1, 1), cv::Scalar(255, 255, 255), mask);
            return mask;
        }());
        EXPECT_TRUE(AllBlack(rest));
        EXPECT_EQ(cv::countNonZero(saved.reshape(1)) / 3, greyPixels);
    }
}

TEST(PerspectiveSeries, AxisEdgesPointTheFixedWays) {
    const PerspectiveView view = FixedPerspectiveView();
    const ProjectedPoint origin = Project(view, 0, 0, 0);
    const ProjectedPoint x = Project(view, 1, 0, 0);
    const ProjectedPoint y = Project(view, 0, 1, 0);
    const ProjectedPoint z = Project(view, 0, 0, 1);
    EXPECT_EQ(origin.u, 0.0);
    EXPECT_EQ(origin.w, 0.0);
    EXPECT_NEAR(x.u, 0.5, 1e-7);  // lower right
    EXPECT_NEAR(x.w, -0.4330127, 1e-7);
    EXPECT_NEAR(y.u, 0.8660254, 1e-7);  // upper right
    EXPECT_NEAR(y.w, 0.25, 1e-7);
    EXPECT_NEAR(z.u, 0.0, 1e-12);  // straight up
    EXPECT_NEAR(z.w, 0.8660254, 1e-7);

    // In the picture: the corner, and the far ends within the density area's frame.
    EventTable none;
    PerspectiveBox box;
    box.xmax = box.ymax = box.zmax = 10;
    box.end = 1;
    box.width = 80;
    box.height = 60;
    box.windows = 1;
    PerspectiveFrame frame;
    BuildPerspectiveFrame(none, box, frame);
    for (int edge = 0; edge < 3; ++edge) {
        for (const ProjectedPoint& p : {frame.edgeStart[edge], frame.edgeEnd[edge]}) {
            EXPECT_GE(PictureColumnOf(frame, p.u), 100);
            EXPECT_LE(PictureColumnOf(frame, p.u), 180);
            EXPECT_GE(PictureRowOf(frame, p.w), 100);
            EXPECT_LE(PictureRowOf(frame, p.w), 160);
        }
    }
    // The corner is the leftmost point; the z end lies straight above it.
    EXPECT_EQ(PictureColumnOf(frame, frame.edgeStart[0].u), 100);
    EXPECT_EQ(PictureColumnOf(frame, frame.edgeEnd[2].u), 100);
    EXPECT_LT(PictureRowOf(frame, frame.edgeEnd[2].w), PictureRowOf(frame, frame.edgeStart[2].w));
    EXPECT_GT(PictureRowOf(frame, frame.edgeEnd[0].w), PictureRowOf(frame, frame.edgeStart[0].w));

    // Depth down: the z end lies straight below the corner; an event at the top of the box
    // lands where the corner is.
    box.depthDown = true;
    EventTable top;
    top.rows = {{0, 0, 0, 0.5}};
    top.count = 1;
    BuildPerspectiveFrame(top, box, frame);
    EXPECT_EQ(PictureColumnOf(frame, frame.edgeEnd[2].u), 100);
    EXPECT_GT(PictureRowOf(frame, frame.edgeEnd[2].w), PictureRowOf(frame, frame.edgeStart[2].w));
    ASSERT_EQ(frame.kept.size(), 1u);
    EXPECT_EQ(frame.kept[0].w, frame.edgeStart[0].w);
    EXPECT_EQ(AxisEndText(-52.668), "-52.668");
    EXPECT_EQ(AxisEndText(10.0000001), "10");
    EXPECT_EQ(AxisEndText(-0.0001), "0");
    EXPECT_EQ(AxisEndText(2.5), "2.5");
}

TEST(PerspectiveSeries, StopIsNoticedAfterThePictureWritten) {
    Calculation calc;
    calc.recorder.stopAfter = 1;
    EXPECT_EQ(calc.Run().code(), Status::Code::Cancelled);
    EXPECT_EQ(calc.PictureCount(), 1);
    EXPECT_TRUE(calc.recorder.messages.empty());
}

TEST(PerspectiveSeries, WriteFailureStopsWithTheRenderersMessage) {
    Calculation calc;
    calc.request.eventFilePath = calc.dir.file("gone/events.dat");
    const Status result = calc.Run();
    EXPECT_EQ(result.code(), Status::Code::IoError);
    EXPECT_NE(result.message().find("perspective0001.bmp"), std::string::npos) << result.message();
    EXPECT_TRUE(calc.recorder.positions.empty());
    EXPECT_TRUE(calc.recorder.messages.empty());
}

TEST(PerspectiveSeries, AbsurdPictureSizeFailsBeforeAnything) {
    Calculation calc;
    calc.box.width = 2000000000;
    calc.box.height = 2000000000;
    const Status result = calc.Run();
    EXPECT_EQ(result.code(), Status::Code::NoMemory);
    EXPECT_FALSE(result.message().empty());
    EXPECT_EQ(calc.PictureCount(), 0);
    EXPECT_EQ(calc.recorder.countedPhases, 0);
}

TEST(PerspectiveSeries, KeepsMoreThanTwentyThousandEvents) {
    Calculation calc;
    calc.box.windows = 1;
    calc.request.weighting.radius = 1;
    calc.densityMaximum = 30000;
    for (int n = 0; n < 25000; ++n) {
        calc.Add(5, 5, 5, 1 + n * 1e-5);
    }
    ASSERT_TRUE(calc.Run().ok());
    PerspectiveFrame frame;
    BuildPerspectiveFrame(calc.events, calc.box, frame);
    EXPECT_EQ(frame.kept.size(), 25000u);
    // All 25000 counted at the event's pixel: beyond two thirds of the maximum, so red shows.
    const cv::Mat area = calc.DensityArea(1);
    bool red = false;
    for (auto it = area.begin<cv::Vec3b>(); it != area.end<cv::Vec3b>(); ++it) {
        red = red || ((*it)[2] > 0 && *it != cv::Vec3b(250, 250, 250));
    }
    EXPECT_TRUE(red);
}

TEST(PerspectiveSeries, TinyStepStopsAfterOneExtraPicture) {
    Calculation calc;
    calc.box.start = 1e9;
    calc.box.end = 1e9 + 1e-7;  // one unit in the last place: a third of it never adds up
    calc.box.windows = 3;
    calc.box.width = 4;
    calc.box.height = 4;
    ASSERT_TRUE(calc.Run().ok());
    EXPECT_EQ(calc.PictureCount(), 4);
}

}  // namespace
}  // namespace korvane

namespace korvane {
namespace {

// Degenerate and extreme inputs finish with pictures and never reach undefined behaviour
// (the sanitizer build runs these too).
TEST(PerspectiveSeries, DegenerateAndExtremeInputsFinish) {
    struct Case {
        const char* what;
        PerspectiveBox box;
        double radius;
        double maximum;
        EventRecord event;
    };
    const Case cases[] = {
        {"box of one point", {0, 0, 0, 0, 0, 0, 0, 1, 20, 10, 2}, 1, 1, {0, 0, 0, 0.5}},
        {"no density area", {0, 1, 0, 1, 0, 1, 0, 1, 0, 0, 2}, 1, 1, {0.5, 0.5, 0.5, 0.5}},
        {"huge coordinates",
         {0, 1e307, 0, 1e307, 0, 1e307, 0, 1, 30, 20, 2},
         2,
         1,
         {1e307, 1e307, 1e307, 0.5}},
        {"beyond single precision",
         {0, 1e300, 0, 1e300, 0, 1e300, 0, 1, 30, 20, 2},
         2,
         1e300,
         {5e299, 5e299, 5e299, 0.5}},
        {"negative radius", {0, 1, 0, 1, 0, 1, 0, 1, 30, 20, 2}, -2, 1, {0.5, 0.5, 0.5, 0.5}},
        {"huge radius", {0, 1, 0, 1, 0, 1, 0, 1, 30, 20, 2}, 1e308, 1, {0.5, 0.5, 0.5, 0.5}},
    };
    for (const Case& c : cases) {
        for (bool gaussian : {false, true}) {
            Calculation calc;
            calc.box = c.box;
            calc.request.weighting = {c.radius, gaussian};
            calc.densityMaximum = c.maximum;
            calc.Add(c.event.x, c.event.y, c.event.z, c.event.t);
            const Status result = calc.Run();
            EXPECT_TRUE(result.ok()) << c.what << result.message();
            EXPECT_EQ(calc.PictureCount(), 2) << c.what;
            EXPECT_GE(EstimatePerspectiveMaximum(calc.events, c.box, Weighting{c.radius, gaussian},
                                                 false),
                      0.0)
                << c.what;
        }
    }
}

}  // namespace
}  // namespace korvane
