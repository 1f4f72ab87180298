// Bad places for the pictures: the series writes into the folder of the event file, and
// where that cannot be done the calculation ends with a box naming the picture, leaving the
// pictures written before it whole and no half-written one.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "catalogue/CatalogueSupport.h"
#include "setup/CalculateCommand.h"
#include "support/RecordingObserver.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

using catalogue::PassingValues;
using catalogue::PictureNames;
using testing::CalculateOutcome;
using testing::RecordingObserver;
using testing::TempDir;

const char* const SmallCloud = "1\t1\t1\t0.5\n5\t5\t5\t4.5\n9\t9\t9\t9.5\n";

TEST(PictureFolderInputs, ReadOnlyFolderEndsWithABoxAndNoPicture) {
    TempDir folder;
    const std::string events = folder.write("events.dat", SmallCloud);
    chmod(folder.path().c_str(), 0555);
    if (catalogue::PermissionsDoNotStopWrites(folder.path().string())) {
        chmod(folder.path().c_str(), 0755);
        GTEST_SKIP() << "this user writes into read-only folders (superuser)";
    }
    RecordingObserver recorder;
    CalculationWorkspace workspace;

    const CalculateOutcome outcome =
        CalculateRecorded(PassingValues(events), SpatialResolvedMode, recorder, workspace);
    chmod(folder.path().c_str(), 0755);

    EXPECT_EQ(outcome, CalculateOutcome::Failed);
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_NE(recorder.messages[0].text.find("space0001.bmp"), std::string::npos);
    EXPECT_EQ(recorder.messages[0].icon, MessageIcon::Stop);
    EXPECT_EQ(testing::NamesBesideTheIndex(folder.path()), std::vector<std::string>{"events.dat"});
}

// A picture's name taken by a folder cannot be written by anyone, the superuser included.
TEST(PictureFolderInputs, PictureNameTakenByAFolderStopsTheSeriesThere) {
    for (const int mode : {SpatialResolvedMode, TimeResolvedMode}) {
        const std::string prefix = mode == SpatialResolvedMode ? "space" : "time";
        TempDir folder;
        const std::string events = folder.write("events.dat", SmallCloud);
        std::filesystem::create_directory(folder.file(prefix + "0002.bmp"));
        DialogValues values = PassingValues(events);
        values.numberOfPictures = "4";
        RecordingObserver recorder;
        CalculationWorkspace workspace;

        EXPECT_EQ(CalculateRecorded(values, mode, recorder, workspace), CalculateOutcome::Failed);

        ASSERT_EQ(recorder.messages.size(), 1u);
        EXPECT_NE(recorder.messages[0].text.find(prefix + "0002.bmp"), std::string::npos)
            << recorder.messages[0].text;
        // Picture 1 is whole; nothing after the failed one was written, nothing is left half.
        EXPECT_FALSE(catalogue::ReadPicture(folder.file(prefix + "0001.bmp")).empty());
        EXPECT_EQ(
            testing::NamesBesideTheIndex(folder.path()),
            (std::vector<std::string>{"events.dat", prefix + "0001.bmp", prefix + "0002.bmp"}));
    }
}

TEST(PictureFolderInputs, PerspectivePictureNameTakenByAFolder) {
    TempDir folder;
    const std::string events = folder.write("events.dat", SmallCloud);
    std::filesystem::create_directory(folder.file("perspective0001.bmp"));
    DialogValues values = PassingValues(events);
    values.direction = 3;
    RecordingObserver recorder;
    CalculationWorkspace workspace;

    EXPECT_EQ(CalculateRecorded(values, TimeResolvedMode, recorder, workspace),
              CalculateOutcome::Failed);

    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_NE(recorder.messages[0].text.find("perspective0001.bmp"), std::string::npos);
    EXPECT_EQ(PictureNames(folder.path().string()),
              std::vector<std::string>{"perspective0001.bmp"});  // the folder itself
}

// Pictures of an earlier run are replaced whole, even when they were damaged.
TEST(PictureFolderInputs, DamagedOlderPicturesAreReplacedWhole) {
    TempDir folder;
    const std::string events = folder.write("events.dat", SmallCloud);
    folder.write("space0001.bmp", "BM damaged");
    folder.write("space0002.bmp", "");
    RecordingObserver recorder;
    CalculationWorkspace workspace;

    EXPECT_EQ(CalculateRecorded(PassingValues(events), SpatialResolvedMode, recorder, workspace),
              CalculateOutcome::Finished);

    for (const char* name : {"space0001.bmp", "space0002.bmp"}) {
        const cv::Mat picture = catalogue::ReadPicture(folder.file(name));
        ASSERT_FALSE(picture.empty()) << name;
        EXPECT_EQ(picture.cols, 322);
    }
}

}  // namespace
}  // namespace korvane
