#include "app/OutputOptionsDlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/DialogUnits.h"
#include "app/MessageBoxes.h"
#include "setup/SetupFile.h"

namespace korvane {

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

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("IDOK");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("IDCANCEL");
    connect(buttons, &QDialogButtonBox::accepted, this, &OutputOptionsDlg::OnOk);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(format);
    layout->addWidget(m_densities);
    layout->addWidget(m_index);
    layout->addWidget(buttons);
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
}

OutputOptions OutputOptionsDlg::TakeOutput() const {
    OutputOptions output;
    output.format = m_png->isChecked() ? PictureFormat::Png : PictureFormat::Bmp;
    output.densities = m_densities->isChecked();
    output.index = m_index->isChecked();
    // The colours have no control here yet: they stay as the setup file gave them.
    output.colourMap = m_setup.Output.colourMap;
    output.scale = m_setup.Output.scale;
    output.eventWeights = m_setup.Output.eventWeights;
    output.maximum = m_setup.Output.maximum;
    return output;
}

void OutputOptionsDlg::OnOk() {
    m_setup.Output = TakeOutput();
    const Status saved = SaveSetupFile(m_setup, m_files.setupIniPath);
    if (!saved.ok()) {
        m_services.messageBoxes.Show(this, saved.message(), "Error", MessageIcon::Stop);
        return;  // the dialog stays open: the choices are not kept yet
    }
    accept();
}

}  // namespace korvane
