#include "app/ScreenshotTour.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <initializer_list>

#include "app/ExampleFolder.h"
#include "app/KorvaneApp.h"
#include "app/MainFrame.h"
#include "common/Paths.h"
#include "setup/SetupFile.h"

namespace korvane {

namespace {

// Long enough for a window to be mapped and painted under a virtual X server.
constexpr int kSettleMilliseconds = 700;

void Save(QWidget* window, const QString& path) {
    if (!window->grab().save(path)) {
        std::fprintf(stderr, "korvane: could not save %s\n", qPrintable(path));
    }
}

// The part of the screen that shows `windows`, as the user sees them side by side.
void SaveScreenOf(std::initializer_list<QWidget*> windows, const QString& path) {
    QRect shown;
    for (QWidget* window : windows) {
        shown = shown.united(window->frameGeometry());
    }
    QScreen* screen = (*windows.begin())->screen();
    if (screen == nullptr || !screen->grabWindow(0).copy(shown).save(path)) {
        std::fprintf(stderr, "korvane: could not save %s\n", qPrintable(path));
    }
}

// Grabs the modal dialog the next command opens, then closes it (its modal run returns).
void GrabNextModalDialog(const QString& path) {
    QTimer::singleShot(kSettleMilliseconds, [path] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            Save(dialog, path);
            dialog->close();
        }
    });
}

// The bundled example's spatial series, run in a folder of its own: the main window is
// grabbed halfway through and once the last picture shows.
void RunExampleSeries(KorvaneApp& app, const QString& folder) {
    QTemporaryDir work;
    const std::string events = JoinPath(work.path().toStdString(), "events.dat");
    const std::string example = BundledExampleFolder();
    CalculationSetup setup;
    if (!QFile::copy(QString::fromStdString(JoinPath(example, "events.dat")),
                     QString::fromStdString(events)) ||
        !LoadSetupFile(setup, JoinPath(example, "spatial.ini")).ok()) {
        std::fprintf(stderr, "korvane: the example is missing; no pictures of a run\n");
        return;
    }
    setup.FilePath = events;
    const std::string ini = JoinPath(work.path().toStdString(), "spatial.ini");
    (void)SaveSetupFile(setup, ini);

    app.mainFrame()->setGeometry(0, 0, 940, 820);
    QTimer::singleShot(kSettleMilliseconds, [&app, folder] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (dialog == nullptr) {
            return;
        }
        auto* bar = dialog->findChild<QProgressBar*>("progressBar");
        QObject::connect(
            bar, &QProgressBar::valueChanged, dialog, [&app, folder, bar, dialog](int value) {
                if (value == bar->maximum() / 2) {
                    Save(app.mainFrame(), folder + "/viewer-run.png");
                    // What the X server holds may lag behind the widgets: both are painted first.
                    app.mainFrame()->repaint();
                    dialog->repaint();
                    SaveScreenOf({app.mainFrame(), dialog}, folder + "/run-beside.png");
                }
                if (value == bar->maximum()) {
                    // The box "Calculation finished successfully." comes next: close it.
                    QTimer::singleShot(kSettleMilliseconds, [] {
                        if (QWidget* box = QApplication::activeModalWidget()) {
                            box->close();
                        }
                    });
                }
            });
        dialog->findChild<QPushButton*>("calculateButton")->click();
    });
    app.OpenFile(ini);
    // The newest picture follows on its own pace; then the window as the run left it.
    QEventLoop settle;
    QTimer::singleShot(kSettleMilliseconds, &settle, &QEventLoop::quit);
    settle.exec();
    Save(app.mainFrame(), folder + "/viewer.png");
}

}  // namespace

QString ScreenshotFolder() {
    return qEnvironmentVariable("KORVANE_SCREENSHOT_DIR");
}

void StartScreenshotTour(KorvaneApp& app, const QString& folder) {
    QTimer::singleShot(kSettleMilliseconds, [&app, folder] {
        Save(app.mainFrame(), folder + "/main-window.png");
        GrabNextModalDialog(folder + "/options-spatial.png");
        app.OnSpatialResolved();
        GrabNextModalDialog(folder + "/options-time.png");
        app.OnTimeResolved();
        GrabNextModalDialog(folder + "/about.png");
        app.OnAppAbout();
        RunExampleSeries(app, folder);
        QCoreApplication::quit();
    });
}

}  // namespace korvane
