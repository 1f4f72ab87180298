#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "density/DensityEstimate.h"
#include "density/PerspectiveMaximum.h"
#include "events/EventFile.h"
#include "series/PerspectiveSeries.h"
#include "series/PlaneSeries.h"
#include "setup/CalculateCommand.h"
#include "support/DialogInputs.h"
#include "support/EventClouds.h"
#include "support/Folders.h"
#include "support/RecordingObserver.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

using testing::CalculateOutcome;
using testing::FinishedMessage;
using testing::MissingFileMessage;
using testing::NotNumbersMessage;
using testing::OutOfRangeMessage;
using testing::PassingValues;
using testing::PerspectiveInSpatialMessage;
using testing::PictureNames;
using testing::RecordedMessage;
using testing::RecordingObserver;
using testing::SmallCloud;
using testing::TempDir;

using Box = std::string DialogValues::*;

struct NamedBox {
    const char* name;
    Box box;
};

// The thirteen boxes in the order they are tested.
const NamedBox AllBoxes[] = {
    {"x-min", &DialogValues::xMin},
    {"x-max", &DialogValues::xMax},
    {"y-min", &DialogValues::yMin},
    {"y-max", &DialogValues::yMax},
    {"z-min", &DialogValues::zMin},
    {"z-max", &DialogValues::zMax},
    {"start", &DialogValues::timeStart},
    {"end", &DialogValues::timeEnd},
    {"number of pictures", &DialogValues::numberOfPictures},
    {"height", &DialogValues::height},
    {"width", &DialogValues::width},
    {"density maximum", &DialogValues::densityMaximum},
    {"radius", &DialogValues::radius},
};

class CalculateCommandTest : public ::testing::Test {
  protected:
    CalculateCommandTest() : eventFile(folder.write("events.dat", SmallCloud)) {}

    // The message of the first failed input test, or "" when the input passed.
    std::string ValidationMessage(const DialogValues& values, int mode) {
        CalculationRequest request;
        const Status status = ParseCalculation(values, KindOf(mode), &request);
        if (status.ok()) {
            return "";
        }
        EXPECT_EQ(status.code(), Status::Code::InvalidInput);
        const std::optional<UserMessage> box = MessageOfCalculation(status);
        if (!box) {
            ADD_FAILURE() << "no box for a failed input test";
            return "(no message)";
        }
        EXPECT_EQ(box->caption, "Invalid input!");
        EXPECT_EQ(box->icon, MessageIcon::Stop);
        EXPECT_EQ(box->text, status.message());
        return box->text;
    }

    static CalculationKind KindOf(int mode) {
        return mode == SpatialResolvedMode ? CalculationKind::Spatial : CalculationKind::Time;
    }

    // The request the boxes give; the input tests must pass.
    static CalculationRequest RequestOf(const DialogValues& values, int mode) {
        CalculationRequest request;
        const Status status = ParseCalculation(values, KindOf(mode), &request);
        EXPECT_TRUE(status.ok()) << status.message();
        return request;
    }

    // The bytes of every picture in the folder, by name; the pictures are removed.
    std::map<std::string, std::string> TakePictures() {
        std::map<std::string, std::string> pictures;
        for (const std::string& name : PicturesInFolder()) {
            pictures[name] = testing::ReadWholeFile(folder.file(name));
            std::filesystem::remove(folder.path() / name);
        }
        return pictures;
    }

    static std::vector<std::string> NamesOf(const std::map<std::string, std::string>& pictures) {
        std::vector<std::string> names;
        for (const auto& [name, bytes] : pictures) {
            names.push_back(name);
        }
        return names;
    }

    // The event table of the calculation's event file, read afresh.
    std::unique_ptr<CalculationWorkspace> FreshTable(const CalculationRequest& request) {
        auto fresh = std::make_unique<CalculationWorkspace>();
        const Status read = ReadEventFile(request.eventFilePath, fresh->events);
        EXPECT_TRUE(read.ok()) << read.message();
        return fresh;
    }

