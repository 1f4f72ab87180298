#pragma once
// The Options dialog: where the user sets up a calculation and starts it. It keeps its last
// setup in "Setup.ini", and while a series runs it is the series' window: its progress bar
// shows the progress and closing it cancels the run.

#include <QDialog>
#include <string>
#include <utility>
#include <vector>

#include "app/OptionsControls.h"
#include "app/WindowServices.h"
#include "common/Host.h"
#include "setup/CalculateCommand.h"
#include "setup/CalculationSetup.h"
#include "setup/DialogValues.h"

namespace korvane {

// The files the dialog works with besides the user's own.
struct OptionsDlgFiles {
    std::string setupIniPath;   // "Setup.ini": read when the dialog opens, written when it closes
    std::string exampleFolder;  // shown the first time, when there is no "Setup.ini" yet;
                                // holds events.dat and perhaps spatial.ini (empty: none)
};

// "Setup.ini" beside the program and the bundled example.
OptionsDlgFiles DefaultOptionsDlgFiles();

// The setup a dialog opens with: "Setup.ini" over `setup`, or, when there is none yet, the
// bundled example (its spatial.ini and events.dat).
void LoadStartingSetup(const OptionsDlgFiles& files, CalculationSetup& setup);

class COptionsDlg : public QDialog, public Host {
    Q_OBJECT
  public:
    COptionsDlg(int calculationMode, CalculationWorkspace& workspace, WindowServices services,
                OptionsDlgFiles files = DefaultOptionsDlgFiles(), QWidget* parent = nullptr);
    ~COptionsDlg() override;

    int DoModal() { return exec(); }

    // Shows a setup in the controls and applies the enable rules.
    void ShowSetup(const CalculationSetup& setup);
    // Fills a setup from the controls.
    void TakeSetup(CalculationSetup& setup);

    const CalculationSetup& setup() const { return m_setup; }
    // Sees each series this dialog runs (the main window's viewer); may be null.
    void SetSeriesWatcher(SeriesObserver* watcher) { m_watcher = watcher; }
    bool IsCalculating() const { return m_calculating; }

    // The series' window.
    void SetProgressRange(int lower, int upper) override;
    void SetProgressPosition(int position) override;
    void DrainMessageQueue() override;
    bool CancelRequested() const override { return m_cancel != 0; }
    void MessageBoxA(const std::string& text, const std::string& caption,
                     MessageIcon icon) override;

    // Set to 1 when the dialog is asked to close or goes; 0 at the start of a calculation.
    int m_cancel = 0;

  signals:
    // "Calculate!" passed its own checks and is about to run.
    void calculationStarting();

  public slots:
    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void ConnectCommands();
    void OnInitDialog();

    // Greys or enables the controls for the mode, the direction and the switches of m_values.
    void ApplyEnableRules();

    // The folder of the event file the dialog shows: where the choosers open.
    std::string CurrentFolder() const;
    // The file chooser of the kind the dialog has always used, opened in CurrentFolder();
    // nothing while a calculation runs.
    std::optional<std::string> ChooseInCurrentFolder(const char* filter);
    void OnLoad();
    void OnDirection(int direction);
    void OnSwitch();
    void OnLoadSetup();
    void OnSaveSetup();
    void OnCalculate();
    // Saves the setup to `path`; a failure is shown in an error box naming the file.
    void SaveSetupReporting(const std::string& path);
    void SaveOnClose();

    // While a series runs only closing the dialog stays possible.
    void DisableCommandsDuringRun();
    void RestoreCommandsAfterRun();

    const int m_calculationMode;
    CalculationWorkspace& m_workspace;
    WindowServices m_services;
    OptionsDlgFiles m_files;

    CalculationSetup m_setup;
    // The box texts and the direction as last shown or read (typed text counts once it is
    // read); the check states as the boxes hold them now.
    DialogValues m_values;
    bool m_calculating = false;
    SeriesObserver* m_watcher = nullptr;
    std::vector<std::pair<QWidget*, bool>> m_enabledBeforeRun;

    OptionsControls m_controls;
};

}  // namespace korvane
