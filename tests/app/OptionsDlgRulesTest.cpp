// The Options dialog's layout and enable rules.

#include <QTest>

#include "AppTestRegistry.h"
#include "OptionsDialogFixture.h"
#include "app/DialogUnits.h"

namespace korvane::testing {
namespace {

constexpr int kRangeGroups[3][4] = {
    {1038, 1039, 1011, 1012}, {1041, 1042, 1013, 1014}, {1048, 1049, 1025, 1026}};
constexpr int kTimeControls[] = {1037, 1044, 1046, 1016, 1022, 1028};

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
        COptionsDlg& dialog = fixture.Open(SpatialResolvedMode);
        const DialogBaseUnits units = BaseUnitsOf(dialog.font());
        QVERIFY(units.averageCharWidth > 0 && units.charHeight > 0);
        QCOMPARE(dialog.size(), DialogSizeToPixels(units, 401, 331));
        QCOMPARE(dialog.windowTitle(), QString("Options"));

        const struct {
            int id, x, y, w, h;
        } boxes[] = {{1006, 15, 33, 275, 12},  {1023, 292, 33, 24, 12},  {1011, 56, 122, 50, 12},
                     {1026, 259, 137, 50, 12}, {1024, 183, 166, 24, 12}, {1019, 129, 251, 78, 12},
                     {1002, 342, 13, 50, 15},  {1000, 341, 265, 50, 14}, {1005, 5, 305, 390, 15},
                     {1033, 7, 7, 320, 195}};
        for (const auto& box : boxes) {
            QWidget* control = fixture.Find<QWidget>(box.id);
            QVERIFY2(control, qPrintable(QString::number(box.id)));
            QCOMPARE(control->geometry(), DialogRectToPixels(units, box.x, box.y, box.w, box.h));
        }
        // Captions keep their place and may only grow to the right.
        const struct {
            int id;
            const char* caption;
            int x, y, w;
        } captions[] = {{1031, "Path to file(s):", 14, 19, 44},
                        {1038, "x-min:", 20, 123, 19},
                        {1047, "Number of pictures:", 119, 168, 62},
                        {1057, "Perspective", 22, 91, 53},
                        {1021, "Gaussian distance weighting", 19, 261, 111}};
        for (const auto& caption : captions) {
            QWidget* control = fixture.Find<QWidget>(caption.id);
            const QRect place = DialogRectToPixels(units, caption.x, caption.y, caption.w, 8);
            QCOMPARE(control->property("text").toString(), QString(caption.caption));
            QCOMPARE(control->pos(), place.topLeft());
            QVERIFY(control->width() >= place.width());
        }
        QVERIFY(fixture.Find<QPushButton>(1000)->isDefault());
        QCOMPARE(fixture.Find<QPushButton>(1000)->text(), QString("Calculate!"));
    }

    void enableRulesOfBothModesAndEveryDirection_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("direction");
        for (int mode : {SpatialResolvedMode, TimeResolvedMode}) {
            for (int direction = 0; direction <= 3; ++direction) {
                QTest::addRow("mode %d direction %d", mode, direction) << mode << direction;
            }
        }
    }
    void enableRulesOfBothModesAndEveryDirection() {
        QFETCH(int, mode);
        QFETCH(int, direction);
        OptionsDialogFixture fixture;
        CalculationSetup setup;
        setup.Direction = direction;
        fixture.OpenWith(mode, setup);

        for (int axis = 0; axis < 3; ++axis) {
            // A time series projects along its viewing axis, so that range is greyed.
            const bool expected = mode == SpatialResolvedMode || axis != direction;
            for (int id : kRangeGroups[axis]) {
                QVERIFY2(fixture.Enabled(id) == expected, qPrintable(QString::number(id)));
            }
        }
        QCOMPARE(fixture.Enabled(1057), mode == TimeResolvedMode);
        for (int id : kTimeControls) {
            QCOMPARE(fixture.Enabled(id), mode == TimeResolvedMode);
        }
        QCOMPARE(fixture.Find<QRadioButton>(1054 + direction)->isChecked(), true);

        // Choosing each direction in turn applies the same rule.
        for (int chosen = 0; chosen <= 3; ++chosen) {
            if (!fixture.Enabled(1054 + chosen)) {
                continue;
            }
            fixture.Click(1054 + chosen);
            for (int axis = 0; axis < 3; ++axis) {
                const bool expected = mode == SpatialResolvedMode || chosen == 3 || axis != chosen;
                QCOMPARE(fixture.Enabled(kRangeGroups[axis][2]), expected);
            }
        }
    }

    void directionOutsideTheGroupSelectsNoButton() {
        OptionsDialogFixture fixture;
        CalculationSetup setup;
        setup.Direction = 7;
        fixture.OpenWith(TimeResolvedMode, setup);
        for (int id = 1054; id <= 1057; ++id) {
            QVERIFY(!fixture.Find<QRadioButton>(id)->isChecked());
        }
        // No rule applies: every range group keeps its state from creation.
        for (const auto& group : kRangeGroups) {
            QVERIFY(fixture.Enabled(group[2]));
        }
    }

    void perspectiveSetupInSpatialModeSelectsTheGreyedButton() {
        OptionsDialogFixture fixture;
        CalculationSetup setup;
        setup.Direction = 3;
        fixture.OpenWith(SpatialResolvedMode, setup);
        QVERIFY(fixture.Find<QRadioButton>(1057)->isChecked());
        QVERIFY(!fixture.Enabled(1057));
    }

    void checkBoxesEnableTheirBoxesAndKeepTheText() {
        OptionsDialogFixture fixture;
        CalculationSetup setup;
        setup.Width = 640;
        setup.Height = 480;
        setup.Maxdensity = 12;
        fixture.OpenWith(SpatialResolvedMode, setup);
        for (int id : {1040, 1043, 1017, 1020, 1019}) {
            QVERIFY(!fixture.Enabled(id));
        }
        fixture.Click(1018);
        for (int id : {1040, 1043, 1017, 1020}) {
            QVERIFY(fixture.Enabled(id));
        }
        fixture.Click(1018);
        QVERIFY(!fixture.Enabled(1017));
        QCOMPARE(fixture.Text(1017), QString("640"));
        QCOMPARE(fixture.Text(1020), QString("480"));

        fixture.Click(1015);
        QVERIFY(fixture.Enabled(1019));
        fixture.Click(1015);
        QVERIFY(!fixture.Enabled(1019));
        QCOMPARE(fixture.Text(1019), QString("12"));
    }

    void changingTheDirectionBringsBackTheLastShownValues() {
        OptionsDialogFixture fixture;
        CalculationSetup setup;
        setup.Amin = 1.5;
        setup.Radius = 3;
        setup.Direction = 0;
        fixture.OpenWith(TimeResolvedMode, setup);
        fixture.Edit(1011)->setText("99");
        fixture.Edit(1027)->setText("8");
        fixture.Click(1055);
        QCOMPARE(fixture.Text(1011), QString("1.500"));
        QCOMPARE(fixture.Text(1027), QString("3"));
        QVERIFY(fixture.Find<QRadioButton>(1055)->isChecked());
        // Clicking the button already selected does the same.
        fixture.Edit(1011)->setText("42");
        fixture.Click(1055);
        QCOMPARE(fixture.Text(1011), QString("1.500"));
    }
};

const bool registered = RegisterAppTest<OptionsDlgRulesTest>();

}  // namespace
}  // namespace korvane::testing

#include "OptionsDlgRulesTest.moc"
