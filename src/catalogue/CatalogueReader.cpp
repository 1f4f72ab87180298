#include "catalogue/CatalogueReader.h"

#include <sys/stat.h>

#include <GeographicLib/LocalCartesian.hpp>
#include <cmath>
#include <new>
#include <string_view>

#include "catalogue/CatalogueBuilder.h"
#include "catalogue/CatalogueRegion.h"
#include "catalogue/NonLinLocRecords.h"
#include "catalogue/QuakeMlRecords.h"
#include "common/NumberText.h"
#include "common/ReadableFile.h"
#include "common/TextLines.h"

namespace korvane {
namespace {

// The first bytes a format is known by.
constexpr std::size_t HeadBytes = 1 << 16;

// Hands every line of the file to `take` (a bool(std::string_view) callable) without its
// line end; stops when it returns false. Refuses files that are not plain text; an
// `observer` follows the reading block by block and may stop it.
template <typename TakeLine>
Status ForEachLine(const std::string& path, TakeLine take, RunObserver* observer = nullptr) {
    FileDescriptor file;
    if (Status opened = OpenRegularFile(path, "catalogue", file); !opened.ok()) {
        return opened;
    }
    if (observer != nullptr) {
        struct stat info {};
        observer->PhaseStarted(RunPhase::Reading, fstat(file.get(), &info) == 0 ? info.st_size : 0);
    }
    return ForEachTextLine(
        file.get(), {path, "catalogue", ""}, observer,
        [&](char* begin, std::size_t length) { return take(std::string_view(begin, length)); });
}

// The format the file's first bytes and its name show (RecognisedPreset).
CataloguePreset PresetOfContent(const std::string& path) {
    FileDescriptor file;
    if (!OpenRegularFile(path, "catalogue", file).ok()) {
        return CataloguePreset::None;  // the reading says why
    }
    std::string head(HeadBytes, '\0');
    const std::size_t have = ReadUpTo(file.get(), head.data(), head.size());
    head.resize(have);
    // The whole file: its last line counts, with or without a line end.
    if (have < HeadBytes) {
        head += '\n';
    }
    const std::size_t slash = path.find_last_of('/');
    return RecognisedPreset(head, slash == std::string::npos ? path : path.substr(slash + 1));
}

// Hands the file's records to `builder` as rows: the lines of a text catalogue, one row per
// block or event of the other formats.
Status ReadRecords(const std::string& path, CataloguePreset preset, CatalogueBuilder& builder,
                   RunObserver* observer) {
    if (preset == CataloguePreset::QuakeMl) {
        return ForEachQuakeMlEvent(
            path,
            [&](const std::vector<std::string_view>& fields, long long line) {
                return builder.AddFieldsAt(fields, line);
            },
            observer);
    }
    if (preset == CataloguePreset::NonLinLoc) {
        NonLinLocRows blocks([&](std::string_view row, long long line, const char* skipReason) {
            return skipReason != nullptr ? builder.SkipRecord(line, skipReason)
                                         : builder.AddLineAt(row, line);
        });
        long long number = 0;
        Status status = ForEachLine(
            path, [&](std::string_view line) { return blocks.TakeLine(line, ++number); }, observer);
        if (status.ok()) {
            (void)blocks.Finish();
        }
        return status;
    }
    return ForEachLine(
        path, [&](std::string_view line) { return builder.AddLine(line); }, observer);
}

// A plain file read with weights: rows without the fifth field the weights need are skipped
// and counted, as a catalogue's rows without their magnitude are.
void SkipRowsWithoutFifthField(EventTable& table, const MissingFifthFields& missing,
                               CatalogueReport* report) {
    if (missing.count == 0 || table.weightSource.empty()) {
        return;  // every row has one, or none has (the weighting then refuses the file)
    }
    std::size_t kept = 0;
    for (std::size_t i = 0; i < static_cast<std::size_t>(table.count); ++i) {
        if (std::isnan(table.weightSource[i])) {
            continue;
        }
        table.rows[kept] = table.rows[i];
        table.weightSource[kept] = table.weightSource[i];
        ++kept;
    }
    if (report != nullptr) {
        report->rowsRead = table.count;
        report->rowsKept = static_cast<long long>(kept);
        report->rowsSkipped = missing.count;
        report->skippedLines = missing.firstLines;
        report->skipReasons = {"no fifth field"};
    }
    table.count = static_cast<int>(kept);
    table.weightSource.resize(kept);
}

}  // namespace

std::optional<std::array<double, 2>> OriginOf(std::string_view latitude,
                                              std::string_view longitude) {
    const std::optional<double> lat = NumberFillingText(latitude);
    const std::optional<double> lon = NumberFillingText(longitude);
    if (!lat || !lon || std::fabs(*lat) > 90 || std::fabs(*lon) > 360) {
        return std::nullopt;
    }
    return std::array<double, 2>{*lat, *lon};
}

std::optional<std::array<double, 2>> OriginOf(std::string_view latitudeAndLongitude) {
    const std::size_t comma = latitudeAndLongitude.find(',');
    if (comma == std::string_view::npos) {
        return std::nullopt;
    }
    return OriginOf(latitudeAndLongitude.substr(0, comma), latitudeAndLongitude.substr(comma + 1));
}

namespace {

// The region a catalogue is cut to: a box of numbers, else the polygon of a file.
Status RegionOf(const std::string& text, std::optional<CatalogueRegion>& region) {
    if (IsRegionBoxText(text)) {
        std::string why;
        region = CatalogueRegion::FromBoxText(text, &why);
        return region ? Status::Ok()
                      : Status::InvalidInput("The region \"" + text + "\" cannot be used: " + why +
                                             ".");
    }
    region.emplace();
    return CatalogueRegion::FromFile(text, &*region);
}

}  // namespace

Status ReadCatalogue(const std::string& path, const CatalogueOptions& options, EventTable& table,
                     CatalogueReport* report, long long maxEvents, RunObserver* observer) {
    table.count = 0;
    table.weightSource.clear();
    if (table.rows.size() > static_cast<std::size_t>(InitialEventRows)) {
        std::vector<EventRecord>(InitialEventRows).swap(table.rows);
    }
    CatalogueReport local;
    CatalogueReport& out = report != nullptr ? *report : local;
    out = CatalogueReport();
    out.columnOf.fill(-1);
    Status status = Status::Ok();
    try {
        CatalogueOptions chosen = options;
        if (chosen.preset == CataloguePreset::None) {
            chosen.preset = PresetOfContent(path);
        }
        out.preset = chosen.preset;
        std::optional<CatalogueRegion> region;
        if (!chosen.region.empty()) {
            status = RegionOf(chosen.region, region);
        }
        CatalogueBuilder builder(path, chosen, table, out, maxEvents);
        builder.CutToRegion(region ? &*region : nullptr);
        // Nothing is read for a region that cannot be.
        if (status.ok()) {
            status = ReadRecords(path, chosen.preset, builder, observer);
        }
        if (status.ok()) {
            status = builder.Finish();
        }
    } catch (const std::bad_alloc&) {
        status = Status::InvalidInput("The catalogue " + QuotedCatalogue(path) +
                                      " could not be read: not enough memory.");
    } catch (const GeographicLib::GeographicErr& error) {
        status = Status::InvalidInput("The catalogue " + QuotedCatalogue(path) +
                                      " could not be placed: " + error.what());
    }
    if (!status.ok()) {
        table.count = 0;
        table.weightSource.clear();
    }
    return status;
}

bool StartsWithHeader(const std::string& path) {
    if (PresetOfContent(path) != CataloguePreset::None) {
        return true;
    }
    bool header = false;
    const Status status = ForEachLine(path, [&](std::string_view line) {
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        // Lines of fewer than two characters are no events in a plain file.
        if (line.size() < 2 || TrimmedField(line).empty()) {
            return true;
        }
        header = !LineHoldsANumber(line);
        return false;
    });
    return status.ok() && header;
}

Status ReadEvents(const std::string& path, const CatalogueOptions& options, EventTable& table,
                  CatalogueReport* report, long long maxEvents, RunObserver* observer) {
    if (report != nullptr) {
        *report = CatalogueReport();
        report->columnOf.fill(-1);
    }
    const bool chosen = !options.columns.empty() || options.separator != 0 ||
                        options.preset != CataloguePreset::None;
    if (chosen || StartsWithHeader(path)) {
        return ReadCatalogue(path, options, table, report, maxEvents, observer);
    }
    // The filters of a catalogue need its columns: a plain file is not cut without a word.
    if (!options.dropTypes.empty() || !options.region.empty() ||
        options.depthMin != CatalogueOptions().depthMin ||
        options.depthMax != CatalogueOptions().depthMax) {
        table.count = 0;
        return Status::InvalidInput(
            "The event file \"" + path +
            "\" is a plain event file without a header line: the filters by event type, region "
            "and depth read a catalogue whose header names its columns.");
    }
    table.weightSource.clear();
    MissingFifthFields missing;
    const Status status = ReadEventFile(path, table, maxEvents, observer, &missing);
    if (status.ok() && options.weights != EventWeighting::None) {
        SkipRowsWithoutFifthField(table, missing, report);
    }
    return status;
}

}  // namespace korvane
