#include "app/OptionsFields.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <string>

#include "setup/SectionChoice.h"

namespace korvane {

namespace {

// No button of the direction group is selected.
void SelectNoButton(QButtonGroup* group) {
    group->setExclusive(false);
    for (QAbstractButton* button : group->buttons()) {
        button->setChecked(false);
    }
    group->setExclusive(true);
}

void Show(const ClassicField& field, QWidget* control, const DialogValues& values) {
    if (field.type == FieldType::Switch) {
        static_cast<QCheckBox*>(control)->setChecked(values.*field.state == 1);
    } else {
        static_cast<QLineEdit*>(control)->setText(QString::fromStdString(values.*field.text));
    }
}

void Take(const ClassicField& field, const QWidget* control, DialogValues& values) {
    if (field.type == FieldType::Switch) {
        values.*field.state = static_cast<const QCheckBox*>(control)->isChecked() ? 1 : 0;
    } else {
        values.*field.text = static_cast<const QLineEdit*>(control)->text().toStdString();
    }
}

// The section's boxes stand for numbers of the section, not texts of the values.
void ShowSection(const SectionOptions& section, const OptionsControls& controls) {
    const SectionBoxTexts texts = SectionBoxTextsOf(section);
    const std::pair<QLineEdit*, const std::string*> boxes[] = {
        {controls.sectionFromBox, &texts.from},
        {controls.sectionToBox, &texts.to},
        {controls.sectionWidthBox, &texts.width},
        {controls.sectionStepBox, &texts.step},
        {controls.sectionCountBox, &texts.count}};
    for (const auto& [box, text] : boxes) {
        box->setText(QString::fromStdString(*text));
    }
    controls.sectionLatLonCheck->setChecked(texts.latLonState == 1);
}

void TakeSection(const OptionsControls& controls, SectionOptions& section) {
    const auto text = [](const QLineEdit* box) { return box->text().trimmed().toStdString(); };
    TakeSectionBoxTexts(
        {text(controls.sectionFromBox), text(controls.sectionToBox), text(controls.sectionWidthBox),
         text(controls.sectionStepBox), text(controls.sectionCountBox),
         controls.sectionLatLonCheck->isChecked() ? 1 : 0},
        section);
}

}  // namespace

void ShowValues(const DialogValues& values, const OptionsControls& controls) {
    for (const auto& [field, control] : controls.fields) {
        Show(*field, control, values);
    }
    if (QAbstractButton* selected = controls.directionGroup->button(values.direction)) {
        selected->setChecked(true);
    } else {
        SelectNoButton(controls.directionGroup);
    }
    ShowSection(values.output.section, controls);
}

void TakeValues(const OptionsControls& controls, DialogValues& values, FieldSet which) {
    const std::string eventFile = values.eventFilePath;
    for (const auto& [field, control] : controls.fields) {
        if (which == FieldSet::All || field->type == FieldType::Switch) {
            Take(*field, control, values);
        }
    }
    if (which == FieldSet::All) {
        values.direction = controls.directionGroup->checkedId();
        TakeSection(controls, values.output.section);
    }
    // Another event file typed into the box: how the last one was read (its columns,
    // filters, origin) does not apply to it, as after "Load".
    if (values.eventFilePath != eventFile) {
        values.catalogue = {};
    }
}

}  // namespace korvane
