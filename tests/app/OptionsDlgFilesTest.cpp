// The Options dialog's files: the event file chooser, setup files, "Setup.ini" and the
// example a new user sees first.

#include <QTest>
#include <filesystem>

#include "AppTestRegistry.h"
#include "OptionsDialogFixture.h"
#include "app/FileFilter.h"

namespace korvane::testing {
namespace {

CalculationSetup LoadedFrom(const std::string& path) {
    CalculationSetup setup;
    setup.Radius = -1;  // a value no saved file here holds, to see that the file was read
    (void)LoadSetupFile(setup, path);  // the radius shows whether the file was read
    return setup;
}

class OptionsDlgFilesTest : public QObject {
    Q_OBJECT
  private slots:
    void loadPutsTheChosenFileInItsBox() {
        OptionsDialogFixture fixture;
        CalculationSetup setup;
        setup.Amin = 2;
        fixture.OpenWith(CalculationKind::Spatial, setup);
        fixture.Edit("xMinBox")->setText("typed");
        fixture.choosers.fileAnswers.push_back("/data/run 7/events.dat");
        fixture.Click("loadEventFileButton");

        QCOMPARE(fixture.choosers.fileQuestions.size(), size_t{1});
        QCOMPARE(fixture.choosers.fileQuestions[0].kind, FileDialogKind::Open);
        QCOMPARE(QtFileFilter(fixture.choosers.fileQuestions[0].filter),
                 QString("ASCII-Files (*.dat);;Catalogues (*.csv *.txt *.reloc *.hyp *.xml);;All "
                         "files (*)"));
        QCOMPARE(fixture.Text("eventFileBox"), QString("/data/run 7/events.dat"));
        // All exchanged values are written back, so the typed text gives way.
        QCOMPARE(fixture.Text("xMinBox"), QString("2.000"));

        fixture.Click("loadEventFileButton");  // cancelled: nothing changes
        QCOMPARE(fixture.Text("eventFileBox"), QString("/data/run 7/events.dat"));
    }

    // "Fit to events" reads the file on the worker and sets only the ranges, space with a
    // margin of 5 % of each span, time in whole seconds just around the events; an unreadable
    // file changes nothing and says why.
    void fitToEventsSetsTheRangesFromTheEvents() {
        OptionsDialogFixture fixture;
        const std::string events = fixture.dir.write("events.dat", "0\t0\t0\t0\n10\t20\t40\t100\n");
        OptionsDlg& dialog = fixture.OpenWith(CalculationKind::Time, RunnableSetup(events));
        fixture.Edit("radiusBox")->setText("3");
        fixture.Click("fitToEventsButton");
        QTRY_VERIFY(!dialog.IsCalculating());
        const QStringList boxes = {"xMinBox", "xMaxBox",      "yMinBox",    "yMaxBox",  "zMinBox",
                                   "zMaxBox", "timeStartBox", "timeEndBox", "radiusBox"};
        QStringList shown;
        for (const QString& box : boxes) {
            shown << fixture.Text(box);
        }
        QCOMPARE(shown.join(' '), QString("-0.500 10.500 -1.000 21.000 -2.000 42.000 -1 101 3"));

        fixture.Edit("eventFileBox")->setText(QString::fromStdString(fixture.dir.file("gone")));
        fixture.Click("fitToEventsButton");
        QTRY_VERIFY(!dialog.IsCalculating());
        QCOMPARE(fixture.boxes.shown.size(), size_t{1});
        QCOMPARE(fixture.boxes.shown[0].caption, std::string("Fit to events"));
        QCOMPARE(fixture.Text("xMaxBox"), QString("10.500"));
    }

    void loadSetupChangesOnlyTheKeysOfTheFile() {
        OptionsDialogFixture fixture;
        CalculationSetup setup;
        setup.Bmax = 7;
        setup.Radius = 2;
        fixture.OpenWith(CalculationKind::Time, setup);
        const std::string chosen = fixture.dir.write("radius.ini", "[Radius]\t5\r\n");
        fixture.choosers.fileAnswers.push_back(chosen);
        fixture.Click("loadSetupButton");

        QCOMPARE(fixture.choosers.fileQuestions.back().filter,
                 std::string("Korvane Ini-Files(*.ini)|*.ini||"));
        QCOMPARE(fixture.Text("radiusBox"), QString("5"));
        QCOMPARE(fixture.Text("yMaxBox"), QString("7.000"));
    }

    // A relative event file of a loaded setup file is the one beside that setup file.
    void loadSetupTakesARelativeEventFileFromItsFolder() {
        OptionsDialogFixture fixture;
        fixture.OpenWith(CalculationKind::Spatial, RunnableSetup("/data/events.dat"));
        std::filesystem::create_directories(fixture.dir.file("run"));
        const std::string events = fixture.dir.write("run/cat.csv", "x,y,z,t\n1,2,3,4\n");
        fixture.choosers.fileAnswers.push_back(
            fixture.dir.write("run/cat.ini", "[File-Path]\tcat.csv\r\n"));
        fixture.Click("loadSetupButton");
        QCOMPARE(fixture.Text("eventFileBox"), QString::fromStdString(events));
    }

