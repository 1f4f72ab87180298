// The desktop program under a user who does everything at once: clicks, keys and closed
// windows while a series runs and while a movie is made. No crash, no second run inside the
// first, nothing half-written left behind.

#include <QAction>
#include <QApplication>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/videoio.hpp>

#include "AppTestRegistry.h"
#include "FakeWindowServices.h"
#include "OptionsDialogFixture.h"
#include "app/KorvaneApp.h"
#include "app/MainFrame.h"
#include "app/PictureViewer.h"
#include "support/Folders.h"

namespace korvane::testing {
namespace {

namespace fs = std::filesystem;

std::string Events(const TempDir& dir) {
    std::string text;
    for (int i = 0; i < 40; ++i) {
        text += std::to_string(i % 10) + ".5\t" + std::to_string((i * 3) % 10) + ".5\t" +
                std::to_string(i % 10) + ".25\t" + std::to_string(i / 4) + "\n";
    }
    return dir.write("events.dat", text);
}

// Every file of `folder` is whole: pictures decode, a movie reads back frame by frame, and
// no temporary is left.
void ExpectWholeFolder(const fs::path& folder) {
    for (const std::string& name : FolderNames(folder)) {
        QVERIFY2(name[0] != '.', name.c_str());
        const std::string path = (folder / name).string();
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".bmp") == 0) {
            QVERIFY2(!cv::imread(path).empty(), name.c_str());
        } else if (name.size() > 4 && name.compare(name.size() - 4, 4, ".avi") == 0) {
            cv::VideoCapture movie(path);
            cv::Mat frame;
            int frames = 0;
            while (movie.read(frame)) {
                ++frames;
            }
            QVERIFY2(frames > 0 && frames == static_cast<int>(movie.get(cv::CAP_PROP_FRAME_COUNT)),
                     name.c_str());
        }
    }
}

std::vector<std::string> HiddenFiles(const fs::path& folder) {
    std::vector<std::string> hidden;
    for (const std::string& name : FolderNames(folder)) {
        if (name[0] == '.') {
            hidden.push_back(name);
        }
    }
    return hidden;
}

// What the user does while the work is at progress position 2.
enum class Abuse { KeysAndClicks, CloseDialog, CloseMainWindow, ViewerKeys };

bool Stops(Abuse abuse) {
    return abuse == Abuse::KeysAndClicks || abuse == Abuse::CloseDialog;
}

// Posts `abuse` on `dialog` (and the main window) through the event loop, as a user would.
void PostAbuse(Abuse abuse, QWidget* dialog, MainFrame* frame, const char* runButton) {
    QTimer::singleShot(0, dialog, [=] {
        switch (abuse) {
            case Abuse::KeysAndClicks:
                for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space}) {
                    QTest::keyClick(dialog, key);
                }
                if (auto* button = dialog->findChild<QPushButton*>(runButton)) {
                    button->click();
                    button->click();
                }
                QTest::keyClick(dialog, Qt::Key_Escape);
                break;
            case Abuse::CloseDialog:
                dialog->close();
                dialog->close();
                break;
            case Abuse::CloseMainWindow:
                frame->close();
                break;
            case Abuse::ViewerKeys:
                for (const Qt::Key key : {Qt::Key_Home, Qt::Key_Right, Qt::Key_Left, Qt::Key_End,
                                          Qt::Key_Space, Qt::Key_Space}) {
                    QTest::keyClick(frame->viewer(), key);
                }
                break;
        }
    });
}

class AbuseTest : public QObject {
    Q_OBJECT
  private slots:
    void abuse_data() {
        QTest::addColumn<int>("abuse");
        QTest::newRow("keys and clicks") << static_cast<int>(Abuse::KeysAndClicks);
        QTest::newRow("dialog closed") << static_cast<int>(Abuse::CloseDialog);
        QTest::newRow("main window closed") << static_cast<int>(Abuse::CloseMainWindow);
        QTest::newRow("viewer keys") << static_cast<int>(Abuse::ViewerKeys);
    }

    // A spatial series of 30 pictures from the main window's menu.
    void duringARun_data() { abuse_data(); }
    void duringARun() {
        QFETCH(int, abuse);
        TempDir settings;
        TempDir data;
        CalculationSetup setup = RunnableSetup(Events(data));
        setup.NoOfPictures = 30;
        QVERIFY(SaveSetupFile(setup, settings.file("Setup.ini")).ok());
        FakeChoosers choosers;
        FakeMessageBoxes boxes;
        KorvaneApp app({choosers, boxes}, OptionsDlgFiles{settings.file("Setup.ini"), ""});
        QVERIFY(app.Start());
        MainFrame* frame = app.mainFrame();

        int runsStarted = 0;
        QTimer::singleShot(0, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            QVERIFY(dialog != nullptr);
            auto* bar = dialog->findChild<QProgressBar*>("progressBar");
            connect(bar, &QProgressBar::valueChanged, dialog, [&, dialog, bar](int value) {
                runsStarted += bar->text().startsWith("picture 1 of") ? 1 : 0;
                if (value == 3) {
                    PostAbuse(static_cast<Abuse>(abuse), dialog, frame, "calculateButton");
                }
            });
            dialog->findChild<QPushButton*>("calculateButton")->click();
        });
        frame->commands().spatialResolved->trigger();

