#pragma once
// A calculation setup for a test, its fields named as they are set:
//   SetupBuilder().Events(path).Along(ViewDirection::AlongZ).X(0, 10).Pictures(3).Build()
// Fields not named keep the record's defaults (zero, no switch on, direction x).

#include <optional>
#include <string>

#include "setup/CalculationSetup.h"
#include "setup/ClassicFields.h"

namespace korvane::testing {

class SetupBuilder {
  public:
    SetupBuilder& Events(std::string path) {
        setup_.FilePath = std::move(path);
        return *this;
    }
    SetupBuilder& Along(std::optional<ViewDirection> direction) {
        setup_.Direction = direction;
        return *this;
    }
    SetupBuilder& X(double min, double max) {
        return Range(&CalculationSetup::Amin, &CalculationSetup::Amax, min, max);
    }
    SetupBuilder& Y(double min, double max) {
        return Range(&CalculationSetup::Bmin, &CalculationSetup::Bmax, min, max);
    }
    SetupBuilder& Z(double min, double max) {
        return Range(&CalculationSetup::Cmin, &CalculationSetup::Cmax, min, max);
    }
    SetupBuilder& Time(double start, double end) {
        return Range(&CalculationSetup::Timestart, &CalculationSetup::Timeend, start, end);
    }
    // The picture size the boxes hold; `fixed` checks "Fixed image size".
    SetupBuilder& Size(double width, double height, bool fixed = true) {
        setup_.Width = width;
        setup_.Height = height;
        setup_.Fixedsize = fixed;
        return *this;
    }
    // The density maximum the box holds; `fixed` checks "Fixed Density Maximum".
    SetupBuilder& Maximum(double maximum, bool fixed = true) {
        setup_.Maxdensity = maximum;
        setup_.Fixeddensity = fixed;
        return *this;
    }
    SetupBuilder& Gaussian(bool on = true) {
        setup_.Gaussiandistance = on;
        return *this;
    }
    SetupBuilder& Cumulative(bool on = true) {
        setup_.Cumulative = on;
        return *this;
    }
    SetupBuilder& Pictures(double count) {
        setup_.NoOfPictures = count;
        return *this;
    }
    SetupBuilder& Radius(double radius) {
        setup_.Radius = radius;
        return *this;
    }
    CalculationSetup Build() const { return setup_; }

  private:
    SetupBuilder& Range(double CalculationSetup::*low, double CalculationSetup::*high, double min,
                        double max) {
        setup_.*low = min;
        setup_.*high = max;
        return *this;
    }

    CalculationSetup setup_;
};

// A setup that passes every input test, for the event file `eventFile`: along z through
// 0..10 on every axis, 3 pictures of 40 x 40 pixels, radius 1.
inline CalculationSetup RunnableSetup(const std::string& eventFile) {
    return SetupBuilder()
        .Events(eventFile)
        .Along(ViewDirection::AlongZ)
        .X(0, 10)
        .Y(0, 10)
        .Z(0, 10)
        .Time(0, 10)
        .Size(40, 40)
        .Pictures(3)
        .Radius(1)
        .Build();
}

}  // namespace korvane::testing
