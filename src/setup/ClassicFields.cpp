#include "setup/ClassicFields.h"

#include <algorithm>
#include <cmath>

#include "common/NumberText.h"

namespace korvane {
namespace {

using S = CalculationSetup;
using V = DialogValues;
using T = FieldType;
using F = FileForm;
using B = BoxForm;
using Test = BoxTest;

ClassicField NumberField(const char* key, double S::*member, F written, B shown,
                         std::string V::*text, const char* control, Test test = Test::Number,
                         const char* label = "") {
    return {key, T::Number, member, nullptr, written, shown, test, text, nullptr, control, label};
}

ClassicField SwitchField(const char* key, bool S::*member, int V::*state, const char* control) {
    return {key,        T::Switch, nullptr, member,  F::Integer, B::None,
            Test::None, nullptr,   state,   control, ""};
}

const ClassicField kFields[] = {
    {"[File-Path]", T::Path, nullptr, nullptr, F::Text, B::None, Test::None, &V::eventFilePath,
     nullptr, "eventFileBox", ""},
    {"[Direction]", T::Direction, nullptr, nullptr, F::Integer, B::None, Test::None, nullptr,
     &V::direction, "directionGroup", ""},
    NumberField("[Amin]", &S::Amin, F::Exponent, B::ThreeDecimals, &V::xMin, "xMinBox"),
    NumberField("[Amax]", &S::Amax, F::Exponent, B::ThreeDecimals, &V::xMax, "xMaxBox"),
    NumberField("[Bmin]", &S::Bmin, F::Exponent, B::ThreeDecimals, &V::yMin, "yMinBox"),
    NumberField("[Bmax]", &S::Bmax, F::Exponent, B::ThreeDecimals, &V::yMax, "yMaxBox"),
    NumberField("[Cmin]", &S::Cmin, F::Exponent, B::ThreeDecimals, &V::zMin, "zMinBox"),
    NumberField("[Cmax]", &S::Cmax, F::Exponent, B::ThreeDecimals, &V::zMax, "zMaxBox"),
    NumberField("[Timestart]", &S::Timestart, F::Exponent, B::Whole, &V::timeStart, "timeStartBox",
                Test::Time, "Start:"),
    NumberField("[Timeend]", &S::Timeend, F::Exponent, B::Whole, &V::timeEnd, "timeEndBox",
                Test::Time, "End:"),
    SwitchField("[Fixedsize]", &S::Fixedsize, &V::fixedSizeState, "fixedSizeCheck"),
    NumberField("[Width]", &S::Width, F::Integer, B::Whole, &V::width, "widthBox"),
    NumberField("[Height]", &S::Height, F::Integer, B::Whole, &V::height, "heightBox"),
    SwitchField("[Fixeddensity]", &S::Fixeddensity, &V::fixedDensityState, "fixedDensityCheck"),
    NumberField("[Maxdensity]", &S::Maxdensity, F::Exponent, B::Whole, &V::densityMaximum,
                "densityMaximumBox"),
    SwitchField("[Gaussiandistance]", &S::Gaussiandistance, &V::gaussianState, "gaussianCheck"),
    NumberField("[NoOfPictures]", &S::NoOfPictures, F::Exponent, B::Whole, &V::numberOfPictures,
                "numberOfPicturesBox"),
    SwitchField("[Cumulative]", &S::Cumulative, &V::cumulativeState, "cumulativeCheck"),
    NumberField("[Radius]", &S::Radius, F::Exponent, B::Radius, &V::radius, "radiusBox"),
};

}  // namespace

std::span<const ClassicField> ClassicFields() {
    return kFields;
}

std::optional<ViewDirection> DirectionOfIndex(int index) {
    if (index < 0 || index > 3) {
        return std::nullopt;
    }
    return static_cast<ViewDirection>(index);
}

const ClassicField* ClassicFieldOfKey(std::string_view key) {
    const auto found = std::find_if(std::begin(kFields), std::end(kFields),
                                    [&](const ClassicField& field) { return key == field.key; });
    return found == std::end(kFields) ? nullptr : &*found;
}

std::string SetupFileValue(const ClassicField& field, const CalculationSetup& setup) {
    switch (field.type) {
        case T::Path:
            return setup.FilePath;
        case T::Direction:
            return FormatInteger(setup.Direction ? static_cast<int>(*setup.Direction) : -1);
        case T::Switch:
            return setup.*field.flag ? "1" : "0";
        case T::Number:
            break;
    }
    const double value = setup.*field.number;
    return field.written == F::Integer ? FormatInteger(value) : FormatExponentExact(value);
}

void ReadSetupFileValue(const ClassicField& field, CalculationSetup& setup,
                        std::string_view value) {
    switch (field.type) {
        case T::Path:
            setup.FilePath.assign(value);
            return;
        case T::Direction:
            // The whole part of the number selects the direction.
            setup.Direction = DirectionOfIndex(TruncateToInt(ReadDecimal(value)));
            return;
        case T::Switch:
            setup.*field.flag = TruncateToInt(ReadDecimal(value)) == 1;
            return;
        case T::Number:
            setup.*field.number = ReadDecimal(value);
            return;
    }
}

std::string BoxText(const ClassicField& field, const CalculationSetup& setup) {
    const double value = setup.*field.number;
    switch (field.shown) {
        case B::ThreeDecimals:
            return FormatFixed(value, 3);
        case B::Radius:
            // A radius in coordinates keeps its fraction: 0.25 km is a box, 0 none.
            if (setup.Output.radiusUnit == RadiusUnit::Coordinates) {
                return FormatShortest(value);
            }
            return FormatFixed(value, 0);
        case B::Whole:
        case B::None:
            break;
    }
    return FormatFixed(value, 0);
}

CalculationSetup CalculationSetup::AsBoxesShowIt() const {
    CalculationSetup shown = *this;
    for (const ClassicField& field : kFields) {
        // A box showing "inf" holds no number it could read back: the input test refuses it.
        if (field.type == T::Number && std::isfinite(shown.*field.number)) {
            shown.*field.number = ReadDecimal(BoxText(field, *this));
        }
    }
    return shown;
}

}  // namespace korvane
