// Bad input at the setup file: LoadSetupFile takes only the lines it understands, leaves the
// rest of the setup as it was, and refuses what is not a readable file; what it took shows in
// the boxes, where the input checks catch values no calculation can use.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "catalogue/CatalogueSupport.h"
#include "setup/CalculateCommand.h"
#include "setup/DialogValues.h"
#include "setup/SetupFile.h"
#include "support/RecordingObserver.h"
#include "support/SetupBuilder.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

using testing::ReadWholeFile;
using testing::RecordingObserver;
using testing::TempDir;

CalculationSetup KnownSetup() {
    return testing::SetupBuilder()
        .Events("/data/events.dat")
        .Along(ViewDirection::AlongZ)
        .X(0, 10)
        .Y(0, 10)
        .Z(0, 10)
        .Time(0, 10)
        .Size(800, 800, false)
        .Pictures(10)
        .Radius(3)
        .Build();
}

struct SetupFileCase {
    const char* label;
    std::string content;
    void (*expect)(CalculationSetup& setup);  // the changes the file makes to KnownSetup()
    bool loads = true;  // false: refused as a whole (over 1 MB, NUL bytes), nothing changes
};

std::string BinaryBytes() {
    std::string bytes;
    for (int i = 0; i < 4096; ++i) {
        bytes += static_cast<char>((i * 131 + 7) % 256);
    }
    return bytes;
}

// NUL bytes: not plain text (UTF-16 or binary), refused.
std::string NulBytes() {
    const char bytes[] =
        "[Radius]\t5\0"
        "9\n[Wid\0th]\t7\n";
    return std::string(bytes, sizeof bytes - 1);
}

class SetupFileInput : public ::testing::TestWithParam<SetupFileCase> {};

TEST_P(SetupFileInput, ChangesOnlyTheKeysItHolds) {
    const SetupFileCase& c = GetParam();
    TempDir folder;
    const std::string path = folder.write("setup.ini", c.content);
    CalculationSetup setup = KnownSetup();
    CalculationSetup expected = KnownSetup();
    c.expect(expected);

    const Status loaded = LoadSetupFile(setup, path);
    EXPECT_EQ(loaded.code(), c.loads ? Status::Code::Ok : Status::Code::InvalidInput)
        << loaded.message();

    EXPECT_EQ(setup.FilePath.size(), expected.FilePath.size());
    EXPECT_TRUE(setup == expected);
}

INSTANTIATE_TEST_SUITE_P(
    Catalogue, SetupFileInput,
    ::testing::Values(
        SetupFileCase{"EmptyFile", "", [](CalculationSetup&) {}},
        SetupFileCase{"BinaryFile", BinaryBytes(), [](CalculationSetup&) {}, false},
        SetupFileCase{"NoTabs", "[Radius] 5\r\n[Width]=640\r\n", [](CalculationSetup&) {}},
        SetupFileCase{"NearlyAMegabytePath",
                      "[File-Path]\t" + std::string((1 << 20) - 15, 'p') + "\r\n",
                      [](CalculationSetup& s) { s.FilePath = std::string((1 << 20) - 15, 'p'); }},
        SetupFileCase{"MegabyteLineWithoutTab", std::string(1 << 20, 'q') + "\n[Radius]\t4\n",
                      [](CalculationSetup&) {}, false},
        SetupFileCase{"OldMacLineEnds", "[Radius]\t4\r[Width]\t640\r",
                      [](CalculationSetup& s) {
                          s.Radius = 4;
                          s.Width = 640;
                      }},
        SetupFileCase{"NulBytes", NulBytes(), [](CalculationSetup&) {}, false},
        SetupFileCase{"Number400Digits", "[Width]\t" + std::string(400, '9') + "\n",
                      [](CalculationSetup& s) { s.Width = HUGE_VAL; }},
        SetupFileCase{"NegativeAndZeroRadius", "[Radius]\t-2\n[Cmin]\t0\n",
                      [](CalculationSetup& s) { s.Radius = -2; }},
        SetupFileCase{"DecimalComma", "[Radius]\t2,5\n",
                      [](CalculationSetup& s) { s.Radius = 2; }}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(SetupFileInputs, WhatIsNoReadableFileIsRefusedAndChangesNothing) {
    TempDir folder;
    const std::string blocker = folder.write("plain", "x");
    for (const std::string& path : {folder.path().string(), folder.file("missing.ini"),
                                    blocker + "/setup.ini", std::string()}) {
        CalculationSetup setup = KnownSetup();
        EXPECT_FALSE(LoadSetupFile(setup, path).ok()) << path;
        EXPECT_TRUE(setup == KnownSetup()) << path;
    }
}

// A value no calculation can use is loaded as it is, shows in its box as a text that is no
// number, and the input checks refuse it before anything is computed.
TEST(SetupFileInputs, HugeValueIsCaughtByTheInputChecks) {
    TempDir folder;
    const std::string events = folder.write("events.dat", "1\t1\t1\t1\n");
    CalculationSetup setup = KnownSetup();
    setup.FilePath = events;
    ASSERT_TRUE(
        LoadSetupFile(setup, folder.write("setup.ini", "[Amax]\t" + std::string(400, '9') + "\n"))
            .ok());
    const DialogValues shown = DialogValuesFromSetup(setup);

    RecordingObserver recorder;
    EXPECT_FALSE(testing::InputPasses(shown, SpatialResolvedMode, recorder));
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0].text, catalogue::NotNumbersMessage);
    EXPECT_EQ(recorder.messages[0].caption, "Invalid input!");
}

// A save that cannot be made leaves no file, and an existing setup file is either replaced
// whole or left as it was.
TEST(SetupFileInputs, FailedSaveLeavesNothingHalfWritten) {
    TempDir folder;
    const std::string blocker = folder.write("plain", "x");
    EXPECT_FALSE(SaveSetupFile(KnownSetup(), blocker + "/setup.ini").ok());
    EXPECT_FALSE(SaveSetupFile(KnownSetup(), folder.path().string()).ok());
    EXPECT_EQ(catalogue::FolderNames(folder.path().string()), std::vector<std::string>{"plain"});
    EXPECT_EQ(ReadWholeFile(blocker), "x");

    const std::string existing = folder.write("setup.ini", "[Radius]\t9\r\n");
    ASSERT_TRUE(SaveSetupFile(KnownSetup(), existing).ok());
    CalculationSetup loaded;
    ASSERT_TRUE(LoadSetupFile(loaded, existing).ok());
    EXPECT_TRUE(loaded == KnownSetup());
}

}  // namespace
}  // namespace korvane
