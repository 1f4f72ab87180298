#include "app/OptionsFields.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <string>
#include <variant>

#include "setup/SectionChoice.h"

namespace korvane {

namespace {

// A box and the text it holds.
struct BoxText {
    QLineEdit* OptionsControls::*box;
    std::string DialogValues::*text;
};

// A check box and its state.
struct CheckState {
    QCheckBox* OptionsControls::*check;
    int DialogValues::*state;
};

// A radio group and the index of its selected button, -1 when none is selected.
struct SelectedButton {
    QButtonGroup* OptionsControls::*group;
    int DialogValues::*index;
};

using Field = std::variant<BoxText, CheckState, SelectedButton>;

using C = OptionsControls;
using V = DialogValues;

const Field kFields[] = {
    BoxText{&C::eventFileBox, &V::eventFilePath},
    BoxText{&C::xMinBox, &V::xMin},
    BoxText{&C::xMaxBox, &V::xMax},
    BoxText{&C::yMinBox, &V::yMin},
    BoxText{&C::yMaxBox, &V::yMax},
    BoxText{&C::zMinBox, &V::zMin},
    BoxText{&C::zMaxBox, &V::zMax},
    BoxText{&C::timeStartBox, &V::timeStart},
    BoxText{&C::timeEndBox, &V::timeEnd},
    BoxText{&C::widthBox, &V::width},
    BoxText{&C::heightBox, &V::height},
    BoxText{&C::densityMaximumBox, &V::densityMaximum},
    BoxText{&C::numberOfPicturesBox, &V::numberOfPictures},
    BoxText{&C::radiusBox, &V::radius},
    SelectedButton{&C::directionGroup, &V::direction},
    CheckState{&C::fixedSizeCheck, &V::fixedSizeState},
    CheckState{&C::fixedDensityCheck, &V::fixedDensityState},
    CheckState{&C::gaussianCheck, &V::gaussianState},
    CheckState{&C::cumulativeCheck, &V::cumulativeState},
};

void Show(const BoxText& field, const DialogValues& values, const OptionsControls& controls) {
    (controls.*field.box)->setText(QString::fromStdString(values.*field.text));
}

void Show(const CheckState& field, const DialogValues& values, const OptionsControls& controls) {
    (controls.*field.check)->setChecked(values.*field.state == 1);
}

void Show(const SelectedButton& field, const DialogValues& values,
          const OptionsControls& controls) {
    QButtonGroup* group = controls.*field.group;
    if (QAbstractButton* selected = group->button(values.*field.index)) {
        selected->setChecked(true);
        return;
    }
    // No button of the group is selected.
    group->setExclusive(false);
    for (QAbstractButton* button : group->buttons()) {
        button->setChecked(false);
    }
    group->setExclusive(true);
}

void Take(const BoxText& field, const OptionsControls& controls, DialogValues& values) {
    values.*field.text = (controls.*field.box)->text().toStdString();
}

void Take(const CheckState& field, const OptionsControls& controls, DialogValues& values) {
    values.*field.state = (controls.*field.check)->isChecked() ? 1 : 0;
}

void Take(const SelectedButton& field, const OptionsControls& controls, DialogValues& values) {
    values.*field.index = (controls.*field.group)->checkedId();
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

bool InSet(const Field& field, FieldSet which) {
    return which == FieldSet::All || std::holds_alternative<CheckState>(field);
}

}  // namespace

void ShowValues(const DialogValues& values, const OptionsControls& controls) {
    for (const Field& field : kFields) {
        std::visit([&](const auto& binding) { Show(binding, values, controls); }, field);
    }
    ShowSection(values.output.section, controls);
}

void TakeValues(const OptionsControls& controls, DialogValues& values, FieldSet which) {
    const std::string eventFile = values.eventFilePath;
    for (const Field& field : kFields) {
        if (InSet(field, which)) {
            std::visit([&](const auto& binding) { Take(binding, controls, values); }, field);
        }
    }
    if (which == FieldSet::All) {
        TakeSection(controls, values.output.section);
    }
    // Another event file typed into the box: how the last one was read (its columns,
    // filters, origin) does not apply to it, as after "Load".
    if (values.eventFilePath != eventFile) {
        values.catalogue = {};
    }
}

}  // namespace korvane
