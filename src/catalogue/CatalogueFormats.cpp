#include "catalogue/CatalogueFormats.h"

#include <cmath>
#include <string>
#include <vector>

#include "catalogue/NonLinLocRecords.h"
#include "catalogue/QuakeMlRecords.h"
#include "common/NumberText.h"

namespace korvane {
namespace {

// How many of a file's first lines must fit a format's columns.
constexpr std::size_t LinesLookedAt = 5;

std::string Lower(std::string_view text) {
    std::string out;
    for (const char c : text) {
        out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return out;
}

// The lines of `head` without their line ends; the last one only when `head` ends with a
// line end (a block may cut it).
std::vector<std::string_view> WholeLines(std::string_view head) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t pos = 0; pos < head.size(); ++pos) {
        if (head[pos] == '\n' || head[pos] == '\r') {
            lines.push_back(head.substr(start, pos - start));
            start = pos + 1;
        }
    }
    return lines;
}

bool StartsWithWord(std::string_view line, std::string_view word) {
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return false;
    }
    line.remove_prefix(first);
    return line.substr(0, word.size()) == word &&
           (line.size() == word.size() || line[word.size()] == ' ' || line[word.size()] == '\t');
}

// NLLOC lines together with the lines of their blocks, anywhere in the head.
bool HoldsNonLinLocBlocks(const std::vector<std::string_view>& lines) {
    bool nlloc = false;
    bool block = false;
    for (const std::string_view line : lines) {
        nlloc = nlloc || StartsWithWord(line, "NLLOC");
        block = block || StartsWithWord(line, "END_NLLOC") || StartsWithWord(line, "GEOGRAPHIC") ||
                StartsWithWord(line, "HYPOCENTER");
    }
    return nlloc && block;
}

// The numbers of a line split by blanks and TABs; false when a field is no number.
bool Numbers(std::string_view line, std::vector<double>& out) {
    out.clear();
    for (const std::string_view field : BlankSeparatedWords(line)) {
        if (DecimalExtent(field) != field.size()) {
            return false;
        }
        out.push_back(ReadDecimal(field));
        if (!std::isfinite(out.back())) {
            return false;
        }
    }
    return !out.empty();
}

bool Whole(double value, double low, double high) {
    return value >= low && value <= high && value == std::floor(value);
}

bool Within(double value, double low, double high) {
    return value >= low && value <= high;
}

// The fields of a calendar date and time from `at` on: year, month, day, hour, minute and
// (when `withSecond`) second.
bool DateFields(const std::vector<double>& f, std::size_t at, bool wholeYear, bool withSecond) {
    return (wholeYear ? Whole(f[at], 1000, 2999) : Within(f[at], 1000, 2999.9999)) &&
           Whole(f[at + 1], 1, 12) && Whole(f[at + 2], 1, 31) && Whole(f[at + 3], 0, 24) &&
           Whole(f[at + 4], 0, 59) && (!withSecond || (f[at + 5] >= 0 && f[at + 5] < 61));
}

bool FitsHypoDD(const std::vector<double>& f) {
    return f.size() >= 17 && f.size() <= 26 && Whole(f[0], 0, 1e15) && Within(f[1], -90, 90) &&
           Within(f[2], -360, 360) && DateFields(f, 10, true, true);
}

bool FitsGrowClust(const std::vector<double>& f) {
    return f.size() >= 10 && f.size() <= 30 && DateFields(f, 0, true, true) &&
           Whole(f[6], -1e15, 1e15) && Within(f[7], -90, 90) && Within(f[8], -360, 360);
}

// lon lat decimal-year month day magnitude depth hour minute [second]
bool FitsZmap(const std::vector<double>& f) {
    if (f.size() < 9 || f.size() > 13 || !Within(f[0], -360, 360) || !Within(f[1], -90, 90) ||
        !Within(f[5], -10, 12)) {
        return false;
    }
    const std::vector<double> date = {f[2], f[3], f[4], f[7], f[8], f.size() > 9 ? f[9] : 0.0};
    return DateFields(date, 0, false, true);
}

}  // namespace

