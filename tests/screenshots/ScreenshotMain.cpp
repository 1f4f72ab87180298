// korvane-screenshots: the desktop program, started to take the documentation's pictures of
// its windows into the folder KORVANE_SCREENSHOT_DIR names (scripts/screenshots runs it on a
// virtual screen), then to end.

#include <QApplication>
#include <QTemporaryDir>
#include <cstdio>

#include "ScreenshotTour.h"
#include "app/KorvaneApp.h"
#include "app/QtChoosers.h"
#include "app/QtMessageBoxes.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const QString folder = korvane::ScreenshotFolder();
    if (folder.isEmpty()) {
        std::fputs(
            "korvane-screenshots: set KORVANE_SCREENSHOT_DIR to the folder for the "
            "pictures\n",
            stderr);
        return 1;
    }
    korvane::QtChoosers choosers;
    korvane::QtMessageBoxes messageBoxes;
    korvane::OptionsDlgFiles files = korvane::DefaultOptionsDlgFiles();
    // The tour shows what a new user sees and leaves the user's "Setup.ini" alone.
    QTemporaryDir tourSetupFolder;
    files.setupIniPath = tourSetupFolder.filePath("Setup.ini").toStdString();

    korvane::KorvaneApp app({choosers, messageBoxes}, files);
    if (!app.Start()) {
        return 1;
    }
    korvane::StartScreenshotTour(app, folder);
    return QApplication::exec();
}
