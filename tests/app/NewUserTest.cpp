// What a new user does first: open "Spatial Resolved" with no "Setup.ini", press
// "Calculate!" on the bundled example, then make a movie of the pictures.

#include <QProgressBar>
#include <QTest>
#include <filesystem>

#include "AppTestRegistry.h"
#include "OptionsDialogFixture.h"
#include "app/ConversionDlg.h"

namespace korvane::testing {
namespace {

class NewUserTest : public QObject {
    Q_OBJECT
  private slots:
    void firstCalculationAndMovieOfTheBundledExample() {
        const std::filesystem::path bundled =
            std::filesystem::path(KORVANE_SOURCE_DIR) / "examples";
        if (!std::filesystem::exists(bundled / "events.dat") ||
            !std::filesystem::exists(bundled / "spatial.ini")) {
            QSKIP("the bundled example is not in the source tree");
        }
        // A copy, so the pictures land in a temporary folder and not in the sources.
        TempDir example;
        for (const char* name : {"events.dat", "spatial.ini"}) {
            std::filesystem::copy_file(bundled / name, example.path() / name);
        }
        CalculationSetup expected;
        QVERIFY(LoadSetupFile(expected, example.file("spatial.ini")).ok());

        OptionsDialogFixture fixture;
        OptionsDlg& dialog = fixture.Open(SpatialResolvedMode, example.path().string());
        fixture.Calculate();
        QCOMPARE(fixture.boxes.shown.size(), size_t{1});
        QCOMPARE(fixture.boxes.shown[0].text, std::string("Calculation finished successfully."));
        QVERIFY(!dialog.isVisible());
        const int pictures = static_cast<int>(expected.NoOfPictures);
        QVERIFY(pictures > 0);
        QVERIFY(std::filesystem::exists(example.file("space0001.bmp")));

        fixture.choosers.folderAnswers.push_back(example.path().string());
        fixture.choosers.fileAnswers.push_back(fixture.dir.file("example.avi"));
        fixture.choosers.codecAnswers.push_back("MJPG");
        ConversionDlg conversion({fixture.choosers, fixture.boxes});
        conversion.Run();
        QCOMPARE(fixture.boxes.shown.size(), size_t{1});  // no box besides the first
        QVERIFY(std::filesystem::file_size(fixture.dir.file("example.avi")) > 0);
        QCOMPARE(conversion.m_progress->value(), conversion.m_progress->maximum());
        QVERIFY(conversion.m_progress->maximum() >= pictures);
    }
};

const bool registered = RegisterAppTest<NewUserTest>();

}  // namespace
}  // namespace korvane::testing

#include "NewUserTest.moc"
