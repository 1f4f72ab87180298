// "Calculate!" in the Options dialog: the input tests' messages, a whole series, the window
// that keeps running while the worker computes, and a run stopped by "Stop" or a close.

#include <QElapsedTimer>
#include <QMap>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <functional>

#include "AppTestRegistry.h"
#include "OptionsDialogFixture.h"
#include "support/DialogInputs.h"
#include "support/Folders.h"

namespace korvane::testing {
namespace {

// Twenty events spread over a 10 x 10 x 10 box and ten seconds.
std::string TinyEventFile(const TempDir& dir) {
    std::string text;
    for (int i = 0; i < 20; ++i) {
        const int x = (i * 7) % 10, y = (i * 3) % 10, z = i / 2;
        text += std::to_string(x) + ".5\t" + std::to_string(y) + ".25\t" + std::to_string(z) +
                ".5\t" + std::to_string(i / 2) + "\n";
    }
    return dir.write("events.dat", text);
}

// 20,000 events in the same box: reading and estimating take many reports.
// 20,000 events, or as many as KORVANE_GAP_EVENTS says (to measure a long run by hand).
std::string ManyEventsFile(const TempDir& dir) {
    const int count = qEnvironmentVariableIsSet("KORVANE_GAP_EVENTS")
                          ? qEnvironmentVariableIntValue("KORVANE_GAP_EVENTS")
                          : 20000;
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += std::to_string(i % 97 % 10) + "." + std::to_string(i % 89) + "\t" +
                std::to_string(i % 83 % 10) + "." + std::to_string(i % 79) + "\t" +
                std::to_string(i % 73 % 10) + ".5\t" + std::to_string(i % 10) + "\n";
    }
    return dir.write("events.dat", text);
}

int PicturesIn(const TempDir& dir) {
    return static_cast<int>(PictureNames(dir.path()).size());
}

class OptionsDlgCalculateTest : public QObject {
    Q_OBJECT
  private slots:
    void eachFailedTestShowsItsMessageAndClosesTheDialog_data() {
        QTest::addColumn<CalculationKind>("mode");
        QTest::addColumn<QString>("box");  // empty: none; "missing": the event file is gone
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("direction");
        QTest::addColumn<QString>("message");
        const auto row = [](const char* name, CalculationKind mode, const char* box,
                            const char* typed, int direction, const char* message) {
            QTest::newRow(name) << mode << QString(box) << QString(typed) << direction
                                << QString(message);
        };
        row("missing event file", CalculationKind::Spatial, "missing", "", 2, MissingFileMessage);
        row("missing file before bad numbers", CalculationKind::Spatial, "missing", "", 3,
            MissingFileMessage);
        // The perspective a spatial series cannot use is shown as x: the boxes are checked next.
        row("perspective in spatial mode", CalculationKind::Spatial, "xMinBox", "1,5", 3,
            NotNumbersMessage);
        row("comma in a greyed box", CalculationKind::Spatial, "timeStartBox", "0,5", 2,
            NotNumbersMessage);
        row("exponent", CalculationKind::Time, "radiusBox", "1e2", 2, NotNumbersMessage);
        row("x-max below x-min", CalculationKind::Spatial, "xMaxBox", "-1", 2, OutOfRangeMessage);
        row("no pictures", CalculationKind::Time, "numberOfPicturesBox", "0", 2, OutOfRangeMessage);
        row("10000 pictures", CalculationKind::Spatial, "numberOfPicturesBox", "10000", 2,
            OutOfRangeMessage);
        row("empty width with fixed size off", CalculationKind::Spatial, "widthBox", "", 2,
            OutOfRangeMessage);
    }
    void eachFailedTestShowsItsMessageAndClosesTheDialog() {
        QFETCH(CalculationKind, mode);
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(int, direction);
        QFETCH(QString, message);
        OptionsDialogFixture fixture;
        CalculationSetup setup = RunnableSetup(TinyEventFile(fixture.dir));
        setup.Direction = DirectionOfIndex(direction);
        if (box == "widthBox") {
            setup.Fixedsize = 0;
        }
        OptionsDlg& dialog = fixture.OpenWith(mode, setup);
        if (box == "missing") {
            fixture.Edit("eventFileBox")
                ->setText(QString::fromStdString(fixture.dir.file("gone.dat")));
        } else if (!box.isEmpty()) {
            QVERIFY(fixture.Edit(box));
            fixture.Edit(box)->setText(typed);
        }
        fixture.Calculate();

        QCOMPARE(fixture.boxes.shown.size(), size_t{1});
        if (box == "missing") {  // the path tried, on a line of its own
            message += "\n" + QString::fromStdString(fixture.dir.file("gone.dat"));
        }
        QCOMPARE(QString::fromStdString(fixture.boxes.shown[0].text), message);
        QCOMPARE(fixture.boxes.shown[0].caption, std::string("Invalid input!"));
        QCOMPARE(fixture.boxes.shown[0].icon, MessageIcon::Stop);
        QCOMPARE(PicturesIn(fixture.dir), 0);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), 1);
    }

    void aSeriesRunsToItsEnd() {
        OptionsDialogFixture fixture;
        OptionsDlg& dialog =
            fixture.OpenWith(CalculationKind::Spatial, RunnableSetup(TinyEventFile(fixture.dir)));
        auto* progress = fixture.Find<QProgressBar>("progressBar");
        // Pressing Enter or "Calculate!" while the series runs starts nothing.
        bool busyButtonSeen = false;
        connect(progress, &QProgressBar::valueChanged, &dialog, [&](int value) {
            if (value == 1) {
                busyButtonSeen = !fixture.Enabled("calculateButton") &&
                                 !fixture.Enabled("loadSetupButton") &&
                                 !fixture.Enabled("xDirectionRadio") && dialog.IsCalculating();
                QTest::keyClick(&dialog, Qt::Key_Return);
                fixture.Click("calculateButton");
            }
        });
        fixture.Calculate();

        QVERIFY(busyButtonSeen);
        QCOMPARE(fixture.boxes.shown.size(), size_t{1});
        QCOMPARE(fixture.boxes.shown[0].text, std::string(FinishedMessage));
        QCOMPARE(fixture.boxes.shown[0].caption, std::string("Information"));
        QCOMPARE(fixture.boxes.shown[0].icon, MessageIcon::Information);
        for (const char* name : {"space0001.bmp", "space0002.bmp", "space0003.bmp"}) {
            QVERIFY2(std::filesystem::exists(fixture.dir.file(name)), name);
        }
        QCOMPARE(PicturesIn(fixture.dir), 3);
        QCOMPARE(progress->maximum(), 3);
        QCOMPARE(progress->value(), 3);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), 1);
        // The commands are given back before the dialog ends.
        QVERIFY(fixture.Enabled("calculateButton"));
    }

    // The window's loop runs while the worker reads, estimates and draws: a timer of the
    // window fires in each phase; "Stop" during the estimate ends the run without a picture.
    // The largest gap between two ticks in each phase is printed (a figure, not a test).
    void theWindowRunsInEveryPhaseAndStopEndsTheRun() {
        for (const bool stop : {false, true}) {
            OptionsDialogFixture fixture;
            CalculationSetup setup = RunnableSetup(ManyEventsFile(fixture.dir));
            setup.Fixeddensity = 0;
            setup.Gaussiandistance = 1;
            OptionsDlg& dialog = fixture.OpenWith(CalculationKind::Spatial, setup);
            auto* bar = fixture.Find<QProgressBar>("progressBar");
            QMap<QString, int> ticks;          // the timer's ticks by the phase the bar shows
            QMap<QString, qint64> largestGap;  // ms between two ticks, by the later one's phase
            QElapsedTimer sinceTick;
            QTimer timer;
            connect(&timer, &QTimer::timeout, &dialog, [&] {
                const QString phase = bar->format().section(' ', 0, 0);
                ++ticks[phase];
                if (sinceTick.isValid()) {
                    largestGap[phase] = std::max(largestGap.value(phase), sinceTick.elapsed());
                }
                sinceTick.start();
                if (stop && phase == "estimating" && fixture.Enabled("stopButton")) {
                    fixture.Click("stopButton");
                }
            });
            timer.start(0);
            fixture.Calculate();
            if (!stop) {
                for (auto gap = largestGap.cbegin(); gap != largestGap.cend(); ++gap) {
                    qInfo("largest gap while %s: %lld ms (%d ticks)", qPrintable(gap.key()),
                          gap.value(), ticks.value(gap.key()));
                }
            }
            QVERIFY(ticks.value("reading") > 0);
            QVERIFY(ticks.value("estimating") > 0);
            QVERIFY(!fixture.Enabled("stopButton"));
            if (stop) {
                QVERIFY(dialog.StopRequested());
                QCOMPARE(PicturesIn(fixture.dir), 0);
                QVERIFY(fixture.boxes.shown.empty());
            } else {
                QVERIFY(ticks.value("picture") > 0);
                QCOMPARE(PicturesIn(fixture.dir), 3);
                QCOMPARE(fixture.boxes.shown.size(), size_t{1});
            }
        }
    }

    void closingTheDialogStopsTheRunAndWaitsForIt() {
        OptionsDialogFixture fixture;
        CalculationSetup setup = RunnableSetup(TinyEventFile(fixture.dir));
        setup.Direction = ViewDirection::AlongX;
        setup.NoOfPictures = 6;
        OptionsDlg& dialog = fixture.OpenWith(CalculationKind::Time, setup);
        fixture.Edit("radiusBox")->setText("2");
        bool visibleAfterClose = false;
        // The user closes the window once picture 1 is shown: the run is asked to stop, and
        // the window stays until the worker is done.
        connect(fixture.Find<QProgressBar>("progressBar"), &QProgressBar::valueChanged, &dialog,
                [&](int value) {
                    if (value == 1) {
                        dialog.close();
                        visibleAfterClose =
                            dialog.isVisible() && dialog.StopRequested() && dialog.IsCalculating();
                    }
                });
        fixture.Calculate();

        QVERIFY(visibleAfterClose);
        QVERIFY(fixture.boxes.shown.empty());
        QVERIFY(PicturesIn(fixture.dir) >= 1);
        QVERIFY(dialog.StopRequested());
        QVERIFY(!dialog.IsCalculating());
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), 1);
        // The close saved what the boxes held.
        CalculationSetup saved;
        QVERIFY(LoadSetupFile(saved, fixture.iniPath()).ok());
        QCOMPARE(saved.Radius, 2.0);
    }
};

const bool registered = RegisterAppTest<OptionsDlgCalculateTest>();

}  // namespace
}  // namespace korvane::testing

#include "OptionsDlgCalculateTest.moc"
