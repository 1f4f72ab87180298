#pragma once
// The application object: owns what the program keeps for its whole life (the last calculation
// kind, the calculation's workspace, the main window) and turns the menu commands into dialogs.

#include <QObject>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/OptionsDlg.h"
#include "app/RecentFolders.h"
#include "app/ViewerPictures.h"
#include "app/WindowServices.h"
#include "setup/CalculateCommand.h"

namespace korvane {

class MainFrame;

class KorvaneApp : public QObject {
    Q_OBJECT
  public:
    // `files` tells the Options dialog where "Setup.ini" and the bundled example are.
    KorvaneApp(WindowServices services, OptionsDlgFiles files = DefaultOptionsDlgFiles());
    ~KorvaneApp() override;

    // Start-up: the settings name, the main window with its icons, shown. False if the
    // window could not be made.
    bool Start();

    MainFrame* mainFrame() const { return m_mainFrame.get(); }
    // The calculation the menu last opened the Options dialog for; none before the first
    // and after "Create Movie".
    std::optional<CalculationKind> calculationKind() const { return m_calculationKind; }
    CalculationWorkspace& workspace() { return *m_workspace; }

    // The menu's program commands. Each builds its dialog, runs it modally and lets it go.
    void OnSpatialResolved();
    void OnTimeResolved();
    void OnCreateMovie();
    void OnOutputOptions();
    void OnImportCatalogue();
    void OnAppAbout();
    // File -> "Open Pictures...": a folder of numbered pictures into the viewer.
    void OnOpenPictures();

    // Shows the numbered pictures of a folder, or the series of a numbered picture starting
    // at it. False, with a box, when there is nothing to show.
    bool OpenPictures(const std::string& path);

    // A file named on the command line: the Options dialog of a spatial series with `path`
    // (made absolute) as its event file, or, for a setup file (*.ini), that setup loaded.
    void OpenFile(const std::string& path);

    // A section's line drawn on a map in the viewer: the Options dialog of a spatial series
    // with the Section direction along it.
    void OnSectionLineDrawn(const DrawnLine& line);

  private:
    // Sets the calculation kind and runs the Options dialog; `prepare` sees it before it is shown.
    void RunOptionsDialog(CalculationKind kind,
                          const std::function<void(OptionsDlg&)>& prepare = {});
    // After a run that wrote `written` pictures, the last of them `lastPath` numbered
    // `lastNumber`: the summary with `shown` (which picture the viewer shows), "Show in
    // Folder", and a word on older pictures left behind.
    void ReportSeries(int written, const std::string& lastPath, int lastNumber,
                      const std::string& shown);
    void RebuildRecentMenu();
    // The folder of the pictures shown or written last; empty when there were none.
    std::string LastPictureFolder() const;
    // A movie of `frames` frames was written to `moviePath`: the status bar says so.
    void ReportMovie(const std::string& moviePath, int frames);
    // "Open" on a movie: the desktop's program shows it, or a box says it cannot.
    void OpenMovie(const QString& moviePath);

    WindowServices m_services;
    OptionsDlgFiles m_files;
    std::optional<CalculationKind> m_calculationKind;
    // The calculation the Options dialog was last opened for (none yet: the setup's own
    // direction tells).
    std::optional<CalculationKind> m_lastCalculation;
    std::unique_ptr<CalculationWorkspace> m_workspace;
    std::unique_ptr<MainFrame> m_mainFrame;
    RecentFolders m_recent;
};

}  // namespace korvane
