#include "app/OptionsDlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <exception>
#include <filesystem>

#include "app/Choosers.h"
#include "app/DialogUnits.h"
#include "app/ExampleFolder.h"
#include "app/MessageBoxes.h"
#include "common/Paths.h"
#include "setup/SetupFile.h"

namespace korvane {

namespace {

enum class Kind { Group, HiddenGroup, Label, Edit, Button, DefaultButton, Radio, Check, Progress };

// One control of the dialog: identifier (0 for the few the code never touches), kind, caption,
// place and size in dialog units, and whether it is greyed when the dialog is created.
struct ControlSpec {
    int id;
    Kind kind;
    const char* caption;
    int x, y, width, height;
    bool greyed;
    const char* nameWithoutId;
};

// In the order the user tabs through them.
constexpr ControlSpec kControls[] = {
    {1033, Kind::Group, "", 7, 7, 320, 195, true, nullptr},
    {1031, Kind::Label, "Path to file(s):", 14, 19, 44, 8, false, nullptr},
    {1006, Kind::Edit, "", 15, 33, 275, 12, false, nullptr},
    {1023, Kind::Button, "Load", 292, 33, 24, 12, false, nullptr},
    {1045, Kind::Label, "Direction of view:", 20, 52, 56, 8, false, nullptr},
    {0, Kind::HiddenGroup, "Static", 15, 50, 72, 58, false, "IDC_STATIC_DIRECTION"},
    {1054, Kind::Radio, "x", 22, 61, 19, 10, false, nullptr},
    {1055, Kind::Radio, "y", 22, 71, 19, 10, false, nullptr},
    {1056, Kind::Radio, "z", 22, 81, 19, 10, false, nullptr},
    {1057, Kind::Radio, "Perspective", 22, 91, 53, 10, false, nullptr},
    {1036, Kind::Label, "Calculation range [units]:", 20, 112, 78, 8, false, nullptr},
    {1038, Kind::Label, "x-min:", 20, 123, 19, 8, false, nullptr},
    {1039, Kind::Label, "x-max:", 20, 138, 21, 8, false, nullptr},
    {1011, Kind::Edit, "", 56, 122, 50, 12, false, nullptr},
    {1012, Kind::Edit, "", 56, 136, 50, 12, false, nullptr},
    {1041, Kind::Label, "y-min:", 120, 123, 19, 8, false, nullptr},
    {1042, Kind::Label, "y-max:", 120, 138, 21, 8, false, nullptr},
    {1013, Kind::Edit, "", 157, 122, 50, 12, false, nullptr},
    {1014, Kind::Edit, "", 157, 136, 50, 12, false, nullptr},
    {1048, Kind::Label, "z-min:", 221, 124, 19, 8, false, nullptr},
    {1049, Kind::Label, "z-max:", 221, 138, 21, 8, false, nullptr},
    {1025, Kind::Edit, "", 259, 122, 50, 12, false, nullptr},
    {1026, Kind::Edit, "", 259, 137, 50, 12, false, nullptr},
    {1037, Kind::Label, "Time scale [sec]:", 19, 155, 54, 8, true, nullptr},
    {1044, Kind::Label, "Start:", 19, 168, 18, 8, true, nullptr},
    {1046, Kind::Label, "End:", 19, 182, 16, 8, true, nullptr},
    {1016, Kind::Edit, "", 55, 166, 50, 12, true, nullptr},
    {1022, Kind::Edit, "", 55, 181, 50, 12, true, nullptr},
    {1047, Kind::Label, "Number of pictures:", 119, 168, 62, 8, false, nullptr},
    {1024, Kind::Edit, "", 183, 166, 24, 12, false, nullptr},
    {1050, Kind::Label, "Calculation radius:", 119, 183, 58, 8, false, nullptr},
    {1027, Kind::Edit, "", 183, 181, 24, 12, false, nullptr},
    {0, Kind::Group, "", 7, 200, 320, 46, false, "IDC_STATIC_SIZE_FRAME"},
    {1018, Kind::Check, "Fixed image size", 19, 207, 85, 15, false, nullptr},
    {1040, Kind::Label, "Width [px]:", 119, 210, 35, 8, true, nullptr},
    {1043, Kind::Label, "Height [px]:", 119, 224, 37, 8, true, nullptr},
    {1017, Kind::Edit, "", 157, 208, 50, 12, true, nullptr},
    {1020, Kind::Edit, "", 157, 222, 50, 12, true, nullptr},
    {0, Kind::Group, "", 7, 244, 320, 44, false, "IDC_STATIC_DENSITY_FRAME"},
    {1015, Kind::Check, "Fixed Density Maximum", 19, 252, 99, 10, false, nullptr},
    {1019, Kind::Edit, "", 129, 251, 78, 12, true, nullptr},
    {1021, Kind::Check, "Gaussian distance weighting", 19, 261, 111, 15, false, nullptr},
    {1028, Kind::Check, "Cumulative time plot", 19, 272, 111, 15, true, nullptr},
    {1002, Kind::Button, "Save Setup", 342, 13, 50, 15, false, nullptr},
    {1010, Kind::Button, "Load Setup", 342, 30, 50, 15, false, nullptr},
    {1000, Kind::DefaultButton, "Calculate!", 341, 265, 50, 14, false, nullptr},
    {0, Kind::Label, "Calculation Progress:", 5, 295, 67, 8, false, "IDC_STATIC_PROGRESS"},
    {1005, Kind::Progress, "", 5, 305, 390, 15, false, nullptr},
};

// The range groups of x, y and z: two labels and two boxes each.
constexpr int kRangeGroups[3][4] = {
    {1038, 1039, 1011, 1012}, {1041, 1042, 1013, 1014}, {1048, 1049, 1025, 1026}};

// The commands of the dialog: everything that reacts to a click.
constexpr int kCommands[] = {1023, 1054, 1055, 1056, 1057, 1018,
                             1015, 1021, 1028, 1002, 1010, 1000};

constexpr char kEventFileFilter[] = "ASCII-Files (*.dat)|*.dat||";
constexpr char kSetupFileFilter[] = "Korvane Ini-Files(*.ini)|*.ini||";

QWidget* MakeControl(const ControlSpec& entry, QWidget* parent) {
    const QString caption = QString::fromUtf8(entry.caption);
    switch (entry.kind) {
        case Kind::Group:
            return new QGroupBox(caption, parent);
        case Kind::HiddenGroup: {
            auto* group = new QGroupBox(caption, parent);
            group->hide();
            return group;
        }
        case Kind::Label:
            return new QLabel(caption, parent);
        case Kind::Edit:
            return new QLineEdit(parent);
        case Kind::Button:
            return new QPushButton(caption, parent);
        case Kind::DefaultButton: {
            auto* button = new QPushButton(caption, parent);
            button->setDefault(true);
            return button;
        }
        case Kind::Radio:
            return new QRadioButton(caption, parent);
        case Kind::Check:
            return new QCheckBox(caption, parent);
        case Kind::Progress: {
            auto* bar = new QProgressBar(parent);
            bar->setTextVisible(false);
            bar->setRange(0, 100);
            bar->setValue(0);
            return bar;
        }
    }
    return nullptr;
}

// Texts and buttons may not fit a font that runs wider than the one the layout was drawn
// for: such a control grows to the right (never moves) so its caption is not cut off.
bool GrowsToFitCaption(Kind kind) {
    return kind == Kind::Label || kind == Kind::Radio || kind == Kind::Check;
}

}  // namespace

OptionsDlgFiles DefaultOptionsDlgFiles() {
    return {DefaultSetupIniPath(), BundledExampleFolder()};
}

COptionsDlg::COptionsDlg(int calculationMode, CalculationWorkspace& workspace,
                         WindowServices services, OptionsDlgFiles files, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      m_calculationMode(calculationMode),
      m_workspace(workspace),
      m_services(services),
      m_files(std::move(files)) {
    setObjectName("IDD_OPTIONS");
    setWindowTitle("Options");
    setFont(DialogFont());
    setFixedSize(DialogSizeToPixels(BaseUnitsOf(font()), 401, 331));
    CreateControls();
    OnInitDialog();
}

COptionsDlg::~COptionsDlg() {
    SaveOnClose();
}

void COptionsDlg::CreateControls() {
    const DialogBaseUnits units = BaseUnitsOf(font());
    m_directionGroup = new QButtonGroup(this);
    for (const ControlSpec& entry : kControls) {
        QWidget* control = MakeControl(entry, this);
        control->setObjectName(entry.id != 0 ? QString("IDC_%1").arg(entry.id)
                                             : QString(entry.nameWithoutId));
        QRect place = DialogRectToPixels(units, entry.x, entry.y, entry.width, entry.height);
        if (GrowsToFitCaption(entry.kind)) {
            place.setWidth(std::max(place.width(), control->sizeHint().width()));
        }
        control->setGeometry(place);
        control->setEnabled(!entry.greyed);
        if (entry.id != 0) {
            m_controls[entry.id] = control;
        }
        if (entry.kind == Kind::Radio) {
            m_directionGroup->addButton(static_cast<QRadioButton*>(control), entry.id - 1054);
        }
    }
    m_progress = static_cast<QProgressBar*>(Control(1005));

    connect(static_cast<QPushButton*>(Control(1023)), &QPushButton::clicked, this,
            &COptionsDlg::OnLoad);
    connect(m_directionGroup, &QButtonGroup::idClicked, this, &COptionsDlg::OnDirection);
    connect(Check(1018), &QCheckBox::clicked, this, &COptionsDlg::ApplySizeRule);
    connect(Check(1015), &QCheckBox::clicked, this, &COptionsDlg::ApplyDensityRule);
    connect(static_cast<QPushButton*>(Control(1010)), &QPushButton::clicked, this,
            &COptionsDlg::OnLoadSetup);
    connect(static_cast<QPushButton*>(Control(1002)), &QPushButton::clicked, this,
            &COptionsDlg::OnSaveSetup);
    connect(static_cast<QPushButton*>(Control(1000)), &QPushButton::clicked, this,
            &COptionsDlg::OnCalculate);
}

void COptionsDlg::OnInitDialog() {
    if (!LoadSetupFile(m_setup, m_files.setupIniPath).ok()) {
        ShowFirstExample();
    }
    ShowSetup(m_setup);
}

void COptionsDlg::ShowFirstExample() {
    // No "Setup.ini" yet: a new user. Offer the bundled example, set up to give good pictures,
    // so the first "Calculate!" works.
    if (m_files.exampleFolder.empty()) {
        return;
    }
    // Without the example file the dialog shows its defaults.
    (void)LoadSetupFile(m_setup, JoinPath(m_files.exampleFolder, "spatial.ini"));
    m_setup.FilePath = JoinPath(m_files.exampleFolder, "events.dat");
}

void COptionsDlg::ShowSetup(const CalculationSetup& setup) {
    m_values = DialogValuesFromSetup(setup);
    Check(1018)->setChecked(m_values.fixedSizeState == 1);
    Check(1015)->setChecked(m_values.fixedDensityState == 1);
    Check(1021)->setChecked(m_values.gaussianState == 1);
    Check(1028)->setChecked(m_values.cumulativeState == 1);
    ApplyModeRules();
    ApplySizeRule();
    ApplyDensityRule();
    ApplyDirectionRule(m_values.direction);
    WriteExchangedValues();
}

void COptionsDlg::TakeSetup(CalculationSetup& setup) {
    ReadControls();
    setup = SetupFromDialogValues(m_values);
}

void COptionsDlg::ReadControls() {
    const auto text = [this](int id) { return Edit(id)->text().toStdString(); };
    m_values.eventFilePath = text(1006);
    m_values.xMin = text(1011);
    m_values.xMax = text(1012);
    m_values.yMin = text(1013);
    m_values.yMax = text(1014);
    m_values.zMin = text(1025);
    m_values.zMax = text(1026);
    m_values.timeStart = text(1016);
    m_values.timeEnd = text(1022);
    m_values.width = text(1017);
    m_values.height = text(1020);
    m_values.densityMaximum = text(1019);
    m_values.numberOfPictures = text(1024);
    m_values.radius = text(1027);
    m_values.direction = m_directionGroup->checkedId();
    m_values.fixedSizeState = CheckState(1018);
    m_values.fixedDensityState = CheckState(1015);
    m_values.gaussianState = CheckState(1021);
    m_values.cumulativeState = CheckState(1028);
}

void COptionsDlg::WriteExchangedValues() {
    const auto show = [this](int id, const std::string& text) {
        Edit(id)->setText(QString::fromStdString(text));
    };
    show(1006, m_values.eventFilePath);
    show(1011, m_values.xMin);
    show(1012, m_values.xMax);
    show(1013, m_values.yMin);
    show(1014, m_values.yMax);
    show(1025, m_values.zMin);
    show(1026, m_values.zMax);
    show(1016, m_values.timeStart);
    show(1022, m_values.timeEnd);
    show(1017, m_values.width);
    show(1020, m_values.height);
    show(1019, m_values.densityMaximum);
    show(1024, m_values.numberOfPictures);
    show(1027, m_values.radius);
    if (QAbstractButton* selected = m_directionGroup->button(m_values.direction)) {
        selected->setChecked(true);
    } else {
        // No direction: no button of the group is selected.
        m_directionGroup->setExclusive(false);
        for (QAbstractButton* button : m_directionGroup->buttons()) {
            button->setChecked(false);
        }
        m_directionGroup->setExclusive(true);
    }
}

void COptionsDlg::ApplyModeRules() {
    if (m_calculationMode == SpatialResolvedMode) {
        Control(1057)->setEnabled(false);
    }
    if (m_calculationMode == TimeResolvedMode) {
        for (int id : {1037, 1044, 1046, 1016, 1022, 1028}) {
            Control(id)->setEnabled(true);
        }
    }
}

void COptionsDlg::ApplySizeRule() {
    const bool fixedSize = CheckState(1018) == 1;
    for (int id : {1040, 1043, 1017, 1020}) {
        Control(id)->setEnabled(fixedSize);
    }
}

void COptionsDlg::ApplyDensityRule() {
    Control(1019)->setEnabled(CheckState(1015) == 1);
}

void COptionsDlg::ApplyDirectionRule(int direction) {
    if (direction >= 0 && direction <= 2) {
        // The viewing axis' range steps the slices of a spatial series; a time series
        // projects along it, so its range is not used.
        for (int axis = 0; axis < 3; ++axis) {
            EnableRangeGroup(axis, axis != direction || m_calculationMode == SpatialResolvedMode);
        }
    } else if (direction == 3) {
        for (int axis = 0; axis < 3; ++axis) {
            EnableRangeGroup(axis, true);
        }
    }
}

void COptionsDlg::EnableRangeGroup(int axis, bool enabled) {
    for (int id : kRangeGroups[axis]) {
        Control(id)->setEnabled(enabled);
    }
}

void COptionsDlg::OnLoad() {
    if (m_calculating) {
        return;
    }
    const std::optional<std::string> path =
        m_services.choosers.ChooseFile(this, FileDialogKind::Open, "", kEventFileFilter);
    if (path) {
        m_values.eventFilePath = *path;
        WriteExchangedValues();
    }
}

void COptionsDlg::OnDirection(int direction) {
    if (m_calculating) {
        return;
    }
    // Switching the direction shows again the values last read or shown; text typed since
    // then is replaced.
    ApplyDirectionRule(direction);
    m_values.direction = direction;
    WriteExchangedValues();
}

void COptionsDlg::OnLoadSetup() {
    if (m_calculating) {
        return;
    }
    const std::optional<std::string> path =
        m_services.choosers.ChooseFile(this, FileDialogKind::Open, "", kSetupFileFilter);
    if (path) {
        // A file that cannot be read changes nothing; the dialog says nothing either.
        (void)LoadSetupFile(m_setup, *path);
        ShowSetup(m_setup);
    }
}

void COptionsDlg::OnSaveSetup() {
    if (m_calculating) {
        return;
    }
    // The open kind of chooser, as for loading: the file is written under exactly the name
    // chosen, and an existing file is replaced without a question.
    const std::optional<std::string> path =
        m_services.choosers.ChooseFile(this, FileDialogKind::Open, "", kSetupFileFilter);
    if (path) {
        TakeSetup(m_setup);
        // A setup that cannot be saved is not reported, as when the dialog closes.
        (void)SaveSetupFile(m_setup, *path);
    }
}

void COptionsDlg::OnCalculate() {
    // No second calculation inside the first (Enter on a busy dialog, a queued click).
    if (m_calculating) {
        return;
    }
    ReadControls();
    m_cancel = 0;
    m_calculating = true;
    DisableCommandsDuringRun();
    try {
        Calculate(m_values, m_calculationMode, *this, m_workspace);
    } catch (const std::exception& error) {
        // Nothing may escape into the event loop.
        MessageBoxA(error.what(), "Korvane", MessageIcon::Stop);
    } catch (...) {
        MessageBoxA("The calculation stopped on an unknown error.", "Korvane", MessageIcon::Stop);
    }
    RestoreCommandsAfterRun();
    m_calculating = false;
    // Whatever happened, the command ends the dialog; a close asked for during the run was
    // held back until here so the dialog outlives the calculation that uses it.
    done(1);
}

void COptionsDlg::DisableCommandsDuringRun() {
    m_enabledBeforeRun.clear();
    for (int id : kCommands) {
        QWidget* command = Control(id);
        m_enabledBeforeRun.emplace_back(command, command->isEnabled());
        command->setEnabled(false);
    }
}

void COptionsDlg::RestoreCommandsAfterRun() {
    for (const auto& [command, enabled] : m_enabledBeforeRun) {
        command->setEnabled(enabled);
    }
    m_enabledBeforeRun.clear();
}

void COptionsDlg::SaveOnClose() {
    TakeSetup(m_setup);
    (void)SaveSetupFile(m_setup, m_files.setupIniPath);
    m_cancel = 1;
}

void COptionsDlg::closeEvent(QCloseEvent* event) {
    SaveOnClose();
    if (m_calculating) {
        // The series stops after the picture in progress; the dialog closes when the
        // calculation has returned.
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void COptionsDlg::reject() {
    if (m_calculating) {
        // Escape during a run: a request to stop, like closing the window.
        SaveOnClose();
        return;
    }
    QDialog::reject();
}

void COptionsDlg::SetProgressRange(int lower, int upper) {
    korvane::SetProgressRange(*m_progress, lower, upper);
}

void COptionsDlg::SetProgressPosition(int position) {
    korvane::SetProgressPosition(*m_progress, position);
}

void COptionsDlg::DrainMessageQueue() {
    korvane::DrainMessageQueue();
}

void COptionsDlg::MessageBoxA(const std::string& text, const std::string& caption,
                              MessageIcon icon) {
    m_services.messageBoxes.Show(this, text, caption, icon);
}

QWidget* COptionsDlg::Control(int id) const {
    return m_controls.at(id);
}

QLineEdit* COptionsDlg::Edit(int id) const {
    return static_cast<QLineEdit*>(Control(id));
}

QCheckBox* COptionsDlg::Check(int id) const {
    return static_cast<QCheckBox*>(Control(id));
}

int COptionsDlg::CheckState(int id) const {
    return Check(id)->isChecked() ? 1 : 0;
}

}  // namespace korvane
