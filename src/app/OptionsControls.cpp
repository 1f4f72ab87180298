#include "app/OptionsControls.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <optional>
#include <string_view>
#include <type_traits>

#include "app/DialogUnits.h"

namespace korvane {

namespace {

enum class Kind {
    Group,
    HiddenGroup,
    Label,
    WrappedLabel,  // lines of a text that changes, within its place
    Edit,
    Button,
    DefaultButton,
    StopButton,  // a button that is no command: it works while the others are greyed
    Radio,
    Check,
    Progress
};

// Keeps a created control in its named member of OptionsControls.
using KeepFunction = void (*)(OptionsControls&, QWidget*);

template <auto member>
void Keep(OptionsControls& controls, QWidget* control) {
    using Pointer = std::remove_reference_t<decltype(controls.*member)>;
    controls.*member = qobject_cast<Pointer>(control);  // null if the kinds disagree
}

// One control: its name, kind, caption, place and size in dialog units, whether it is
// greyed when the dialog is created, the enable rule group it belongs to, and the member
// that keeps it (none for the controls the code never touches).
struct LayoutEntry {
    const char* name;
    Kind kind;
    const char* caption;
    int x, y, width, height;
    bool greyed;
    RuleGroup group;
    KeepFunction keep;
};

using G = RuleGroup;

// In the order the user tabs through them.
constexpr LayoutEntry kLayout[] = {
    {"calculationFrame", Kind::Group, "", 7, 7, 320, 195, true, G::None, nullptr},
    {"eventFileLabel", Kind::Label, "Path to file(s):", 14, 19, 44, 8, false, G::None, nullptr},
    {"eventFileBox", Kind::Edit, "", 15, 33, 275, 12, false, G::None,
     Keep<&OptionsControls::eventFileBox>},
    {"loadEventFileButton", Kind::Button, "Load", 292, 33, 24, 12, false, G::None,
     Keep<&OptionsControls::loadEventFileButton>},
    {"directionLabel", Kind::Label, "Direction of view:", 20, 52, 56, 8, false, G::None, nullptr},
    {"directionFrame", Kind::HiddenGroup, "Static", 15, 50, 72, 58, false, G::None, nullptr},
    {"xDirectionRadio", Kind::Radio, "x", 22, 61, 19, 10, false, G::None, nullptr},
    {"yDirectionRadio", Kind::Radio, "y", 22, 71, 19, 10, false, G::None, nullptr},
    {"zDirectionRadio", Kind::Radio, "z", 22, 81, 19, 10, false, G::None, nullptr},
    {"perspectiveRadio", Kind::Radio, "Perspective", 22, 91, 53, 10, false, G::Perspective,
     Keep<&OptionsControls::perspectiveRadio>},
    {"sectionRadio", Kind::Radio, "Section", 22, 101, 53, 10, false, G::SectionRadio,
     Keep<&OptionsControls::sectionRadio>},
    // The section's line and slabs, beside the directions.
    {"sectionFromLabel", Kind::Label, "A (x,y):", 96, 60, 28, 8, true, G::Section, nullptr},
    {"sectionFromBox", Kind::Edit, "", 126, 58, 74, 12, true, G::Section,
     Keep<&OptionsControls::sectionFromBox>},
    {"sectionToLabel", Kind::Label, "B (x,y):", 96, 75, 28, 8, true, G::Section, nullptr},
    {"sectionToBox", Kind::Edit, "", 126, 73, 74, 12, true, G::Section,
     Keep<&OptionsControls::sectionToBox>},
    {"sectionLatLonCheck", Kind::Check, "Latitude, longitude", 126, 88, 80, 10, true, G::Section,
     Keep<&OptionsControls::sectionLatLonCheck>},
    {"sectionWidthLabel", Kind::Label, "Width:", 221, 60, 30, 8, true, G::Section, nullptr},
    {"sectionWidthBox", Kind::Edit, "", 259, 58, 50, 12, true, G::Section,
     Keep<&OptionsControls::sectionWidthBox>},
    {"sectionStepLabel", Kind::Label, "Step:", 221, 75, 30, 8, true, G::Section, nullptr},
    {"sectionStepBox", Kind::Edit, "", 259, 73, 50, 12, true, G::Section,
     Keep<&OptionsControls::sectionStepBox>},
    {"sectionCountLabel", Kind::Label, "Sections:", 221, 90, 30, 8, true, G::Section, nullptr},
    {"sectionCountBox", Kind::Edit, "", 259, 88, 50, 12, true, G::Section,
     Keep<&OptionsControls::sectionCountBox>},
    {"rangeLabel", Kind::Label, "Calculation range [units]:", 20, 112, 78, 8, false, G::None,
     nullptr},
    {"xMinLabel", Kind::Label, "x-min:", 20, 123, 19, 8, false, G::XRange, nullptr},
    {"xMaxLabel", Kind::Label, "x-max:", 20, 138, 21, 8, false, G::XRange, nullptr},
    {"xMinBox", Kind::Edit, "", 56, 122, 50, 12, false, G::XRange, Keep<&OptionsControls::xMinBox>},
    {"xMaxBox", Kind::Edit, "", 56, 136, 50, 12, false, G::XRange, Keep<&OptionsControls::xMaxBox>},
    {"yMinLabel", Kind::Label, "y-min:", 120, 123, 19, 8, false, G::YRange, nullptr},
    {"yMaxLabel", Kind::Label, "y-max:", 120, 138, 21, 8, false, G::YRange, nullptr},
    {"yMinBox", Kind::Edit, "", 157, 122, 50, 12, false, G::YRange,
     Keep<&OptionsControls::yMinBox>},
    {"yMaxBox", Kind::Edit, "", 157, 136, 50, 12, false, G::YRange,
     Keep<&OptionsControls::yMaxBox>},
    {"zMinLabel", Kind::Label, "z-min:", 221, 124, 19, 8, false, G::ZRange, nullptr},
    {"zMaxLabel", Kind::Label, "z-max:", 221, 138, 21, 8, false, G::ZRange, nullptr},
    {"zMinBox", Kind::Edit, "", 259, 122, 50, 12, false, G::ZRange,
     Keep<&OptionsControls::zMinBox>},
    {"zMaxBox", Kind::Edit, "", 259, 137, 50, 12, false, G::ZRange,
     Keep<&OptionsControls::zMaxBox>},
    {"timeScaleLabel", Kind::Label, "Time scale [sec]:", 19, 155, 54, 8, true, G::TimeScale,
     nullptr},
    {"timeStartLabel", Kind::Label, "Start:", 19, 168, 18, 8, true, G::TimeScale, nullptr},
    {"timeEndLabel", Kind::Label, "End:", 19, 182, 16, 8, true, G::TimeScale, nullptr},
    {"timeStartBox", Kind::Edit, "", 55, 166, 50, 12, true, G::TimeScale,
     Keep<&OptionsControls::timeStartBox>},
    {"timeEndBox", Kind::Edit, "", 55, 181, 50, 12, true, G::TimeScale,
     Keep<&OptionsControls::timeEndBox>},
    // For a catalogue of calendar time: the calendar time of the start and end typed.
    {"calendarTimeLabel", Kind::WrappedLabel, "", 215, 155, 108, 40, true, G::TimeScale,
     Keep<&OptionsControls::calendarTimeLabel>},
    {"numberOfPicturesLabel", Kind::Label, "Number of pictures:", 119, 168, 62, 8, false, G::None,
     nullptr},
    {"numberOfPicturesBox", Kind::Edit, "", 183, 166, 24, 12, false, G::None,
     Keep<&OptionsControls::numberOfPicturesBox>},
    {"radiusLabel", Kind::Label, "Calculation radius:", 119, 183, 58, 8, false, G::None, nullptr},
    {"radiusBox", Kind::Edit, "", 183, 181, 24, 12, false, G::None,
     Keep<&OptionsControls::radiusBox>},
    {"pictureSizeFrame", Kind::Group, "", 7, 200, 320, 46, false, G::None, nullptr},
    {"fixedSizeCheck", Kind::Check, "Fixed image size", 19, 207, 85, 15, false, G::None,
     Keep<&OptionsControls::fixedSizeCheck>},
    {"widthLabel", Kind::Label, "Width [px]:", 119, 210, 35, 8, true, G::PictureSize, nullptr},
    {"heightLabel", Kind::Label, "Height [px]:", 119, 224, 37, 8, true, G::PictureSize, nullptr},
    {"widthBox", Kind::Edit, "", 157, 208, 50, 12, true, G::PictureSize,
     Keep<&OptionsControls::widthBox>},
    {"heightBox", Kind::Edit, "", 157, 222, 50, 12, true, G::PictureSize,
     Keep<&OptionsControls::heightBox>},
    {"densityFrame", Kind::Group, "", 7, 244, 320, 44, false, G::None, nullptr},
    {"fixedDensityCheck", Kind::Check, "Fixed Density Maximum", 19, 252, 99, 10, false, G::None,
     Keep<&OptionsControls::fixedDensityCheck>},
    {"densityMaximumBox", Kind::Edit, "", 129, 251, 78, 12, true, G::DensityMaximum,
     Keep<&OptionsControls::densityMaximumBox>},
    {"gaussianCheck", Kind::Check, "Gaussian distance weighting", 19, 261, 111, 15, false, G::None,
     Keep<&OptionsControls::gaussianCheck>},
    {"cumulativeCheck", Kind::Check, "Cumulative time plot", 19, 272, 111, 15, true, G::TimeScale,
     Keep<&OptionsControls::cumulativeCheck>},
    {"saveSetupButton", Kind::Button, "Save Setup", 342, 13, 50, 15, false, G::None,
     Keep<&OptionsControls::saveSetupButton>},
    {"loadSetupButton", Kind::Button, "Load Setup", 342, 30, 50, 15, false, G::None,
     Keep<&OptionsControls::loadSetupButton>},
    // The x, y, z and time boxes from the events of the file named above.
    {"fitToEventsButton", Kind::Button, "Fit to events", 342, 47, 50, 15, false, G::None,
     Keep<&OptionsControls::fitToEventsButton>},
    {"calculateButton", Kind::DefaultButton, "Calculate!", 341, 265, 50, 14, false, G::None,
     Keep<&OptionsControls::calculateButton>},
    {"progressLabel", Kind::Label, "Calculation Progress:", 5, 295, 67, 8, false, G::None, nullptr},
    {"progressBar", Kind::Progress, "", 5, 305, 332, 15, false, G::None,
     Keep<&OptionsControls::progressBar>},
    // Enabled only while a calculation runs.
    {"stopButton", Kind::StopButton, "Stop", 341, 305, 50, 15, true, G::None,
     Keep<&OptionsControls::stopButton>},
};

QWidget* MakeControl(const LayoutEntry& entry, QWidget* parent) {
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
        case Kind::WrappedLabel: {
            auto* label = new QLabel(caption, parent);
            label->setWordWrap(true);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            return label;
        }
        case Kind::Edit:
            return new QLineEdit(parent);
        case Kind::Button:
        case Kind::StopButton:
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

bool IsCommand(Kind kind) {
    return kind == Kind::Button || kind == Kind::DefaultButton || kind == Kind::Radio ||
           kind == Kind::Check;
}

// Enabled or greyed by `enables`; none when the rules leave the group as it is.
std::optional<bool> EnabledByRule(RuleGroup group, const OptionsEnables& enables) {
    const auto range = [&](int axis) -> std::optional<bool> {
        return enables.ranges ? std::optional<bool>((*enables.ranges)[axis]) : std::nullopt;
    };
    switch (group) {
        case RuleGroup::None:
            return std::nullopt;
        case RuleGroup::Perspective:
            return enables.perspective;
        case RuleGroup::SectionRadio:
            return enables.sectionRadio;
        case RuleGroup::Section:
            return enables.section;
        case RuleGroup::TimeScale:
            return enables.timeScale;
        case RuleGroup::PictureSize:
            return enables.pictureSize;
        case RuleGroup::DensityMaximum:
            return enables.densityMaximum;
        case RuleGroup::XRange:
            return range(0);
        case RuleGroup::YRange:
            return range(1);
        case RuleGroup::ZRange:
            return range(2);
    }
    return std::nullopt;
}

}  // namespace

OptionsControls CreateOptionsControls(QWidget& dialog) {
    const DialogBaseUnits units = BaseUnitsOf(dialog.font());
    OptionsControls controls;
    controls.directionGroup = new QButtonGroup(&dialog);
    controls.directionGroup->setObjectName("directionGroup");
    for (const LayoutEntry& entry : kLayout) {
        QWidget* control = MakeControl(entry, &dialog);
        control->setObjectName(entry.name);
        QRect place = DialogRectToPixels(units, entry.x, entry.y, entry.width, entry.height);
        if (GrowsToFitCaption(entry.kind)) {
            place.setWidth(std::max(place.width(), control->sizeHint().width()));
        }
        control->setGeometry(place);
        control->setEnabled(!entry.greyed);
        if (entry.keep) {
            entry.keep(controls, control);
        }
        for (const ClassicField& field : ClassicFields()) {
            if (std::string_view(field.control) == entry.name) {
                controls.fields.emplace_back(&field, control);
            }
        }
        if (entry.group != RuleGroup::None) {
            controls.ruled.emplace_back(control, entry.group);
        }
        if (IsCommand(entry.kind)) {
            controls.commands.push_back(control);
        }
        if (entry.kind == Kind::Radio) {
            // The buttons' ids are the directions, in the order they are laid out.
            const int direction = static_cast<int>(controls.directionGroup->buttons().size());
            controls.directionGroup->addButton(static_cast<QRadioButton*>(control), direction);
        }
    }
    return controls;
}

void ApplyEnables(const OptionsControls& controls, const OptionsEnables& enables) {
    for (const auto& [control, group] : controls.ruled) {
        if (const std::optional<bool> enabled = EnabledByRule(group, enables)) {
            control->setEnabled(*enabled);
        }
    }
}

}  // namespace korvane
