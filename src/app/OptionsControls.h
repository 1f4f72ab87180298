#pragma once
// The controls of the Options dialog: created from one layout table (place, caption, name,
// tab order, state at creation), kept under names that say what they are, and greyed or
// enabled by the dialog's enable rules.

#include <utility>
#include <vector>

#include "setup/ClassicFields.h"
#include "setup/OptionsRules.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QWidget;

namespace korvane {

// The group of controls an enable rule switches together.
enum class RuleGroup {
    None,
    Perspective,
    SectionRadio,
    Section,
    TimeScale,
    PictureSize,
    DensityMaximum,
    XRange,
    YRange,
    ZRange
};

struct OptionsControls {
    QLineEdit* eventFileBox = nullptr;
    QPushButton* loadEventFileButton = nullptr;

    QButtonGroup* directionGroup = nullptr;  // ids 0 x, 1 y, 2 z, 3 perspective, 4 section
    QRadioButton* perspectiveRadio = nullptr;
    QRadioButton* sectionRadio = nullptr;
    // The section's line A-A' ("x,y" or "lat,lon"), width, step and count of parallel
    // sections, and whether the ends are latitude and longitude.
    QLineEdit* sectionFromBox = nullptr;
    QLineEdit* sectionToBox = nullptr;
    QLineEdit* sectionWidthBox = nullptr;
    QLineEdit* sectionStepBox = nullptr;
    QLineEdit* sectionCountBox = nullptr;
    QCheckBox* sectionLatLonCheck = nullptr;

    QLineEdit* xMinBox = nullptr;
    QLineEdit* xMaxBox = nullptr;
    QLineEdit* yMinBox = nullptr;
    QLineEdit* yMaxBox = nullptr;
    QLineEdit* zMinBox = nullptr;
    QLineEdit* zMaxBox = nullptr;
    QLineEdit* timeStartBox = nullptr;
    QLineEdit* timeEndBox = nullptr;
    QLabel* calendarTimeLabel = nullptr;  // the calendar time of the time boxes
    QLineEdit* numberOfPicturesBox = nullptr;
    QLineEdit* radiusBox = nullptr;

    QCheckBox* fixedSizeCheck = nullptr;
    QLineEdit* widthBox = nullptr;
    QLineEdit* heightBox = nullptr;
    QCheckBox* fixedDensityCheck = nullptr;
    QLineEdit* densityMaximumBox = nullptr;
    QCheckBox* gaussianCheck = nullptr;
    QCheckBox* cumulativeCheck = nullptr;

    QPushButton* saveSetupButton = nullptr;
    QPushButton* loadSetupButton = nullptr;
    QPushButton* fitToEventsButton = nullptr;
    QPushButton* calculateButton = nullptr;
    QProgressBar* progressBar = nullptr;
    QPushButton* stopButton = nullptr;

    // The control of each classic field the dialog shows in a box or a check box, found by
    // the field's control name (the direction is the group above).
    std::vector<std::pair<const ClassicField*, QWidget*>> fields;
    // Every control an enable rule switches, with its group.
    std::vector<std::pair<QWidget*, RuleGroup>> ruled;
    // Everything that reacts to a click: buttons, radio buttons and check boxes.
    std::vector<QWidget*> commands;
};

// Creates every control of the dialog as a child of `dialog`, in tab order.
OptionsControls CreateOptionsControls(QWidget& dialog);

// Enables or greys each ruled control by its group.
void ApplyEnables(const OptionsControls& controls, const OptionsEnables& enables);

}  // namespace korvane
