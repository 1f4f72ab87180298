#pragma once
// The catalogue options of korvane-batch (spatial, time and import) and the import command's
// conversion of a catalogue into a plain event file.

#include <cstddef>
#include <string>
#include <vector>

#include "catalogue/CatalogueReader.h"
#include "setup/DialogValues.h"

namespace korvane::batch {

// One catalogue option at arguments[i] (its value the next word or after "="): --columns,
// --origin, --unit, --depth-down, --depth-up, --time-reference, --magnitude. False when the
// word is none of them; `problem` is set when its value is wrong.
bool TakeCatalogueOption(const std::vector<std::string>& arguments, std::size_t& i,
                         CatalogueOptions& options, std::string& problem);

// The event file path of a setup file taken from the setup file's folder when it is
// relative and exists there; otherwise the path as written (from the working folder).
std::string EventPathBesideSetup(const std::string& eventPath, const std::string& setupPath);

}  // namespace korvane::batch
