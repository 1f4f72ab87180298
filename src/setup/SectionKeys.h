#pragma once
// The cross-section keys of the setup file: whether the pictures are a section, its end
// points, half width, step and count. Each is written only when it differs from its default,
// so a setup without a section is saved exactly as it always was.

#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "series/CalculationRequest.h"

namespace korvane {

// Appends "[Key]", a TAB, the value and CR LF for every section value that differs from the
// default; the numbers with the digits they take to read back exactly.
void AppendSectionKeys(std::string& text, const SectionOptions& section);

// Applies one section key's value; false for a key that is none of them. A value that cannot
// be read leaves the section as it was.
bool ApplySectionKey(SectionOptions& section, std::string_view key, std::string_view value);

// "X,Y" (or "LAT,LON"): two finite numbers apart by one comma, white space allowed around them.
std::optional<std::pair<double, double>> NumberPairOf(std::string_view text);

}  // namespace korvane
