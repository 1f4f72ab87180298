#pragma once
// The Options dialog's boxes and their values: the classic fields' table ties each control
// to its field of DialogValues, and the two copies below, one each way, run over it.

#include "app/OptionsControls.h"
#include "setup/DialogValues.h"

namespace korvane {

// Which fields a copy takes from the controls.
enum class FieldSet {
    All,       // every box text, the direction and the check states
    Switches,  // the four check states only
};

// Writes every field into its control: the box texts, the selected direction (or none) and
// the check states (1 is checked).
void ShowValues(const DialogValues& values, const OptionsControls& controls);

// Reads the controls of `which` into `values`; the other fields keep their values. An event
// file other than the one `values` held sets the catalogue choices back to their defaults.
void TakeValues(const OptionsControls& controls, DialogValues& values,
                FieldSet which = FieldSet::All);

}  // namespace korvane
