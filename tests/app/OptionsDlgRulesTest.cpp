// The Options dialog's layout and enable rules.

#include <QTest>

#include "AppTestRegistry.h"
#include "OptionsDialogFixture.h"
#include "app/DialogUnits.h"

namespace korvane::testing {
namespace {

const char* const kRangeGroups[3][4] = {{"xMinLabel", "xMaxLabel", "xMinBox", "xMaxBox"},
                                        {"yMinLabel", "yMaxLabel", "yMinBox", "yMaxBox"},
                                        {"zMinLabel", "zMaxLabel", "zMinBox", "zMaxBox"}};
const char* const kTimeControls[] = {"timeScaleLabel", "timeStartLabel", "timeEndLabel",
                                     "timeStartBox",   "timeEndBox",     "cumulativeCheck"};
const char* const kDirections[] = {"xDirectionRadio", "yDirectionRadio", "zDirectionRadio",
                                   "perspectiveRadio"};

class OptionsDlgRulesTest : public QObject {
    Q_OBJECT
  private slots:
    void mulDivRoundsHalfAwayFromZero() {
        QCOMPARE(MulDiv(401, 6, 4), 602);   // 601.5
        QCOMPARE(MulDiv(331, 13, 8), 538);  // 537.875
        QCOMPARE(MulDiv(-5, 3, 2), -8);     // -7.5
        QCOMPARE(MulDiv(5, 3, -2), -8);
        QCOMPARE(MulDiv(7, 1, 0), -1);
    }

    void controlsStandWhereTheLayoutPutsThem() {
        OptionsDialogFixture fixture;
        OptionsDlg& dialog = fixture.Open(CalculationKind::Spatial);
        const DialogBaseUnits units = BaseUnitsOf(dialog.font());
        QVERIFY(units.averageCharWidth > 0 && units.charHeight > 0);
        QCOMPARE(dialog.size(), DialogSizeToPixels(units, 401, 331));
        QCOMPARE(dialog.windowTitle(), QString("Options"));

        const struct {
            const char* name;
            int x, y, w, h;
        } boxes[] = {{"eventFileBox", 15, 33, 275, 12},
                     {"loadEventFileButton", 292, 33, 24, 12},
                     {"xMinBox", 56, 122, 50, 12},
                     {"zMaxBox", 259, 137, 50, 12},
                     {"numberOfPicturesBox", 183, 166, 24, 12},
                     {"densityMaximumBox", 129, 251, 78, 12},
                     {"saveSetupButton", 342, 13, 50, 15},
                     {"calculateButton", 341, 265, 50, 14},
                     {"progressBar", 5, 305, 332, 15},
                     {"stopButton", 341, 305, 50, 15},
                     {"calculationFrame", 7, 7, 320, 195}};
        for (const auto& box : boxes) {
            QWidget* control = fixture.Find<QWidget>(box.name);
            QVERIFY2(control, box.name);
            QCOMPARE(control->geometry(), DialogRectToPixels(units, box.x, box.y, box.w, box.h));
        }
        // Captions keep their place and may only grow to the right.
        const struct {
            const char* name;
            const char* caption;
            int x, y, w;
        } captions[] = {{"eventFileLabel", "Path to file(s):", 14, 19, 44},
                        {"xMinLabel", "x-min:", 20, 123, 19},
                        {"numberOfPicturesLabel", "Number of pictures:", 119, 168, 62},
                        {"perspectiveRadio", "Perspective", 22, 91, 53},
                        {"gaussianCheck", "Gaussian distance weighting", 19, 261, 111}};
        for (const auto& caption : captions) {
            QWidget* control = fixture.Find<QWidget>(caption.name);
            QVERIFY2(control, caption.name);
            const QRect place = DialogRectToPixels(units, caption.x, caption.y, caption.w, 8);
            QCOMPARE(control->property("text").toString(), QString(caption.caption));
            QCOMPARE(control->pos(), place.topLeft());
            QVERIFY(control->width() >= place.width());
        }
        QVERIFY(fixture.Find<QPushButton>("calculateButton")->isDefault());
        QCOMPARE(fixture.Find<QPushButton>("calculateButton")->text(), QString("Calculate!"));
    }

