#pragma once
// The nineteen classic settings of a calculation in one table: each one's setup-file key,
// its member of CalculationSetup, how its box in the Options dialog shows it, the test its
// box's text must pass, and the member of DialogValues that carries that text. The setup
// file, the dialog's fields and the input tests all run over this table.

#include <span>
#include <string>
#include <string_view>

#include "setup/CalculationSetup.h"
#include "setup/DialogValues.h"

namespace korvane {

enum class FieldType {
    Path,       // the event file's path: text
    Direction,  // the direction of view: a radio group
    Number,     // a number in a box
    Switch      // a check box
};

// How the setup file writes a value.
enum class FileForm {
    Text,      // as it is
    Integer,   // truncated to a whole number
    Exponent,  // in exponent form, every digit kept
};

// How a box shows a number.
enum class BoxForm {
    None,           // no number box (the path, the direction, a switch)
    ThreeDecimals,  // a coordinate range: "%.03f"
    Whole,          // "%.0lf"
    Radius,         // whole in pixel steps, every digit in the events' units
};

// What a box's text must be for a calculation.
enum class BoxTest {
    None,
    Number,  // nothing but digits, points and minus signs, and a finite number
    Time,    // a number, or for a catalogue a calendar time
};

struct ClassicField {
    const char* key;  // "[Amin]"
    FieldType type;
    double CalculationSetup::*number;  // the member of a Number field
    bool CalculationSetup::*flag;      // the member of a Switch field
    FileForm written;
    BoxForm shown;
    BoxTest test;
    std::string DialogValues::*text;  // the box text of a Path or Number field
    int DialogValues::*state;         // the check state of a Switch, the selected direction
    const char* control;              // the object name of its control in the Options dialog
    const char* label;                // the box's caption, named in a message
};

// The nineteen fields in the order of the setup file, the path first.
std::span<const ClassicField> ClassicFields();

// The field whose setup-file key is `key`; null for any other text.
const ClassicField* ClassicFieldOfKey(std::string_view key);

// The value of `field` as its line in the setup file holds it.
std::string SetupFileValue(const ClassicField& field, const CalculationSetup& setup);

// Sets `field` of `setup` from its line's value: a number as by atof; a switch is on when
// the number truncates to 1 and the direction is the truncated number (none outside 0..3),
// as the dialog shows them.
void ReadSetupFileValue(const ClassicField& field, CalculationSetup& setup, std::string_view value);

// The direction of the radio button `index` (0 x, 1 y, 2 z, 3 perspective); none for any
// other index.
std::optional<ViewDirection> DirectionOfIndex(int index);

// The text the box of a Number field shows for `setup`.
std::string BoxText(const ClassicField& field, const CalculationSetup& setup);

}  // namespace korvane
