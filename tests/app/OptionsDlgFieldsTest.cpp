// The Options dialog's boxes and their fields: each box shows and gives back its own field,
// and the check boxes keep their state when the boxes are shown again.

#include <QTest>

#include "AppTestRegistry.h"
#include "OptionsDialogFixture.h"

namespace korvane::testing {
namespace {

class OptionsDlgFieldsTest : public QObject {
    Q_OBJECT
  private slots:
    void everyBoxShowsItsOwnField() {
        OptionsDialogFixture fixture;
        const CalculationSetup setup = SetupBuilder()
                                           .Events("/data/events.dat")
                                           .Along(ViewDirection::AlongY)
                                           .X(1, 2)
                                           .Y(3, 4)
                                           .Z(5, 6)
                                           .Time(7, 8)
                                           .Size(9, 10, false)
                                           .Maximum(11)
                                           .Pictures(12)
                                           .Radius(13)
                                           .Cumulative()
                                           .Build();
        fixture.OpenWith(CalculationKind::Time, setup);

        const struct {
            const char* box;
            const char* text;
        } shown[] = {{"eventFileBox", "/data/events.dat"},
                     {"xMinBox", "1.000"},
                     {"xMaxBox", "2.000"},
                     {"yMinBox", "3.000"},
                     {"yMaxBox", "4.000"},
                     {"zMinBox", "5.000"},
                     {"zMaxBox", "6.000"},
                     {"timeStartBox", "7"},
                     {"timeEndBox", "8"},
                     {"widthBox", "9"},
                     {"heightBox", "10"},
                     {"densityMaximumBox", "11"},
                     {"numberOfPicturesBox", "12"},
                     {"radiusBox", "13"}};
        for (const auto& row : shown) {
            QCOMPARE(fixture.Text(row.box), QString(row.text));
        }
        QVERIFY(fixture.Find<QRadioButton>("yDirectionRadio")->isChecked());
        QVERIFY(!fixture.Find<QCheckBox>("fixedSizeCheck")->isChecked());
        QVERIFY(fixture.Find<QCheckBox>("fixedDensityCheck")->isChecked());
        QVERIFY(!fixture.Find<QCheckBox>("gaussianCheck")->isChecked());
        QVERIFY(fixture.Find<QCheckBox>("cumulativeCheck")->isChecked());
    }

    void everyBoxGivesBackItsOwnField() {
        OptionsDialogFixture fixture;
        OptionsDlg& dialog = fixture.OpenWith(CalculationKind::Time, CalculationSetup{});
        const char* const boxes[] = {"xMinBox",      "xMaxBox",           "yMinBox",
                                     "yMaxBox",      "zMinBox",           "zMaxBox",
                                     "timeStartBox", "timeEndBox",        "widthBox",
                                     "heightBox",    "densityMaximumBox", "numberOfPicturesBox",
                                     "radiusBox"};
        int value = 21;
        for (const char* box : boxes) {
            fixture.Edit(box)->setText(QString::number(value++));
        }
        fixture.Edit("eventFileBox")->setText("/typed.dat");
        fixture.Click("perspectiveRadio");  // shows the boxes again: type after it
        for (const char* box : boxes) {
            fixture.Edit(box)->setText(QString::number(value++));
        }
        fixture.Click("fixedSizeCheck");
        fixture.Click("gaussianCheck");

        CalculationSetup taken;
        dialog.TakeSetup(taken);
        QCOMPARE(taken.FilePath, std::string());  // typed before the direction changed
        QVERIFY(taken.Direction == ViewDirection::Perspective);
        QCOMPARE(taken.Amin, 34.0);
        QCOMPARE(taken.Amax, 35.0);
        QCOMPARE(taken.Bmin, 36.0);
        QCOMPARE(taken.Bmax, 37.0);
        QCOMPARE(taken.Cmin, 38.0);
        QCOMPARE(taken.Cmax, 39.0);
        QCOMPARE(taken.Timestart, 40.0);
        QCOMPARE(taken.Timeend, 41.0);
        QCOMPARE(taken.Width, 42.0);
        QCOMPARE(taken.Height, 43.0);
        QCOMPARE(taken.Maxdensity, 44.0);
        QCOMPARE(taken.NoOfPictures, 45.0);
        QCOMPARE(taken.Radius, 46.0);
        QCOMPARE(taken.Fixedsize, true);
        QCOMPARE(taken.Fixeddensity, false);
        QCOMPARE(taken.Gaussiandistance, true);
        QCOMPARE(taken.Cumulative, false);
    }

    void checkBoxesKeepTheirStateWhenTheBoxesAreShownAgain() {
        OptionsDialogFixture fixture;
        CalculationSetup setup;
        setup.Fixedsize = 1;
        setup.Cumulative = 1;
        fixture.OpenWith(CalculationKind::Time, setup);
        fixture.Click("fixedSizeCheck");     // off
        fixture.Click("fixedDensityCheck");  // on
        fixture.Click("gaussianCheck");      // on
        fixture.Click("cumulativeCheck");    // off

        // A new direction and a new event file both show the boxes again.
        fixture.Click("zDirectionRadio");
        fixture.choosers.fileAnswers.push_back("/data/events.dat");
        fixture.Click("loadEventFileButton");

        QVERIFY(!fixture.Find<QCheckBox>("fixedSizeCheck")->isChecked());
        QVERIFY(fixture.Find<QCheckBox>("fixedDensityCheck")->isChecked());
        QVERIFY(fixture.Find<QCheckBox>("gaussianCheck")->isChecked());
        QVERIFY(!fixture.Find<QCheckBox>("cumulativeCheck")->isChecked());
        QVERIFY(!fixture.Enabled("widthBox"));
        QVERIFY(fixture.Enabled("densityMaximumBox"));
        QVERIFY(!fixture.Enabled("zMinBox"));
    }
};

const bool registered = RegisterAppTest<OptionsDlgFieldsTest>();

}  // namespace
}  // namespace korvane::testing

#include "OptionsDlgFieldsTest.moc"
