// "Load" on a catalogue opens the import dialog: the first rows, the count as the choices
// change, a bad choice refused with a message, and OK storing the choices with the file.

#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>

#include "AppTestRegistry.h"
#include "OptionsDialogFixture.h"
#include "app/ImportCatalogueDlg.h"

namespace korvane::testing {
namespace {

class ImportCatalogueDlgTest : public QObject {
    Q_OBJECT
  private slots:
    void aCatalogueChosenWithLoadIsImportedAsTheChoicesSay() {
        OptionsDialogFixture fixture;
        fixture.OpenWith(CalculationKind::Spatial, RunnableSetup("/data/events.dat"));
        const std::string catalogue = fixture.dir.write(
            "cat.csv",
            "time,lat,lon,depth,mag\n2023-02-06T01:17:34Z,37.0,37.0,10,4.5\n"
            "2023-02-06T02:00:00+01:00,37.1,37.1,5,2.0\n2023-02-06T03:00:00Z,37.2,37.2,,3.0\n");
        fixture.choosers.fileAnswers.push_back(catalogue);
        fixture.Click("loadEventFileButton");
        auto* import = fixture.dialog->findChild<ImportCatalogueDlg*>();
        QVERIFY(import);
        auto* count = import->findChild<QLabel*>("countLabel");
        const QString all =
            "3 rows read: 2 kept, 0 outside the magnitude or time range, 1 skipped.\n"
            "1 row skipped: no depth (line 4).";
        QTRY_COMPARE(count->text(), all);
        auto* table = import->findChild<QTableWidget*>("previewTable");
        QCOMPARE(table->rowCount(), 3);
        QCOMPARE(table->horizontalHeaderItem(1)->text(), QString("lat\n[lat]"));
        QCOMPARE(table->item(1, 0)->text(), QString("2023-02-06T02:00:00+01:00"));
        // The frame found is shown, with the fewest digits that read back.
        QVERIFY(import->findChild<QLabel*>("detectedLabel")
                    ->text()
                    .contains("origin 37.05, 37.05 (x and y in km east and north of it); t in "
                              "seconds from 2023-02-06T00:00:00Z"));

        // A type is left out only where the catalogue has types; a depth range cuts the rest.
        import->findChild<QLineEdit*>("dropTypesBox")->setText("quarry blast");
        auto* depthMax = import->findChild<QLineEdit*>("depthMaxBox");
        depthMax->setText("7");
        emit depthMax->editingFinished();
        QTRY_VERIFY(count->text().contains("no event-type column, so no type \"quarry blast\""));
        import->findChild<QLineEdit*>("dropTypesBox")->clear();
        emit depthMax->editingFinished();
        QTRY_COMPARE(count->text().section('\n', 0, 1),
                     QString("3 rows read: 1 kept, 0 outside the magnitude or time range, "
                             "1 skipped.\nLeft out: 1 outside the depth range."));
        depthMax->clear();
        emit depthMax->editingFinished();
        QTRY_VERIFY(!count->text().contains("Left out"));

        auto* magnitude = import->findChild<QLineEdit*>("magnitudeMinBox");
        magnitude->setText("3");
        emit magnitude->editingFinished();
        QTRY_COMPARE(count->text().section('\n', 0, 0),
                     QString("3 rows read: 1 kept, 1 outside the magnitude or time range, "
                             "1 skipped."));

        // A latitude out of range is said at once, and OK refuses it with the same words.
        auto* latitude = import->findChild<QLineEdit*>("originLatBox");
        latitude->setText("95");
        emit latitude->editingFinished();
        const QString refusal = count->text();
        QVERIFY(refusal.startsWith("The origin needs a latitude"));
        import->findChild<QPushButton*>("okButton")->click();
        QCOMPARE(fixture.boxes.shown.size(), size_t{1});
        QCOMPARE(QString::fromStdString(fixture.boxes.shown[0].text), refusal);
        QCOMPARE(fixture.Text("eventFileBox"), QString("/data/events.dat"));

        latitude->setText("37");
        import->findChild<QLineEdit*>("originLonBox")->setText("37.5");
        import->findChild<QPushButton*>("okButton")->click();
        QCOMPARE(fixture.Text("eventFileBox"), QString::fromStdString(catalogue));

        // What OK stored goes with the file into "Setup.ini" when the dialog closes.
        fixture.dialog.reset();
        CalculationSetup saved;
        QVERIFY(LoadSetupFile(saved, fixture.iniPath()).ok());
        CatalogueOptions expected;
        expected.magnitudeMin = 3;
        expected.origin = std::array<double, 2>{37, 37.5};
        // The time reference found goes with the choices: a later filter moves no event.
        QVERIFY(ReadIsoTime("2023-02-06", &expected.timeReference.emplace()));
        QCOMPARE(saved.FilePath, catalogue);
        QVERIFY(saved.Catalogue == expected);
    }

