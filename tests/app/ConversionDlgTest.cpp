// The "Create Movie" dialog: its choosers, each way of cancelling, and a conversion.

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <chrono>
#include <filesystem>
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>

#include "AppTestRegistry.h"
#include "FakeWindowServices.h"
#include "app/ConversionDlg.h"
#include "app/KorvaneApp.h"
#include "app/MainFrame.h"
#include "movie/MovieSummary.h"
#include "support/TempDir.h"

namespace korvane::testing {
namespace {

// Writes <prefix>0001.bmp ...; `minutesOld` sets when they were written.
void WritePictures(const TempDir& dir, int count, const char* prefix = "space",
                   int minutesOld = 0) {
    for (int n = 1; n <= count; ++n) {
        cv::Mat picture(24, 32, CV_8UC3, cv::Scalar(10 * n, 0, 255 - 10 * n));
        char name[32];
        std::snprintf(name, sizeof name, "%s%04d.bmp", prefix, n);
        cv::imwrite(dir.file(name), picture);
        std::filesystem::last_write_time(
            dir.file(name),
            std::filesystem::file_time_type::clock::now() - std::chrono::minutes(minutesOld));
    }
}

// Answers the codec chooser, and presses "Abort" through the event loop once the progress
// bar reaches `abortAt`.
class AbortingChoosers : public FakeChoosers {
  public:
    int abortAt = 2;
    std::optional<std::string> ChooseCodec(QWidget* owner,
                                           const std::vector<std::string>& codecs) override {
        auto* bar = owner->findChild<QProgressBar*>("IDC_1049");
        auto* abort = owner->findChild<QPushButton*>("IDCANCEL");
        QObject::connect(bar, &QProgressBar::valueChanged, owner, [this, abort](int value) {
            // Clicked while the window handles the report: the worker, held in step with the
            // window, has not gone on to the next frame yet.
            if (value == abortAt) {
                abort->click();
            }
        });
        return FakeChoosers::ChooseCodec(owner, codecs);
    }
};

class ConversionDlgTest : public QObject {
    Q_OBJECT
  private slots:
    void eachCancelClosesWithoutMovieOrBox_data() {
        QTest::addColumn<int>("answered");  // how many choosers the user answers
        QTest::newRow("folder cancelled") << 0;
        QTest::newRow("series cancelled") << 1;
        QTest::newRow("movie file cancelled") << 2;
        QTest::newRow("codec cancelled") << 3;
    }
    void eachCancelClosesWithoutMovieOrBox() {
        QFETCH(int, answered);
        TempDir pictures;
        TempDir output;
        WritePictures(pictures, 2);
        WritePictures(pictures, 1, "time");
        FakeChoosers choosers;
        FakeMessageBoxes boxes;
        if (answered >= 1) {
            choosers.folderAnswers.push_back(pictures.path().string());
        }
        if (answered >= 2) {
            choosers.seriesAnswers.push_back(0);
        }
        if (answered >= 3) {
            choosers.fileAnswers.push_back(output.file("movie.avi"));
        }
        ConversionDlg dialog({choosers, boxes});
        QCOMPARE(dialog.Run(), 1);

        QCOMPARE(choosers.folderQuestions, 1);
        QCOMPARE(choosers.seriesQuestions.size(), size_t(answered >= 1 ? 1 : 0));
        QCOMPARE(choosers.fileQuestions.size(), size_t(answered >= 2 ? 1 : 0));
        QCOMPARE(choosers.codecLists.size(), size_t(answered >= 3 ? 1 : 0));
        QVERIFY(boxes.shown.empty());
        QVERIFY(std::filesystem::is_empty(output.path()));
        QVERIFY(!dialog.isVisible());
    }

    void convertsTheFolderWithTheChosenCodec() {
        TempDir pictures;
        TempDir output;
        WritePictures(pictures, 3);
        FakeChoosers choosers;
        FakeMessageBoxes boxes;
        choosers.folderAnswers.push_back(pictures.path().string());
        choosers.fileAnswers.push_back(output.file("movie.avi"));
        choosers.codecAnswers.push_back("MJPG");
        ConversionDlg dialog({choosers, boxes});
        QCOMPARE(dialog.windowTitle(), QString("Conversion Progress"));
        QCOMPARE(dialog.Run(), 1);

        QVERIFY(choosers.seriesQuestions.empty());  // one series: nothing to choose
        QCOMPARE(choosers.fileQuestions[0].kind, FileDialogKind::SaveAskingToReplace);
        QCOMPARE(choosers.fileQuestions[0].defaultExtension, std::string(".avi"));
        QCOMPARE(choosers.fileQuestions[0].filter,
                 std::string("Movie-Files(*.avi)|*.avi|MP4 Movies(*.mp4)|*.mp4|"
                             "Matroska Movies(*.mkv)|*.mkv|WebM Movies(*.webm)|*.webm||"));
        QVERIFY(!choosers.codecLists[0].empty());
        QCOMPARE(choosers.codecLists[0].front(), std::string("MJPG"));
        QVERIFY2(boxes.shown.empty(), boxes.shown.empty() ? "" : boxes.shown.front().text.c_str());
        QVERIFY(std::filesystem::file_size(output.file("movie.avi")) > 0);
        QCOMPARE(dialog.m_progress->minimum(), 1);
        QCOMPARE(dialog.m_progress->maximum(), 3);
        QCOMPARE(dialog.m_progress->value(), 3);
        QCOMPARE(dialog.m_strFolder, pictures.path().string());
    }