    void everyControlHasItsOwnNameInTabOrder() {
        OptionsDialogFixture fixture;
        OptionsDlg& dialog = fixture.Open(CalculationKind::Time);
        // Children in creation order, which is the order the Tab key walks them.
        QStringList names;
        for (QWidget* child : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            names << child->objectName();
        }
        const QStringList expected =
            QString(
                "calculationFrame eventFileLabel eventFileBox loadEventFileButton directionLabel "
                "directionFrame xDirectionRadio yDirectionRadio zDirectionRadio perspectiveRadio "
                "sectionRadio sectionFromLabel sectionFromBox sectionToLabel sectionToBox "
                "sectionLatLonCheck sectionWidthLabel sectionWidthBox sectionStepLabel "
                "sectionStepBox sectionCountLabel sectionCountBox rangeLabel xMinLabel xMaxLabel "
                "xMinBox xMaxBox yMinLabel yMaxLabel yMinBox "
                "yMaxBox zMinLabel zMaxLabel zMinBox zMaxBox timeScaleLabel timeStartLabel "
                "timeEndLabel timeStartBox timeEndBox calendarTimeLabel numberOfPicturesLabel "
                "numberOfPicturesBox "
                "radiusLabel radiusBox pictureSizeFrame fixedSizeCheck widthLabel heightLabel "
                "widthBox heightBox densityFrame fixedDensityCheck densityMaximumBox "
                "gaussianCheck cumulativeCheck saveSetupButton loadSetupButton fitToEventsButton "
                "calculateButton "
                "progressLabel progressBar stopButton")
                .split(' ');
        QCOMPARE(names, expected);
        // The Tab key goes from box to box in that order.
        QWidget* box = fixture.Find<QWidget>("xMaxBox");
        QWidget* next = box->nextInFocusChain();
        while (next->focusPolicy() == Qt::NoFocus) {
            next = next->nextInFocusChain();
        }
        QCOMPARE(next->objectName(), QString("yMinBox"));
    }

    void enableRulesOfBothModesAndEveryDirection_data() {
        QTest::addColumn<CalculationKind>("mode");
        QTest::addColumn<int>("direction");
        for (CalculationKind mode : {CalculationKind::Spatial, CalculationKind::Time}) {
            for (int direction = 0; direction <= 3; ++direction) {
                QTest::addRow("mode %d direction %d", static_cast<int>(mode), direction)
                    << mode << direction;
            }
        }
    }
    void enableRulesOfBothModesAndEveryDirection() {
        QFETCH(CalculationKind, mode);
        QFETCH(int, direction);
        OptionsDialogFixture fixture;
        CalculationSetup setup;
        setup.Direction = DirectionOfIndex(direction);
        fixture.OpenWith(mode, setup);

        for (int axis = 0; axis < 3; ++axis) {
            // A time series projects along its viewing axis, so that range is greyed.
            const bool expected = mode == CalculationKind::Spatial || axis != direction;
            for (const char* name : kRangeGroups[axis]) {
                QVERIFY2(fixture.Enabled(name) == expected, name);
            }
        }
        QCOMPARE(fixture.Enabled("perspectiveRadio"), mode == CalculationKind::Time);
        for (const char* name : kTimeControls) {
            QCOMPARE(fixture.Enabled(name), mode == CalculationKind::Time);
        }
        // A spatial series has no perspective view: x is chosen in its place.
        const int shown = mode == CalculationKind::Spatial && direction == 3 ? 0 : direction;
        QCOMPARE(fixture.Find<QRadioButton>(kDirections[shown])->isChecked(), true);

        // Choosing each direction in turn applies the same rule.
        for (int chosen = 0; chosen <= 3; ++chosen) {
            if (!fixture.Enabled(kDirections[chosen])) {
                continue;
            }
            fixture.Click(kDirections[chosen]);
            for (int axis = 0; axis < 3; ++axis) {
                const bool expected =
                    mode == CalculationKind::Spatial || chosen == 3 || axis != chosen;
                QCOMPARE(fixture.Enabled(kRangeGroups[axis][2]), expected);
            }
        }
    }

    void directionOutsideTheGroupSelectsNoButton() {
        OptionsDialogFixture fixture;
        CalculationSetup setup;
        setup.Direction = std::nullopt;
        fixture.OpenWith(CalculationKind::Time, setup);
        for (const char* name : kDirections) {
            QVERIFY(!fixture.Find<QRadioButton>(name)->isChecked());
        }
        // No rule applies: every range group keeps its state from creation.
        for (const auto& group : kRangeGroups) {
            QVERIFY(fixture.Enabled(group[2]));
        }
    }