    // OK fits the ranges to the events read, and the time boxes then take calendar time:
    // the dialog says the calendar time of what is typed. Another path typed into the box
    // drops the catalogue's choices, as "Load" does.
    void okFitsTheRangesAndTheTimeBoxesShowCalendarTime() {
        OptionsDialogFixture fixture;
        fixture.OpenWith(CalculationKind::Time, RunnableSetup("/data/events.dat"));
        fixture.choosers.fileAnswers.push_back(fixture.dir.write(
            "cat.csv", "time,x,y,z\n2023-02-06T01:00:00Z,1,1,1\n2023-02-08T20:00:00Z,3,5,2\n"));
        fixture.Click("loadEventFileButton");
        auto* import = fixture.dialog->findChild<ImportCatalogueDlg*>();
        QVERIFY(import);
        QTRY_VERIFY(import->findChild<QLabel*>("countLabel")->text().startsWith("2 rows read"));
        import->findChild<QLineEdit*>("magnitudeMinBox")->setFocus();
        import->findChild<QPushButton*>("okButton")->click();
        QCOMPARE(fixture.Text("xMaxBox") + " " + fixture.Text("timeStartBox") + " " +
                     fixture.Text("timeEndBox"),
                 QString("3.100 0 244801"));
        auto* calendar = fixture.Find<QLabel>("calendarTimeLabel");
        QCOMPARE(calendar->text(), QString("Calendar time (UTC):\nfrom 2023-02-06 00:00:00\nto "
                                           "2023-02-08 20:00:01"));
        QVERIFY(calendar->isVisible() && calendar->isEnabled());
        fixture.Edit("timeStartBox")->setText("2023-02-07T06:00+03:00");
        QVERIFY(calendar->text().contains("from 2023-02-07 03:00:00"));

        fixture.Edit("eventFileBox")->setText("/data/events.dat");
        QCOMPARE(calendar->text(), QString());
        CalculationSetup taken;
        fixture.dialog->TakeSetup(taken);
        QVERIFY(taken.Catalogue == CatalogueOptions{});
    }

    // A file of many columns shows the first 50 and counts the others; the reader keeps no
    // more fields of its first rows.
    void aWideCatalogueShowsItsFirstFiftyColumns() {
        OptionsDialogFixture fixture;
        fixture.OpenWith(CalculationKind::Spatial, RunnableSetup("/data/events.dat"));
        std::string header = "time,x,y,z";
        std::string row = "2023-02-06T01:00:00Z,1,1,1";
        for (int c = 5; c <= 1200; ++c) {
            header += ",c" + std::to_string(c);
            row += "," + std::to_string(c);
        }
        fixture.choosers.fileAnswers.push_back(
            fixture.dir.write("wide.csv", header + "\n" + row + "\n"));
        fixture.Click("loadEventFileButton");
        auto* import = fixture.dialog->findChild<ImportCatalogueDlg*>();
        QVERIFY(import);
        QTRY_VERIFY(import->findChild<QLabel*>("countLabel")->text().startsWith("1 rows read"));
        auto* table = import->findChild<QTableWidget*>("previewTable");
        QCOMPARE(table->columnCount(), 50);
        QCOMPARE(table->item(0, 49)->text(), QString("50"));
        QVERIFY(import->findChild<QLabel*>("detectedLabel")
                    ->text()
                    .contains("1,200 columns, the first 50 shown"));
    }
};

const bool registered = RegisterAppTest<ImportCatalogueDlgTest>();

}  // namespace
}  // namespace korvane::testing

#include "ImportCatalogueDlgTest.moc"
