#include "app/ScreenshotTour.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <cstdio>

#include "app/KorvaneApp.h"
#include "app/MainFrame.h"

namespace korvane {

namespace {

// Long enough for a window to be mapped and painted under a virtual X server.
constexpr int kSettleMilliseconds = 700;

void Save(QWidget* window, const QString& path) {
    if (!window->grab().save(path)) {
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

}  // namespace

QString ScreenshotFolder() {
    return qEnvironmentVariable("KORVANE_SCREENSHOT_DIR");
}

void StartScreenshotTour(CKorvaneApp& app, const QString& folder) {
    QTimer::singleShot(kSettleMilliseconds, [&app, folder] {
        Save(app.mainFrame(), folder + "/main-window.png");
        GrabNextModalDialog(folder + "/options-spatial.png");
        app.OnSpatialResolved();
        GrabNextModalDialog(folder + "/options-time.png");
        app.OnTimeResolved();
        GrabNextModalDialog(folder + "/about.png");
        app.OnAppAbout();
        QCoreApplication::quit();
    });
}

}  // namespace korvane
