// The engine's fast fill and cell-grid estimates against the literal per-pixel walk and the
// all-pairs loops, on many random clouds: counts and their pictures agree exactly; Gaussian or
// weighted sums and the estimates made of them within a relative 1e-13 of the reference's
// (added in long double), their pictures byte for byte but where a colour step lies that near.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "density/DensityEstimate.h"
#include "density/DensityFill.h"
#include "density/DensityTestSupport.h"
#include "density/estimate/HighestSum.h"
#include "reference/ReferenceDensity.h"
#include "support/EventClouds.h"

namespace korvane::testing {
namespace {

const CloudShape kShapes[] = {CloudShape::Uniform, CloudShape::Clustered, CloudShape::Duplicated,
                              CloudShape::Lattice};
const double kRadii[] = {0.0, 0.5, 1.0, 7.0};

std::string Describe(CloudShape shape, double radius, bool gaussian, unsigned seed) {
    return "shape " + std::to_string(static_cast<int>(shape)) + " radius " +
           std::to_string(radius) + (gaussian ? " gaussian" : " unit") + " seed " +
           std::to_string(seed);
}

// A cloud that reaches a little beyond the picture, so edge pixels see outside events.
EventTable Cloud(CloudShape shape, unsigned seed, int count = 250) {
    CloudRecipe recipe;
    recipe.shape = shape;
    recipe.count = count;
    recipe.low = -1.0;
    recipe.high = 11.0;
    recipe.seed = seed;
    return MakeCloud(recipe);
}

// Two frames: one whose scales are exact in binary (events fall exactly on pixel positions
// and box edges), one whose scales are not; each with the radius in pixel steps and in
// coordinates.
std::vector<reference::Frame> Frames(double radius, bool gaussian) {
    reference::Frame exact;
    exact.hMin = 0, exact.hMax = 10, exact.vMin = 0, exact.vMax = 10;
    exact.hScale = 0.25, exact.vScale = 0.5;
    exact.radius = radius, exact.gaussian = gaussian, exact.densityMaximum = 4.0;
    reference::Frame awkward = exact;
    awkward.hMin = 0.1, awkward.vMin = -0.3;
    awkward.hScale = (10 - 0.1) / 37.0, awkward.vScale = (10 + 0.3) / 29.0;
    awkward.densityMaximum = 2.7;
    reference::Frame exactInCoordinates = exact;
    exactInCoordinates.coordinateRadius = true;
    reference::Frame awkwardInCoordinates = awkward;
    awkwardInCoordinates.coordinateRadius = true;
    return {exact, awkward, exactInCoordinates, awkwardInCoordinates};
}

TEST(FastFillMatchesReference, SpatialAndTimePicturesOnRandomClouds) {
    for (CloudShape shape : kShapes) {
        for (double radius : kRadii) {
            for (bool gaussian : {false, true}) {
                for (unsigned seed = 1; seed <= 2; ++seed) {
                    const EventTable cloud = Cloud(shape, seed);
                    for (reference::Frame f : Frames(radius, gaussian)) {
                        const int direction = static_cast<int>(seed % 3);
                        const std::string what = Describe(shape, radius, gaussian, seed);
                        const double p = 5.0, depthStep = 0.5;
                        cv::Mat densities(reference::BlackRaster(f).size(), CV_64F, cv::Scalar(0));
                        f.densities = &densities;
                        cv::Mat expected = reference::BlackRaster(f);
                        reference::FillSpatialPicture(expected, f, direction, cloud.rows.data(),
                                                      cloud.count, p, depthStep);
                        for (bool kept : {false, true}) {
                            const cv::Mat spatial = FastPicture(
                                f, TestsFor(f, direction, true, p, depthStep), cloud.rows.data(),
                                cloud.count, cv::Scalar::all(0), kept);
                            ExpectSamePicture(
                                spatial, expected, densities, f.densityMaximum,
                                "spatial, " + what + (kept ? ", kept rectangles" : ""));
                        }

                        expected = reference::BlackRaster(f);
                        densities.setTo(0);
                        reference::FillTimePicture(expected, f, direction, cloud.rows.data(),
                                                   cloud.count);
                        const cv::Mat time = FastPicture(f, TestsFor(f, direction, false),
                                                         cloud.rows.data(), cloud.count);
                        ExpectSamePicture(time, expected, densities, f.densityMaximum,
                                          "time, " + what);
                    }
                }
            }
        }
    }
}

TEST(FastFillMatchesReference, EventsWithCoordinatesThatAreNotFinite) {
    EventTable cloud = Cloud(CloudShape::Uniform, 3, 60);
    cloud.rows[3].y = INFINITY;
    cloud.rows[4].z = -INFINITY;
    cloud.rows[5].y = NAN;
    cloud.rows[6].x = NAN;
    for (bool gaussian : {false, true}) {
        const reference::Frame f = Frames(2.0, gaussian)[0];
        cv::Mat expected = reference::BlackRaster(f);
        reference::FillSpatialPicture(expected, f, 0, cloud.rows.data(), cloud.count, 5.0, 1.0);
        for (bool kept : {false, true}) {
            EXPECT_TRUE(SameBytes(FastPicture(f, TestsFor(f, 0, true, 5.0, 1.0), cloud.rows.data(),
                                              cloud.count, cv::Scalar::all(0), kept),
                                  expected))
                << gaussian << kept;
        }
    }
}

TEST(FastEstimatesMatchAllPairs, SpatialAndTimeOnRandomClouds) {
    for (CloudShape shape : kShapes) {
        for (double radius : kRadii) {
            for (bool gaussian : {false, true}) {
                for (unsigned seed = 1; seed <= 3; ++seed) {
                    const EventTable cloud = Cloud(shape, seed, 300);
                    const std::string what = Describe(shape, radius, gaussian, seed);
                    const int direction = static_cast<int>(seed % 3);
                    const double hScale = seed == 2 ? 0.25 : 0.31, vScale = 0.5, step = 0.5;
                    EXPECT_PRED2(AgreesWithReference,
                                 EstimateSpatialMaximum(
                                     cloud, ViewAxes(static_cast<ViewDirection>(direction)),
                                     PlaneScale{hScale, vScale}, step, Weighting{radius, gaussian}),
                                 reference::EstimateSpatialMaximumAllPairs(
                                     cloud, radius, hScale, vScale, step, direction, gaussian))
                        << what;
                    for (bool cumulative : {false, true}) {
                        EXPECT_PRED2(AgreesWithReference,
                                     EstimateTimeMaximum(
                                         cloud, ViewAxes(static_cast<ViewDirection>(direction)),
                                         PlaneScale{hScale, vScale}, 1.0, cumulative,
                                         Weighting{radius, gaussian}),
                                     reference::EstimateTimeMaximumAllPairs(cloud, radius, hScale,
                                                                            vScale, 1.0, direction,
                                                                            cumulative, gaussian))
                            << what << (cumulative ? " cumulative" : "");
                    }
                }
            }
        }
    }
}

// The partners of a dense cloud's events are put in order by their digits: every length
// around the switch from comparison, and indices of one to three digits.
TEST(FastEstimatesMatchAllPairs, PartnerIndicesAreSortedLikeByComparison) {
    std::mt19937 random(7);
    std::vector<int> scratch;
    for (int limit : {300, 2048, 2049, 50000, 1 << 22, (1 << 22) + 1, 1 << 30}) {
        for (std::size_t size : {255u, 256u, 300u, 5000u}) {
            if (size > static_cast<std::size_t>(limit)) {
                continue;
            }
            std::set<int> distinct;
            std::uniform_int_distribution<int> index(0, limit - 1);
            while (distinct.size() < size) {
                distinct.insert(index(random));
            }
            std::vector<int> values(distinct.begin(), distinct.end());
            std::shuffle(values.begin(), values.end(), random);
            estimate::SortIndices(values, scratch, limit);
            EXPECT_TRUE(std::equal(values.begin(), values.end(), distinct.begin(), distinct.end()))
                << size << " of " << limit;
        }
    }
}

TEST(FastEstimatesMatchAllPairs, WideRangesNonFiniteCoordinatesAndOddSteps) {
    struct Case {
        const char* name;
        double radius, hScale, vScale, step;
    };
    const Case cases[] = {
        {"range far wider than the box", 1.0, 1e-9, 1e-9, 1e-9},
        {"unbounded box", 1.0, INFINITY, 1.0, 1.0},
        {"radius not a number", NAN, 1.0, 1.0, 1.0},
        {"negative radius", -1.0, 1.0, 1.0, 1.0},
        {"zero time step", 1.0, 1.0, 1.0, 0.0},
    };
    EventTable cloud = Cloud(CloudShape::Duplicated, 11, 200);
    cloud.rows[0].x = 1e12;
    cloud.rows[1].y = INFINITY;
    cloud.rows[2].z = NAN;
    cloud.rows[3].t = -INFINITY;
    cloud.rows[4].t = NAN;
    for (const Case& c : cases) {
        for (bool gaussian : {false, true}) {
            EXPECT_PRED2(AgreesWithReference,
                         EstimateSpatialMaximum(cloud, ViewAxes(static_cast<ViewDirection>(1)),
                                                PlaneScale{c.hScale, c.vScale}, c.step,
                                                Weighting{c.radius, gaussian}),
                         reference::EstimateSpatialMaximumAllPairs(cloud, c.radius, c.hScale,
                                                                   c.vScale, c.step, 1, gaussian))
                << c.name;
            for (bool cumulative : {false, true}) {
                EXPECT_PRED2(
                    AgreesWithReference,
                    EstimateTimeMaximum(cloud, ViewAxes(static_cast<ViewDirection>(2)),
                                        PlaneScale{c.hScale, c.vScale}, c.step, cumulative,
                                        Weighting{c.radius, gaussian}),
                    reference::EstimateTimeMaximumAllPairs(cloud, c.radius, c.hScale, c.vScale,
                                                           c.step, 2, cumulative, gaussian))
                    << c.name << (cumulative ? " cumulative" : "");
            }
        }
    }
}

// Weights per event that test the sums and the estimate's bound: zeros among ones, values
// far above 1, and relative moments spanning nine orders of magnitude.
std::vector<double> RandomWeights(int kind, int count, unsigned seed) {
    std::mt19937 random(seed * 31 + static_cast<unsigned>(kind));
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<double> weights(static_cast<std::size_t>(count));
    for (double& w : weights) {
        w = kind == 0   ? (unit(random) < 0.3 ? 0.0 : 1.0)
            : kind == 1 ? 50.0 * unit(random)
                        : std::pow(10.0, 1.5 * (6.0 * unit(random) - 6.0));
    }
    return weights;
}

// The events of the slab of a spatial picture at slice position p, with their weights: those
// whose depth lies within `halfWidth` of it (the bounds included), as the series hands them to
// the fill.
EventTable SlabOf(const EventTable& cloud, int direction, double p, double halfWidth) {
    EventTable slab;
    const int depth = reference::AxesOf(direction).depth;
    for (int i = 0; i < cloud.count; ++i) {
        if (std::fabs(reference::Coordinate(cloud.rows[i], depth) - p) <= halfWidth) {
            slab.rows[slab.count++] = cloud.rows[i];
            slab.weights.push_back(cloud.weights[i]);
        }
    }
    return slab;
}

// The engine's densities of run[0..count) for frame f, weighing weights[0..count).
DensityField FastDensities(const reference::Frame& f, const PixelTests& tests,
                           const EventRecord* run, int count, const double* weights) {
    DensityGrid grid;
    EXPECT_TRUE(MakeDensityGrid(PlaneRange{{f.hMin, f.hMax}, {f.vMin, f.vMax}},
                                PlaneScale{f.hScale, f.vScale}, CanvasMargins{300, 200}, grid)
                    .ok());
    DensityField field;
    ComputePlaneDensities(grid, run, count, tests, field, nullptr, weights);
    return field;
}

// Every pixel's sum against the literal walk's, within the contract (row 0 of the field is the
// raster's bottom row).
void ExpectSameDensities(const DensityField& field, const cv::Mat& expected,
                         const std::string& what) {
    ASSERT_FALSE(field.counted) << what;
    int differing = 0;
    for (int j = 0; j < field.rows; ++j) {
        for (int k = 0; k < field.columns; ++k) {
            const double reference = expected.at<double>(expected.rows - 1 - j, k);
            differing += AgreesWithReference(field.SumAt(k, j), reference) ? 0 : 1;
        }
    }
    EXPECT_EQ(differing, 0) << what;
}

// Every pixel's sum, whatever the threads, in a short picture (bands of the fewest rows) and a
// tall one (bands of several rows, as many as the threads allow).
TEST(FastFillMatchesReference, AnyNumberOfStrips) {
    const EventTable cloud = Cloud(CloudShape::Clustered, 7, 400);
    reference::Frame tall = Frames(1.5, true)[1];
    tall.vScale = (10 + 0.3) / 131.0;
    const int threads = cv::getNumThreads();
    for (reference::Frame f : {Frames(1.5, true)[1], tall}) {
        cv::Mat expected(reference::BlackRaster(f).size(), CV_64F, cv::Scalar(0));
        f.densities = &expected;
        cv::Mat picture = reference::BlackRaster(f);
        reference::FillSpatialPicture(picture, f, 2, cloud.rows.data(), cloud.count, 4.0, 0.7);
        for (int n : {1, 3, 8}) {
            cv::setNumThreads(n);
            ExpectSameDensities(FastDensities(f, TestsFor(f, 2, true, 4.0, 0.7), cloud.rows.data(),
                                              cloud.count, nullptr),
                                expected,
                                std::to_string(n) + " threads, " + std::to_string(f.vScale));
        }
    }
    cv::setNumThreads(threads);
}

TEST(WeightedSumsMatchAllPairs, EstimatesAndPixelDensitiesOnRandomClouds) {
    for (CloudShape shape : kShapes) {
        for (double radius : {0.5, 1.0, 7.0}) {
            for (bool gaussian : {false, true}) {
                for (int kind = 0; kind < 3; ++kind) {
                    const unsigned seed = static_cast<unsigned>(kind) + 1;
                    EventTable cloud = Cloud(shape, seed, 300);
                    cloud.weights = RandomWeights(kind, cloud.count, seed);
                    const std::string what = Describe(shape, radius, gaussian, seed) + " weights " +
                                             std::to_string(kind);
                    const int direction = static_cast<int>(seed % 3);
                    const AxisMap axes = ViewAxes(static_cast<ViewDirection>(direction));
                    const double hScale = 0.31, vScale = 0.5, step = 0.5;
                    EXPECT_PRED2(AgreesWithReference,
                                 EstimateSpatialMaximum(cloud, axes, PlaneScale{hScale, vScale},
                                                        step, Weighting{radius, gaussian}),
                                 reference::EstimateSpatialMaximumAllPairs(
                                     cloud, radius, hScale, vScale, step, direction, gaussian))
                        << what;
                    for (bool cumulative : {false, true}) {
                        EXPECT_PRED2(
                            AgreesWithReference,
                            EstimateTimeMaximum(cloud, axes, PlaneScale{hScale, vScale}, 1.0,
                                                cumulative, Weighting{radius, gaussian}),
                            reference::EstimateTimeMaximumAllPairs(cloud, radius, hScale, vScale,
                                                                   1.0, direction, cumulative,
                                                                   gaussian))
                            << what << (cumulative ? " cumulative" : "");
                    }
                    reference::Frame f =
                        Frames(radius, gaussian)[(kind + static_cast<int>(shape)) % 4];
                    cv::Mat expected(reference::BlackRaster(f).size(), CV_64F, cv::Scalar(0));
                    f.densities = &expected;
                    f.weights = cloud.weights.data();
                    cv::Mat raster = reference::BlackRaster(f);
                    const PixelTests spatial = TestsFor(f, direction, true, 5.0, step);
                    const EventTable slab =
                        SlabOf(cloud, direction, 5.0, radius * spatial.depthStep);
                    f.weights = slab.weights.data();
                    reference::FillSpatialPicture(raster, f, direction, slab.rows.data(),
                                                  slab.count, 5.0, step);
                    // Weighed even when the slab is empty: a weighted field holds sums.
                    ExpectSameDensities(
                        FastDensities(f, spatial, slab.rows.data(), slab.count,
                                      slab.count > 0 ? slab.weights.data() : cloud.weights.data()),
                        expected, "spatial, " + what);
                    f.weights = cloud.weights.data();
                    expected.setTo(0);
                    reference::FillTimePicture(raster, f, direction, cloud.rows.data(),
                                               cloud.count);
                    ExpectSameDensities(
                        FastDensities(f, TestsFor(f, direction, false), cloud.rows.data(),
                                      cloud.count, cloud.weights.data()),
                        expected, "time, " + what);
                }
            }
        }
    }
}

// Clouds so dense that the estimate cuts its columns finer and the Gaussian sums are bounded
// by column before pair by pair: every event has hundreds to thousands of partners.
TEST(FastEstimatesMatchAllPairs, DenseCloudsWithFinerColumnsAndTighterBounds) {
    for (int count : {800, 2500}) {
        for (CloudShape shape :
             {CloudShape::Clustered, CloudShape::Lattice, CloudShape::Duplicated}) {
            for (bool gaussian : {false, true}) {
                for (int kind : {-1, 1}) {
                    const unsigned seed = static_cast<unsigned>(count) + 1;
                    CloudRecipe recipe;
                    recipe.shape = shape;
                    recipe.count = count;
                    recipe.high = 3.0;
                    recipe.seed = seed;
                    EventTable cloud = MakeCloud(recipe);
                    if (kind >= 0) {
                        cloud.weights = RandomWeights(kind, cloud.count, seed);
                    }
                    const std::string what = Describe(shape, 7.0, gaussian, seed) + " count " +
                                             std::to_string(count) + " weights " +
                                             std::to_string(kind);
                    const AxisMap axes = ViewAxes(ViewDirection::AlongX);
                    const Weighting weighting{7.0, gaussian};
                    EXPECT_PRED2(
                        AgreesWithReference,
                        EstimateSpatialMaximum(cloud, axes, PlaneScale{0.31, 0.5}, 0.5, weighting),
                        reference::EstimateSpatialMaximumAllPairs(cloud, 7.0, 0.31, 0.5, 0.5, 0,
                                                                  gaussian))
                        << what;
                    EXPECT_PRED2(AgreesWithReference,
                                 EstimateTimeMaximum(cloud, axes, PlaneScale{0.31, 0.5}, 4.0, false,
                                                     weighting),
                                 reference::EstimateTimeMaximumAllPairs(cloud, 7.0, 0.31, 0.5, 4.0,
                                                                        0, false, gaussian))
                        << what;
                }
            }
        }
    }
}

// A line of 2,000 events along the depth (x, seen along x), 0.01 apart: about 700 partners
// each, and one column for all of them.
EventTable LineAlongTheDepth() {
    EventTable line;
    for (int i = 0; i < 2000; ++i) {
        line.rows[line.count++] = {0.01 * i, 0.0, 0.0, 0.0};
    }
    return line;
}

// `events` events far from the line, apart by a hair: an event adds nothing to its own
// place's Gaussian sum, so the clump's highest sum is about events - 1.
EventTable WithClump(EventTable cloud, int events) {
    for (int i = 0; i < events; ++i) {
        cloud.rows[cloud.count++] = {100.0 + 1e-6 * i, 100.0, 100.0, 0.0};
    }
    return cloud;
}

double AllPairsSpatialMaximum(const EventTable& cloud, bool gaussian) {
    return reference::EstimateSpatialMaximumAllPairs(cloud, 7.0, 0.31, 0.5, 0.5, 0, gaussian);
}

double FastSpatialMaximum(const EventTable& cloud, bool gaussian) {
    return EstimateSpatialMaximum(cloud, ViewAxes(ViewDirection::AlongX), PlaneScale{0.31, 0.5},
                                  0.5, Weighting{7.0, gaussian});
}

// Points are put into columns a bucket of column numbers at a time: a bucket with few columns
// for its points is counted into them, one with many more columns than points is sorted
// whole. A cloud crowded into a few units takes the first way, one spread over thousands of
// units the second; coincident points are told apart by their indices either way.
TEST(FastEstimatesMatchAllPairs, CrowdedAndSpreadBucketsPutPointsInTheSameOrder) {
    for (double high : {3.0, 3000.0}) {
        for (CloudShape shape : {CloudShape::Duplicated, CloudShape::Lattice}) {
            CloudRecipe recipe;
            recipe.shape = shape;
            recipe.count = 3000;
            recipe.high = high;
            recipe.lattice = high / 40.0;
            const EventTable cloud = MakeCloud(recipe);
            for (bool gaussian : {false, true}) {
                EXPECT_PRED2(
                    AgreesWithReference,
                    EstimateSpatialMaximum(cloud, ViewAxes(ViewDirection::AlongX),
                                           PlaneScale{0.31, 0.5}, 0.5, Weighting{7.0, gaussian}),
                    AllPairsSpatialMaximum(cloud, gaussian))
                    << Describe(shape, 7.0, gaussian, recipe.seed) << " high " << high;
            }
        }
    }
}

// Dense unit counts start from a count in the fullest column (the line) and pass over columns
// whose whole neighbourhood holds no more: the highest count lies in a clump just above that,
// which must not be passed over.
TEST(FastEstimatesMatchAllPairs, AClumpJustAboveTheFullestColumnsCountIsFound) {
    for (int clump : {690, 710, 730}) {
        const EventTable cloud = WithClump(LineAlongTheDepth(), clump);
        EXPECT_PRED2(AgreesWithReference, FastSpatialMaximum(cloud, false),
                     AllPairsSpatialMaximum(cloud, false))
            << clump;
    }
}

// The line has high coarse bounds (they leave the depth out) but lower sums, so its events
// are summed first; a clump whose sum lies just above the line's must still be summed after
// them, not given up on a bound that is only nearly as high.
TEST(FastEstimatesMatchAllPairs, AClumpJustAboveTheSumsFoundFirstIsSummed) {
    const double lineHighest = AllPairsSpatialMaximum(LineAlongTheDepth(), true);
    ASSERT_GT(lineHighest, 300.0);
    for (double above : {1.0, 2.0}) {
        const EventTable cloud =
            WithClump(LineAlongTheDepth(), static_cast<int>(lineHighest + above) + 1);
        EXPECT_PRED2(AgreesWithReference, FastSpatialMaximum(cloud, true),
                     AllPairsSpatialMaximum(cloud, true))
            << above;
    }
}

// Dense unit counts give up on a candidate once its cut columns can no longer lift it above
// the highest count found: many candidates end just below it, none may end above.
TEST(FastEstimatesMatchAllPairs, CountsGivenUpOnStayBelowTheHighest) {
    for (unsigned seed : {3U, 4U, 5U}) {
        CloudRecipe recipe;
        recipe.count = 6000;  // uniform: about 1,300 partners each, many counts near the top
        recipe.seed = seed;
        const EventTable cloud = MakeCloud(recipe);
        EXPECT_PRED2(AgreesWithReference, FastSpatialMaximum(cloud, false),
                     AllPairsSpatialMaximum(cloud, false))
            << seed;
    }
}

// One column of 5,000 events (a line along the depth) is shared out among the threads in
// pieces of up to 2,048 events, each starting its runs in the middle of the line. The line's
// events lie far apart, but the 100 from the 2,049th on lie at one place, where a piece
// begins, and hold the highest count.
TEST(FastEstimatesMatchAllPairs, AColumnCutIntoPiecesCountsAsAWhole) {
    EventTable line;
    for (int i = 0; i < 5000; ++i) {
        const int away = i < 2048 ? i - 2048 : std::max(0, i - 2147);
        line.rows[line.count++] = {10.0 * away, 0.0, 0.0, 0.0};
    }
    for (bool gaussian : {false, true}) {
        EXPECT_PRED2(AgreesWithReference, FastSpatialMaximum(line, gaussian),
                     AllPairsSpatialMaximum(line, gaussian))
            << gaussian;
    }
}

// Kernel sums over clouds this full (over 8,000 partners each) take the finest columns.
TEST(FastEstimatesMatchAllPairs, KernelSumsInTheFinestColumns) {
    CloudRecipe recipe;
    recipe.shape = CloudShape::Clustered;
    recipe.count = 9000;
    recipe.high = 3.0;
    const EventTable cloud = MakeCloud(recipe);
    EXPECT_PRED2(AgreesWithReference, FastSpatialMaximum(cloud, true),
                 AllPairsSpatialMaximum(cloud, true));
}

// Cumulative counts over clouds this full bound each event by the partners of its own time bin
// and the bins before. Whole times bring many equal ones; times infinite or not a number fall
// in the edge bins (and places of that kind are left out). The last cloud's highest count lies in a
// late clump whose bin holds it all; beside it, in the next column, lies a fuller wall of early
// events too far up to count, which the clump's runs pass over without taking in.
TEST(FastEstimatesMatchAllPairs, CumulativeCountsBoundedByTimeBins) {
    struct Case {
        const char* name;
        CloudShape shape;
        double timeHigh;
        bool oddTimes;
        bool clumpAndWall;
    };
    const Case cases[] = {
        {"uniform", CloudShape::Uniform, 10.0, false, false},
        {"whole times", CloudShape::Lattice, 10.0, false, false},
        {"odd times", CloudShape::Clustered, 10.0, true, false},
        {"clump and wall", CloudShape::Uniform, 10.0, false, true},
    };
    for (const Case& c : cases) {
        CloudRecipe recipe;
        recipe.shape = c.shape;
        recipe.count = c.clumpAndWall ? 3000 : 6000;
        recipe.timeHigh = c.timeHigh;
        EventTable cloud = MakeCloud(recipe);
        if (c.oddTimes) {
            cloud.rows[0].t = NAN;
            cloud.rows[1].t = INFINITY;
            cloud.rows[2].t = -INFINITY;
            cloud.rows[3].t = 1e300;
            cloud.rows[4].x = NAN;  // left out of the columns
            cloud.rows[5].y = -INFINITY;
        }
        for (int i = 0; c.clumpAndWall && i < 2500; ++i) {
            cloud.rows[cloud.count++] = {101.5, 80.0, 0.0, 0.0};
            if (i < 2000) {
                cloud.rows[cloud.count++] = {100.0, 100.0, 0.0, 20.0 + 1e-6 * i};
            }
        }
        const AxisMap axes = ViewAxes(ViewDirection::AlongZ);
        EXPECT_PRED2(
            AgreesWithReference,
            EstimateTimeMaximum(cloud, axes, PlaneScale{0.31, 0.5}, 1.0, true,
                                Weighting{7.0, false}),
            reference::EstimateTimeMaximumAllPairs(cloud, 7.0, 0.31, 0.5, 1.0, 2, true, false))
            << c.name;
    }
}

// A stop asked at a check of an estimate on a dense cloud (in putting the points into columns,
// the counts, the bounds or the sums) ends it there: 0 comes back and nothing is reported
// after the answer.
TEST(FastEstimatesMatchAllPairs, AStopAtAnyCheckEndsTheEstimateThere) {
    class Stopper : public RunObserver {
      public:
        explicit Stopper(int stopAt) : m_stopAt(stopAt) {}
        void PhaseStarted(RunPhase, long long) override {}
        void Progress(long long) override { reportsAfterStop += stopped ? 1 : 0; }
        bool ShouldStop() override {
            stopped = stopped || ++checks == m_stopAt;
            return stopped;
        }
        int checks = 0;
        bool stopped = false;
        int reportsAfterStop = 0;

      private:
        int m_stopAt;
    };
    CloudRecipe recipe;
    recipe.shape = CloudShape::Clustered;
    recipe.count = 20000;
    recipe.high = 3.0;
    const EventTable cloud = MakeCloud(recipe);
    for (bool gaussian : {false, true}) {
        auto estimate = [&](RunObserver& observer) {
            return EstimateSpatialMaximum(cloud, ViewAxes(ViewDirection::AlongX),
                                          PlaneScale{0.05, 0.05}, 0.1, Weighting{3.0, gaussian},
                                          &observer);
        };
        Stopper never(0);
        EXPECT_GT(estimate(never), 0.0);
        ASSERT_GE(never.checks, 4) << "too few checks to stop in every stage";
        std::vector<int> stops;  // checks 1, 2, 4, ... and the very last
        for (int at = 1; at < never.checks; at *= 2) {
            stops.push_back(at);
        }
        stops.push_back(never.checks);
        for (int stopAt : stops) {
            Stopper stopper(stopAt);
            EXPECT_EQ(estimate(stopper), 0.0) << stopAt;
            EXPECT_TRUE(stopper.stopped) << stopAt;
            EXPECT_EQ(stopper.reportsAfterStop, 0) << stopAt;
        }
    }
}

// Two events at one place whose times are so far apart that the square of the difference
// overflows still hold the highest Gaussian sum of a time window that holds them both, even
// after more than a batch of events with lower sums but higher first bounds (triangles of
// three within one column).
TEST(FastEstimatesMatchAllPairs, TimesFarApartInOneWindowStillCount) {
    EventTable cloud;
    cloud.rows = {{0, 0, 0, 0}};
    for (int triangle = 1; triangle <= 12; ++triangle) {
        const double x = 10.0 * triangle;
        cloud.rows.insert(cloud.rows.end(),
                          {{x + 0.1, 0.1, 0, 0}, {x + 1.0, 0.1, 0, 1}, {x + 0.1, 1.0, 0, 2}});
    }
    cloud.rows.push_back({1000.5, 0.5, 0, 1e200});
    cloud.rows.push_back({1000.5, 0.5, 0, -1e200});
    cloud.count = static_cast<int>(cloud.rows.size());
    const double expected =
        reference::EstimateTimeMaximumAllPairs(cloud, 1.0, 1.0, 1.0, 1e300, 2, false, true);
    EXPECT_PRED2(AgreesWithReference,
                 EstimateTimeMaximum(cloud, ViewAxes(ViewDirection::AlongZ), PlaneScale{1.0, 1.0},
                                     1e300, false, Weighting{1.0, true}),
                 expected);
    EXPECT_EQ(expected, 2.0);
}

}  // namespace
}  // namespace korvane::testing
