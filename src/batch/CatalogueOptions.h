#pragma once
// The catalogue options of korvane-batch (spatial, time and import) and the import command's
// conversion of a catalogue into a plain event file.

#include <cstddef>
#include <string>
#include <vector>

#include "catalogue/CatalogueReader.h"

namespace korvane::batch {

// One catalogue option at arguments[i] (its value the next word or after "="): --columns,
// --format-preset, --origin, --unit, --xy-unit, --depth-unit, --depth-down, --depth-up,
// --date-order, --time-reference, --magnitude. False when the word is none of them;
// `problem` is set when its value is wrong.
bool TakeCatalogueOption(const std::vector<std::string>& arguments, std::size_t& i,
                         CatalogueOptions& options, std::string& problem);

}  // namespace korvane::batch
