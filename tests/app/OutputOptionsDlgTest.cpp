// "Output Options...": the choices shown from "Setup.ini", kept there on OK, left alone on
// Cancel, and a new user's first setup (the example) not lost to them.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "AppTestRegistry.h"
#include "FakeWindowServices.h"
#include "app/KorvaneApp.h"
#include "app/MainFrame.h"
#include "app/OutputOptionsDlg.h"
#include "setup/SetupFile.h"
#include "support/TempDir.h"

namespace korvane::testing {
namespace {

// Runs `act` on the modal dialog the next command opens.
void ActOnNextModalDialog(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [act] { act(QApplication::activeModalWidget()); });
}

template <typename Widget>
Widget* Child(QWidget* dialog, const char* name) {
    Widget* widget = dialog ? dialog->findChild<Widget*>(name) : nullptr;
    if (!widget) {
        qFatal("no control %s", name);
    }
    return widget;
}

class OutputOptionsDlgTest : public QObject {
    Q_OBJECT
  private slots:
    void okKeepsTheChoicesInSetupIniAndTheMenuOpensTheDialog() {
        TempDir dir;
        CalculationSetup stored;
        stored.FilePath = "/data/events.dat";
        stored.Radius = 4;
        QVERIFY(SaveSetupFile(stored, dir.file("Setup.ini")).ok());
        FakeChoosers choosers;
        FakeMessageBoxes boxes;
        KorvaneApp app({choosers, boxes}, OptionsDlgFiles{dir.file("Setup.ini"), ""});
        QVERIFY(app.Start());

        bool shownDefaults = false;
        ActOnNextModalDialog([&](QWidget* dialog) {
            QCOMPARE(dialog->windowTitle(), QString("Output Options"));
            shownDefaults = Child<QRadioButton>(dialog, "IDC_FORMAT_BMP")->isChecked() &&
                            !Child<QCheckBox>(dialog, "IDC_DENSITY_DATA")->isChecked() &&
                            Child<QCheckBox>(dialog, "IDC_SERIES_INDEX")->isChecked() &&
                            Child<QComboBox>(dialog, "IDC_COLOUR_MAP")->currentIndex() == 0 &&
                            !Child<QDoubleSpinBox>(dialog, "IDC_PERCENTILE")->isEnabled();
            Child<QRadioButton>(dialog, "IDC_FORMAT_PNG")->click();
            Child<QCheckBox>(dialog, "IDC_DENSITY_DATA")->click();
            Child<QCheckBox>(dialog, "IDC_SERIES_INDEX")->click();
            Child<QComboBox>(dialog, "IDC_COLOUR_MAP")->setCurrentIndex(1);  // viridis
            Child<QComboBox>(dialog, "IDC_SCALE")->setCurrentIndex(1);       // log
            Child<QComboBox>(dialog, "IDC_MAXIMUM")->setCurrentIndex(2);     // percentile
            Child<QDoubleSpinBox>(dialog, "IDC_PERCENTILE")->setValue(99);
            Child<QComboBox>(dialog, "IDC_WEIGHTS")->setCurrentIndex(2);      // moment
            Child<QComboBox>(dialog, "IDC_RADIUS_UNIT")->setCurrentIndex(1);  // coordinates
            Child<QLineEdit>(dialog, "IDC_UNIT")->setText(" km ");
            Child<QPushButton>(dialog, "IDOK")->click();
        });
        app.mainFrame()->commands().outputOptions->trigger();
        QVERIFY(shownDefaults);

        CalculationSetup loaded;
        QVERIFY(LoadSetupFile(loaded, dir.file("Setup.ini")).ok());
        QCOMPARE(loaded.Output.format, PictureFormat::Png);
        QVERIFY(loaded.Output.densities);
        QVERIFY(!loaded.Output.index);
        QCOMPARE(loaded.Output.colourMap, ColourMap::Viridis);
        QCOMPARE(loaded.Output.scale, DensityScale::Log);
        QVERIFY((loaded.Output.maximum == MaximumChoice{MaximumMode::Percentile, 99.0}));
        QCOMPARE(loaded.Output.eventWeights, EventWeighting::Moment);
        QCOMPARE(loaded.Output.radiusUnit, RadiusUnit::Coordinates);
        QCOMPARE(loaded.Output.unit, std::string("km"));
        loaded.Output = {};
        QVERIFY(loaded == stored);  // the rest of the setup is as it was
        QVERIFY(boxes.shown.empty());
    }

