#pragma once
// Pictures of the program's windows for its documentation. Set KORVANE_SCREENSHOT_DIR to a
// folder and the program, once started, saves the main window, the Options dialog in both
// modes, the About box, the import dialog (on the catalogue KORVANE_SCREENSHOT_CATALOGUE
// names, if any), the viewer during and after a run of the bundled example, the movie's
// series chooser and the finished movie in the status bar there as PNG files, then ends.

#include <QString>

namespace korvane {

class KorvaneApp;

// The folder KORVANE_SCREENSHOT_DIR names, or empty when no tour was asked for.
QString ScreenshotFolder();

// Queues the tour; it runs once the event loop has shown the main window.
void StartScreenshotTour(KorvaneApp& app, const QString& folder);

}  // namespace korvane
