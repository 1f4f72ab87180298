#include "app/KorvaneApp.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>

#include "app/AboutDlg.h"
#include "app/Artwork.h"
#include "app/MainFrame.h"
#include "app/CommandLine.h"
#include "app/ConversionDlg.h"
#include "app/OutputOptionsDlg.h"
#include "setup/SetupFile.h"

namespace korvane {

CKorvaneApp::CKorvaneApp(WindowServices services, OptionsDlgFiles files)
    : m_services(services),
      m_files(std::move(files)),
      m_workspace(std::make_unique<CalculationWorkspace>()) {}

CKorvaneApp::~CKorvaneApp() = default;

bool CKorvaneApp::InitInstance() {
    // The settings store gets its name; the program keeps nothing there.
    QCoreApplication::setOrganizationName("Korvane-temporary");
    QCoreApplication::setApplicationName("Korvane");

    m_mainFrame = std::make_unique<CMainFrame>();
    const QIcon icon = MakeAppIcon();
    QGuiApplication::setWindowIcon(icon);
    m_mainFrame->setWindowIcon(icon);

    connect(m_mainFrame->m_spatialResolved, &QAction::triggered, this,
            &CKorvaneApp::OnSpatialResolved);
    connect(m_mainFrame->m_timeResolved, &QAction::triggered, this, &CKorvaneApp::OnTimeResolved);
    connect(m_mainFrame->m_createMovie, &QAction::triggered, this, &CKorvaneApp::OnCreateMovie);
    connect(m_mainFrame->m_outputOptions, &QAction::triggered, this,
            &CKorvaneApp::OnOutputOptions);
    connect(m_mainFrame->m_about, &QAction::triggered, this, &CKorvaneApp::OnAppAbout);

    m_mainFrame->show();
    return true;
}

void CKorvaneApp::OnSpatialResolved() {
    RunOptionsDialog(SpatialResolvedMode);
}

void CKorvaneApp::OnTimeResolved() {
    RunOptionsDialog(TimeResolvedMode);
}

void CKorvaneApp::OpenFile(const std::string& path) {
    const std::string full =
        QFileInfo(QString::fromStdString(path)).absoluteFilePath().toStdString();
    RunOptionsDialog(SpatialResolvedMode, [&full](COptionsDlg& dialog) {
        // As "Load Setup" and "Load" would do it: a setup that cannot be read changes nothing.
        CalculationSetup setup = dialog.setup();
        if (IsSetupFileName(full)) {
            LoadSetupFile(setup, full);
        } else {
            setup.FilePath = full;
        }
        dialog.ShowSetup(setup);
    });
}

void CKorvaneApp::RunOptionsDialog(int mode, const std::function<void(COptionsDlg&)>& prepare) {
    m_calculationMode = mode;
    COptionsDlg dialog(m_calculationMode, *m_workspace, m_services, m_files, m_mainFrame.get());
    if (prepare) {
        prepare(dialog);
    }
    dialog.DoModal();
}

void CKorvaneApp::OnCreateMovie() {
    m_calculationMode = MovieConversionMode;
    CConversionDlg dialog(m_services, m_mainFrame.get());
    dialog.DoModal();
}

void CKorvaneApp::OnOutputOptions() {
    COutputOptionsDlg dialog(m_services, m_files, m_mainFrame.get());
    dialog.DoModal();
}

void CKorvaneApp::OnAppAbout() {
    CAboutDlg dialog(m_mainFrame.get());
    dialog.DoModal();
}

}  // namespace korvane
