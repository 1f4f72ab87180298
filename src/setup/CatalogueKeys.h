#pragma once
// The catalogue keys of the setup file: how its event file is read when that is a catalogue
// (column map, preset, separator, origin, units, depth sign, date order, time reference,
// filters). They follow the nineteen lines, each only when it differs from its default, so a
// setup that reads a plain event file is saved exactly as it always was.

#include <string>
#include <string_view>

#include "catalogue/CatalogueReader.h"

namespace korvane {

// Appends "[Key]", a TAB, the value and CR LF for every choice that differs from the default;
// every number is written with the digits it takes to read back exactly.
void AppendCatalogueKeys(std::string& text, const CatalogueOptions& options);

// Why `options` cannot be saved so that they read back as they are (a time reference outside
// the calendar's years), or "".
std::string CatalogueKeysProblem(const CatalogueOptions& options);

// Applies one catalogue key's value; false for a key that is none of them. A value that
// cannot be read leaves the choice as it was.
bool ApplyCatalogueKey(CatalogueOptions& options, std::string_view key, std::string_view value);

}  // namespace korvane