    void sectionSetupShowsTheSectionDirectionItsLineAndKeepsIt() {
        OptionsDialogFixture fixture;
        CalculationSetup setup = RunnableSetup(fixture.dir.file("events.dat"));
        setup.Output.section = {true, 1, 2.5, 9, 8, false, 2, 0.5, 3};
        fixture.OpenWith(CalculationKind::Spatial, setup);
        QVERIFY(fixture.Find<QRadioButton>("sectionRadio")->isChecked());
        const std::pair<const char*, const char*> shown[] = {{"sectionFromBox", "1,2.5"},
                                                             {"sectionToBox", "9,8"},
                                                             {"sectionWidthBox", "2"},
                                                             {"sectionStepBox", "0.5"},
                                                             {"sectionCountBox", "3"}};
        for (const auto& [name, text] : shown) {
            QCOMPARE(fixture.Text(name), QString(text));
            QVERIFY2(fixture.Enabled(name), name);
        }
        // The line spans x and y; the depth range is z's.
        QVERIFY(!fixture.Enabled("xMinBox") && !fixture.Enabled("yMaxBox"));
        QVERIFY(fixture.Enabled("zMinBox"));
        // Along an axis the section's boxes are greyed; back on Section the width typed is
        // what the setup keeps when the dialog closes.
        fixture.Click("xDirectionRadio");
        QVERIFY(!fixture.Enabled("sectionWidthBox"));
        fixture.Click("sectionRadio");
        fixture.Edit("sectionWidthBox")->setText("4");
        fixture.dialog.reset();
        CalculationSetup saved;
        QVERIFY(LoadSetupFile(saved, fixture.iniPath()).ok());
        QVERIFY(saved.Output.section.on);
        QCOMPARE(saved.Output.section.width, 4.0);
        QVERIFY(saved.Direction == ViewDirection::AlongZ);
        // A time series has no section: its radio is greyed and the axis is shown.
        fixture.Open(CalculationKind::Time);
        QVERIFY(!fixture.Enabled("sectionRadio"));
        QVERIFY(fixture.Find<QRadioButton>("zDirectionRadio")->isChecked());
    }

    void perspectiveSetupInSpatialModeLooksAlongX() {
        // After a perspective run: a spatial series cannot use it, so x takes its place.
        OptionsDialogFixture fixture;
        CalculationSetup setup;
        setup.Direction = ViewDirection::Perspective;
        fixture.OpenWith(CalculationKind::Spatial, setup);
        QVERIFY(!fixture.Find<QRadioButton>("perspectiveRadio")->isChecked());
        QVERIFY(!fixture.Enabled("perspectiveRadio"));
        QVERIFY(fixture.Find<QRadioButton>(kDirections[0])->isChecked());
        QVERIFY(fixture.Enabled(kDirections[0]));
    }

    void checkBoxesEnableTheirBoxesAndKeepTheText() {
        OptionsDialogFixture fixture;
        CalculationSetup setup;
        setup.Width = 640;
        setup.Height = 480;
        setup.Maxdensity = 12;
        fixture.OpenWith(CalculationKind::Spatial, setup);
        for (const char* name :
             {"widthLabel", "heightLabel", "widthBox", "heightBox", "densityMaximumBox"}) {
            QVERIFY2(!fixture.Enabled(name), name);
        }
        fixture.Click("fixedSizeCheck");
        for (const char* name : {"widthLabel", "heightLabel", "widthBox", "heightBox"}) {
            QVERIFY2(fixture.Enabled(name), name);
        }
        fixture.Click("fixedSizeCheck");
        QVERIFY(!fixture.Enabled("widthBox"));
        QCOMPARE(fixture.Text("widthBox"), QString("640"));
        QCOMPARE(fixture.Text("heightBox"), QString("480"));

        fixture.Click("fixedDensityCheck");
        QVERIFY(fixture.Enabled("densityMaximumBox"));
        fixture.Click("fixedDensityCheck");
        QVERIFY(!fixture.Enabled("densityMaximumBox"));
        QCOMPARE(fixture.Text("densityMaximumBox"), QString("12"));
    }

    void changingTheDirectionBringsBackTheLastShownValues() {
        OptionsDialogFixture fixture;
        CalculationSetup setup;
        setup.Amin = 1.5;
        setup.Radius = 3;
        setup.Direction = ViewDirection::AlongX;
        fixture.OpenWith(CalculationKind::Time, setup);
        fixture.Edit("xMinBox")->setText("99");
        fixture.Edit("radiusBox")->setText("8");
        fixture.Click("yDirectionRadio");
        QCOMPARE(fixture.Text("xMinBox"), QString("1.500"));
        QCOMPARE(fixture.Text("radiusBox"), QString("3"));
        QVERIFY(fixture.Find<QRadioButton>("yDirectionRadio")->isChecked());
        // Clicking the button already selected does the same.
        fixture.Edit("xMinBox")->setText("42");
        fixture.Click("yDirectionRadio");
        QCOMPARE(fixture.Text("xMinBox"), QString("1.500"));
    }
};

const bool registered = RegisterAppTest<OptionsDlgRulesTest>();

}  // namespace
}  // namespace korvane::testing

#include "OptionsDlgRulesTest.moc"
