#include <cmath>

#include "catalogue/CatalogueBuilder.h"
#include "common/NumberText.h"

namespace korvane {

bool CatalogueBuilder::TakeHeaderLine(std::string_view line, bool record) {
    const PresetColumns preset = ColumnsOfPreset(m_options.preset);
    if (!record && IsCommentOrBlank(line)) {
        // A comment line may be the header (as in the FDSN text format "#EventID|...").
        if (!TrimmedField(line).empty()) {
            m_lastComment.assign(TrimmedField(line).substr(1));
        }
        return true;
    }
    const bool isHeader = preset.separator == 0 && !LineHoldsANumber(line);
    // Columns all chosen by number need no names: the first line is a row.
    const bool byNumber =
        preset.separator == 0 && !isHeader && ColumnsAllByNumber(m_options.columns);
    std::string headerLine;
    if (preset.separator != 0) {
        headerLine = preset.header;
    } else if (isHeader) {
        headerLine.assign(line);
    } else if (!m_lastComment.empty() && !byNumber) {
        headerLine = m_lastComment;
    }
    const bool named = !headerLine.empty();
    m_separator = m_options.separator != 0 ? m_options.separator
                  : preset.separator != 0  ? preset.separator
                  : named                  ? DetectSeparator(headerLine)
                                           : DetectSeparator(line);
    // Fields passed one by one (QuakeML) hold no separator, so a comma is a decimal one.
    m_decimalComma = m_separator != ',' || m_options.preset == CataloguePreset::QuakeMl;
    if (named) {
        m_headerText = std::move(headerLine);
        m_splitter.Split(m_headerText, m_separator, m_fields);
        m_report.header.assign(m_fields.begin(), m_fields.end());
        for (std::string& name : m_report.header) {
            name = std::string(TrimmedField(name));
        }
    } else {
        // No names: the columns go by their numbers, which the first row shows.
        m_splitter.Split(line, m_separator, m_fields);
        for (std::size_t i = 0; i < m_fields.size(); ++i) {
            m_report.header.push_back(std::to_string(i + 1));
        }
        m_report.firstRows.emplace_back(m_fields.begin(), m_fields.end());
        if (!byNumber) {
            m_status = Status::InvalidInput(
                "The catalogue " + QuotedCatalogue(m_path) +
                " has no header line naming its columns: choose a format, or the columns by "
                "their numbers.");
            return false;
        }
        m_report.firstRows.clear();  // the row is added again as it is read
    }
    m_report.separator = m_separator;
    m_status = MapCatalogueColumns(m_report.header, m_options.columns, m_path, m_columnOf);
    m_report.columnOf = m_columnOf;
    if (!m_status.ok()) {
        return false;
    }
    m_haveHeader = true;
    m_geographic = Column(ColumnRole::Longitude) >= 0;
    ChooseNumberColumns();
    if (!m_status.ok()) {
        return false;
    }
    ChooseUnits(std::nullopt);
    m_table.weightSource.clear();
    if (isHeader || record) {
        return true;
    }
    if (named) {
        m_splitter.Split(line, m_separator, m_fields);
    }
    return AddRow();
}

void CatalogueBuilder::ChooseNumberColumns() {
    m_filterMagnitude =
        std::isfinite(m_options.magnitudeMin) || std::isfinite(m_options.magnitudeMax);
    const int magnitude = Column(ColumnRole::Magnitude);
    const int weight = Column(ColumnRole::Weight);
    if (m_filterMagnitude && magnitude < 0) {
        m_status = Status::InvalidInput(
            "The catalogue " + QuotedCatalogue(m_path) +
            " has no magnitude column to filter by: choose one (mag=COLUMN) or no magnitude "
            "range.");
        return;
    }
    m_numberColumn = m_options.weights == EventWeighting::Moment ? magnitude
                     : weight >= 0                               ? weight
                                                                 : magnitude;
    m_numberNeeded = m_options.weights != EventWeighting::None;
    m_numberReason = m_numberColumn == magnitude ? "no magnitude" : "no weight";
}

void CatalogueBuilder::ChooseUnits(std::optional<LengthUnit> gridUnit) {
    std::optional<LengthUnit> xy = m_options.xyUnit;
    std::optional<LengthUnit> vertical = m_options.depthUnit;
    std::optional<LengthUnit> hint;
    for (const ColumnRole role : {ColumnRole::X, ColumnRole::Y}) {
        if (!xy && NamedUnit(role, &hint)) {
            xy = hint;
        }
    }
    for (const ColumnRole role : {ColumnRole::Z, ColumnRole::Depth, ColumnRole::Elevation}) {
        if (!vertical && NamedUnit(role, &hint)) {
            vertical = hint;
        }
    }
    if (m_options.preset == CataloguePreset::QuakeMl) {
        vertical = LengthUnit::Metre;  // QuakeML gives depth in metres, always
    }
    if (gridUnit) {
        xy = vertical = gridUnit;
    }
    if (m_geographic) {
        vertical = vertical.value_or(LengthUnit::Kilometre);
    } else {
        xy = xy ? xy : vertical;
        vertical = vertical ? vertical : xy;
    }
    m_xyScale = xy ? ScaleBetween(*xy, m_options.unit) : LengthScale{};
    m_zScale = vertical ? ScaleBetween(*vertical, m_options.unit) : LengthScale{};
    m_report.unitKnown = m_geographic || xy || vertical;
    m_report.unit = m_options.unit;
    m_report.xyUnit = m_geographic ? std::nullopt : xy;
    m_report.depthUnit = vertical;
}

bool CatalogueBuilder::NamedUnit(ColumnRole role, std::optional<LengthUnit>* unit) const {
    const int column = Column(role);
    if (column < 0 || static_cast<std::size_t>(column) >= m_report.header.size()) {
        return false;
    }
    (void)RoleOfColumnName(m_report.header[static_cast<std::size_t>(column)], unit);
    return unit->has_value();
}

void CatalogueBuilder::UseNonLinLocGrid() {
    m_gridChecked = true;
    double latitude = 0.0;
    if (m_options.preset != CataloguePreset::NonLinLoc || !m_options.columns.empty() ||
        !Value(ColumnRole::Latitude, &latitude) || std::fabs(latitude) <= 90.0) {
        return;
    }
    const std::string found = FormatShortest(latitude);
    m_status =
        MapCatalogueColumns(m_report.header, "x=gridx,y=gridy,depth=gridz", m_path, m_columnOf);
    m_report.columnOf = m_columnOf;
    m_geographic = false;
    ChooseUnits(LengthUnit::Kilometre);
    m_report.notes.push_back("the GEOGRAPHIC lines hold grid coordinates (Lat " + found +
                             "), so x, y and z are the HYPOCENTER's (km in the grid)");
}

}  // namespace korvane
