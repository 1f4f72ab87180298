#pragma once
// The colours of the perceptually uniform maps, 256 steps each.

#include <array>

namespace korvane {

extern const std::array<std::array<unsigned char, 3>, 256> ViridisColours;
extern const std::array<std::array<unsigned char, 3>, 256> InfernoColours;
extern const std::array<std::array<unsigned char, 3>, 256> CividisColours;

}  // namespace korvane
