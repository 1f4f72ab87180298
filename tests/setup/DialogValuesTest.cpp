#include <gtest/gtest.h>

#include "setup/DialogValues.h"

namespace korvane {
namespace {

CalculationSetup SampleSetup() {
    CalculationSetup setup;
    setup.FilePath = "/data/run 7/events.dat\t";
    setup.Direction = 2;
    setup.Amin = -2.5;
    setup.Amax = 10.0004;
    setup.Bmin = 0.0005;  // just above 0.0005 in binary: shown as 0.001
    setup.Bmax = 1234.5678;
    setup.Cmin = -0.0001;
    setup.Cmax = 1e6;
    setup.Timestart = 2.5;  // half to even: 2
    setup.Timeend = 3.5;    // half to even: 4
    setup.Fixedsize = 1;
    setup.Width = 640.9;  // the box rounds; only the setup file truncates
    setup.Height = 480;
    setup.Fixeddensity = 0;
    setup.Maxdensity = 12.5;
    setup.Gaussiandistance = 1;
    setup.NoOfPictures = 10;
    setup.Cumulative = 0;
    setup.Radius = 2.5;
    return setup;
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

TEST(DialogValuesFromSetup, TruncatesTheDirectionAndTheSwitches) {
    struct Row {
        double stored;
        int direction;  // the selected radio button, -1 for none
        int state;      // the check box state
    };
    const Row rows[] = {
        {0.0, 0, 0},
        {2.9, 2, 2},
        {3.0, 3, 3},
        {-0.9, 0, 0},
        {4.0, -1, 4},
        {-1.0, -1, -1},
        {1e300, -1, 2147483647},
    };
    for (const Row& row : rows) {
        CalculationSetup setup;
        setup.Direction = row.stored;
        setup.Fixedsize = row.stored;
        setup.Cumulative = row.stored;
        const DialogValues values = DialogValuesFromSetup(setup);
        EXPECT_EQ(values.direction, row.direction) << row.stored;
        EXPECT_EQ(values.fixedSizeState, row.state) << row.stored;
        EXPECT_EQ(values.cumulativeState, row.state) << row.stored;
    }
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
    EXPECT_EQ(setup.Direction, 1.0);
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
    EXPECT_EQ(setup.Fixedsize, 1.0);
    EXPECT_EQ(setup.Fixeddensity, 0.0);
    EXPECT_EQ(setup.Gaussiandistance, 0.0);
    EXPECT_EQ(setup.Cumulative, 1.0);
}

TEST(SetupFromDialogValues, NoSelectedDirectionIsKeptAsMinusOne) {
    DialogValues values;
    values.direction = -1;
    EXPECT_EQ(SetupFromDialogValues(values).Direction, -1.0);
}

TEST(DialogValuesRoundTrip, ShowingWhatWasTakenChangesNothing) {
    // What the boxes show, taken into a setup and shown again, gives the same texts: the
    // dialog can be closed and reopened without drifting values.
    const DialogValues shown = DialogValuesFromSetup(SampleSetup());
    EXPECT_EQ(DialogValuesFromSetup(SetupFromDialogValues(shown)), shown);
}

}  // namespace
}  // namespace korvane
