// The fast fill and the grid estimate against the plain per-pixel scan and all-pairs loop:
// identical pictures, and estimates within the contract (DensityTestSupport.h), on random
// clouds and on events placed exactly on box edges.

#include <gtest/gtest.h>

#include <random>

#include "density/DensityTestSupport.h"
#include "density/PerspectiveMaximum.h"
#include "events/EventOrdering.h"
#include "reference/ReferencePerspective.h"
#include "series/RasterFill.h"

namespace korvane {
namespace {

enum class Cloud { Uniform, Clustered, Duplicated, OnBoundaries };

// Events in the box [0, 10]^3 and the time range [0, 8], some of them outside both.
EventTable RandomTable(Cloud cloud, int count, unsigned seed) {
    std::mt19937_64 random(seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::normal_distribution<double> spread(0.0, 0.6);
    EventTable table;
    table.count = count;
    for (int n = 0; n < count; ++n) {
        EventRecord& e = table.rows[static_cast<std::size_t>(n)];
        switch (cloud) {
            case Cloud::Uniform:
                e = {unit(random) * 11 - 0.5, unit(random) * 11 - 0.5, unit(random) * 11 - 0.5,
                     unit(random) * 8.4 - 0.2};
                break;
            case Cloud::Clustered: {
                const double cx = 2 + 6 * static_cast<double>(n % 3) / 2;
                e = {cx + spread(random), 5 + spread(random), 4 + spread(random), unit(random) * 8};
                break;
            }
            case Cloud::Duplicated:
                if (n > 0 && unit(random) < 0.5) {
                    e = table.rows[static_cast<std::size_t>(n - 1)];
                } else {
                    e = {unit(random) * 10, unit(random) * 10, unit(random) * 10,
                         std::floor(unit(random) * 16) / 2};
                }
                break;
            case Cloud::OnBoundaries:
                // Coordinates and times on a coarse lattice: many events on the box's faces,
                // on each other's box edges and on window boundaries (windows of 1 or 2).
                e = {std::floor(unit(random) * 11), std::floor(unit(random) * 11),
                     std::floor(unit(random) * 11), std::floor(unit(random) * 9)};
                break;
        }
    }
    return table;
}

PerspectiveBox TestBox(int width, int height, double windows) {
    PerspectiveBox box;
    box.xmin = 0;
    box.xmax = 10;
    box.ymin = 0;
    box.ymax = 10;
    box.zmin = 0;
    box.zmax = 10;
    box.start = 0;
    box.end = 8;
    box.width = width;
    box.height = height;
    box.windows = windows;
    return box;
}

struct Setting {
    bool cumulative;
    bool gaussian;
    double radius;
};

std::vector<Setting> AllSettings() {
    std::vector<Setting> settings;
    for (bool cumulative : {false, true}) {
        for (bool gaussian : {false, true}) {
            for (double radius : {0.0, 0.5, 1.0, 3.0}) {
                settings.push_back({cumulative, gaussian, radius});
            }
        }
    }
    return settings;
}

// Fills every window of `frame` both ways and requires identical pictures.
void ExpectSameWindows(const PerspectiveFrame& frame, const PerspectiveBox& box, const Setting& s,
                       double densityMaximum, const std::string& what) {
    PerspectiveFillWork work;
    PreparePerspectiveFill(frame, work);
    const double dt = (box.end - box.start) / box.windows;
    cv::Mat fast(frame.height + 200, frame.width + 200, CV_8UC3);
    cv::Mat plain(frame.height + 200, frame.width + 200, CV_8UC3);
    int window = 0;
    for (double t0 = box.start; t0 < box.end; t0 += dt, ++window) {
        fast.setTo(cv::Scalar(9, 9, 9));
        plain.setTo(cv::Scalar(9, 9, 9));
        PerspectiveWindow w;
        w.t0 = t0;
        w.end = t0 + dt;
        w.cumulative = s.cumulative;
        w.weighting = {s.radius, s.gaussian};
        w.maximum = static_cast<float>(densityMaximum);
        FillPerspectiveWindow(frame, w, fast, work);
        reference::FillPerspectiveWindowLiteral(frame, t0, dt, s.cumulative, s.radius, s.gaussian,
                                                densityMaximum, plain);
        ASSERT_EQ(cv::norm(fast, plain, cv::NORM_INF), 0.0)
            << what << " window " << window << " cumulative " << s.cumulative << " gaussian "
            << s.gaussian << " radius " << s.radius;
    }
}

TEST(PerspectiveFill, SameAsPerPixelScanOnRandomClouds) {
    const Cloud clouds[] = {Cloud::Uniform, Cloud::Clustered, Cloud::Duplicated,
                            Cloud::OnBoundaries};
    unsigned seed = 1;
    for (Cloud cloud : clouds) {
        EventTable table = RandomTable(cloud, 300, seed++);
        SortEventsByColumn(table, 3);
        const PerspectiveBox box = TestBox(41, 29, 4);
        PerspectiveFrame frame;
        BuildPerspectiveFrame(table, box, frame);
        for (const Setting& s : AllSettings()) {
            // A low maximum so that the colour tells small sums apart.
            ExpectSameWindows(frame, box, s, s.gaussian ? 2.3 : 6.0,
                              "cloud " + std::to_string(static_cast<int>(cloud)));
        }
    }
}

// A frame made by hand with unit pixels: U(i) = i, W(k) = 20 - k, and events on integer
// and half-integer places, so that many lie exactly on the edges of pixel boxes.
TEST(PerspectiveFill, EventsExactlyOnBoxEdges) {
    std::mt19937_64 random(99);
    std::uniform_int_distribution<int> half(-2, 44);
    std::uniform_int_distribution<int> time(0, 8);
    PerspectiveFrame frame;
    frame.width = 21;
    frame.height = 21;
    frame.uMin = 0;
    frame.uMax = 21;
    frame.wMin = -1;
    frame.wMax = 20;
    frame.du = 1;
    frame.dw = 1;
    for (int n = 0; n < 400; ++n) {
        frame.kept.push_back({half(random) / 2.0, half(random) / 2.0, 0});
    }
    for (auto& e : frame.kept) {
        e.t = time(random);
    }
    std::sort(frame.kept.begin(), frame.kept.end(),
              [](const ProjectedEvent& a, const ProjectedEvent& b) { return a.t < b.t; });
    const PerspectiveBox box = TestBox(21, 21, 4);  // windows of length 2 on the even times
    for (const Setting& s : AllSettings()) {
        ExpectSameWindows(frame, box, s, s.gaussian ? 3.1 : 9.0, "lattice");
    }
    for (const Setting& s : AllSettings()) {
        for (double dt : {1.0, 2.0, 0.5}) {
            EXPECT_PRED2(
                testing::AgreesWithReference,
                EstimatePerspectiveMaximumOfFrame(frame, dt, {s.radius, s.gaussian}, s.cumulative),
                reference::EstimatePerspectiveMaximumAllPairs(frame, dt, s.radius, s.cumulative,
                                                              s.gaussian))
                << "dt " << dt << " radius " << s.radius;
        }
    }
}

TEST(PerspectiveMaximum, SameAsAllPairsOnRandomClouds) {
    const Cloud clouds[] = {Cloud::Uniform, Cloud::Clustered, Cloud::Duplicated,
                            Cloud::OnBoundaries};
    unsigned seed = 50;
    for (Cloud cloud : clouds) {
        EventTable table = RandomTable(cloud, 700, seed++);
        SortEventsByColumn(table, 3);
        for (int width : {13, 200}) {
            const PerspectiveBox box = TestBox(width, 170, 8);
            PerspectiveFrame frame;
            BuildPerspectiveFrame(table, box, frame);
            for (const Setting& s : AllSettings()) {
                EXPECT_PRED2(testing::AgreesWithReference,
                             EstimatePerspectiveMaximumOfFrame(frame, 1.0, {s.radius, s.gaussian},
                                                               s.cumulative),
                             reference::EstimatePerspectiveMaximumAllPairs(
                                 frame, 1.0, s.radius, s.cumulative, s.gaussian))
                    << "cloud " << static_cast<int>(cloud) << " width " << width << " radius "
                    << s.radius << " cumulative " << s.cumulative << " gaussian " << s.gaussian;
            }
        }
    }
}

TEST(PerspectiveMaximum, SingleAndCoincidentEvents) {
    EventTable table;
    table.count = 1;
    table.rows[0] = {5, 5, 5, 3};
    const PerspectiveBox box = TestBox(100, 100, 8);
    // One event counts for itself only when the window rule admits equal times.
    EXPECT_EQ(EstimatePerspectiveMaximum(table, box, Weighting{1.0, false}, false), 1.0);
    EXPECT_EQ(EstimatePerspectiveMaximum(table, box, Weighting{1.0, false}, true), 0.0);
    EXPECT_EQ(EstimatePerspectiveMaximum(table, box, Weighting{0.0, false}, false), 0.0);
    // Two at the same place and instant never count for each other cumulatively.
    table.count = 2;
    table.rows[1] = table.rows[0];
    EXPECT_EQ(EstimatePerspectiveMaximum(table, box, Weighting{1.0, false}, true), 0.0);
    EXPECT_EQ(EstimatePerspectiveMaximum(table, box, Weighting{1.0, true}, false), 2.0);
    // Half a window later: counted cumulatively by the later one, and within one window
    // length of each other.
    table.rows[1].t = 3.5;
    EXPECT_EQ(EstimatePerspectiveMaximum(table, box, Weighting{1.0, false}, true), 1.0);
    EXPECT_EQ(EstimatePerspectiveMaximum(table, box, Weighting{1.0, false}, false), 2.0);
    // An event outside the box does not count.
    table.rows[1].x = 10.5;
    EXPECT_EQ(EstimatePerspectiveMaximum(table, box, Weighting{1.0, false}, false), 1.0);
}

}  // namespace
}  // namespace korvane