std::optional<CataloguePreset> CataloguePresetNamed(std::string_view name) {
    std::string normal;
    for (const char c : Lower(name)) {
        if (c != ' ' && c != '_' && c != '-' && c != '.') {
            normal += c;
        }
    }
    if (normal == "hypodd" || normal == "reloc") {
        return CataloguePreset::HypoDD;
    }
    if (normal == "growclust") {
        return CataloguePreset::GrowClust;
    }
    if (normal == "fdsn" || normal == "fdsntext") {
        return CataloguePreset::FdsnText;
    }
    if (normal == "nonlinloc" || normal == "nlloc" || normal == "hyp") {
        return CataloguePreset::NonLinLoc;
    }
    if (normal == "quakeml" || normal == "xml") {
        return CataloguePreset::QuakeMl;
    }
    if (normal == "zmap") {
        return CataloguePreset::Zmap;
    }
    return std::nullopt;
}

const char* CataloguePresetName(CataloguePreset preset) {
    switch (preset) {
        case CataloguePreset::HypoDD:
            return "hypodd";
        case CataloguePreset::GrowClust:
            return "growclust";
        case CataloguePreset::FdsnText:
            return "fdsn";
        case CataloguePreset::NonLinLoc:
            return "nonlinloc";
        case CataloguePreset::QuakeMl:
            return "quakeml";
        case CataloguePreset::Zmap:
            return "zmap";
        case CataloguePreset::None:
            break;
    }
    return "";
}

// hypoDD's x, y and z (metres from the cluster's centroid) are named so that latitude and
// longitude place the events; GrowClust's relocated place likewise. ZMAP's year holds the
// fraction of the year as well, which its month and day columns give again.
PresetColumns ColumnsOfPreset(CataloguePreset preset) {
    switch (preset) {
        case CataloguePreset::HypoDD:
            return {
                "id lat lon depth centroid_dx centroid_dy centroid_dz ex ey ez year month day "
                "hour minute second mag nccp nccs nctp ncts rcc rct cid",
                ' '};
        case CataloguePreset::GrowClust:
            return {
                "year month day hour minute second evid lat lon depth mag qid cid nbranch "
                "qnpair qndiffp qndiffs rmsp rmss eh ez et latc lonc depc",
                ' '};
        case CataloguePreset::FdsnText:
            return {
                "EventID|Time|Latitude|Longitude|Depth/km|Author|Catalog|Contributor|"
                "ContributorID|MagType|Magnitude|MagAuthor|EventLocationName",
                '|'};
        case CataloguePreset::NonLinLoc:
            return {NonLinLocColumns, ' '};
        case CataloguePreset::QuakeMl:
            return {QuakeMlColumns, ','};
        case CataloguePreset::Zmap:
            return {"lon lat year month day mag depth hour minute second", ' '};
        case CataloguePreset::None:
            break;
    }
    return {"", 0};
}

CataloguePreset RecognisedPreset(std::string_view head, std::string_view fileName) {
    if (LooksLikeXml(head)) {
        return CataloguePreset::QuakeMl;
    }
    const std::vector<std::string_view> lines = WholeLines(head);
    if (LooksLikeNonLinLoc(head) || HoldsNonLinLocBlocks(lines)) {
        return CataloguePreset::NonLinLoc;
    }
    bool hypoDD = true;
    bool growClust = true;
    bool zmap = true;
    std::size_t looked = 0;
    std::vector<double> fields;
    for (const std::string_view line : lines) {
        if (line.find_first_not_of(" \t") == std::string_view::npos) {
            continue;
        }
        if (!Numbers(line, fields)) {
            return CataloguePreset::None;
        }
        hypoDD = hypoDD && FitsHypoDD(fields);
        growClust = growClust && FitsGrowClust(fields);
        zmap = zmap && FitsZmap(fields);
        if (++looked == LinesLookedAt) {
            break;
        }
    }
    if (looked == 0) {
        return CataloguePreset::None;
    }
    const std::string name = Lower(fileName);
    const bool relocName = name.size() >= 6 && name.compare(name.size() - 6, 6, ".reloc") == 0;
    const bool growClustName = name.find("growclust") != std::string::npos;
    if (hypoDD && (relocName || !(growClust || zmap))) {
        return CataloguePreset::HypoDD;
    }
    if (growClust && (growClustName || !(hypoDD || zmap))) {
        return CataloguePreset::GrowClust;
    }
    if (zmap && !hypoDD && !growClust) {
        return CataloguePreset::Zmap;
    }
    return CataloguePreset::None;
}

}  // namespace korvane
