#pragma once
// Reading the ASCII event file (x TAB y TAB z TAB t per line) into the event table.

#include <string>

#include "common/Status.h"
#include "events/EventTable.h"

namespace korvane {

// Empties `table` and reads the event file at `path` into it. On failure the status names
// what went wrong (file missing, too many events, a line without its four fields) and the
// table is left empty.
Status ReadEventFile(const std::string& path, EventTable& table);

}  // namespace korvane
