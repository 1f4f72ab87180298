#pragma once
// What each value of the Options dialog means, and in which unit, as tooltips.

namespace korvane {

struct OptionsControls;

void SetOptionsToolTips(const OptionsControls& controls);

}  // namespace korvane