    // The pictures the series of `request` draws with `maximum` at the top of the colour
    // scale, run directly on a fresh table (the folder must be empty before; it is after).
    std::map<std::string, std::string> PicturesWithMaximum(const CalculationRequest& request,
                                                           double maximum) {
        const std::unique_ptr<CalculationWorkspace> fresh = FreshTable(request);
        RecordingObserver recorder;
        SeriesContext context{recorder, fresh->events, request, maximum, fresh->series};
        const Status status = request.kind == CalculationKind::Spatial ? RunSpatialSeries(context)
                              : request.direction == ViewDirection::Perspective
                                  ? RunPerspectiveSeries(context)
                                  : RunTimeSeries(context);
        EXPECT_TRUE(status.ok()) << status.message();
        return TakePictures();
    }

    bool PictureExists(const std::string& name) const {
        return std::filesystem::is_regular_file(folder.path() / name);
    }

    std::vector<std::string> PicturesInFolder() const { return PictureNames(folder.path()); }

    TempDir folder;
    std::string eventFile;
    // A workspace holds the whole event table; keep it off the stack.
    std::unique_ptr<CalculationWorkspace> workspace = std::make_unique<CalculationWorkspace>();
};

TEST(IsNumberText, AcceptsDigitsPointsAndMinusSignsOnly) {
    struct Row {
        const char* text;
        bool expected;
    };
    const Row rows[] = {
        {"", true},     {"0", true},     {"-12.50", true}, {"1.2.3", true}, {"3-4", true},
        {"-", true},    {".", true},     {"1e3", false},   {"1E3", false},  {"+1", false},
        {" 1", false},  {"1 ", false},   {"1,5", false},   {"\t1", false},  {"0x10", false},
        {"inf", false}, {"1.5f", false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(IsNumberText(row.text), row.expected) << '"' << row.text << '"';
    }
}

TEST_F(CalculateCommandTest, ValidInputPassesInBothModes) {
    EXPECT_EQ(ValidationMessage(PassingValues(eventFile), SpatialResolvedMode), "");
    EXPECT_EQ(ValidationMessage(PassingValues(eventFile), TimeResolvedMode), "");
}

TEST_F(CalculateCommandTest, AMissingEventFileIsReportedBeforeAnythingElse) {
    const std::string noFile = folder.file("absent.dat");
    struct Row {
        const char* what;
        std::string path;
        std::string message;
    };
    const std::string folderMessage =
        "\"" + folder.path().string() + "\" is a folder, not an event file.";
    const Row rows[] = {
        {"absent file", noFile, MissingFileMessage + std::string("\n") + noFile},
        {"empty path", "", MissingFileMessage},
        {"a folder", folder.path().string(), folderMessage},
    };
    for (const Row& row : rows) {
        DialogValues values = PassingValues(row.path);
        values.direction = 3;           // would fail in spatial mode
        values.xMin = "1,5";            // would fail the number test
        values.numberOfPictures = "0";  // would fail the range test
        EXPECT_EQ(ValidationMessage(values, SpatialResolvedMode), row.message) << row.what;
        EXPECT_EQ(ValidationMessage(values, TimeResolvedMode), row.message) << row.what;
    }
}

TEST_F(CalculateCommandTest, PerspectiveIsRefusedInSpatialModeBeforeTheNumberTests) {
    DialogValues values = PassingValues(eventFile);
    values.direction = 3;
    EXPECT_EQ(ValidationMessage(values, TimeResolvedMode), "");
    values.radius = "1,5";
    EXPECT_EQ(ValidationMessage(values, SpatialResolvedMode), PerspectiveInSpatialMessage);
    EXPECT_EQ(ValidationMessage(values, TimeResolvedMode), NotNumbersMessage);
}

TEST_F(CalculateCommandTest, EveryBoxIsTestedForNumbersEvenWhenGreyed) {
    // Fixed size and fixed maximum off, spatial mode: the width, height, density maximum and
    // time boxes are greyed and still tested.
    for (const NamedBox& named : AllBoxes) {
        for (const char* bad : {"1,5", "1e3", "+1", " 1", "1 000"}) {
            DialogValues values = PassingValues(eventFile);
            values.fixedSizeState = 0;
            values.fixedDensityState = 0;
            values.*named.box = bad;
            EXPECT_EQ(ValidationMessage(values, SpatialResolvedMode), NotNumbersMessage)
                << named.name << " = \"" << bad << '"';
        }
    }
}

TEST_F(CalculateCommandTest, ANumberTooLongForADoubleFailsTheNumberTest) {
    for (const NamedBox& named : AllBoxes) {
        DialogValues values = PassingValues(eventFile);
        values.*named.box = std::string(400, '9');
        EXPECT_EQ(ValidationMessage(values, TimeResolvedMode), NotNumbersMessage) << named.name;
    }
}

TEST_F(CalculateCommandTest, TheNumberTestComesBeforeTheRangeTest) {
    DialogValues values = PassingValues(eventFile);
    values.xMin = "20";  // above x-max
    values.radius = "2,0";
    EXPECT_EQ(ValidationMessage(values, SpatialResolvedMode), NotNumbersMessage);
}

TEST_F(CalculateCommandTest, RangesCountsAndSizesAreTestedByValue) {
    struct Row {
        const char* what;
        Box box;
        const char* text;
        bool passes;
    };
    const Row rows[] = {
        {"9999 pictures", &DialogValues::numberOfPictures, "9999", true},
        {"9999.5 pictures", &DialogValues::numberOfPictures, "9999.5", false},
        {"10000 pictures", &DialogValues::numberOfPictures, "10000", false},
        {"0 pictures", &DialogValues::numberOfPictures, "0", false},
        {"no pictures typed", &DialogValues::numberOfPictures, "", false},
        {"-1 pictures", &DialogValues::numberOfPictures, "-1", false},
        {"0.5 pictures", &DialogValues::numberOfPictures, "0.5", true},
        {"x-min equal to x-max", &DialogValues::xMin, "10", true},
        {"x-min above x-max", &DialogValues::xMin, "10.001", false},
        {"y-max below y-min", &DialogValues::yMax, "-1", false},
        {"z-max equal to z-min", &DialogValues::zMax, "0", true},
        {"z-max below z-min", &DialogValues::zMax, "-0.5", false},
        {"end before start", &DialogValues::timeEnd, "-3", false},
        {"end equal to start", &DialogValues::timeEnd, "0", true},
        {"x-max 3-4 reads as 3", &DialogValues::xMax, "3-4", true},
        {"x-max 1.2.3 reads as 1.2", &DialogValues::xMax, "1.2.3", true},
        {"x-max - reads as 0", &DialogValues::xMax, "-", true},
        {"empty width", &DialogValues::width, "", false},
        {"zero height", &DialogValues::height, "0", false},
        {"negative height", &DialogValues::height, "-5", false},
    };
    for (const Row& row : rows) {
        for (const int fixedSize : {0, 1}) {
            DialogValues values = PassingValues(eventFile);
            values.fixedSizeState = fixedSize;
            values.*row.box = row.text;
            EXPECT_EQ(ValidationMessage(values, TimeResolvedMode),
                      row.passes ? "" : OutOfRangeMessage)
                << row.what << ", fixed size " << fixedSize;
        }
    }
}

TEST_F(CalculateCommandTest, NoSelectedDirectionIsRefusedAfterTheOtherTests) {
    DialogValues values = PassingValues(eventFile);
    values.direction = -1;
    const std::string message = ValidationMessage(values, TimeResolvedMode);
    EXPECT_NE(message, "");
    EXPECT_NE(message, OutOfRangeMessage);
    values.numberOfPictures = "0";
    EXPECT_EQ(ValidationMessage(values, TimeResolvedMode), OutOfRangeMessage);
}

TEST_F(CalculateCommandTest, FailedValidationRunsNothing) {
    DialogValues values = PassingValues(eventFile);
    values.width = "0";
    RecordingObserver recorder;
    EXPECT_EQ(CalculateRecorded(values, SpatialResolvedMode, recorder, *workspace),
              CalculateOutcome::InvalidInput);
    EXPECT_EQ(recorder.countedPhases, 0);
    EXPECT_TRUE(PicturesInFolder().empty());
}

// --- The run's values and the series each mode and direction selects -------------------

struct DerivationRow {
    const char* what;
    int direction;
    // Expected picture axes and depth axis as (min, max) pairs of the boxes below.
    double hMin, hMax, vMin, vMax, depthMin, depthMax;
};

// x 0..10, y 2..6, z -4..4 so that every axis is told apart.
DialogValues DistinctRanges(DialogValues values) {
    values.xMin = "0";
    values.xMax = "10";
    values.yMin = "2";
    values.yMax = "6";
    values.zMin = "-4";
    values.zMax = "4";
    return values;
}

// The picture axes and the depth axis the request's direction gives.
void ExpectAxisRanges(const CalculationRequest& request, const DerivationRow& row) {
    const PlaneRange ranges = ViewGeometryOf(request).ranges;
    EXPECT_EQ(ranges.horizontal.min, row.hMin) << row.what;
    EXPECT_EQ(ranges.horizontal.max, row.hMax) << row.what;
    EXPECT_EQ(ranges.vertical.min, row.vMin) << row.what;
    EXPECT_EQ(ranges.vertical.max, row.vMax) << row.what;
    const AxisRange depth = request.box.Column(ViewAxes(request.direction).depth);
    EXPECT_EQ(depth.min, row.depthMin) << row.what;
    EXPECT_EQ(depth.max, row.depthMax) << row.what;
}

TEST_F(CalculateCommandTest, SpatialRunTakesItsAxesFromTheDirection) {
    const DerivationRow rows[] = {
        {"along x", 0, 2, 6, -4, 4, 0, 10},
        {"along y", 1, 0, 10, -4, 4, 2, 6},
        {"along z", 2, 0, 10, 2, 6, -4, 4},
    };
    for (const DerivationRow& row : rows) {
        DialogValues values = DistinctRanges(PassingValues(eventFile));
        values.direction = row.direction;
        values.numberOfPictures = "4";
        values.radius = "1";
        values.gaussianState = 1;
        const CalculationRequest request = RequestOf(values, SpatialResolvedMode);
        EXPECT_EQ(request.kind, CalculationKind::Spatial);
        EXPECT_EQ(request.direction, static_cast<ViewDirection>(row.direction));
        ExpectAxisRanges(request, row);
        const AxisRange depth = request.box.Column(ViewAxes(request.direction).depth);
        EXPECT_EQ(request.pictureWidth, 20.0);
        EXPECT_EQ(request.pictureHeight, 16.0);
        const PlaneScale scale = ViewGeometryOf(request).scale;
        EXPECT_EQ(scale.horizontal, (row.hMax - row.hMin) / 20.0) << row.what;
        EXPECT_EQ(scale.vertical, (row.vMax - row.vMin) / 16.0) << row.what;
        EXPECT_EQ(ScaleOrStep(depth, request.numberOfPictures), (row.depthMax - row.depthMin) / 4.0)
            << row.what;
        EXPECT_EQ(request.weighting.radius, 1.0);
        EXPECT_TRUE(request.weighting.gaussian);
        EXPECT_EQ(request.fixedDensityMaximum, std::optional<double>(2.0));

        RecordingObserver recorder;
        ASSERT_EQ(CalculateRecorded(values, SpatialResolvedMode, recorder, *workspace),
                  CalculateOutcome::Finished)
            << row.what;
        EXPECT_EQ(workspace->events.count, 7);

        // Four slices counted one by one, the finish message last.
        const std::map<std::string, std::string> written = TakePictures();
        EXPECT_EQ(NamesOf(written), (std::vector<std::string>{"space0001.bmp", "space0002.bmp",
                                                              "space0003.bmp", "space0004.bmp"}))
            << row.what;
        EXPECT_EQ(recorder.countedTotal, 4);
        EXPECT_EQ(recorder.positions, (std::vector<int>{1, 2, 3, 4}));
        ASSERT_EQ(recorder.messages.size(), 1u);
        EXPECT_EQ(recorder.messages[0].text, FinishedMessage);
        EXPECT_EQ(recorder.messages[0].caption, "Information");
        EXPECT_EQ(recorder.messages[0].icon, MessageIcon::Information);
        // The fixed maximum, taken as it is, tops the colour scale.
        EXPECT_TRUE(written == PicturesWithMaximum(request, 2.0)) << row.what;
    }
}

TEST_F(CalculateCommandTest, WithoutFixedSizeThePicturesAre800PixelsWhateverTheBoxesHold) {
    DialogValues values = DistinctRanges(PassingValues(eventFile));
    values.fixedSizeState = 0;
    values.width = "40";
    values.height = "30";
    values.direction = 2;
    values.numberOfPictures = "1";
    RecordingObserver recorder;
    ASSERT_EQ(CalculateRecorded(values, SpatialResolvedMode, recorder, *workspace),
              CalculateOutcome::Finished);
    const CalculationRequest request = RequestOf(values, SpatialResolvedMode);
    EXPECT_EQ(request.pictureWidth, 800.0);
    EXPECT_EQ(request.pictureHeight, 800.0);
    EXPECT_EQ(ViewGeometryOf(request).scale.horizontal, 10.0 / 800.0);
    EXPECT_EQ(ViewGeometryOf(request).scale.vertical, 4.0 / 800.0);
}

TEST_F(CalculateCommandTest, AFixedSizeStateOtherThanOneCountsAsUnchecked) {
    DialogValues values = DistinctRanges(PassingValues(eventFile));
    values.fixedSizeState = 2;
    values.fixedDensityState = 2;
    values.direction = 2;
    values.numberOfPictures = "1";
    RecordingObserver recorder;
    ASSERT_EQ(CalculateRecorded(values, SpatialResolvedMode, recorder, *workspace),
              CalculateOutcome::Finished);
    const CalculationRequest request = RequestOf(values, SpatialResolvedMode);
    EXPECT_EQ(request.pictureWidth, 800.0);
    EXPECT_FALSE(request.fixedDensityMaximum.has_value());
    // Estimated, not the box's value: 0.8 times the highest sum.
    const std::unique_ptr<CalculationWorkspace> fresh = FreshTable(request);
    const ViewGeometry view = ViewGeometryOf(request);
    const double estimated = 0.8 * EstimateSpatialMaximum(fresh->events, view.axes, view.scale,
                                                          view.step, request.weighting);
    EXPECT_NE(estimated, 2.0);
    const std::map<std::string, std::string> written = TakePictures();
    EXPECT_EQ(NamesOf(written), std::vector<std::string>{"space0001.bmp"});
    EXPECT_TRUE(written == PicturesWithMaximum(request, estimated));
    EXPECT_FALSE(written == PicturesWithMaximum(request, 2.0));
}

TEST_F(CalculateCommandTest, EmptyRangesGiveAScaleOf1000) {
    DialogValues values = PassingValues(eventFile);
    values.direction = 1;
    values.xMin = "2";
    values.xMax = "2";
    values.numberOfPictures = "3";
    RecordingObserver recorder;
    ASSERT_EQ(CalculateRecorded(values, SpatialResolvedMode, recorder, *workspace),
              CalculateOutcome::Finished);
    const CalculationRequest request = RequestOf(values, SpatialResolvedMode);
    EXPECT_EQ(ViewGeometryOf(request).scale.horizontal, 1000.0);
    EXPECT_EQ(ViewGeometryOf(request).scale.vertical, 10.0 / 16.0);
    EXPECT_EQ(ScaleOrStep(request.box.y, request.numberOfPictures), 10.0 / 3.0);
}

TEST_F(CalculateCommandTest, TimeRunTakesItsAxesFromTheDirectionAndKeepsTheDepthRange) {
    const DerivationRow rows[] = {
        {"along x", 0, 2, 6, -4, 4, 0, 10},
        {"along y", 1, 0, 10, -4, 4, 2, 6},
        {"along z", 2, 0, 10, 2, 6, -4, 4},
    };
    for (const DerivationRow& row : rows) {
        for (const int cumulative : {0, 1}) {
            DialogValues values = DistinctRanges(PassingValues(eventFile));
            values.direction = row.direction;
            values.cumulativeState = cumulative;
            values.timeStart = "0";
            values.timeEnd = "10";
            values.numberOfPictures = "5";
            const CalculationRequest request = RequestOf(values, TimeResolvedMode);
            EXPECT_EQ(request.kind, CalculationKind::Time);
            // The depth range goes along untouched; no time picture uses it.
            ExpectAxisRanges(request, row);
            EXPECT_EQ(request.time.min, 0.0);
            EXPECT_EQ(request.time.max, 10.0);
            EXPECT_EQ(ScaleOrStep(request.time, request.numberOfPictures), 2.0);
            EXPECT_EQ(request.cumulative, cumulative == 1);
            RecordingObserver recorder;
            ASSERT_EQ(CalculateRecorded(values, TimeResolvedMode, recorder, *workspace),
                      CalculateOutcome::Finished)
                << row.what;
            EXPECT_EQ(PicturesInFolder(),
                      (std::vector<std::string>{"time0001.bmp", "time0002.bmp", "time0003.bmp",
                                                "time0004.bmp", "time0005.bmp"}))
                << row.what;
            ASSERT_FALSE(recorder.messages.empty());
            EXPECT_EQ(recorder.messages.back().text, FinishedMessage);
            for (const std::string& name : PicturesInFolder()) {
                std::filesystem::remove(folder.path() / name);
            }
        }
    }
}

TEST_F(CalculateCommandTest, PerspectiveRunWritesPerspectivePictures) {
    for (const int fixedDensity : {0, 1}) {
        DialogValues values = PassingValues(eventFile);
        values.direction = 3;
        values.fixedDensityState = fixedDensity;
        values.fixedSizeState = 0;  // the perspective picture uses the boxes all the same
        values.numberOfPictures = "2";
        RecordingObserver recorder;
        ASSERT_EQ(CalculateRecorded(values, TimeResolvedMode, recorder, *workspace),
                  CalculateOutcome::Finished);
        const CalculationRequest request = RequestOf(values, TimeResolvedMode);
        EXPECT_EQ(request.direction, ViewDirection::Perspective);
        EXPECT_EQ(ScaleOrStep(request.time, request.numberOfPictures), 5.0);
        const std::map<std::string, std::string> written = TakePictures();
        EXPECT_EQ(NamesOf(written),
                  (std::vector<std::string>{"perspective0001.bmp", "perspective0002.bmp"}));
        if (fixedDensity == 1) {
            EXPECT_EQ(request.fixedDensityMaximum, std::optional<double>(2.0));
            EXPECT_TRUE(written == PicturesWithMaximum(request, 2.0));
        } else {
            EXPECT_FALSE(request.fixedDensityMaximum.has_value());
            const std::unique_ptr<CalculationWorkspace> fresh = FreshTable(request);
            const double estimated =
                0.8 * EstimatePerspectiveMaximum(fresh->events, PerspectiveBoxOf(request),
                                                 request.weighting, request.cumulative);
            EXPECT_GT(estimated, 0.0);
            EXPECT_TRUE(written == PicturesWithMaximum(request, estimated));
        }
        ASSERT_FALSE(recorder.messages.empty());
        EXPECT_EQ(recorder.messages.back().text, FinishedMessage);
    }
}

TEST_F(CalculateCommandTest, AnEventFileThatCannotBeReadRunsNoSeries) {
    struct Row {
        const char* what;
        std::string content;
    };
    std::string lateFault;
    for (int i = 0; i < 60000; ++i) {
        lateFault += "1\t2\t3\t4\n";
    }
    lateFault += "5\t6\n";
    const Row rows[] = {
        {"a line without its four fields", "1\t2\t3\t4\n5\t6\n"},
        {"a fault after the table has grown", lateFault},
    };
    for (const Row& row : rows) {
        const std::string path = folder.write("bad.dat", row.content);
        for (const int mode : {SpatialResolvedMode, TimeResolvedMode}) {
            DialogValues values = PassingValues(path);
            RecordingObserver recorder;
            EXPECT_EQ(CalculateRecorded(values, mode, recorder, *workspace),
                      CalculateOutcome::InvalidInput)
                << row.what;
            ASSERT_EQ(recorder.messages.size(), 1u) << row.what;
            EXPECT_EQ(recorder.messages[0].caption, "Invalid input!");
            EXPECT_EQ(recorder.messages[0].icon, MessageIcon::Stop);
            EXPECT_FALSE(recorder.messages[0].text.empty());
            EXPECT_EQ(recorder.countedPhases, 0) << row.what;
            EXPECT_TRUE(PicturesInFolder().empty()) << row.what;
        }
    }
}

TEST_F(CalculateCommandTest, APictureThatCannotBeWrittenEndsWithAnErrorBox) {
    // A folder where the first picture should go: the picture cannot be saved.
    std::filesystem::create_directory(folder.path() / "space0001.bmp");
    DialogValues values = PassingValues(eventFile);
    RecordingObserver recorder;
    EXPECT_EQ(CalculateRecorded(values, SpatialResolvedMode, recorder, *workspace),
              CalculateOutcome::Failed);
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0].caption, "Error");
    EXPECT_EQ(recorder.messages[0].icon, MessageIcon::Stop);
    EXPECT_NE(recorder.messages[0].text.find("space0001.bmp"), std::string::npos)
        << recorder.messages[0].text;
}

