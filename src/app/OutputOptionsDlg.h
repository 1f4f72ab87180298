#pragma once
// "Output Options...": what a series writes besides the pictures' pixels (the picture
// format, density data, the series index) and how densities become colours (the colour map,
// the scale, where the top of the scale comes from, the weight of each event) and the overlay
// files drawn over the pictures. The choices are kept
// in "Setup.ini" with the rest of the setup, so the next calculation and the next start use them.

#include <QDialog>

#include "app/OptionsDlg.h"
#include "app/WindowServices.h"
#include "series/CalculationRequest.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QRadioButton;

namespace korvane {

class OutputOptionsDlg : public QDialog {
    Q_OBJECT
  public:
    OutputOptionsDlg(WindowServices services, OptionsDlgFiles files = DefaultOptionsDlgFiles(),
                     QWidget* parent = nullptr);

    // Shows the choices of "Setup.ini" (or of the example a new user starts with), runs the
    // dialog, and on OK stores the choices there.
    int Run();

    void ShowOutput(const OutputOptions& output);
    OutputOptions TakeOutput() const;

  private:
    void OnOk();
    QGroupBox* CreateColourControls();
    QGroupBox* CreateOverlayControls();
    // Asks for an overlay file and adds it to the list, as points or lines by its kind.
    void OnAddOverlay();
    QGroupBox* CreateViewControls();

    WindowServices m_services;
    OptionsDlgFiles m_files;
    CalculationSetup m_setup;
    QRadioButton* m_bmp = nullptr;
    QRadioButton* m_png = nullptr;
    QCheckBox* m_densities = nullptr;
    QCheckBox* m_volume = nullptr;
    QCheckBox* m_index = nullptr;
    QComboBox* m_colourMap = nullptr;
    QComboBox* m_scale = nullptr;
    QComboBox* m_maximum = nullptr;
    QDoubleSpinBox* m_percentile = nullptr;  // of the percentile maximum
    QComboBox* m_weights = nullptr;
    QComboBox* m_radiusUnit = nullptr;
    QLineEdit* m_unit = nullptr;  // empty: "m", or a catalogue's own
    // The overlay files, points first; each item's data says whether it is a points file.
    QListWidget* m_overlays = nullptr;
    QComboBox* m_depthAxis = nullptr;
    QCheckBox* m_trueScale = nullptr;
    QComboBox* m_exaggeration = nullptr;
    QComboBox* m_ticks = nullptr;
};

}  // namespace korvane