    void emptyFolderIsReported() {
        TempDir pictures;
        TempDir output;
        FakeChoosers choosers;
        FakeMessageBoxes boxes;
        choosers.folderAnswers.push_back(pictures.path().string());
        choosers.fileAnswers.push_back(output.file("movie.avi"));
        choosers.codecAnswers.push_back("MJPG");
        ConversionDlg dialog({choosers, boxes});
        dialog.Run();
        QCOMPARE(boxes.shown.size(), size_t{1});
        QCOMPARE(boxes.shown[0].text, std::string("Folder does not contain pictures!"));
        QCOMPARE(boxes.shown[0].caption, std::string("Empty folder!"));
        QCOMPARE(boxes.shown[0].icon, MessageIcon::Stop);
        QVERIFY(!std::filesystem::exists(output.file("movie.avi")));
        // The folder is looked at before the codec is asked for.
        QVERIFY(choosers.codecLists.empty());
    }

    void aFolderThatCannotBeListedGetsTheEmptyFolderBox() {
        TempDir output;
        FakeChoosers choosers;
        FakeMessageBoxes boxes;
        choosers.folderAnswers.push_back(output.file("no-such-folder"));
        choosers.fileAnswers.push_back(output.file("movie.avi"));
        ConversionDlg dialog({choosers, boxes});
        dialog.Run();
        QCOMPARE(boxes.shown.size(), size_t{1});
        QCOMPARE(boxes.shown[0].text, std::string("Folder does not contain pictures!"));
        QCOMPARE(boxes.shown[0].caption, std::string("Empty folder!"));
        QVERIFY(choosers.codecLists.empty());
    }

    void abortStopsAfterTheFrameInProgressAndLeavesNoMovie() {
        TempDir pictures;
        TempDir output;
        WritePictures(pictures, 12);
        AbortingChoosers choosers;
        FakeMessageBoxes boxes;
        choosers.folderAnswers.push_back(pictures.path().string());
        choosers.fileAnswers.push_back(output.file("movie.avi"));
        choosers.codecAnswers.push_back("MJPG");
        ConversionDlg dialog({choosers, boxes});
        QCOMPARE(dialog.Run(), 1);
        QCOMPARE(dialog.outcome(), ConversionOutcome::Cancelled);
        // The click came while frame 2 was shown; no frame after it was written.
        QCOMPARE(dialog.m_progress->value(), 2);
        QVERIFY(boxes.shown.empty());
        QVERIFY(std::filesystem::is_empty(output.path()));
        QVERIFY(!dialog.isVisible());
    }

    void closingTheMainWindowsConversionSaysItWasCancelled() {
        TempDir pictures;
        TempDir output;
        TempDir settings;
        WritePictures(pictures, 6);
        AbortingChoosers choosers;
        choosers.abortAt = 1;
        FakeMessageBoxes boxes;
        choosers.folderAnswers.push_back(pictures.path().string());
        choosers.fileAnswers.push_back(output.file("movie.avi"));
        choosers.codecAnswers.push_back("MJPG");
        KorvaneApp app({choosers, boxes}, OptionsDlgFiles{settings.file("Setup.ini"), ""});
        QVERIFY(app.Start());
        app.mainFrame()->commands().createMovie->trigger();
        QCOMPARE(app.mainFrame()->statusBar()->currentMessage(),
                 QString("Movie not written: cancelled"));
        QVERIFY(std::filesystem::is_empty(output.path()));
    }

    // Several series: the user is asked which, the newest chosen at first, in the folder shown
    // last; the movie is of the series chosen, and the status bar follows its frames, then
    // says what was written, with "Open".
    void severalSeriesAskWhichAndTheStatusBarReportsTheMovie() {
        TempDir pictures;
        TempDir output;
        TempDir settings;
        WritePictures(pictures, 3, "space", 60);
        WritePictures(pictures, 2, "time");
        FakeChoosers choosers;
        FakeMessageBoxes boxes;
        FakeOpener opener;
        opener.works = true;
        const std::string folder = pictures.path().string();
        const std::string movie = output.file("movie.avi");
        choosers.folderAnswers.push_back(folder);
        choosers.seriesAnswers.push_back(0);
        choosers.fileAnswers.push_back(movie);
        choosers.codecAnswers.push_back("MJPG");
        KorvaneApp app({choosers, boxes, &opener}, OptionsDlgFiles{settings.file("Setup.ini"), ""});
        QVERIFY(app.Start());
        QVERIFY(app.OpenPictures(folder));
        QSignalSpy notices(app.mainFrame()->statusBar(), &QStatusBar::messageChanged);
        app.mainFrame()->commands().createMovie->trigger();

        QCOMPARE(choosers.folderStarts, std::vector<std::string>{folder});
        QCOMPARE(choosers.seriesQuestions.size(), size_t{1});
        const auto& question = choosers.seriesQuestions[0];
        QCOMPARE(question.series.size(), size_t{2});
        QCOMPARE(question.series[question.preselected].prefix, std::string("time"));
        QCOMPARE(choosers.fileQuestions[0].startFolder, folder);
        QVERIFY(notices.contains(QVariantList{QString("Movie: frame 3 of 3")}));
        QCOMPARE(app.mainFrame()->messageText().toStdString(),
                 MovieWrittenText(movie, 3, std::filesystem::file_size(movie)));
        QCOMPARE(app.mainFrame()->statusBar()->currentMessage(), QString());
        QCOMPARE(boxes.shown.size(), size_t{1});  // the note of the series left out
        QCOMPARE(boxes.shown[0].caption, std::string("Movie written"));
        QVERIFY(app.mainFrame()->openMovieButton()->isVisible());
        app.mainFrame()->openMovieButton()->click();
        QCOMPARE(opener.opened, std::vector<std::string>{movie});
    }
};

const bool registered = RegisterAppTest<ConversionDlgTest>();

}  // namespace
}  // namespace korvane::testing

#include "ConversionDlgTest.moc"
