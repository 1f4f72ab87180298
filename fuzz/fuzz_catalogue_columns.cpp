// The delimited reader's column mapping on arbitrary column choices and header names: the
// first line is the column map ("x=lon,y=2,..."), the second the header, the rest rows. It
// never crashes; a map it takes gives every role a column of the header (or one named by
// number) and x, y, z and t one each; the name the import dialog stores for any column gives
// that column back; and the reading with the map adds up as the catalogue target's does.

#include <cstdint>
#include <string>
#include <vector>

#include "CatalogueChecks.h"
#include "FuzzSupport.h"
#include "catalogue/CatalogueReader.h"

using korvane::fuzzing::Require;

namespace {

constexpr int FuzzBudget = 20000;
constexpr std::size_t MostHeaderNames = 64;

std::vector<std::string> Split(const std::string& line, char separator) {
    std::vector<std::string> fields;
    std::size_t pos = 0;
    while (pos <= line.size() && fields.size() < MostHeaderNames) {
        const std::size_t end = std::min(line.find(separator, pos), line.size());
        fields.push_back(line.substr(pos, end - pos));
        pos = end + 1;
    }
    return fields;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::size_t first = text.find('\n');
    if (first == std::string::npos) {
        return 0;
    }
    const std::string columns = text.substr(0, first);
    const std::size_t second = text.find('\n', first + 1);
    const std::string headerLine = text.substr(
        first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
    const std::vector<std::string> header = Split(headerLine, ',');

    std::array<int, korvane::ColumnRoleCount> columnOf{};
    const korvane::Status mapped = korvane::MapCatalogueColumns(header, columns, "f", columnOf);
    if (mapped.ok()) {
        for (const int column : columnOf) {
            Require(column >= -1 && column < 100000, "a column out of range");
        }
        const auto has = [&](korvane::ColumnRole role) {
            return columnOf[static_cast<std::size_t>(role)] >= 0;
        };
        using korvane::ColumnRole;
        Require(has(ColumnRole::X) || has(ColumnRole::Longitude), "no x");
        Require(has(ColumnRole::Y) || has(ColumnRole::Latitude), "no y");
        Require(has(ColumnRole::Z) || has(ColumnRole::Depth) || has(ColumnRole::Elevation), "no z");
        Require(has(ColumnRole::Time) || has(ColumnRole::Date) ||
                    (has(ColumnRole::Year) && has(ColumnRole::Month) && has(ColumnRole::Day)),
                "no time");
    } else {
        Require(!mapped.message().empty(), "a refusal without a reason");
    }
    for (std::size_t i = 0; i < header.size(); ++i) {
        const std::string choice = korvane::ChoiceOfColumn(header, i);
        Require(korvane::ColumnOfChoice(header, choice, "f") == static_cast<int>(i),
                "the stored choice names another column");
        std::optional<korvane::LengthUnit> unit;
        (void)korvane::RoleOfColumnName(header[i], &unit);
    }

    // The same map on the file: the header line and the rows after it.
    const std::string& path = korvane::fuzzing::WriteScratchFile(
        reinterpret_cast<const std::uint8_t*>(text.data()) + first + 1, size - first - 1);
    korvane::CatalogueOptions options;
    options.columns = columns;
    options.separator = ',';
    static korvane::EventTable table;
    korvane::CatalogueReport report;
    const korvane::Status status = korvane::ReadEvents(path, options, table, &report, FuzzBudget);
    (void)korvane::fuzzing::RequireAReadingThatAddsUp(status, table, report);
    return 0;
}
