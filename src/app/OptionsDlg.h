#pragma once
// The Options dialog: where the user sets up a calculation and starts it. It keeps its last
// setup in "Setup.ini", and while a calculation runs on its worker it is the run's window:
// its bar shows every phase, and "Stop", Escape or closing it stop the run.

#include <QDialog>
#include <string>
#include <utility>
#include <vector>

#include "app/OptionsControls.h"
#include "app/OptionsProgress.h"
#include "app/RunWorker.h"
#include "app/WindowServices.h"
#include "setup/CalculateCommand.h"
#include "setup/CalculationSetup.h"
#include "setup/DialogValues.h"

namespace korvane {

class ImportCatalogueDlg;

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

class OptionsDlg : public QDialog {
    Q_OBJECT
  public:
    OptionsDlg(CalculationKind kind, CalculationWorkspace& workspace, WindowServices services,
               OptionsDlgFiles files = DefaultOptionsDlgFiles(), QWidget* parent = nullptr);
    ~OptionsDlg() override;

    int Run() { return exec(); }

    // Shows a setup in the controls and applies the enable rules.
    void ShowSetup(const CalculationSetup& setup);
    // Fills a setup from the controls.
    void TakeSetup(CalculationSetup& setup);
    // The catalogue an import dialog read, with its choices; the ranges are fitted to its
    // events (read again on the worker when the import did not finish counting them).
    void TakeImport(const ImportCatalogueDlg& import);

    const CalculationSetup& setup() const { return m_setup; }
    // Sees each run this dialog starts (the main window's viewer), on the window's thread;
    // may be null.
    void SetSeriesWatcher(SeriesObserver* watcher) { m_progress.SetWatcher(watcher); }
    bool IsCalculating() const { return m_calculating; }
    // True once the user asked the running calculation to stop (or closed the dialog).
    bool StopRequested() const { return m_worker.StopRequested(); }

  signals:
    // "Calculate!" passed its own checks and is about to run.
    void calculationStarting();
    // The calculation ended and its box, if any, was shown; the dialog closes next.
    void calculationFinished();

  public slots:
    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void ConnectCommands();
    void FillControls();

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
    // Reads the events on the worker (the bar follows, Stop stops) and sets the ranges.
    void OnFitToEvents();
    void FinishFit(const DialogValues& fitted, const CatalogueReport& report,
                   const std::string& problem);
    // Keeps the time reference a reading of the catalogue at `path` found, for the calendar
    // time beside the time boxes.
    void LearnTimeReference(const std::string& path, const CatalogueReport& report);
    // The time reference of the catalogue the event file box names: given with its choices,
    // or found by a reading of it; none when neither is known.
    std::optional<CalendarInstant> KnownTimeReference() const;
    // The calendar time of the time boxes, for a catalogue whose time reference is known.
    void ShowCalendarTimes();
    // On the window's thread once the worker is done: the box, the commands, the end.
    void FinishCalculation(const std::vector<UserMessage>& messages);
    void ShowMessage(const UserMessage& message);
    // The user asks the run to stop (Stop, Escape, closing).
    void RequestStop();
    // Saves the setup to `path`; a failure is shown in an error box naming the file.
    void SaveSetupReporting(const std::string& path);
    void SaveOnClose();

    // Work on the worker begins (every command greyed, Stop enabled) and ends: while a series
    // runs only Stop and closing the dialog stay possible.
    void DisableCommandsDuringRun();
    void RestoreCommandsAfterRun();

    const CalculationKind m_kind;
    CalculationWorkspace& m_workspace;
    WindowServices m_services;
    OptionsDlgFiles m_files;

    CalculationSetup m_setup;
    // The box texts and the direction as last shown or read (typed text counts once it is
    // read); the check states as the boxes hold them now.
    DialogValues m_values;
    // The time reference a reading of the catalogue `m_referenceFile` found.
    std::optional<CalendarInstant> m_learnedReference;
    std::string m_referenceFile;
    bool m_calculating = false;     // a calculation, or the reading of "Fit to events"
    bool m_closeAfterWork = false;  // the window was closed while the events were read
    std::vector<std::pair<QWidget*, bool>> m_enabledBeforeRun;

    OptionsControls m_controls;
    OptionsProgressObserver m_progress;
    RunWorker m_worker{m_progress};  // last: ends (stopping the run) before the rest goes
};

}  // namespace korvane
