#include "app/ImportCatalogueDlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <exception>
#include <iterator>
#include <limits>
#include <memory>
#include <optional>
#include <utility>

#include "app/ChoiceBoxes.h"
#include "app/DialogUnits.h"
#include "app/MessageBoxes.h"
#include "app/ViewerPictures.h"
#include "catalogue/DelimitedText.h"
#include "catalogue/EventExtent.h"
#include "common/NumberText.h"

namespace korvane {
namespace {

// The roles of the column boxes, with the name each goes by in the column map.
struct RoleBox {
    ColumnRole role;
    const char* key;      // in the column map
    const char* caption;  // beside the box
    const char* name;     // the box's object name
};
constexpr RoleBox RoleBoxes[] = {
    {ColumnRole::X, "x", "x (east):", "columnX"},
    {ColumnRole::Y, "y", "y (north):", "columnY"},
    {ColumnRole::Z, "z", "z:", "columnZ"},
    {ColumnRole::Time, "t", "Time:", "columnT"},
    {ColumnRole::Latitude, "lat", "Latitude:", "columnLat"},
    {ColumnRole::Longitude, "lon", "Longitude:", "columnLon"},
    {ColumnRole::Depth, "depth", "Depth:", "columnDepth"},
    {ColumnRole::Magnitude, "magnitude", "Magnitude:", "columnMagnitude"},
    {ColumnRole::Date, "date", "Date:", "columnDate"},
    {ColumnRole::Weight, "weight", "Weight:", "columnWeight"},
};

static_assert(std::size(RoleBoxes) == 10, "one chosen column and one box per role box");

constexpr CataloguePreset Formats[] = {CataloguePreset::None,      CataloguePreset::HypoDD,
                                       CataloguePreset::GrowClust, CataloguePreset::FdsnText,
                                       CataloguePreset::NonLinLoc, CataloguePreset::QuakeMl,
                                       CataloguePreset::Zmap};
constexpr const char* FormatTexts[] = {"Delimited text with a header line",
                                       "hypoDD .reloc",
                                       "GrowClust catalogue",
                                       "FDSN event text",
                                       "NonLinLoc .hyp",
                                       "QuakeML 1.2",
                                       "ZMAP table"};
constexpr char Separators[] = {0, ',', '\t', ';', '|', ' '};
constexpr const char* SeparatorTexts[] = {
    "found from the header line", "comma", "TAB", "semicolon", "| (bar)", "runs of blanks"};
// The unit of a file's length columns: found from their names, or chosen.
constexpr std::optional<LengthUnit> ColumnUnits[] = {std::nullopt, LengthUnit::Kilometre,
                                                     LengthUnit::Metre};
constexpr const char* ColumnUnitTexts[] = {"from the column names", "km", "m"};
constexpr DateOrder DateOrders[] = {DateOrder::Automatic, DateOrder::DayFirst,
                                    DateOrder::MonthFirst};
constexpr const char* DateOrderTexts[] = {"06.02.2023 day first, 06/02/2023 not read",
                                          "day first: 06.02.2023, 06/02/2023",
                                          "month first: 02/06/2023, 02.06.2023"};

QLineEdit* Box(QWidget* parent, const char* name, const char* placeholder) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setPlaceholderText(placeholder);
    return box;
}

std::string Trim(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    const std::size_t last = text.find_last_not_of(" \t");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

std::string TextOf(const QLineEdit* box) {
    return Trim(box->text().toStdString());
}

// An instant of the time range: seconds from the time reference, or ISO 8601 text when the
// reference is known.
std::optional<double> TimeIn(const std::string& text,
                             const std::optional<CalendarInstant>& reference) {
    CalendarInstant instant;
    if (reference && ReadIsoTime(text, &instant)) {
        return static_cast<double>(instant.day - reference->day) * 86400.0 + instant.second -
               reference->second;
    }
    return NumberFillingText(text);
}

std::string BoundText(double value) {
    return std::isinf(value) ? std::string() : FormatShortest(value);
}

// The role box a column-map key belongs to, or -1.
int RoleBoxOfKey(const std::string& key) {
    // The key read as the reader reads it.
    const int role = RoleOfChoiceKey(key);
    for (std::size_t i = 0; i < std::size(RoleBoxes); ++i) {
        if (static_cast<int>(RoleBoxes[i].role) == role) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace

struct ImportCatalogueDlg::CountResult {
    CatalogueOptions options;  // the choices counted
    CatalogueReport report;
    std::array<AxisRange, 4> extent{};
    std::string problem;
    bool cancelled = false;
};

ImportCatalogueDlg::ImportCatalogueDlg(std::string path, const CatalogueOptions& options,
                                       WindowServices services, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      m_path(std::move(path)),
      m_options(options),
      m_services(services) {
    setObjectName("importCatalogueDialog");
    setWindowTitle("Import Catalogue");
    setFont(DialogFont());
    // The column map's pairs: those of the role boxes go into the boxes, the others stay.
    std::size_t pos = 0;
    while (pos <= m_options.columns.size() && !m_options.columns.empty()) {
        std::size_t end = m_options.columns.find(',', pos);
        end = end == std::string::npos ? m_options.columns.size() : end;
        const std::string pair = Trim(m_options.columns.substr(pos, end - pos));
        pos = end + 1;
        const std::size_t equals = pair.find('=');
        const int box = equals == std::string::npos ? -1 : RoleBoxOfKey(pair.substr(0, equals));
        if (box >= 0) {
            m_chosenColumns[static_cast<std::size_t>(box)] = Trim(pair.substr(equals + 1));
        } else if (!pair.empty()) {
            m_otherColumns.push_back(pair);
        }
    }
    CreateControls();
    ShowOptions();
    Recount();
}

ImportCatalogueDlg::~ImportCatalogueDlg() {
    m_worker.StopAndWait();
}

void ImportCatalogueDlg::CreateControls() {
    auto* file = new QLabel(QString::fromStdString(m_path), this);
    file->setObjectName("fileLabel");
    file->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_table = new QTableWidget(this);
    m_table->setObjectName("previewTable");
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setMinimumHeight(DialogSizeToPixels(BaseUnitsOf(font()), 10, 110).height());

    auto* format = new QGroupBox("Format", this);
    m_detected = new QLabel(format);
    m_detected->setObjectName("detectedLabel");
    m_detected->setWordWrap(true);
    m_format = Choices(format, "formatCombo", FormatTexts, std::size(FormatTexts));
    m_separator = Choices(format, "separatorCombo", SeparatorTexts, std::size(SeparatorTexts));
    auto* formatForm = new QFormLayout(format);
    formatForm->addRow("Found:", m_detected);
    formatForm->addRow("Format:", m_format);
    formatForm->addRow("Separator:", m_separator);

    auto* columns = new QGroupBox("Columns", this);
    auto* columnGrid = new QGridLayout(columns);
    for (std::size_t i = 0; i < std::size(RoleBoxes); ++i) {
        auto* box = new QComboBox(columns);
        box->setObjectName(RoleBoxes[i].name);
        box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        m_columns[i] = box;
        const int row = static_cast<int>(i % 5);
        const int column = static_cast<int>(i / 5) * 2;
        columnGrid->addWidget(new QLabel(RoleBoxes[i].caption, columns), row, column);
        columnGrid->addWidget(box, row, column + 1);
        connect(box, &QComboBox::activated, this,
                [this, i](int index) { OnColumnChosen(i, index); });
    }

    auto* place = new QGroupBox("Place and time", this);
    m_originLat = Box(place, "originLatBox", "middle of the catalogue");
    m_originLon = Box(place, "originLonBox", "middle of the catalogue");
    m_unit = new QComboBox(place);
    m_unit->setObjectName("unitCombo");
    m_unit->addItems({"km", "m"});
    m_xyUnit = Choices(place, "xyUnitCombo", ColumnUnitTexts, std::size(ColumnUnitTexts));
    m_depthUnit = Choices(place, "depthUnitCombo", ColumnUnitTexts, std::size(ColumnUnitTexts));
    m_depthSign = new QComboBox(place);
    m_depthSign->setObjectName("depthSignCombo");
    m_depthSign->addItems({"depth, positive down", "elevation, positive up"});
    m_dateOrder = Choices(place, "dateOrderCombo", DateOrderTexts, std::size(DateOrderTexts));
    m_timeReference = Box(place, "timeReferenceBox", "midnight UTC of the earliest day");
    auto* origin = new QHBoxLayout;
    origin->addWidget(m_originLat);
    origin->addWidget(m_originLon);
    auto* placeForm = new QFormLayout(place);
    placeForm->addRow("Origin (lat, lon):", origin);
    placeForm->addRow("Unit of x, y, z:", m_unit);
    placeForm->addRow("File's x, y in:", m_xyUnit);
    placeForm->addRow("File's z, depth in:", m_depthUnit);
    placeForm->addRow("z is:", m_depthSign);
    placeForm->addRow("Dates:", m_dateOrder);
    placeForm->addRow("Time reference:", m_timeReference);

    auto* filters = new QGroupBox("Filters", this);
    m_magnitudeMin = Box(filters, "magnitudeMinBox", "any");
    m_magnitudeMax = Box(filters, "magnitudeMaxBox", "any");
    m_timeFrom = Box(filters, "timeFromBox", "date, or seconds");
    m_timeTo = Box(filters, "timeToBox", "date, or seconds");
    m_dropTypes = Box(filters, "dropTypesBox", "none (types split by ;)");
    m_region = Box(filters, "regionBox", "LATMIN,LATMAX,LONMIN,LONMAX, or a polygon file");
    m_depthMin = Box(filters, "depthMinBox", "any");
    m_depthMax = Box(filters, "depthMaxBox", "any");
    // "from [box] to [box]" on one row.
    const auto range = [filters](QLineEdit* from, QLineEdit* to) {
        auto* row = new QHBoxLayout;
        row->addWidget(from);
        row->addWidget(new QLabel("to", filters));
        row->addWidget(to);
        return row;
    };
    auto* filterForm = new QFormLayout(filters);
    filterForm->addRow("Magnitude:", range(m_magnitudeMin, m_magnitudeMax));
    filterForm->addRow("Time (from the reference):", range(m_timeFrom, m_timeTo));
    filterForm->addRow("Leave out types:", m_dropTypes);
    filterForm->addRow("Region:", m_region);
    filterForm->addRow("Depth (below the surface):", range(m_depthMin, m_depthMax));

    m_count = new QLabel(this);
    m_count->setObjectName("countLabel");
    m_count->setWordWrap(true);
    m_bar = new QProgressBar(this);
    m_bar->setObjectName("progressBar");
    m_bar->setTextVisible(false);
    m_bar->hide();  // shown while the rows are counted
    m_progress.SetBar(*m_bar);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("okButton");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("cancelButton");
    connect(buttons, &QDialogButtonBox::accepted, this, &ImportCatalogueDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    for (QComboBox* box :
         {m_format, m_separator, m_unit, m_xyUnit, m_depthUnit, m_depthSign, m_dateOrder}) {
        connect(box, &QComboBox::activated, this, &ImportCatalogueDlg::Recount);
    }
    for (QLineEdit* box :
         {m_originLat, m_originLon, m_timeReference, m_magnitudeMin, m_magnitudeMax, m_timeFrom,
          m_timeTo, m_dropTypes, m_region, m_depthMin, m_depthMax}) {
        connect(box, &QLineEdit::editingFinished, this, &ImportCatalogueDlg::Recount);
    }

    auto* choices = new QGridLayout;
    choices->addWidget(format, 0, 0);
    choices->addWidget(columns, 0, 1);
    choices->addWidget(place, 1, 0);
    choices->addWidget(filters, 1, 1);
    choices->setColumnStretch(0, 1);
    choices->setColumnStretch(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(file);
    layout->addWidget(m_table, 1);
    layout->addLayout(choices);
    layout->addWidget(m_count);
    layout->addWidget(m_bar);
    layout->addWidget(buttons);
}

void ImportCatalogueDlg::ShowOptions() {
    m_format->setCurrentIndex(IndexOf(Formats, m_options.preset));
    m_separator->setCurrentIndex(IndexOf(Separators, m_options.separator));
    m_originLat->setText(m_options.origin ? FormatShortest((*m_options.origin)[0]).c_str() : "");
    m_originLon->setText(m_options.origin ? FormatShortest((*m_options.origin)[1]).c_str() : "");
    m_unit->setCurrentIndex(m_options.unit == LengthUnit::Metre ? 1 : 0);
    m_xyUnit->setCurrentIndex(IndexOf(ColumnUnits, m_options.xyUnit));
    m_depthUnit->setCurrentIndex(IndexOf(ColumnUnits, m_options.depthUnit));
    m_depthSign->setCurrentIndex(m_options.depthDown ? 0 : 1);
    m_dateOrder->setCurrentIndex(IndexOf(DateOrders, m_options.dateOrder));
    m_timeReference->setText(
        m_options.timeReference ? FormatIsoInstant(*m_options.timeReference).c_str() : "");
    m_magnitudeMin->setText(BoundText(m_options.magnitudeMin).c_str());
    m_magnitudeMax->setText(BoundText(m_options.magnitudeMax).c_str());
    m_timeFrom->setText(BoundText(m_options.timeMin).c_str());
    m_timeTo->setText(BoundText(m_options.timeMax).c_str());
    std::string types;
    for (const std::string& type : m_options.dropTypes) {
        types += (types.empty() ? "" : "; ") + type;
    }
    m_dropTypes->setText(QString::fromStdString(types));
    m_region->setText(QString::fromStdString(m_options.region));
    m_depthMin->setText(BoundText(m_options.depthMin).c_str());
    m_depthMax->setText(BoundText(m_options.depthMax).c_str());
    // A time range of an earlier setup counts seconds since 1970: it keeps that meaning
    // until the count shows the catalogue's reference, and is then shown as calendar time.
    m_legacyTimeRange = m_options.timeRangeSince1970;
    m_legacyTexts = {TextOf(m_timeFrom), TextOf(m_timeTo)};
}

CatalogueOptions ImportCatalogueDlg::TakeOptions(std::string& problem) const {
    constexpr double Infinity = std::numeric_limits<double>::infinity();
    CatalogueOptions options = m_options;
    problem.clear();
    options.preset = Formats[std::max(0, m_format->currentIndex())];
    options.separator = Separators[std::max(0, m_separator->currentIndex())];
    std::string columns;
    for (const std::string& pair : m_otherColumns) {
        columns += (columns.empty() ? "" : ",") + pair;
    }
    for (std::size_t i = 0; i < std::size(RoleBoxes); ++i) {
        if (!m_chosenColumns[i].empty()) {
            columns += std::string(columns.empty() ? "" : ",") + RoleBoxes[i].key + "=" +
                       m_chosenColumns[i];
        }
    }
    options.columns = columns;

    const std::string lat = TextOf(m_originLat);
    const std::string lon = TextOf(m_originLon);
    options.origin.reset();
    if (!lat.empty() || !lon.empty()) {
        options.origin = OriginOf(lat, lon);
        if (!options.origin) {
            problem =
                "The origin needs a latitude (-90 to 90) and a longitude (-180 to 360) in "
                "degrees, or neither (the middle of the catalogue).";
            return options;
        }
    }
    options.unit = m_unit->currentIndex() == 1 ? LengthUnit::Metre : LengthUnit::Kilometre;
    options.xyUnit = ColumnUnits[std::max(0, m_xyUnit->currentIndex())];
    options.depthUnit = ColumnUnits[std::max(0, m_depthUnit->currentIndex())];
    options.depthDown = m_depthSign->currentIndex() == 0;
    options.dateOrder = DateOrders[std::max(0, m_dateOrder->currentIndex())];

    const std::string reference = TextOf(m_timeReference);
    options.timeReference.reset();
    if (!reference.empty()) {
        CalendarInstant instant;
        if (!ReadIsoTime(reference, &instant)) {
            problem =
                "The time reference must be an ISO 8601 time from 0001 to 9999 (UTC), e.g. "
                "2023-02-06T00:00:00Z, or empty (midnight UTC of the earliest event's day).";
            return options;
        }
        options.timeReference = instant;
    }

    struct Bound {
        const QLineEdit* box;
        double* value;
        double open;
        bool time;
        const char* what;
    };
    const Bound bounds[] = {
        {m_magnitudeMin, &options.magnitudeMin, -Infinity, false, "The lowest magnitude"},
        {m_magnitudeMax, &options.magnitudeMax, Infinity, false, "The highest magnitude"},
        {m_timeFrom, &options.timeMin, -Infinity, true, "The start of the time range"},
        {m_timeTo, &options.timeMax, Infinity, true, "The end of the time range"},
        {m_depthMin, &options.depthMin, -Infinity, false, "The least depth"},
        {m_depthMax, &options.depthMax, Infinity, false, "The greatest depth"},
    };
    // Dates count from the reference given, else from the one the count found.
    std::optional<CalendarInstant> countedFrom = options.timeReference;
    if (!countedFrom && m_report.calendarTime) {
        countedFrom = m_report.timeReference;
    }
    options.timeRangeSince1970 =
        m_legacyTimeRange &&
        std::array<std::string, 2>{TextOf(m_timeFrom), TextOf(m_timeTo)} == m_legacyTexts;
    for (const Bound& bound : bounds) {
        const std::string text = TextOf(bound.box);
        const std::optional<double> value =
            text.empty() ? bound.open
                         : (bound.time ? TimeIn(text, countedFrom) : NumberFillingText(text));
        if (!value) {
            problem = std::string(bound.what) +
                      (bound.time ? " must be seconds from the time reference, an ISO 8601 time "
                                    "once the reference is known, or empty."
                                  : " must be a number, or empty.");
            return options;
        }
        *bound.value = *value;
    }
    if (options.magnitudeMin > options.magnitudeMax) {
        problem = "The lowest magnitude is above the highest.";
    } else if (options.timeMin > options.timeMax) {
        problem = "The time range ends before it starts.";
    } else if (options.depthMin > options.depthMax) {
        problem = "The least depth is greater than the greatest.";
    }
    options.dropTypes.clear();
    const std::string types = TextOf(m_dropTypes);
    for (std::size_t start = 0; start <= types.size();) {
        const std::size_t end = std::min(types.find(';', start), types.size());
        const std::string type(TrimmedField(std::string_view(types).substr(start, end - start)));
        if (!type.empty()) {
            options.dropTypes.push_back(type);
        }
        start = end + 1;
    }
    options.region = TextOf(m_region);
    return options;
}

void ImportCatalogueDlg::Recount() {
    std::string problem;
    const CatalogueOptions options = TakeOptions(problem);
    if (!problem.empty()) {
        m_count->setText(QString::fromStdString(problem));
        return;
    }
    if (m_worker.IsRunning()) {
        // The count of the old choices stops; the new one starts when it has.
        m_recountWanted = true;
        m_worker.RequestStop();
        return;
    }
    m_recountWanted = false;
    m_count->setText("Counting the rows...");
    m_bar->show();
    auto result = std::make_shared<CountResult>();
    result->options = options;
    const bool started = m_worker.Start(
        [path = m_path, options, result](RunObserver& observer) {
            try {
                EventTable table;
                const Status read = ReadCatalogue(path, options, table, &result->report,
                                                  EventMemoryBudget(), &observer);
                result->extent = EventExtentOf(table);
                result->cancelled = read.code() == Status::Code::Cancelled;
                result->problem = read.ok() ? std::string() : read.message();
            } catch (const std::exception& error) {
                result->problem = error.what();  // nothing may escape the worker
            }
        },
        [this, result] { FinishCount(*result); });
    if (!started) {
        m_recountWanted = true;
    }
}

void ImportCatalogueDlg::FinishCount(const CountResult& result) {
    m_bar->reset();
    m_bar->hide();
    if (m_recountWanted) {
        Recount();
        return;
    }
    if (result.cancelled) {
        return;
    }
    m_report = result.report;
    m_extent = result.extent;
    m_countedOptions = result.options;
    m_readProblem = result.problem;
    ShowLegacyTimeRange();
    ShowReport();
}

void ImportCatalogueDlg::ShowLegacyTimeRange() {
    if (!m_legacyTimeRange || !m_readProblem.empty() ||
        std::array<std::string, 2>{TextOf(m_timeFrom), TextOf(m_timeTo)} != m_legacyTexts) {
        return;
    }
    m_legacyTimeRange = false;
    if (!m_report.calendarTime) {
        return;  // the file's own seconds: the numbers mean what they meant
    }
    // Seconds since 1970 shown as the calendar time they are, which then counts from the
    // catalogue's reference.
    for (QLineEdit* box : {m_timeFrom, m_timeTo}) {
        const std::optional<double> seconds = NumberFillingText(TextOf(box));
        if (seconds && InCalendarRange({0, 0.0}, *seconds)) {
            box->setText(QString::fromStdString(FormatIsoTime({0, 0.0}, *seconds)));
        }
    }
    Recount();  // the same range in its new form, counted so that OK keeps the frame
}

void ImportCatalogueDlg::ShowReport() {
    const CatalogueReport& report = m_report;
    // The table: the header's names, each with the role the reader gave it, of the first
    // columns only (the rows keep no more fields); the others are counted.
    const int columnCount =
        static_cast<int>(std::min(report.header.size(), CatalogueReport::FirstFieldsKept));
    m_table->clear();
    m_table->setColumnCount(columnCount);
    QStringList names;
    for (int c = 0; c < columnCount; ++c) {
        QString name = QString::fromStdString(report.header[static_cast<std::size_t>(c)]);
        for (int role = 0; role < ColumnRoleCount; ++role) {
            if (report.columnOf[static_cast<std::size_t>(role)] == c) {
                name += QString("\n[%1]").arg(ColumnRoleName(static_cast<ColumnRole>(role)));
            }
        }
        names << name;
    }
    m_table->setHorizontalHeaderLabels(names);
    m_table->setRowCount(static_cast<int>(report.firstRows.size()));
    for (std::size_t r = 0; r < report.firstRows.size(); ++r) {
        const std::vector<std::string>& fields = report.firstRows[r];
        for (std::size_t c = 0; c < fields.size() && static_cast<int>(c) < columnCount; ++c) {
            m_table->setItem(static_cast<int>(r), static_cast<int>(c),
                             new QTableWidgetItem(QString::fromStdString(fields[c])));
        }
    }
    // Sized once, now that it is filled.
    m_table->resizeColumnsToContents();

    const char separator = report.separator;
    std::string found = FormatTexts[IndexOf(Formats, report.preset)];
    if (report.preset == CataloguePreset::None && !report.header.empty()) {
        found += std::string(", ") + SeparatorTexts[IndexOf(Separators, separator)];
    }
    if (report.header.size() > static_cast<std::size_t>(columnCount)) {
        found += "; " + GroupedInteger(static_cast<long long>(report.header.size())) +
                 " columns, the first " + std::to_string(columnCount) + " shown";
    }
    if (const std::string frame = report.FrameText(); !frame.empty()) {
        found += "; " + frame;
    }
    // The units and the frame found show in the boxes that would change them.
    const auto unitFound = [](const std::optional<LengthUnit>& unit) {
        return QString("found: ") + (!unit                        ? "none, as the unit of x, y, z"
                                     : *unit == LengthUnit::Metre ? "m"
                                                                  : "km");
    };
    m_xyUnit->setItemText(
        0, report.geographic ? QString("latitude and longitude") : unitFound(report.xyUnit));
    m_depthUnit->setItemText(0, unitFound(report.depthUnit));
    m_originLat->setPlaceholderText(
        report.geographic ? QString::fromStdString(FormatShortest(report.originLatitude))
                          : QString("middle of the catalogue"));
    m_originLon->setPlaceholderText(
        report.geographic ? QString::fromStdString(FormatShortest(report.originLongitude))
                          : QString("middle of the catalogue"));
    m_timeReference->setPlaceholderText(
        report.calendarTime ? QString::fromStdString(FormatIsoInstant(report.timeReference))
                            : QString("midnight UTC of the earliest day"));
    m_detected->setText(report.header.empty() ? QString("nothing yet")
                                              : QString::fromStdString(found));
    FillColumnChoices();

    std::string text;
    if (!m_readProblem.empty()) {
        text = m_readProblem;
    } else {
        text = std::to_string(report.rowsRead) + " rows read: " + std::to_string(report.rowsKept) +
               " kept, " + std::to_string(report.RowsOutsideRanges()) +
               " outside the magnitude or time range, " + std::to_string(report.rowsSkipped) +
               " skipped.";
        const std::pair<long long, const char*> leftOut[] = {
            {report.rowsOutsideRegion, " outside the region"},
            {report.rowsOutsideDepths, " outside the depth range"},
            {report.rowsOfDroppedTypes, " of the types left out"}};
        std::string cut;
        for (const auto& [rows, why] : leftOut) {
            if (rows > 0) {
                cut += (cut.empty() ? "\nLeft out: " : ", ") + std::to_string(rows) + why;
            }
        }
        text += cut.empty() ? "" : cut + ".";
        if (!report.typeCounts.empty()) {
            text += "\nEvent types: " + report.TypesText() + ".";
        }
        if (!report.SkippedText().empty()) {
            text += "\n" + report.SkippedText() + ".";
        }
        for (const std::string& note : report.notes) {
            text += "\nNote: " + note + ".";
        }
    }
    m_count->setText(QString::fromStdString(text));
}

void ImportCatalogueDlg::FillColumnChoices() {
    for (std::size_t i = 0; i < std::size(RoleBoxes); ++i) {
        QComboBox* box = m_columns[i];
        const int found = m_report.columnOf[static_cast<std::size_t>(RoleBoxes[i].role)];
        const std::string foundName = found >= 0 && found < static_cast<int>(m_report.header.size())
                                          ? m_report.header[static_cast<std::size_t>(found)]
                                          : std::string("none");
        box->clear();
        box->addItem(QString::fromStdString("(by name: " + foundName + ")"));
        const std::string& chosen = m_chosenColumns[i];
        // The column the reader takes for the choice, as the reader finds it.
        const int column = chosen.empty() ? -1 : ColumnOfChoice(m_report.header, chosen, m_path);
        for (const std::string& name : m_report.header) {
            box->addItem(QString::fromStdString(name));
        }
        box->setCurrentIndex(
            column >= 0 && column < static_cast<int>(m_report.header.size()) ? column + 1 : 0);
    }
}

void ImportCatalogueDlg::OnColumnChosen(std::size_t role, int index) {
    std::string chosen;
    if (index > 0 && static_cast<std::size_t>(index) <= m_report.header.size()) {
        // The name when the reader takes exactly this column for it, else the number.
        chosen = ChoiceOfColumn(m_report.header, static_cast<std::size_t>(index - 1));
    }
    m_chosenColumns[role] = chosen;
    Recount();
}

void ImportCatalogueDlg::accept() {
    std::string problem;
    const CatalogueOptions options = TakeOptions(problem);
    // The last count is of the choices taken when no other is running or waiting.
    const bool counted = !m_worker.IsRunning() && !m_recountWanted;
    if (problem.empty() && counted) {
        problem = m_readProblem;  // the choices as counted: say what is wrong with them
    }
    if (!problem.empty()) {
        m_services.messageBoxes.Show(this, problem, "Import Catalogue", MessageIcon::Stop);
        return;  // the dialog stays open
    }
    m_worker.StopAndWait();
    m_options = options;
    m_counted = counted && options == m_countedOptions && !m_report.header.empty();
    // The frame the count found goes with the choices, so that the events keep their places
    // and times whatever filter is chosen later; only the choices of which columns and how
    // they are read change it.
    const bool sameFrame = options.columns == m_countedOptions.columns &&
                           options.preset == m_countedOptions.preset &&
                           options.separator == m_countedOptions.separator &&
                           options.dateOrder == m_countedOptions.dateOrder;
    if (m_readProblem.empty() && !m_recountWanted && sameFrame) {
        if (m_report.geographic && !m_options.origin) {
            m_options.origin =
                std::array<double, 2>{m_report.originLatitude, m_report.originLongitude};
        }
        if (m_report.calendarTime && !m_options.timeReference) {
            m_options.timeReference = m_report.timeReference;
        }
    }
    QDialog::accept();
}

void OpenImportCatalogue(QWidget* owner, const std::string& path, const CatalogueOptions& options,
                         WindowServices services,
                         std::function<void(const ImportCatalogueDlg&)> ok) {
    auto* dialog = new ImportCatalogueDlg(path, options, services, owner);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(dialog, &QDialog::accepted, dialog,
                     [dialog, ok = std::move(ok)] { ok(*dialog); });
    dialog->open();
}

}  // namespace korvane