TEST_F(CalculateCommandTest, APictureTooLargeForTheMemoryEndsWithAnErrorBox) {
    DialogValues values = PassingValues(eventFile);
    values.width = "99999999999";
    values.height = "99999999999";
    RecordingObserver recorder;
    EXPECT_EQ(CalculateRecorded(values, TimeResolvedMode, recorder, *workspace),
              CalculateOutcome::Failed);
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0].caption, "Error");
    EXPECT_EQ(recorder.messages[0].icon, MessageIcon::Stop);
    EXPECT_TRUE(PicturesInFolder().empty());
}

TEST_F(CalculateCommandTest, AStopEndsTheRunAfterThePictureShown) {
    DialogValues values = PassingValues(eventFile);
    values.numberOfPictures = "8";
    RecordingObserver recorder;
    recorder.stopAfter = 2;  // asked once picture 2 is shown; picture 3 was computed ahead
    EXPECT_EQ(CalculateRecorded(values, TimeResolvedMode, recorder, *workspace),
              CalculateOutcome::Cancelled);
    EXPECT_EQ(PicturesInFolder(), (std::vector<std::string>{"time0001.bmp", "time0002.bmp"}));
    EXPECT_TRUE(recorder.messages.empty());
}

}  // namespace
}  // namespace korvane
