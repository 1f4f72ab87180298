#pragma once
// The catalogue formats without a header line of their own, each a column map that stands in
// for the header, and how a file is known to be one of them from its first lines: QuakeML by
// its XML, NonLinLoc by its NLLOC lines, hypoDD's .reloc, GrowClust's catalogue and ZMAP's
// table by their columns' count and value ranges (and the file's name).

#include <optional>
#include <string_view>

namespace korvane {

enum class CataloguePreset {
    None,       // the file's own header line names the columns
    HypoDD,     // hypoDD's .reloc: id lat lon depth x y z ex ey ez yr mo dy hr mi sc mag ...
    GrowClust,  // GrowClust's catalogue: yr mon day hr min sec evid latR lonR depR mag ...
    FdsnText,   // FDSN event text: EventID|Time|Latitude|Longitude|Depth/km|...|Magnitude|...
    NonLinLoc,  // NonLinLoc's .hyp blocks: the GEOGRAPHIC and HYPOCENTER lines
    QuakeMl,    // QuakeML 1.2: each event's preferred origin and magnitude; depth in metres
    Zmap        // ZMAP's table: lon lat decimal-year month day mag depth hour minute [second]
};

// "hypodd", "growclust", "fdsn", "nonlinloc", "quakeml", "zmap" (any case); none for another
// name.
std::optional<CataloguePreset> CataloguePresetNamed(std::string_view name);

// The name CataloguePresetNamed reads back: "hypodd", ..., "zmap"; "" for None.
const char* CataloguePresetName(CataloguePreset preset);

// The header a preset stands for, and its separator (0 for None).
struct PresetColumns {
    const char* header;
    char separator;
};
PresetColumns ColumnsOfPreset(CataloguePreset preset);

// The format of a file without a header line that its first bytes (`head`, a whole file or
// its first block) and its name show, or None: XML is QuakeML; NLLOC lines with their
// blocks' lines are NonLinLoc wherever they come; lines of numbers only are hypoDD,
// GrowClust or ZMAP when each of the first lines has that format's columns and values in
// their ranges (a name ending in ".reloc" or holding "growclust" decides between formats
// that fit alike).
CataloguePreset RecognisedPreset(std::string_view head, std::string_view fileName);

}  // namespace korvane
