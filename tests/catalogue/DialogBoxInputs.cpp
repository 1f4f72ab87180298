// Bad input in the dialog's boxes, driven through the Calculate command: each case gives its
// message, and either writes nothing or writes every picture whole.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue/CatalogueSupport.h"
#include "setup/CalculateCommand.h"
#include "support/DialogInputs.h"
#include "support/RecordingObserver.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

using catalogue::FinishedMessage;
using catalogue::PassingValues;
using catalogue::PictureNames;
using testing::CalculateOutcome;
using testing::NothingWrittenMessage;
using testing::RadiusMessage;
using testing::RecordingObserver;
using testing::TempDir;

// With an event at the edge of each tiny range below: a run whose ranges hold no event
// writes nothing.
const char* const SmallCloud =
    "1\t1\t1\t0.5\n2\t2.5\t3\t1.5\n5\t5\t5\t4.5\n5.1\t5.2\t4.9\t4.6\n9\t9\t9\t9.5\n"
    "1000000000\t5\t5\t5\n5\t-1000000000\t5\t5\n5\t5\t1000000000\t5\n5\t5\t5\t1000000000\n"
    "5\t5\t5\t0.0000005\n";

struct BoxCase {
    const char* label;
    int mode;
    void (*edit)(DialogValues& values);
    CalculateOutcome outcome;
    const char* message;  // the one box shown
    int pictures;         // pictures in the folder afterwards
    int pictureWidth;     // size of each picture written (0: not checked)
    int pictureHeight;
    int stopAfter;  // the user asks to stop once this picture is shown (0: never)
};

const char* PictureName(int mode, int direction, int n) {
    static std::string name;
    const char* prefix =
        direction == 3 ? "perspective" : (mode == SpatialResolvedMode ? "space" : "time");
    name = std::string(prefix) + (n < 10 ? "000" : "00") + std::to_string(n) + ".bmp";
    return name.c_str();
}

class DialogBoxInput : public ::testing::TestWithParam<BoxCase> {};

TEST_P(DialogBoxInput, GivesItsMessageAndOnlyWholePictures) {
    const BoxCase& c = GetParam();
    TempDir folder;
    DialogValues values = PassingValues(folder.write("events.dat", SmallCloud));
    c.edit(values);
    RecordingObserver recorder;
    recorder.stopAfter = c.stopAfter;
    CalculationWorkspace workspace;

    EXPECT_EQ(CalculateRecorded(values, c.mode, recorder, workspace), c.outcome);

    if (c.message == nullptr) {
        EXPECT_TRUE(recorder.messages.empty());
    } else {
        ASSERT_EQ(recorder.messages.size(), 1u);
        EXPECT_NE(recorder.messages[0].text.find(c.message), std::string::npos)
            << recorder.messages[0].text;
    }
    const std::vector<std::string> pictures = PictureNames(folder.path().string());
    ASSERT_EQ(static_cast<int>(pictures.size()), c.pictures);
    for (int n = 1; n <= c.pictures; ++n) {
        // Numbered from 1 without gaps, each a whole picture of the expected size.
        const std::string name = PictureName(c.mode, values.direction, n);
        const cv::Mat picture = catalogue::ReadPicture(folder.file(name));
        ASSERT_FALSE(picture.empty()) << name;
        if (c.pictureWidth > 0) {
            EXPECT_EQ(picture.cols, c.pictureWidth) << name;
            EXPECT_EQ(picture.rows, c.pictureHeight) << name;
        }
    }
    // No temporary file of an unfinished picture is left.
    EXPECT_EQ(testing::NamesBesideTheIndex(folder.path()).size(), pictures.size() + 1);
}

constexpr int Spatial = SpatialResolvedMode;
constexpr int Time = TimeResolvedMode;
using O = CalculateOutcome;

