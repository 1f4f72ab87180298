#pragma once
// "Import Catalogue...": how a catalogue is read. It shows the first rows of the file as a
// table (its first columns), the format found and the column of each role as choices, the
// origin, the units, the sign of depth, the date order, the time reference and the filters,
// and the count of rows read, kept and skipped. OK keeps the frame the count found (origin,
// time reference) with the choices. The whole file is counted on a worker after every change,
// so a big catalogue never
// holds the window; OK takes the choices as they stand (a count still running stops).

#include <QDialog>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "app/OptionsProgress.h"
#include "app/RunWorker.h"
#include "app/WindowServices.h"
#include "catalogue/CatalogueReader.h"
#include "common/Ranges.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QTableWidget;

namespace korvane {

class ImportCatalogueDlg : public QDialog {
    Q_OBJECT
  public:
    // The dialog on the catalogue at `path`, showing `options` (those the file was read with
    // before, or the defaults); the first count starts at once.
    ImportCatalogueDlg(std::string path, const CatalogueOptions& options, WindowServices services,
                       QWidget* parent = nullptr);
    ~ImportCatalogueDlg() override;

    const std::string& path() const { return m_path; }
    // The choices, as OK took them.
    const CatalogueOptions& options() const { return m_options; }
    // What the count of those choices found, and the extent of the events it kept: none when
    // OK came before the count of the choices taken was done.
    const CatalogueReport* countedReport() const { return m_counted ? &m_report : nullptr; }
    const std::array<AxisRange, 4>& countedExtent() const { return m_extent; }
    // True while the file is being counted.
    bool IsCounting() const { return m_worker.IsRunning(); }

    void accept() override;

  private:
    struct CountResult;

    void CreateControls();
    void ShowOptions();
    // The choices the controls hold; `problem` names the first that cannot be read.
    CatalogueOptions TakeOptions(std::string& problem) const;
    void Recount();
    void FinishCount(const CountResult& result);
    void ShowReport();
    void FillColumnChoices();
    void ShowLegacyTimeRange();
    void OnColumnChosen(std::size_t role, int index);

    std::string m_path;
    CatalogueOptions m_options;
    WindowServices m_services;
    // The column chosen by hand for each role of the column boxes (a header name or a number
    // from 1), empty when found by name; other pairs of the column map are kept as they were.
    std::array<std::string, 10> m_chosenColumns;
    std::vector<std::string> m_otherColumns;
    CatalogueReport m_report;
    CatalogueOptions m_countedOptions;    // the choices `m_report` was counted with
    std::array<AxisRange, 4> m_extent{};  // of the events the last count kept
    bool m_counted = false;               // the last count is of the choices OK took
    // The time boxes hold seconds since 1970 of an earlier setup, as first shown.
    bool m_legacyTimeRange = false;
    std::array<std::string, 2> m_legacyTexts;
    std::string m_readProblem;  // why the last count failed, "" when it did not
    bool m_recountWanted = false;

    QTableWidget* m_table = nullptr;
    QLabel* m_detected = nullptr;
    QComboBox* m_format = nullptr;
    QComboBox* m_separator = nullptr;
    std::array<QComboBox*, 10> m_columns{};
    QLineEdit* m_originLat = nullptr;
    QLineEdit* m_originLon = nullptr;
    QComboBox* m_unit = nullptr;
    QComboBox* m_xyUnit = nullptr;
    QComboBox* m_depthUnit = nullptr;
    QComboBox* m_depthSign = nullptr;
    QComboBox* m_dateOrder = nullptr;
    QLineEdit* m_timeReference = nullptr;
    QLineEdit* m_magnitudeMin = nullptr;
    QLineEdit* m_magnitudeMax = nullptr;
    QLineEdit* m_timeFrom = nullptr;
    QLineEdit* m_timeTo = nullptr;
    QLineEdit* m_dropTypes = nullptr;  // types left out, split by ';'
    QLineEdit* m_region = nullptr;     // a box or a polygon file
    QLineEdit* m_depthMin = nullptr;
    QLineEdit* m_depthMax = nullptr;
    QLabel* m_count = nullptr;
    QProgressBar* m_bar = nullptr;

    OptionsProgressObserver m_progress;
    RunWorker m_worker{m_progress};  // last: ends (stopping the count) before the rest goes
};

// Opens the dialog over `owner` without waiting for it (the owner takes no input meanwhile);
// `ok` sees it when the user confirms, and nothing happens on Cancel.
void OpenImportCatalogue(QWidget* owner, const std::string& path, const CatalogueOptions& options,
                         WindowServices services,
                         std::function<void(const ImportCatalogueDlg&)> ok);

}  // namespace korvane
