// The section's keys in a setup file: none for a setup without a section, every value read
// back exactly, and values that cannot be read left as they were.

#include <gtest/gtest.h>

#include <string>

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

}  // namespace
}  // namespace korvane
