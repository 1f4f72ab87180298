#pragma once
// QuakeML 1.2 catalogues, read as a stream: each event's preferred origin (else its first)
// and preferred magnitude (else its first) become one row of the fixed columns below, so the
// rest of the catalogue reader handles them as it handles a text catalogue. The file is never
// held whole; an event keeps only the few values of its origins and magnitudes.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/RunObserver.h"
#include "common/Status.h"

namespace korvane {

// The columns of every row, named split by commas; depth in metres, as QuakeML gives it.
inline constexpr const char* QuakeMlColumns = "time,latitude,longitude,depth,mag";

// Hands each event of the QuakeML file at `path` to `take` as the fields of a row (empty for
// values the event lacks), each value on its own whatever it holds, with the line of the file
// where the event starts; stops when `take` returns false. Refused, naming the file, when it
// is not well-formed XML. An `observer` (may be null) follows the reading in bytes and may
// stop it (Cancelled).
using TakeQuakeMlEvent =
    std::function<bool(const std::vector<std::string_view>& fields, long long line)>;
Status ForEachQuakeMlEvent(const std::string& path, const TakeQuakeMlEvent& take,
                           RunObserver* observer = nullptr);

// True when the text starts (after blanks and a byte-order mark) with '<': an XML file.
bool LooksLikeXml(std::string_view head);

}  // namespace korvane
