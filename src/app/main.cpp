// Korvane's desktop program: the application object over Qt's own dialogs.

#include <QApplication>
#include <QTemporaryDir>

#include "app/KorvaneApp.h"
#include "app/QtChoosers.h"
#include "app/QtMessageBoxes.h"
#include "app/ScreenshotTour.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    korvane::QtChoosers choosers;
    korvane::QtMessageBoxes messageBoxes;

    korvane::OptionsDlgFiles files = korvane::DefaultOptionsDlgFiles();
    const QString screenshotFolder = korvane::ScreenshotFolder();
    QTemporaryDir tourSetupFolder;
    if (!screenshotFolder.isEmpty()) {
        // The tour shows what a new user sees and leaves the user's "Setup.ini" alone.
        files.setupIniPath = tourSetupFolder.filePath("Setup.ini").toStdString();
    }

    korvane::CKorvaneApp app({choosers, messageBoxes}, files);
    if (!app.InitInstance()) {
        return 1;
    }
    if (!screenshotFolder.isEmpty()) {
        korvane::StartScreenshotTour(app, screenshotFolder);
    }
    return application.exec();
}