// Pictures are the raster plus 300 x 200 pixels of margin; the raster of a 20 x 16 picture
// over 0..10 is 22 x 18.
INSTANTIATE_TEST_SUITE_P(Catalogue, DialogBoxInput,
                         ::testing::Values(BoxCase{"Number400DigitsInXMax", Spatial,
                                                   [](DialogValues& v) {
                                                       v.xMax = std::string(400, '9');
                                                   },
                                                   O::InvalidInput, catalogue::NotNumbersMessage, 0,
                                                   0, 0, 0},
                                           BoxCase{"Number400DigitsInRadius", Time,
                                                   [](DialogValues& v) {
                                                       v.radius = std::string(400, '9');
                                                   },
                                                   O::InvalidInput, catalogue::NotNumbersMessage, 0,
                                                   0, 0, 0},
                                           BoxCase{"Number300DigitsRangeInfiniteWidth", Spatial,
                                                   [](DialogValues& v) {
                                                       v.xMin = "-" + std::string(308, '9');
                                                       v.xMax = std::string(308, '9');
                                                   },
                                                   O::Failed, "picture", 0, 0, 0, 0},
                                           BoxCase{"NegativeRadius", Spatial,
                                                   [](DialogValues& v) { v.radius = "-3"; },
                                                   O::InvalidInput, RadiusMessage, 0, 0, 0, 0},
                                           BoxCase{"ZeroRadius", Time,
                                                   [](DialogValues& v) { v.radius = "0"; },
                                                   O::InvalidInput, RadiusMessage, 0, 0, 0, 0},
                                           BoxCase{"ZeroRadiusPerspective", Time,
                                                   [](DialogValues& v) {
                                                       v.radius = "0";
                                                       v.direction = 3;
                                                   },
                                                   O::InvalidInput, RadiusMessage, 0, 0, 0, 0},
                                           BoxCase{"ZeroWidthPictureRanges", Spatial,
                                                   [](DialogValues& v) {
                                                       v.xMin = v.xMax = "5";
                                                       v.yMin = v.yMax = "5";
                                                   },
                                                   O::Finished, FinishedMessage, 2, 302, 202, 0},
                                           BoxCase{"ZeroWidthDepthRange", Spatial,
                                                   [](DialogValues& v) { v.zMin = v.zMax = "5"; },
                                                   O::NothingMade, NothingWrittenMessage, 0, 0, 0,
                                                   0},
                                           BoxCase{"ZeroWidthTimeRange", Time,
                                                   [](DialogValues& v) {
                                                       v.timeStart = v.timeEnd = "3";
                                                   },
                                                   O::NothingMade, NothingWrittenMessage, 0, 0, 0,
                                                   0},
                                           BoxCase{"MillionthAtThousandMillion", Spatial,
                                                   [](DialogValues& v) {
                                                       v.xMin = "1000000000";
                                                       v.xMax = "1000000000.000001";
                                                       v.width = "800";
                                                   },
                                                   O::Finished, FinishedMessage, 2, 0, 0, 0},
                                           BoxCase{"MillionthAtThousandMillionTime", Time,
                                                   [](DialogValues& v) {
                                                       v.yMin = "-1000000000.000001";
                                                       v.yMax = "-1000000000";
                                                       v.height = "800";
                                                   },
                                                   O::Finished, FinishedMessage, 2, 0, 0, 0},
                                           // A step below the precision of the position never
                                           // advances it: the series stops after the number of
                                           // pictures asked for, plus the one rounding may add.
                                           BoxCase{"TinyStepBounded", Spatial,
                                                   [](DialogValues& v) {
                                                       v.zMin = "1000000000";
                                                       v.zMax = "1000000000.0000001";
                                                       v.numberOfPictures = "3";
                                                   },
                                                   O::Finished, FinishedMessage, 4, 322, 218, 0},
                                           BoxCase{"TinyTimeStepBounded", Time,
                                                   [](DialogValues& v) {
                                                       v.timeStart = "1000000000";
                                                       v.timeEnd = "1000000000.0000001";
                                                       v.numberOfPictures = "3";
                                                   },
                                                   O::Finished, FinishedMessage, 4, 322, 218, 0},
                                           // 9999 pictures of a tiny step: the user stops it; the
                                           // pictures so far are whole.
                                           BoxCase{"NinetyNineNinetyNinePicturesOfATinyStep",
                                                   Spatial,
                                                   [](DialogValues& v) {
                                                       v.zMin = "1000000000";
                                                       v.zMax = "1000000000.0000001";
                                                       v.numberOfPictures = "9999";
                                                   },
                                                   O::Cancelled, nullptr, 3, 322, 218, 3},
                                           BoxCase{"NinetyNineNinetyNineTimeWindows", Time,
                                                   [](DialogValues& v) {
                                                       v.timeEnd = "0.000001";
                                                       v.numberOfPictures = "9999";
                                                   },
                                                   O::Cancelled, nullptr, 3, 322, 218, 3},
                                           BoxCase{
                                               "OnePixelPicture", Spatial,
                                               [](DialogValues& v) { v.width = v.height = "1"; },
                                               O::Finished, FinishedMessage, 2, 303, 203, 0},
                                           BoxCase{"OnePixelPerspective", Time,
                                                   [](DialogValues& v) {
                                                       v.width = v.height = "1";
                                                       v.direction = 3;
                                                   },
                                                   O::Finished, FinishedMessage, 2, 501, 401, 0},
                                           BoxCase{"SizeNoMemoryHolds", Spatial,
                                                   [](DialogValues& v) {
                                                       v.width = v.height = "1000000000";
                                                   },
                                                   O::Failed, "too large", 0, 0, 0, 0},
                                           BoxCase{"SizeNoMemoryHoldsTime", Time,
                                                   [](DialogValues& v) {
                                                       v.width = std::string(300, '9');
                                                       v.height = "1000000";
                                                   },
                                                   O::Failed, "", 0, 0, 0, 0},
                                           BoxCase{"SizeNoMemoryHoldsPerspective", Time,
                                                   [](DialogValues& v) {
                                                       v.width = v.height = "1000000000";
                                                       v.direction = 3;
                                                   },
                                                   O::Failed, "", 0, 0, 0, 0},
                                           BoxCase{"EventFileIsAFolder", Spatial,
                                                   [](DialogValues& v) {
                                                       v.eventFilePath = v.eventFilePath.substr(
                                                           0, v.eventFilePath.rfind('/'));
                                                   },
                                                   O::InvalidInput,
                                                   "is a folder, not an event file.", 0, 0, 0, 0},
                                           BoxCase{"TenThousandPictures", Spatial,
                                                   [](DialogValues& v) {
                                                       v.numberOfPictures = "10000";
                                                   },
                                                   O::InvalidInput, catalogue::OutOfRangeMessage, 0,
                                                   0, 0, 0}),
                         [](const auto& info) { return std::string(info.param.label); });

// The most events a file may hold are all read and counted, and the series runs on them.
TEST(DialogBoxInputs, FiftyThousandEventsRunToTheEnd) {
    TempDir folder;
    DialogValues values = PassingValues(folder.write("events.dat", catalogue::EventLines(50000)));
    values.fixedDensityState = 0;
    values.gaussianState = 1;
    RecordingObserver recorder;
    CalculationWorkspace workspace;

    EXPECT_EQ(CalculateRecorded(values, TimeResolvedMode, recorder, workspace),
              CalculateOutcome::Finished);
    EXPECT_EQ(workspace.events.count, 50000);
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0].text, FinishedMessage);
    EXPECT_EQ(PictureNames(folder.path().string()).size(), 2u);
}

}  // namespace
}  // namespace korvane
