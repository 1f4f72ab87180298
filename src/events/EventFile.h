#pragma once
// Reading the ASCII event file (x TAB y TAB z TAB t per line) into the event table.

#include <string>
#include <vector>

#include "common/RunObserver.h"
#include "common/Status.h"
#include "events/EventTable.h"

namespace korvane {

// The most events a calculation may hold: what half of this computer's memory (or of the
// process's address space limit, if lower) takes at about 200 bytes per event, for the
// table and the work of the sort, the estimate and the pictures.
long long EventMemoryBudget();

// The lines of an event file without a fifth field, where other lines have one: how many,
// and the first few (from 1). Their rows' weight source is NaN.
struct MissingFifthFields {
    long long count = 0;
    std::vector<long long> firstLines;
};

// Empties `table` and reads the event file at `path` into it, growing the table as it
// goes, up to `maxEvents` events. Lines end in LF, CR LF, or (a file whose first line ends
// so) CR alone; a UTF-8 byte-order mark is skipped. On failure the status names what went
// wrong (file missing, a folder or a pipe or device, NUL bytes in the first kilobyte as
// UTF-16 has them, a line longer than 1 MB, more events than the memory takes, a line
// without its four fields) and the table is left empty. An `observer` sees the reading
// phase in bytes, block by block, and may stop it (Cancelled, the table left empty). A fifth
// field goes into `table.weightSource` (NaN for a line without one, or an empty one), and
// `missing` (may be null) counts the lines without it.
Status ReadEventFile(const std::string& path, EventTable& table,
                     long long maxEvents = EventMemoryBudget(), RunObserver* observer = nullptr,
                     MissingFifthFields* missing = nullptr);

}  // namespace korvane
