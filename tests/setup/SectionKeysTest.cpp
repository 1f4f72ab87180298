// The section's keys in a setup file: none for a setup without a section, every value read
// back exactly, and values that cannot be read left as they were; a section's line drawn on
// a map.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "setup/SectionChoice.h"
#include "setup/SectionKeys.h"
#include "setup/SetupFile.h"
#include "support/Folders.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

TEST(SectionKeys, WrittenOnlyAwayFromTheDefaultsAndReadBackExactly) {
    testing::TempDir dir;
    const std::string path = dir.file("setup.ini");
    CalculationSetup setup;
    ASSERT_TRUE(SaveSetupFile(setup, path).ok());
    EXPECT_EQ(testing::ReadWholeFile(path).find("[Section"), std::string::npos);

    setup.Output.section = {true, 37.1234567, -0.1, 38.5, 1e-7, true, 2.5, 0.3, 7};
    ASSERT_TRUE(SaveSetupFile(setup, path).ok());
    EXPECT_NE(testing::ReadWholeFile(path).find("[Sectionfrom]\t37.1234567,-0.1\r\n"),
              std::string::npos);
    CalculationSetup loaded;
    ASSERT_TRUE(LoadSetupFile(loaded, path).ok());
    EXPECT_EQ(loaded.Output.section, setup.Output.section);

    // A value that cannot be read leaves the section as it was.
    SectionOptions section = setup.Output.section;
    for (const auto& [key, value] : {std::pair{"[Sectionfrom]", "1;2"},
                                     {"[Sectionto]", "3,"},
                                     {"[Sectionwidth]", "wide"},
                                     {"[Sectioncount]", ""}}) {
        EXPECT_TRUE(ApplySectionKey(section, key, value));
    }
    EXPECT_EQ(section, setup.Output.section);
    EXPECT_FALSE(ApplySectionKey(section, "[Sections]", "1"));
    EXPECT_EQ(NumberPairOf(" 1.5 , -2 "), (std::pair{1.5, -2.0}));
}

// A line drawn on a map: its ends to the digits one picture pixel tells, x/y ends, a width
// of a tenth of its length on a 1-2-5 step unless one was chosen, at least one section.
TEST(SectionKeys, LineDrawnOnAMapGivesTheSectionsEnds) {
    const SectionOptions chosen{false, 0, 0, 0, 0, true, 0.75, 0.5, 3};
    const struct {
        double ax, ay, bx, by, resolution;
        SectionOptions before;
        SectionOptions expected;
    } rows[] = {
        // 0.125 per pixel: one decimal; a 50-long line gets a width of 5.
        {1.2345, -7.96, 31.26, 32.04, 0.125, {}, {true, 1.2, -8, 31.3, 32, false, 5, 0, 1}},
        // 2.5 per pixel: whole numbers; 141.4 long: 10.
        {12.6, 3.4, 112.6, 103.4, 2.5, {}, {true, 13, 3, 113, 103, false, 10, 0, 1}},
        // 0.004 per pixel: three decimals; 0.3 long: 0.02. NaN width and count are replaced.
        {0.1004,
         0.2,
         0.4004,
         0.2,
         0.004,
         {false, 0, 0, 0, 0, false, std::nan(""), 0, std::nan("")},
         {true, 0.1, 0.2, 0.4, 0.2, false, 0.02, 0, 1}},
        // A width, step and count chosen before stay; the ends are x/y now.
        {5, 5, 5, 9, 1, chosen, {true, 5, 5, 5, 9, false, 0.75, 0.5, 3}},
    };
    for (const auto& row : rows) {
        const SectionOptions got =
            SectionAlongDrawnLine(row.before, row.ax, row.ay, row.bx, row.by, row.resolution);
        EXPECT_EQ(got, row.expected)
            << row.ax << "," << row.ay << " to " << row.bx << "," << row.by << ": " << got.fromX
            << "," << got.fromY << " to " << got.toX << "," << got.toY << " width " << got.width;
    }
}

}  // namespace
}  // namespace korvane
