// The Options dialog's help for the user: the progress text with the time left, tooltips
// with units, and choosers that open where the event file is.

#include <QProgressBar>
#include <QTest>

#include "AppTestRegistry.h"
#include "OptionsDialogFixture.h"
#include "app/OptionsProgress.h"

namespace korvane::testing {
namespace {

std::string EventFile(const TempDir& dir) {
    std::string text;
    for (int i = 0; i < 20; ++i) {
        text += std::to_string(i % 10) + ".5\t" + std::to_string((i * 3) % 10) + ".5\t" +
                std::to_string(i / 2) + ".5\t" + std::to_string(i / 2) + "\n";
    }
    return dir.write("events.dat", text);
}

class OptionsDlgProgressTest : public QObject {
    Q_OBJECT
  private slots:
    void progressCaptionCountsPicturesAndReckonsTheTimeLeft() {
        QCOMPARE(ProgressCaption(0, 40, 0), std::string("picture 0 of 40"));
        // One picture tells nothing yet about the pace.
        QCOMPARE(ProgressCaption(1, 40, 30), std::string("picture 1 of 40"));
        QCOMPARE(ProgressCaption(2, 40, 10), std::string("picture 2 of 40, about 3 min 10 s left"));
        QCOMPARE(ProgressCaption(2, 40, 0.001), std::string("picture 2 of 40, about 1 s left"));
        QCOMPARE(ProgressCaption(3, 4, 3), std::string("picture 3 of 4, about 1 s left"));
        QCOMPARE(ProgressCaption(2, 1000, 20),
                 std::string("picture 2 of 1000, about 2 h 47 min left"));
        QCOMPARE(ProgressCaption(40, 40, 99), std::string("picture 40 of 40"));
        // The one picture a series may add for rounding.
        QCOMPARE(ProgressCaption(41, 40, 99), std::string("picture 41 of 41"));
    }

    void theBarSaysWhichPictureIsWritten() {
        OptionsDialogFixture fixture;
        OptionsDlg& dialog = fixture.OpenWith(1, RunnableSetup(EventFile(fixture.dir)));
        auto* bar = fixture.Find<QProgressBar>("progressBar");
        QStringList seen;
        connect(bar, &QProgressBar::valueChanged, &dialog,
                [&](int value) { seen << QString("%1 %2").arg(value).arg(bar->text()); });
        fixture.Calculate();
        // The phases before the pictures show their share; the pictures count one by one.
        seen = seen.filter(" of ");
        QVERIFY(seen.size() >= 3);
        QCOMPARE(seen[0], QString("1 picture 1 of 3"));
        QVERIFY2(seen[1].startsWith("2 picture 2 of 3, about ") && seen[1].endsWith(" left"),
                 qPrintable(seen[1]));
        QCOMPARE(seen[2], QString("3 picture 3 of 3"));
    }

    void everyValueSaysWhatItMeansAndItsUnit() {
        OptionsDialogFixture fixture;
        fixture.Open(1);
        const struct {
            const char* name;
            const char* says;
        } tips[] = {{"xMinBox", "units of the event file"},
                    {"zMaxBox", "units of the event file"},
                    {"timeStartBox", "seconds"},
                    {"timeEndBox", "seconds"},
                    {"widthBox", "pixels"},
                    {"heightBox", "pixels"},
                    {"radiusBox", "pixel steps"},
                    {"numberOfPicturesBox", "pictures"},
                    {"densityMaximumBox", "events"}};
        for (const auto& tip : tips) {
            const QString text = fixture.Find<QWidget>(tip.name)->toolTip();
            QVERIFY2(text.contains(tip.says), tip.name);
        }
    }

    void choosersOpenInTheEventFilesFolder() {
        OptionsDialogFixture fixture;
        fixture.OpenWith(1, RunnableSetup(EventFile(fixture.dir)));
        fixture.Click("loadEventFileButton");
        fixture.Click("loadSetupButton");
        fixture.Click("saveSetupButton");
        QCOMPARE(fixture.choosers.fileQuestions.size(), size_t{3});
        for (const FileQuestion& question : fixture.choosers.fileQuestions) {
            QCOMPARE(question.startFolder, fixture.dir.path().string());
        }
        // A path typed in counts as soon as it is there.
        fixture.Edit("eventFileBox")->setText("/somewhere/else/events.dat");
        fixture.Click("loadEventFileButton");
        QCOMPARE(fixture.choosers.fileQuestions.back().startFolder, std::string("/somewhere/else"));
        fixture.Edit("eventFileBox")->setText("");
        fixture.Click("loadEventFileButton");
        QCOMPARE(fixture.choosers.fileQuestions.back().startFolder, std::string());
    }
};

const bool registered = RegisterAppTest<OptionsDlgProgressTest>();

}  // namespace
}  // namespace korvane::testing

#include "OptionsDlgProgressTest.moc"
