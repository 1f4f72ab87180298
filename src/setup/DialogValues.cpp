#include "setup/DialogValues.h"

#include "common/NumberText.h"
#include "series/RunCalculation.h"
#include "setup/ClassicFields.h"
#include "setup/ParseCalculation.h"

namespace korvane {
namespace {

// The seconds a time box stands for: its number, or its calendar time counted from the
// reference (the file keeps seconds).
double TimeOfBox(const std::string& box, const std::optional<CalendarInstant>& reference) {
    const std::optional<CalendarInstant> date = CalendarTimeInBox(box);
    if (date && reference) {
        return SecondsFrom(*reference, *date);
    }
    return ReadDecimal(box);
}

}  // namespace

DialogValues DialogValuesFromSetup(const CalculationSetup& setup) {
    DialogValues values;
    for (const ClassicField& field : ClassicFields()) {
        switch (field.type) {
            case FieldType::Path:
                values.*field.text = setup.FilePath;
                break;
            case FieldType::Direction:
                values.*field.state = setup.Direction ? static_cast<int>(*setup.Direction) : -1;
                break;
            case FieldType::Switch:
                values.*field.state = setup.*field.flag ? 1 : 0;
                break;
            case FieldType::Number:
                values.*field.text = BoxText(field, setup);
                break;
        }
    }
    values.output = setup.Output;
    values.catalogue = setup.Catalogue;
    return values;
}

CalculationSetup SetupFromDialogValues(const DialogValues& values,
                                       const std::optional<CalendarInstant>& timeReference) {
    CalculationSetup setup;
    for (const ClassicField& field : ClassicFields()) {
        switch (field.type) {
            case FieldType::Path:
                setup.FilePath = values.*field.text;
                break;
            case FieldType::Direction:
                setup.Direction = DirectionOfIndex(values.*field.state);
                break;
            case FieldType::Switch:
                // A check box holds the state it is given; only state 1 counts as checked.
                setup.*field.flag = values.*field.state == 1;
                break;
            case FieldType::Number:
                setup.*field.number = field.test == BoxTest::Time
                                          ? TimeOfBox(values.*field.text, timeReference)
                                          : ReadDecimal(values.*field.text);
                break;
        }
    }
    setup.Output = values.output;
    setup.Catalogue = values.catalogue;
    return setup;
}

}  // namespace korvane
