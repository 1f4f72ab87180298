// A call from density/ into setup/, declared by hand so that no include shows it. Linked as
// density's link check links the layer, it must find no definition.

#include <string_view>

namespace korvane {

bool IsNumberText(std::string_view text);  // setup/ParseCalculation.h

bool PlantedUpwardCall() {
    return IsNumberText("1");
}

}  // namespace korvane