    void saveSetupWritesExactlyTheChosenName() {
        OptionsDialogFixture fixture;
        fixture.OpenWith(CalculationKind::Spatial, RunnableSetup("/data/events.dat"));
        fixture.Edit("radiusBox")->setText("6");
        fixture.Click("fixedSizeCheck");  // "Fixed image size" off
        const std::string chosen = fixture.dir.file("mine");
        fixture.choosers.fileAnswers.push_back(chosen);
        fixture.Click("saveSetupButton");

        QCOMPARE(fixture.choosers.fileQuestions.back().kind, FileDialogKind::Open);
        QVERIFY(std::filesystem::exists(chosen));
        QVERIFY(!std::filesystem::exists(chosen + ".ini"));
        const CalculationSetup saved = LoadedFrom(chosen);
        QCOMPARE(saved.Radius, 6.0);
        QCOMPARE(saved.Fixedsize, false);
        QCOMPARE(saved.Width, 40.0);  // the greyed box is saved all the same
        QCOMPARE(saved.FilePath, std::string("/data/events.dat"));

        fixture.Click("saveSetupButton");  // cancelled: nothing written
        QCOMPARE(fixture.choosers.fileQuestions.size(), size_t{2});
    }

    // Saving used to fail without a word; the box names the file and the reason, and the
    // console line the program has always printed goes out too.
    void aSetupThatCannotBeSavedIsShownInAnErrorBox() {
        OptionsDialogFixture fixture;
        fixture.OpenWith(CalculationKind::Spatial, RunnableSetup("/data/events.dat"));
        const std::string unreachable = fixture.dir.file("no such folder/mine.ini");
        fixture.choosers.fileAnswers.push_back(unreachable);
        fixture.Click("saveSetupButton");

        QCOMPARE(fixture.boxes.shown.size(), size_t{1});
        const RecordedMessage& box = fixture.boxes.shown[0];
        QCOMPARE(box.caption, std::string("Error"));
        QCOMPARE(box.icon, MessageIcon::Stop);
        QVERIFY2(box.text.find(unreachable) != std::string::npos, box.text.c_str());
        QVERIFY2(box.text.find("No such file or directory") != std::string::npos, box.text.c_str());
        QVERIFY(!std::filesystem::exists(unreachable));
    }

    void closingWritesSetupIniAndSetsTheCancelFlag() {
        OptionsDialogFixture fixture;
        OptionsDlg& dialog = fixture.OpenWith(CalculationKind::Spatial, CalculationSetup{});
        fixture.Edit("radiusBox")->setText("7");
        fixture.Edit("eventFileBox")->setText("/somewhere/else.dat");
        std::filesystem::remove(fixture.iniPath());
        dialog.close();

        QVERIFY(!dialog.isVisible());
        QVERIFY(dialog.StopRequested());
        const CalculationSetup saved = LoadedFrom(fixture.iniPath());
        QCOMPARE(saved.Radius, 7.0);
        QCOMPARE(saved.FilePath, std::string("/somewhere/else.dat"));

        // Reopened in the other mode, the dialog shows what was in the boxes at the close.
        fixture.dialog.reset();
        fixture.Open(CalculationKind::Time);
        QCOMPARE(fixture.Text("radiusBox"), QString("7"));
        QCOMPARE(fixture.Text("eventFileBox"), QString("/somewhere/else.dat"));
    }

    void escapeAndDestructionWriteSetupIniToo() {
        OptionsDialogFixture fixture;
        OptionsDlg& dialog = fixture.OpenWith(CalculationKind::Spatial, CalculationSetup{});
        fixture.Edit("numberOfPicturesBox")->setText("12");
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(!dialog.isVisible());
        // Still in the boxes when the dialog goes.
        fixture.Edit("numberOfPicturesBox")->setText("13");
        fixture.dialog.reset();
        QCOMPARE(LoadedFrom(fixture.iniPath()).NoOfPictures, 13.0);
    }

    void firstOpeningShowsTheBundledExample() {
        OptionsDialogFixture fixture;
        TempDir example;
        example.write("events.dat", "1\t2\t3\t4\n");
        CalculationSetup exampleSetup = RunnableSetup("elsewhere/events.dat");
        exampleSetup.Radius = 4;
        QVERIFY(SaveSetupFile(exampleSetup, example.file("spatial.ini")).ok());

        fixture.Open(CalculationKind::Spatial, example.path().string());
        QCOMPARE(fixture.Text("eventFileBox"), QString::fromStdString(example.file("events.dat")));
        QCOMPARE(fixture.Text("radiusBox"), QString("4"));
        QVERIFY(fixture.Find<QRadioButton>("zDirectionRadio")->isChecked());
    }

    void withoutSetupIniOrExampleEverythingIsZero() {
        OptionsDialogFixture fixture;
        fixture.Open(CalculationKind::Spatial);
        QCOMPARE(fixture.Text("eventFileBox"), QString());
        QCOMPARE(fixture.Text("xMinBox"), QString("0.000"));
        QCOMPARE(fixture.Text("numberOfPicturesBox"), QString("0"));
        QVERIFY(fixture.Find<QRadioButton>("xDirectionRadio")->isChecked());
    }

    void anExistingSetupIniWinsOverTheExample() {
        OptionsDialogFixture fixture;
        TempDir example;
        example.write("events.dat", "1\t2\t3\t4\n");
        CalculationSetup setup;
        setup.FilePath = "/mine.dat";
        QVERIFY(SaveSetupFile(setup, fixture.iniPath()).ok());
        fixture.Open(CalculationKind::Spatial, example.path().string());
        QCOMPARE(fixture.Text("eventFileBox"), QString("/mine.dat"));
    }
};

const bool registered = RegisterAppTest<OptionsDlgFilesTest>();

}  // namespace
}  // namespace korvane::testing

#include "OptionsDlgFilesTest.moc"
