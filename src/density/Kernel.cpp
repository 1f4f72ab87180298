#include "density/Kernel.h"

namespace korvane {

std::string_view RadiusUnitName(RadiusUnit unit) {
    return unit == RadiusUnit::Coordinates ? "coordinates" : "pixels";
}

std::optional<RadiusUnit> RadiusUnitNamed(std::string_view name) {
    for (RadiusUnit unit : {RadiusUnit::Pixels, RadiusUnit::Coordinates}) {
        if (name == RadiusUnitName(unit)) {
            return unit;
        }
    }
    return std::nullopt;
}

}  // namespace korvane