    void cancelChangesNothingAndANewUserKeepsTheExample() {
        TempDir dir;
        TempDir example;
        example.write("events.dat", "1\t2\t3\t4\n");
        example.write("spatial.ini", "[Radius]\t8\r\n[Direction]\t2\r\n");
        FakeChoosers choosers;
        FakeMessageBoxes boxes;
        const OptionsDlgFiles files{dir.file("Setup.ini"), example.path().string()};

        OutputOptionsDlg cancelled({choosers, boxes}, files);
        ActOnNextModalDialog([](QWidget* dialog) {
            Child<QRadioButton>(dialog, "IDC_FORMAT_PNG")->click();
            Child<QPushButton>(dialog, "IDCANCEL")->click();
        });
        QCOMPARE(cancelled.Run(), int(QDialog::Rejected));
        QVERIFY(!std::filesystem::exists(dir.file("Setup.ini")));

        OutputOptionsDlg chosen({choosers, boxes}, files);
        ActOnNextModalDialog([](QWidget* dialog) {
            Child<QRadioButton>(dialog, "IDC_FORMAT_PNG")->click();
            Child<QPushButton>(dialog, "IDOK")->click();
        });
        QCOMPARE(chosen.Run(), int(QDialog::Accepted));
        CalculationSetup loaded;
        QVERIFY(LoadSetupFile(loaded, dir.file("Setup.ini")).ok());
        QCOMPARE(loaded.Output.format, PictureFormat::Png);
        QCOMPARE(loaded.Radius, 8.0);  // the example the Options dialog would have shown
        QCOMPARE(loaded.FilePath, example.file("events.dat"));
    }

    void overlayFilesAreAddedByKindAndABadOneIsNamedNotAdded() {
        TempDir dir;
        const std::string stations = dir.write("stations.csv", "name,x,y\nA,1,2\n");
        const std::string drifts = dir.write("drifts.txt", "1,2\n3,4\n");
        const std::string bad = dir.write("bad.txt", "1,2\n3\n");
        FakeChoosers choosers;
        choosers.fileAnswers = {drifts, stations, bad, std::nullopt};
        FakeMessageBoxes boxes;
        OutputOptionsDlg dialog({choosers, boxes}, OptionsDlgFiles{dir.file("Setup.ini"), ""});
        ActOnNextModalDialog([](QWidget* shown) {
            for (int i = 0; i < 4; ++i) {
                Child<QPushButton>(shown, "IDC_OVERLAY_ADD")->click();
            }
            auto* list = Child<QListWidget>(shown, "IDC_OVERLAY_LIST");
            QCOMPARE(list->count(), 2);
            Child<QPushButton>(shown, "IDOK")->click();
        });
        QCOMPARE(dialog.Run(), int(QDialog::Accepted));
        QCOMPARE(boxes.shown.size(), std::size_t(1));  // the bad file, by its line
        QVERIFY(boxes.shown[0].text.find("bad.txt\", line 2") != std::string::npos);
        CalculationSetup loaded;
        QVERIFY(LoadSetupFile(loaded, dir.file("Setup.ini")).ok());
        QCOMPARE(loaded.Output.overlayPoints, std::vector<std::string>{stations});
        QCOMPARE(loaded.Output.overlayLines, std::vector<std::string>{drifts});
    }

    void aSetupIniThatCannotBeWrittenIsReportedAndTheDialogStays() {
        TempDir dir;
        FakeChoosers choosers;
        FakeMessageBoxes boxes;
        OutputOptionsDlg dialog({choosers, boxes},
                                OptionsDlgFiles{dir.file("missing/Setup.ini"), ""});
        ActOnNextModalDialog([](QWidget* shown) {
            Child<QPushButton>(shown, "IDOK")->click();
            QTimer::singleShot(0, [shown] { Child<QPushButton>(shown, "IDCANCEL")->click(); });
        });
        QCOMPARE(dialog.Run(), int(QDialog::Rejected));
        QCOMPARE(boxes.shown.size(), std::size_t(1));
        QCOMPARE(boxes.shown[0].caption, std::string("Error"));
    }
};

const bool registered = RegisterAppTest<OutputOptionsDlgTest>();

}  // namespace
}  // namespace korvane::testing

#include "OutputOptionsDlgTest.moc"
