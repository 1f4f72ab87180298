// "Load" on a catalogue opens the import dialog: the first rows, the count as the choices
// change, a bad choice refused with a message, and OK storing the choices with the file.

#include <QLabel>
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
};

const bool registered = RegisterAppTest<ImportCatalogueDlgTest>();

}  // namespace
}  // namespace korvane::testing

#include "ImportCatalogueDlgTest.moc"
