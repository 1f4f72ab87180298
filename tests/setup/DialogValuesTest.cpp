#include <gtest/gtest.h>

#include "setup/DialogValues.h"
#include "support/SetupBuilder.h"

namespace korvane {
namespace {

using testing::SetupBuilder;

CalculationSetup SampleSetup() {
    return SetupBuilder()
        .Events("/data/run 7/events.dat\t")
        .Along(ViewDirection::AlongZ)
        .X(-2.5, 10.0004)
        .Y(0.0005, 1234.5678)  // just above 0.0005 in binary: shown as 0.001
        .Z(-0.0001, 1e6)
        .Time(2.5, 3.5)    // half to even: 2 and 4
        .Size(640.9, 480)  // the box rounds; only the setup file truncates
        .Maximum(12.5, false)
        .Gaussian()
        .Pictures(10)
        .Radius(2.5)
        .Build();
}

TEST(DialogValuesFromSetup, ShowsRangesWithThreeDecimalsAndTheRestAsWholeNumbers) {
    const DialogValues values = DialogValuesFromSetup(SampleSetup());
    EXPECT_EQ(values.eventFilePath, "/data/run 7/events.dat\t");
    EXPECT_EQ(values.direction, 2);
    EXPECT_EQ(values.xMin, "-2.500");
    EXPECT_EQ(values.xMax, "10.000");
    EXPECT_EQ(values.yMin, "0.001");
    EXPECT_EQ(values.yMax, "1234.568");
    EXPECT_EQ(values.zMin, "-0.000");
    EXPECT_EQ(values.zMax, "1000000.000");
    EXPECT_EQ(values.timeStart, "2");
    EXPECT_EQ(values.timeEnd, "4");
    EXPECT_EQ(values.width, "641");
    EXPECT_EQ(values.height, "480");
    EXPECT_EQ(values.densityMaximum, "12");
    EXPECT_EQ(values.numberOfPictures, "10");
    EXPECT_EQ(values.radius, "2");
    EXPECT_EQ(values.fixedSizeState, 1);
    EXPECT_EQ(values.fixedDensityState, 0);
    EXPECT_EQ(values.gaussianState, 1);
    EXPECT_EQ(values.cumulativeState, 0);

    // A radius in coordinates keeps its fraction (0.25 km is a box, 0 is none).
    CalculationSetup inCoordinates = SampleSetup();
    inCoordinates.Output.radiusUnit = RadiusUnit::Coordinates;
    EXPECT_EQ(DialogValuesFromSetup(inCoordinates).radius, "2.5");
}

TEST(DialogValuesFromSetup, ShowsNoDirectionAsNoSelectedButton) {
    CalculationSetup setup;
    setup.Direction = std::nullopt;
    EXPECT_EQ(DialogValuesFromSetup(setup).direction, -1);
    setup.Direction = ViewDirection::Perspective;
    EXPECT_EQ(DialogValuesFromSetup(setup).direction, 3);
}

// The setup as the boxes show it is what the boxes' texts read back as.
TEST(CalculationSetup, AsBoxesShowItIsTheBoxTextsReadBack) {
    for (const RadiusUnit unit : {RadiusUnit::Pixels, RadiusUnit::Coordinates}) {
        CalculationSetup setup = SampleSetup();
        setup.Output.radiusUnit = unit;
        EXPECT_TRUE(setup.AsBoxesShowIt() == SetupFromDialogValues(DialogValuesFromSetup(setup)));
    }
    const CalculationSetup shown = SampleSetup().AsBoxesShowIt();
    EXPECT_EQ(shown.Timestart, 2.0);
    EXPECT_EQ(shown.Timeend, 4.0);
    EXPECT_EQ(shown.Bmin, 0.001);
    EXPECT_EQ(shown.Width, 641.0);
    EXPECT_EQ(shown.Radius, 2.0);
}

TEST(SetupFromDialogValues, ReadsBoxesAsTheClassicDecimalReaderDoes) {
    DialogValues values;
    values.eventFilePath = " spaced path.dat";
    values.direction = 1;
    values.xMin = "1.2.3";
    values.xMax = "3-4";
    values.yMin = "2,5";
    values.yMax = "";
    values.zMin = "  -7.25";
    values.zMax = "1e3";
    values.timeStart = "abc";
    values.timeEnd = "-";
    values.width = "800";
    values.height = "600.7";
    values.densityMaximum = "0.5";
    values.numberOfPictures = "12";
    values.radius = "3";
    values.fixedSizeState = 1;
    values.fixedDensityState = 2;  // only state 1 counts as checked
    values.gaussianState = -1;
    values.cumulativeState = 1;

    const CalculationSetup setup = SetupFromDialogValues(values);
    EXPECT_EQ(setup.FilePath, " spaced path.dat");
    EXPECT_EQ(setup.Direction, ViewDirection::AlongY);
    EXPECT_EQ(setup.Amin, 1.2);
    EXPECT_EQ(setup.Amax, 3.0);
    EXPECT_EQ(setup.Bmin, 2.0);
    EXPECT_EQ(setup.Bmax, 0.0);
    EXPECT_EQ(setup.Cmin, -7.25);
    EXPECT_EQ(setup.Cmax, 1000.0);
    EXPECT_EQ(setup.Timestart, 0.0);
    EXPECT_EQ(setup.Timeend, 0.0);
    EXPECT_EQ(setup.Width, 800.0);
    EXPECT_EQ(setup.Height, 600.7);
    EXPECT_EQ(setup.Maxdensity, 0.5);
    EXPECT_EQ(setup.NoOfPictures, 12.0);
    EXPECT_EQ(setup.Radius, 3.0);
    EXPECT_TRUE(setup.Fixedsize);
    EXPECT_FALSE(setup.Fixeddensity);
    EXPECT_FALSE(setup.Gaussiandistance);
    EXPECT_TRUE(setup.Cumulative);
}

TEST(SetupFromDialogValues, NoSelectedDirectionIsKeptAsNone) {
    DialogValues values;
    values.direction = -1;
    EXPECT_EQ(SetupFromDialogValues(values).Direction, std::nullopt);
}

TEST(DialogValuesRoundTrip, ShowingWhatWasTakenChangesNothing) {
    // What the boxes show, taken into a setup and shown again, gives the same texts: the
    // dialog can be closed and reopened without drifting values.
    const DialogValues shown = DialogValuesFromSetup(SampleSetup());
    EXPECT_EQ(DialogValuesFromSetup(SetupFromDialogValues(shown)), shown);
}

}  // namespace
}  // namespace korvane
