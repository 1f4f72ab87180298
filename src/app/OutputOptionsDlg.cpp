#include "app/OutputOptionsDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/ChoiceBoxes.h"
#include "app/Choosers.h"
#include "app/DialogUnits.h"
#include "app/MessageBoxes.h"
#include "picture/DensityPicture.h"
#include "series/OverlayFiles.h"
#include "setup/SetupFile.h"

namespace korvane {
namespace {

constexpr ColourMap ColourMaps[] = {ColourMap::Classic, ColourMap::Viridis, ColourMap::Inferno,
                                    ColourMap::Cividis, ColourMap::Grey};
constexpr DensityScale Scales[] = {DensityScale::Linear, DensityScale::Log, DensityScale::Sqrt};
constexpr EventWeighting Weightings[] = {EventWeighting::None, EventWeighting::Value,
                                         EventWeighting::Moment};
constexpr RadiusUnit RadiusUnits[] = {RadiusUnit::Pixels, RadiusUnit::Coordinates};
constexpr DepthAxis DepthAxes[] = {DepthAxis::Automatic, DepthAxis::Down, DepthAxis::Up};
constexpr ExaggerationNote ExaggerationNotes[] = {
    ExaggerationNote::Automatic, ExaggerationNote::Shown, ExaggerationNote::Hidden};
constexpr TickStyle TickStyles[] = {TickStyle::Automatic, TickStyle::Round, TickStyle::Classic};
constexpr MaximumMode MaximumModes[] = {MaximumMode::Catalogue, MaximumMode::Series,
                                        MaximumMode::Percentile};

template <typename Value, std::size_t Count>
Value At(const Value (&values)[Count], int index) {
    return index >= 0 && static_cast<std::size_t>(index) < Count
               ? values[static_cast<std::size_t>(index)]
               : values[0];
}

constexpr char OverlayFileFilter[] =
    "Overlay files (*.csv *.geojson *.json *.txt *.xy)|*.csv;*.geojson;*.json;*.txt;*.xy|"
    "All files (*)|*||";

// An item of the overlay list: the file, and whether it holds points (else lines).
QListWidgetItem* OverlayItem(const std::string& path, bool points) {
    auto* item = new QListWidgetItem(QString::fromStdString(path));
    item->setData(Qt::UserRole, points);
    item->setToolTip(points ? "Named points" : "Lines and outlines");
    return item;
}

constexpr const char* UnitMessage =
    "The unit of the coordinates can be up to 16 letters, digits or signs (e.g. km), with no "
    "accents.";

}  // namespace

OutputOptionsDlg::OutputOptionsDlg(WindowServices services, OptionsDlgFiles files, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      m_services(services),
      m_files(std::move(files)) {
    setObjectName("IDD_OUTPUT_OPTIONS");
    setWindowTitle("Output Options");
    setFont(DialogFont());

    auto* format = new QGroupBox("Picture format", this);
    m_bmp = new QRadioButton("BMP (uncompressed)", format);
    m_bmp->setObjectName("IDC_FORMAT_BMP");
    m_png = new QRadioButton("PNG (lossless, smaller)", format);
    m_png->setObjectName("IDC_FORMAT_PNG");
    auto* formatRow = new QHBoxLayout(format);
    formatRow->addWidget(m_bmp);
    formatRow->addWidget(m_png);

    m_densities = new QCheckBox("Density data beside each picture (32-bit float TIFF)", this);
    m_densities->setObjectName("IDC_DENSITY_DATA");
    m_index = new QCheckBox("Series index beside the pictures (JSON)", this);
    m_index->setObjectName("IDC_SERIES_INDEX");
    m_volume = new QCheckBox("3-D volume (NetCDF): all densities of a series in one file", this);
    m_volume->setObjectName("IDC_DENSITY_VOLUME");

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("IDOK");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("IDCANCEL");
    connect(buttons, &QDialogButtonBox::accepted, this, &OutputOptionsDlg::OnOk);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(format);
    layout->addWidget(m_densities);
    layout->addWidget(m_index);
    layout->addWidget(m_volume);
    layout->addWidget(CreateColourControls());
    layout->addWidget(CreateOverlayControls());
    layout->addWidget(CreateViewControls());
    layout->addWidget(buttons);
}

QGroupBox* OutputOptionsDlg::CreateColourControls() {
    auto* colours = new QGroupBox("Colours", this);
    m_colourMap =
        Choices(colours, "IDC_COLOUR_MAP",
                {"classic (black, blue, green, red)", "viridis", "inferno", "cividis", "grey"});
    m_scale = Choices(colours, "IDC_SCALE", {"linear", "logarithmic", "square root"});
    m_maximum = Choices(colours, "IDC_MAXIMUM",
                        {"the whole event file (estimate)", "the highest density of the series",
                         "a percentile of the series' densities"});
    m_percentile = new QDoubleSpinBox(colours);
    m_percentile->setObjectName("IDC_PERCENTILE");
    m_percentile->setRange(0.001, 100.0);
    m_percentile->setDecimals(3);
    m_percentile->setSuffix(" %");
    connect(m_maximum, &QComboBox::currentIndexChanged, this, [this](int index) {
        m_percentile->setEnabled(At(MaximumModes, index) == MaximumMode::Percentile);
    });
    m_weights = Choices(colours, "IDC_WEIGHTS",
                        {"none: every event counts 1", "the weight column's value",
                         "relative seismic moment from the magnitude"});
    m_radiusUnit = Choices(colours, "IDC_RADIUS_UNIT",
                           {"pixel steps (the box follows the picture size)",
                            "the events' units (the same densities at any size)"});
    m_unit = new QLineEdit(colours);
    m_unit->setObjectName("IDC_UNIT");
    m_unit->setMaxLength(16);
    m_unit->setPlaceholderText("m (a catalogue's km or m)");
    auto* maximumRow = new QHBoxLayout;
    maximumRow->addWidget(m_maximum, 1);
    maximumRow->addWidget(m_percentile);
    auto* form = new QFormLayout(colours);
    form->addRow("Colour map:", m_colourMap);
    form->addRow("Scale:", m_scale);
    form->addRow("Top of the scale:", maximumRow);
    form->addRow("Weight of an event:", m_weights);
    form->addRow("Radius in:", m_radiusUnit);
    form->addRow("Unit of the coordinates:", m_unit);
    return colours;
}

QGroupBox* OutputOptionsDlg::CreateOverlayControls() {
    auto* group = new QGroupBox("Overlays: points (CSV), lines (GeoJSON, x,y[,z] text)", this);
    m_overlays = new QListWidget(group);
    m_overlays->setObjectName("IDC_OVERLAY_LIST");
    m_overlays->setMaximumHeight(fontMetrics().height() * 6);
    auto* add = new QPushButton("Add...", group);
    add->setObjectName("IDC_OVERLAY_ADD");
    auto* remove = new QPushButton("Remove", group);
    remove->setObjectName("IDC_OVERLAY_REMOVE");
    connect(add, &QPushButton::clicked, this, &OutputOptionsDlg::OnAddOverlay);
    connect(remove, &QPushButton::clicked, this, [this] { delete m_overlays->currentItem(); });
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(remove);
    buttons->addStretch();
    auto* row = new QHBoxLayout(group);
    row->addWidget(m_overlays, 1);
    row->addLayout(buttons);
    return group;
}

void OutputOptionsDlg::OnAddOverlay() {
    const std::optional<std::string> path =
        m_services.choosers.ChooseFile(this, FileDialogKind::Open, "", OverlayFileFilter);
    if (!path) {
        return;
    }
    // A file is checked when it is chosen, so that the run does not fail on it later.
    const OverlayKind kind = OverlayKindOf(*path);
    OverlayFile read;
    if (const Status status = ReadOverlayFile(*path, kind, read); !status.ok()) {
        m_services.messageBoxes.Show(this, status.message(), "Error", MessageIcon::Stop);
        return;
    }
    m_overlays->addItem(OverlayItem(*path, kind == OverlayKind::Points));
}

QGroupBox* OutputOptionsDlg::CreateViewControls() {
    auto* view = new QGroupBox("Axes", this);
    m_depthAxis = Choices(view, "IDC_DEPTH_AXIS",
                          {"automatic (down for a catalogue's depths)", "down", "up"});
    m_trueScale = new QCheckBox("True scale: one unit as long across as up", view);
    m_trueScale->setObjectName("IDC_TRUE_SCALE");
    m_exaggeration =
        Choices(view, "IDC_EXAGGERATION", {"automatic (for a catalogue)", "shown", "hidden"});
    m_ticks = Choices(view, "IDC_TICKS",
                      {"automatic (round for a catalogue)", "round (1, 2, 5 steps)",
                       "classic (tenths of the range)"});
    auto* form = new QFormLayout(view);
    form->addRow("Depth runs:", m_depthAxis);
    form->addRow(m_trueScale);
    form->addRow("Vertical exaggeration note:", m_exaggeration);
    form->addRow("Ticks:", m_ticks);
    return view;
}

int OutputOptionsDlg::Run() {
    LoadStartingSetup(m_files, m_setup);
    ShowOutput(m_setup.Output);
    return exec();
}

void OutputOptionsDlg::ShowOutput(const OutputOptions& output) {
    (output.format == PictureFormat::Png ? m_png : m_bmp)->setChecked(true);
    m_densities->setChecked(output.densities);
    m_index->setChecked(output.index);
    m_volume->setChecked(output.volume);
    m_colourMap->setCurrentIndex(IndexOf(ColourMaps, output.colourMap));
    m_scale->setCurrentIndex(IndexOf(Scales, output.scale));
    m_maximum->setCurrentIndex(IndexOf(MaximumModes, output.maximum.mode));
    m_percentile->setValue(output.maximum.percentile);
    m_percentile->setEnabled(output.maximum.mode == MaximumMode::Percentile);
    m_weights->setCurrentIndex(IndexOf(Weightings, output.eventWeights));
    m_radiusUnit->setCurrentIndex(IndexOf(RadiusUnits, output.radiusUnit));
    m_unit->setText(QString::fromStdString(output.unit));
    m_overlays->clear();
    for (const std::string& path : output.overlayPoints) {
        m_overlays->addItem(OverlayItem(path, true));
    }
    for (const std::string& path : output.overlayLines) {
        m_overlays->addItem(OverlayItem(path, false));
    }
    m_depthAxis->setCurrentIndex(IndexOf(DepthAxes, output.view.depthAxis));
    m_trueScale->setChecked(output.view.trueScale);
    m_exaggeration->setCurrentIndex(IndexOf(ExaggerationNotes, output.view.exaggeration));
    m_ticks->setCurrentIndex(IndexOf(TickStyles, output.view.ticks));
}

OutputOptions OutputOptionsDlg::TakeOutput() const {
    OutputOptions output;
    output.format = m_png->isChecked() ? PictureFormat::Png : PictureFormat::Bmp;
    output.densities = m_densities->isChecked();
    output.index = m_index->isChecked();
    output.volume = m_volume->isChecked();
    output.colourMap = At(ColourMaps, m_colourMap->currentIndex());
    output.scale = At(Scales, m_scale->currentIndex());
    output.maximum.mode = At(MaximumModes, m_maximum->currentIndex());
    // The box shows three decimals: a percentile left as shown keeps every digit it had.
    const double stored = m_setup.Output.maximum.percentile;
    const double shown = m_percentile->valueFromText(m_percentile->textFromValue(stored));
    output.maximum.percentile = m_percentile->value() == shown ? stored : m_percentile->value();
    output.eventWeights = At(Weightings, m_weights->currentIndex());
    output.radiusUnit = At(RadiusUnits, m_radiusUnit->currentIndex());
    output.unit = m_unit->text().trimmed().toStdString();
    for (int i = 0; i < m_overlays->count(); ++i) {
        const QListWidgetItem* item = m_overlays->item(i);
        (item->data(Qt::UserRole).toBool() ? output.overlayPoints : output.overlayLines)
            .push_back(item->text().toStdString());
    }
    output.view.depthAxis = At(DepthAxes, m_depthAxis->currentIndex());
    output.view.trueScale = m_trueScale->isChecked();
    output.view.exaggeration = At(ExaggerationNotes, m_exaggeration->currentIndex());
    output.view.ticks = At(TickStyles, m_ticks->currentIndex());
    return output;
}

void OutputOptionsDlg::OnOk() {
    const OutputOptions output = TakeOutput();
    if (!output.unit.empty() && !IsUnitText(output.unit)) {
        m_services.messageBoxes.Show(this, UnitMessage, "Error", MessageIcon::Stop);
        m_unit->setFocus();
        return;
    }
    m_setup.Output = output;
    const Status saved = SaveSetupFile(m_setup, m_files.setupIniPath);
    if (!saved.ok()) {
        m_services.messageBoxes.Show(this, saved.message(), "Error", MessageIcon::Stop);
        return;  // the dialog stays open: the choices are not kept yet
    }
    accept();
}

}  // namespace korvane
