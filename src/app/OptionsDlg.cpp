#include "app/OptionsDlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <exception>
#include <memory>
#include <optional>

#include "app/Choosers.h"
#include "app/DialogUnits.h"
#include "app/ExampleFolder.h"
#include "app/ImportCatalogueDlg.h"
#include "app/MessageBoxes.h"
#include "app/OptionsFields.h"
#include "app/OptionsProgress.h"
#include "app/OptionsToolTips.h"
#include "app/TraceLine.h"
#include "common/Paths.h"
#include "setup/FitToEvents.h"
#include "setup/OptionsRules.h"
#include "setup/SectionChoice.h"
#include "setup/SetupFile.h"
#include "setup/SetupPaths.h"

namespace korvane {

namespace {

// Plain event files first, as always; then the catalogues the reader knows by their header
// line, preset or first line, and anything else.
constexpr char kEventFileFilter[] =
    "ASCII-Files (*.dat)|*.dat|Catalogues (*.csv *.txt *.reloc *.hyp *.xml)|"
    "*.csv;*.txt;*.reloc;*.hyp;*.xml|All files (*)|*||";
constexpr char kSetupFileFilter[] = "Korvane Ini-Files(*.ini)|*.ini||";

}  // namespace

OptionsDlgFiles DefaultOptionsDlgFiles() {
    return {DefaultSetupIniPath(), BundledExampleFolder()};
}

OptionsDlg::OptionsDlg(CalculationKind kind, CalculationWorkspace& workspace,
                       WindowServices services, OptionsDlgFiles files, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      m_kind(kind),
      m_workspace(workspace),
      m_services(services),
      m_files(std::move(files)) {
    setObjectName("optionsDialog");
    setWindowTitle("Options");
    setFont(DialogFont());
    setFixedSize(DialogSizeToPixels(BaseUnitsOf(font()), 401, 331));
    m_controls = CreateOptionsControls(*this);
    m_progress.SetBar(*m_controls.progressBar);
    SetOptionsToolTips(m_controls);
    ConnectCommands();
    FillControls();
}

OptionsDlg::~OptionsDlg() {
    SaveOnClose();
    // A run still going (the program quits) stops and is waited for: it uses the workspace.
    m_worker.StopAndWait();
}

void OptionsDlg::ConnectCommands() {
    connect(m_controls.loadEventFileButton, &QPushButton::clicked, this, &OptionsDlg::OnLoad);
    connect(m_controls.directionGroup, &QButtonGroup::idClicked, this, &OptionsDlg::OnDirection);
    for (QCheckBox* check : {m_controls.fixedSizeCheck, m_controls.fixedDensityCheck,
                             m_controls.gaussianCheck, m_controls.cumulativeCheck}) {
        connect(check, &QCheckBox::clicked, this, &OptionsDlg::OnSwitch);
    }
    connect(m_controls.loadSetupButton, &QPushButton::clicked, this, &OptionsDlg::OnLoadSetup);
    connect(m_controls.saveSetupButton, &QPushButton::clicked, this, &OptionsDlg::OnSaveSetup);
    connect(m_controls.calculateButton, &QPushButton::clicked, this, &OptionsDlg::OnCalculate);
    connect(m_controls.fitToEventsButton, &QPushButton::clicked, this, &OptionsDlg::OnFitToEvents);
    connect(m_controls.stopButton, &QPushButton::clicked, this, &OptionsDlg::RequestStop);
    for (QLineEdit* box :
         {m_controls.eventFileBox, m_controls.timeStartBox, m_controls.timeEndBox}) {
        connect(box, &QLineEdit::textChanged, this, &OptionsDlg::ShowCalendarTimes);
    }
}

void OptionsDlg::FillControls() {
    LoadStartingSetup(m_files, m_setup);
    ShowSetup(m_setup);
}

void LoadStartingSetup(const OptionsDlgFiles& files, CalculationSetup& setup) {
    if (LoadSetupFile(setup, files.setupIniPath, PrintTraceLine).ok()) {
        return;
    }
    // No "Setup.ini" yet: a new user. Offer the bundled example, set up to give good pictures,
    // so the first "Calculate!" works.
    if (files.exampleFolder.empty()) {
        return;
    }
    // Without the example file the dialog shows its defaults.
    (void)LoadSetupFile(setup, JoinPath(files.exampleFolder, "spatial.ini"), PrintTraceLine);
    setup.FilePath = JoinPath(files.exampleFolder, "events.dat");
}

void OptionsDlg::ShowSetup(const CalculationSetup& setup) {
    m_values = DialogValuesFromSetup(setup);
    // A direction this calculation cannot use (the perspective of an earlier time series)
    // would leave a dialog that can only fail: the first usable one takes its place.
    m_values.direction = UsableDirection(m_kind, DirectionShown(m_values, m_kind));
    ApplyEnableRules();
    ShowValues(m_values, m_controls);
}

void OptionsDlg::TakeSetup(CalculationSetup& setup) {
    TakeValues(m_controls, m_values);
    // The setup keeps seconds: a calendar time typed counts from the catalogue's time
    // reference, found by reading the catalogue when no reading of it has told it yet.
    std::optional<CalendarInstant> reference = KnownTimeReference();
    if (!reference &&
        (CalendarTimeInBox(m_values.timeStart) || CalendarTimeInBox(m_values.timeEnd))) {
        EventTable table;
        CatalogueReport report;
        if (ReadEvents(m_values.eventFilePath, m_values.catalogue, table, &report).ok()) {
            LearnTimeReference(m_values.eventFilePath, report);
            reference = KnownTimeReference();
        }
    }
    setup = SetupFromDialogValues(WithSectionFromDirection(m_values, m_kind), reference);
}

void OptionsDlg::ApplyEnableRules() {
    ApplyEnables(m_controls, OptionsEnablesFor({m_kind, m_values.direction, m_values.fixedSizeState,
                                                m_values.fixedDensityState}));
}

void OptionsDlg::OnLoad() {
    const std::optional<std::string> path = ChooseInCurrentFolder(kEventFileFilter);
    if (path && StartsWithHeader(*path)) {
        // A catalogue: how to read it is chosen first; Cancel leaves everything as it was.
        const CatalogueOptions before =
            *path == m_values.eventFilePath ? m_values.catalogue : CatalogueOptions{};
        OpenImportCatalogue(this, *path, before, m_services,
                            [this](const ImportCatalogueDlg& import) { TakeImport(import); });
    } else if (path) {
        m_values.eventFilePath = *path;
        m_values.catalogue = {};  // how another file was read does not apply to this one
        ShowValues(m_values, m_controls);
    }
}

void OptionsDlg::TakeImport(const ImportCatalogueDlg& import) {
    // What was typed meanwhile stays, the number of pictures the fit steps through included.
    TakeValues(m_controls, m_values);
    m_values.eventFilePath = import.path();
    m_values.catalogue = import.options();
    const CatalogueReport* counted = import.countedReport();
    std::string problem;
    if (counted != nullptr) {
        LearnTimeReference(import.path(), *counted);
        problem = FitRangesToExtent(m_values, import.countedExtent(), *counted);
    }
    ShowValues(m_values, m_controls);
    if (!problem.empty()) {
        ShowMessage({problem, "Fit to events", MessageIcon::Stop});
    }
    if (counted == nullptr) {
        OnFitToEvents();
    }
}

void OptionsDlg::LearnTimeReference(const std::string& path, const CatalogueReport& report) {
    m_referenceFile = path;
    m_learnedReference.reset();
    if (report.calendarTime) {
        m_learnedReference = report.timeReference;
    }
    ShowCalendarTimes();
}

std::optional<CalendarInstant> OptionsDlg::KnownTimeReference() const {
    // A reference given with the catalogue's choices, else the one its reading found.
    const std::string path = m_controls.eventFileBox->text().toStdString();
    if (path == m_values.eventFilePath && m_values.catalogue.timeReference) {
        return m_values.catalogue.timeReference;
    }
    return path == m_referenceFile ? m_learnedReference : std::nullopt;
}

void OptionsDlg::ShowCalendarTimes() {
    m_controls.calendarTimeLabel->setText(QString::fromStdString(CalendarTimeOfBoxes(
        m_controls.timeStartBox->text().trimmed().toStdString(),
        m_controls.timeEndBox->text().trimmed().toStdString(), KnownTimeReference())));
}

std::optional<std::string> OptionsDlg::ChooseInCurrentFolder(const char* filter) {
    // No chooser while a calculation runs (a click that the run's message handling let in).
    if (m_calculating) {
        return std::nullopt;
    }
    return m_services.choosers.ChooseFile(this, FileDialogKind::Open, "", filter, CurrentFolder());
}

std::string OptionsDlg::CurrentFolder() const {
    // The event file as the box shows it now, typed or chosen.
    const std::string path = m_controls.eventFileBox->text().trimmed().toStdString();
    return path.empty() ? std::string() : FolderOf(path);
}

void OptionsDlg::OnDirection(int direction) {
    if (m_calculating) {
        return;
    }
    // Switching the direction shows again the values last read or shown; text typed since
    // then is replaced.
    m_values.direction = direction;
    ApplyEnableRules();
    ShowValues(m_values, m_controls);
}

void OptionsDlg::OnSwitch() {
    if (m_calculating) {
        return;
    }
    // A check box counts as soon as it is clicked: it unlocks its boxes, and showing the
    // values again keeps its new state.
    TakeValues(m_controls, m_values, FieldSet::Switches);
    ApplyEnableRules();
}

void OptionsDlg::OnLoadSetup() {
    const std::optional<std::string> path = ChooseInCurrentFolder(kSetupFileFilter);
    if (path) {
        // A file that cannot be read changes nothing; the dialog says nothing either.
        if (LoadSetupFile(m_setup, *path, PrintTraceLine).ok()) {
            m_setup.FilePath = EventPathBesideSetup(m_setup.FilePath, *path);
        }
        ShowSetup(m_setup);
    }
}

void OptionsDlg::OnSaveSetup() {
    // The open kind of chooser, as for loading: the file is written under exactly the name
    // chosen, and an existing file is replaced without a question.
    const std::optional<std::string> path = ChooseInCurrentFolder(kSetupFileFilter);
    if (path) {
        TakeSetup(m_setup);
        SaveSetupReporting(*path);
    }
}

void OptionsDlg::OnCalculate() {
    // No second calculation inside the first (Enter on a busy dialog, a queued click).
    if (m_calculating) {
        return;
    }
    TakeValues(m_controls, m_values);
    DisableCommandsDuringRun();
    emit calculationStarting();
    // The worker works on its own copy of the values; the workspace is the application's and
    // outlives the dialog. The box to show waits for the end.
    auto messages = std::make_shared<std::vector<UserMessage>>();
    const bool started = m_worker.Start(
        [values = WithSectionFromDirection(m_values, m_kind), kind = m_kind,
         workspace = &m_workspace, messages](SeriesObserver& observer) {
            try {
                const CalculationOutcome outcome = Calculate(values, kind, observer, *workspace);
                if (outcome.message) {
                    messages->push_back(*outcome.message);
                }
            } catch (const std::exception& error) {
                // Nothing may escape the worker.
                messages->push_back(UserMessage{error.what(), "Korvane", MessageIcon::Stop});
            } catch (...) {
                messages->push_back(UserMessage{"The calculation stopped on an unknown error.",
                                                "Korvane", MessageIcon::Stop});
            }
        },
        [this, messages] { FinishCalculation(*messages); });
    if (!started) {
        FinishCalculation({});
    }
}

void OptionsDlg::OnFitToEvents() {
    if (m_calculating) {
        return;
    }
    TakeValues(m_controls, m_values);
    DisableCommandsDuringRun();
    auto fitted = std::make_shared<DialogValues>(WithSectionFromDirection(m_values, m_kind));
    auto report = std::make_shared<CatalogueReport>();
    auto problem = std::make_shared<std::string>();
    const bool started = m_worker.Start(
        [fitted, report, problem](RunObserver& observer) {
            try {
                *problem = FitRangesToEvents(*fitted, &observer, report.get());
            } catch (const std::exception& error) {
                *problem = error.what();  // nothing may escape the worker
            }
        },
        [this, fitted, report, problem] { FinishFit(*fitted, *report, *problem); });
    if (!started) {
        FinishFit(m_values, {}, {});
    }
}

void OptionsDlg::FinishFit(const DialogValues& fitted, const CatalogueReport& report,
                           const std::string& problem) {
    RestoreCommandsAfterRun();
    m_controls.progressBar->reset();
    if (m_closeAfterWork) {
        m_closeAfterWork = false;
        close();
        return;
    }
    if (!problem.empty()) {
        ShowMessage({problem, "Fit to events", MessageIcon::Stop});
    } else if (!m_worker.StopRequested()) {
        LearnTimeReference(fitted.eventFilePath, report);
        // Only the ranges change: what else the user typed meanwhile stays.
        TakeValues(m_controls, m_values);
        m_values.xMin = fitted.xMin;
        m_values.xMax = fitted.xMax;
        m_values.yMin = fitted.yMin;
        m_values.yMax = fitted.yMax;
        m_values.zMin = fitted.zMin;
        m_values.zMax = fitted.zMax;
        m_values.timeStart = fitted.timeStart;
        m_values.timeEnd = fitted.timeEnd;
        ShowValues(m_values, m_controls);
    }
}

void OptionsDlg::FinishCalculation(const std::vector<UserMessage>& messages) {
    // What the run's reading of a catalogue found tells the setup saved next its seconds.
    if (!m_workspace.catalogue.header.empty()) {
        LearnTimeReference(m_values.eventFilePath, m_workspace.catalogue);
    }
    for (const UserMessage& message : messages) {
        ShowMessage(message);
    }
    RestoreCommandsAfterRun();
    m_closeAfterWork = false;  // the dialog ends below in any case
    emit calculationFinished();
    // Whatever happened, the command ends the dialog; a close asked for during the run was
    // held back until here so the dialog outlives the calculation that uses it.
    done(1);
}

void OptionsDlg::RequestStop() {
    if (m_calculating) {
        m_worker.RequestStop();
    }
}

void OptionsDlg::DisableCommandsDuringRun() {
    m_calculating = true;
    m_enabledBeforeRun.clear();
    for (QWidget* command : m_controls.commands) {
        m_enabledBeforeRun.emplace_back(command, command->isEnabled());
        command->setEnabled(false);
    }
    m_controls.stopButton->setEnabled(true);
}

void OptionsDlg::RestoreCommandsAfterRun() {
    for (const auto& [command, enabled] : m_enabledBeforeRun) {
        command->setEnabled(enabled);
    }
    m_enabledBeforeRun.clear();
    m_controls.stopButton->setEnabled(false);
    m_calculating = false;
}

void OptionsDlg::SaveSetupReporting(const std::string& path) {
    const Status saved = SaveSetupFile(m_setup, path, PrintTraceLine);
    if (!saved.ok()) {
        ShowMessage({saved.message(), "Error", MessageIcon::Stop});
    }
}

void OptionsDlg::SaveOnClose() {
    TakeSetup(m_setup);
    SaveSetupReporting(m_files.setupIniPath);
    m_worker.RequestStop();
}

void OptionsDlg::closeEvent(QCloseEvent* event) {
    SaveOnClose();
    if (m_calculating) {
        // The run stops at its next check; the dialog closes when the worker is done.
        m_closeAfterWork = true;
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void OptionsDlg::reject() {
    if (m_calculating) {
        // Escape during a run: a request to stop, like closing the window.
        SaveOnClose();
        return;
    }
    QDialog::reject();
}

void OptionsDlg::ShowMessage(const UserMessage& message) {
    m_services.messageBoxes.Show(this, message.text, message.caption, message.icon);
}

}  // namespace korvane