        QCOMPARE(runsStarted, 1);
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        const std::vector<std::string> pictures = PictureNames(data.path());
        QVERIFY(!pictures.empty());
        // Escape or a close stops after the picture in progress; a closed main window or
        // keys for the viewer let the run finish.
        if (Stops(static_cast<Abuse>(abuse))) {
            QVERIFY2(pictures.size() < 6, std::to_string(pictures.size()).c_str());
        } else {
            QCOMPARE(pictures.size(), size_t{30});
        }
        ExpectWholeFolder(data.path());
        // The window still works: the viewer steps through what was written.
        if (frame->isVisible()) {
            frame->viewer()->ShowLast();
            frame->viewer()->ShowFirst();
        }
    }

    // A movie of 40 pictures from the main window's menu.
    void duringAConversion_data() { abuse_data(); }
    void duringAConversion() {
        QFETCH(int, abuse);
        TempDir settings;
        TempDir pictures;
        TempDir output;
        for (int n = 1; n <= 40; ++n) {
            const std::string name =
                "space" + std::string(n < 10 ? "000" : "00") + std::to_string(n) + ".bmp";
            cv::imwrite(pictures.file(name), cv::Mat(120, 160, CV_8UC3, cv::Scalar(n * 6, 0, 9)));
        }
        FakeChoosers choosers;
        FakeMessageBoxes boxes;
        choosers.folderAnswers.push_back(pictures.path().string());
        choosers.fileAnswers.push_back(output.file("movie.avi"));
        choosers.codecAnswers.push_back("MJPG");
        KorvaneApp app({choosers, boxes}, OptionsDlgFiles{settings.file("Setup.ini"), ""});
        QVERIFY(app.Start());
        MainFrame* frame = app.mainFrame();
        QTimer::singleShot(0, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            QVERIFY(dialog != nullptr);
            auto* bar = dialog->findChild<QProgressBar*>("IDC_1049");
            connect(bar, &QProgressBar::valueChanged, dialog, [&, dialog](int value) {
                if (value == 2) {
                    PostAbuse(static_cast<Abuse>(abuse), dialog, frame, "IDCANCEL");
                }
            });
        });
        frame->commands().createMovie->trigger();

        QVERIFY(QApplication::activeModalWidget() == nullptr);
        QCOMPARE(fs::exists(output.file("movie.avi")), !Stops(static_cast<Abuse>(abuse)));
        QCOMPARE(choosers.folderQuestions, 1);  // no second conversion was asked for
        ExpectWholeFolder(output.path());
        ExpectWholeFolder(pictures.path());
    }

    // The main window closed under each dialog while it waits for the user, then the
    // dialog: no crash, no dialog left, and the setup the dialog saves on closing is whole.
    void closingTheMainWindowUnderAnIdleDialog_data() {
        QTest::addColumn<int>("command");
        QTest::newRow("spatial options") << 0;
        QTest::newRow("time options") << 1;
        QTest::newRow("about") << 2;
    }
    void closingTheMainWindowUnderAnIdleDialog() {
        QFETCH(int, command);
        TempDir settings;
        FakeChoosers choosers;
        FakeMessageBoxes boxes;
        KorvaneApp app({choosers, boxes}, OptionsDlgFiles{settings.file("Setup.ini"), ""});
        QVERIFY(app.Start());
        MainFrame* frame = app.mainFrame();
        bool sawDialog = false;
        QTimer::singleShot(0, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            sawDialog = dialog != nullptr;
            frame->close();
            QTest::keyClick(frame, Qt::Key_Space);
            if (dialog) {
                dialog->close();
            }
        });
        QAction* actions[] = {frame->commands().spatialResolved, frame->commands().timeResolved,
                              frame->commands().about};
        actions[command]->trigger();
        QVERIFY(sawDialog);
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        QVERIFY(!frame->isVisible());
        if (command < 2) {
            CalculationSetup reloaded;
            QVERIFY(LoadSetupFile(reloaded, settings.file("Setup.ini")).ok());
        }
        QVERIFY(HiddenFiles(settings.path()).empty());
    }
};

const bool registered = RegisterAppTest<AbuseTest>();

}  // namespace
}  // namespace korvane::testing

#include "AbuseTest.moc"
