#include "app/KorvaneApp.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "app/AboutDlg.h"
#include "app/Artwork.h"
#include "app/Choosers.h"
#include "app/CommandLine.h"
#include "app/ConversionDlg.h"
#include "app/DesktopOpener.h"
#include "app/DialogPlacement.h"
#include "app/ImportCatalogueDlg.h"
#include "app/MainFrame.h"
#include "app/MessageBoxes.h"
#include "app/OutputOptionsDlg.h"
#include "app/PictureViewer.h"
#include "app/TraceLine.h"
#include "common/NumberText.h"
#include "common/Paths.h"
#include "movie/MovieSummary.h"
#include "movie/PictureFolder.h"
#include "movie/PictureSeriesListing.h"
#include "setup/SectionChoice.h"
#include "setup/SetupFile.h"
#include "setup/SetupPaths.h"

namespace korvane {

KorvaneApp::KorvaneApp(WindowServices services, OptionsDlgFiles files)
    : m_services(services),
      m_files(std::move(files)),
      m_workspace(std::make_unique<CalculationWorkspace>()) {}

KorvaneApp::~KorvaneApp() = default;

bool KorvaneApp::Start() {
    // The settings store gets its name; the program keeps nothing there.
    QCoreApplication::setOrganizationName("Korvane-temporary");
    QCoreApplication::setApplicationName("Korvane");

    m_mainFrame = std::make_unique<MainFrame>();
    const QIcon icon = MakeAppIcon();
    QGuiApplication::setWindowIcon(icon);
    m_mainFrame->setWindowIcon(icon);

    connect(m_mainFrame->commands().spatialResolved, &QAction::triggered, this,
            &KorvaneApp::OnSpatialResolved);
    connect(m_mainFrame->commands().timeResolved, &QAction::triggered, this,
            &KorvaneApp::OnTimeResolved);
    connect(m_mainFrame->commands().createMovie, &QAction::triggered, this,
            &KorvaneApp::OnCreateMovie);
    connect(m_mainFrame->commands().outputOptions, &QAction::triggered, this,
            &KorvaneApp::OnOutputOptions);
    connect(m_mainFrame->commands().importCatalogue, &QAction::triggered, this,
            &KorvaneApp::OnImportCatalogue);
    connect(m_mainFrame->commands().about, &QAction::triggered, this, &KorvaneApp::OnAppAbout);
    connect(m_mainFrame->commands().openPictures, &QAction::triggered, this,
            &KorvaneApp::OnOpenPictures);
    connect(m_mainFrame.get(), &MainFrame::showFolderRequested, this,
            [this](const QString& folder) {
                OpenOrReport(m_services.Opener(), m_services.messageBoxes, m_mainFrame.get(),
                             folder.toStdString());
            });
    connect(m_mainFrame.get(), &MainFrame::pathDropped, this,
            [this](const QString& path) { OpenPictures(path.toStdString()); });
    connect(m_mainFrame.get(), &MainFrame::openMovieRequested, this, &KorvaneApp::OpenMovie);
    // The dialog opens once the mouse is let go, not inside its release.
    connect(m_mainFrame->viewer(), &PictureViewer::sectionLineDrawn, this,
            [this](const DrawnLine& line) {
                QTimer::singleShot(0, this, [this, line] { OnSectionLineDrawn(line); });
            });
    RebuildRecentMenu();

    m_mainFrame->show();
    return true;
}

void KorvaneApp::OnSpatialResolved() {
    RunOptionsDialog(CalculationKind::Spatial);
}

void KorvaneApp::OnTimeResolved() {
    RunOptionsDialog(CalculationKind::Time);
}

void KorvaneApp::OpenFile(const std::string& path) {
    const std::string full =
        QFileInfo(QString::fromStdString(path)).absoluteFilePath().toStdString();
    RunOptionsDialog(CalculationKind::Spatial, [&full](OptionsDlg& dialog) {
        // As "Load Setup" and "Load" would do it: a setup that cannot be read changes nothing.
        CalculationSetup setup = dialog.setup();
        if (IsSetupFileName(full)) {
            // An unreadable setup changes nothing, as with "Load Setup".
            if (LoadSetupFile(setup, full, PrintTraceLine).ok()) {
                setup.FilePath = EventPathBesideSetup(setup.FilePath, full);
            }
        } else {
            setup.FilePath = full;
        }
        dialog.ShowSetup(setup);
    });
}

void KorvaneApp::OnSectionLineDrawn(const DrawnLine& line) {
    RunOptionsDialog(CalculationKind::Spatial, [&line](OptionsDlg& dialog) {
        CalculationSetup setup = dialog.setup();
        setup.Output.section =
            SectionAlongDrawnLine(setup.Output.section, line.from.horizontal, line.from.vertical,
                                  line.to.horizontal, line.to.vertical, line.resolution);
        dialog.ShowSetup(setup);
    });
}

void KorvaneApp::RunOptionsDialog(CalculationKind kind,
                                  const std::function<void(OptionsDlg&)>& prepare) {
    m_calculationKind = kind;
    m_lastCalculation = kind;
    OptionsDlg dialog(kind, *m_workspace, m_services, m_files, m_mainFrame.get());
    PictureViewer& viewer = *m_mainFrame->viewer();
    ViewerFeed feed(viewer);
    dialog.SetSeriesWatcher(&feed);
    connect(&dialog, &OptionsDlg::calculationStarting, &viewer,
            [&viewer] { viewer.BeginSeries(); });
    if (prepare) {
        prepare(dialog);
    }
    // Beside the main window, so the viewer shows each picture of the run.
    MoveBesideParent(dialog);
    dialog.Run();
    if (feed.written > 0) {
        // The last picture of a series is often nearly empty (the end of the events): the
        // one with the most events is shown instead, and said so.
        std::string shown;
        if (feed.mostEvents > 0 && viewer.ShowPictureNumbered(feed.mostEventsNumber)) {
            shown = "Showing picture " + std::to_string(viewer.currentIndex() + 1) + " of " +
                    std::to_string(viewer.count()) + ": most events";
        }
        ReportSeries(feed.written, feed.lastPath, std::max(feed.lastNumber, feed.lastNumberOnDisk),
                     shown);
    }
}

void KorvaneApp::ReportSeries(int written, const std::string& lastPath, int lastNumber,
                              const std::string& shown) {
    std::string folder;
    std::string prefix;
    if (!SplitNumberedPicture(lastPath, folder, prefix)) {
        return;
    }
    std::string summary = SeriesSummaryText(written, m_workspace->events.count, folder);
    if (!shown.empty()) {
        summary += ". " + shown;
    }
    const std::vector<NumberedPicture> stale = PicturesBeyond(folder, prefix, lastNumber);
    QString notice;
    if (!stale.empty()) {
        notice = QString::fromStdString(StalePicturesText(stale, folder, prefix));
        summary += ". " + notice.toStdString();
    }
    m_mainFrame->viewer()->SetNotice(notice);
    m_mainFrame->ShowSeriesSummary(QString::fromStdString(summary), QString::fromStdString(folder));
    m_recent.Add(QString::fromStdString(folder));
    RebuildRecentMenu();
}

void KorvaneApp::OnOpenPictures() {
    if (std::optional<std::string> folder =
            m_services.choosers.BrowseForFolder(m_mainFrame.get(), "Open Pictures")) {
        OpenPictures(*folder);
    }
}

bool KorvaneApp::OpenPictures(const std::string& path) {
    std::string folder = path;
    std::string prefix;
    int start = -1;
    PictureFolder series;
    Status listed = Status::Ok();
    if (QFileInfo(QString::fromStdString(path)).isDir()) {
        listed = OpenPictureFolder(folder, series);
    } else if (SplitNumberedPicture(path, folder, prefix)) {
        series = PictureFolder{folder, prefix, {}};
        listed = ListSeriesPictures(folder, prefix, series.pictures);
        for (const NumberedPicture& picture : series.pictures) {
            if (QFileInfo(QString::fromStdString(picture.path)) ==
                QFileInfo(QString::fromStdString(path))) {
                start = picture.number;
            }
        }
    }
    if (!listed.ok() || series.pictures.empty()) {
        m_services.messageBoxes.Show(m_mainFrame.get(), "Folder does not contain pictures!",
                                     "Empty folder!", MessageIcon::Stop);
        return false;
    }
    m_mainFrame->viewer()->ShowPictures(series, start);
    const int count = static_cast<int>(series.pictures.size());
    m_mainFrame->ShowSeriesSummary(
        QString::fromStdString(GroupedInteger(count) +
                               (count == 1 ? " picture in " : " pictures in ") + series.folder),
        QString::fromStdString(series.folder));
    m_recent.Add(QString::fromStdString(series.folder));
    RebuildRecentMenu();
    return true;
}

void KorvaneApp::RebuildRecentMenu() {
    QMenu* menu = m_mainFrame->recentMenu();
    menu->clear();
    const QStringList folders = m_recent.Load();
    for (int i = 0; i < folders.size(); ++i) {
        QAction* action = menu->addAction(QString("&%1 %2").arg(i + 1).arg(folders[i]));
        action->setObjectName(QString("RecentFolder%1").arg(i + 1));
        const std::string folder = folders[i].toStdString();
        connect(action, &QAction::triggered, this, [this, folder] { OpenPictures(folder); });
    }
    menu->setEnabled(!folders.isEmpty());
}

void KorvaneApp::OnCreateMovie() {
    m_calculationKind.reset();  // a movie is no calculation
    ConversionDlg dialog(m_services, m_mainFrame.get());
    dialog.SetStartFolder(LastPictureFolder());
    connect(&dialog, &ConversionDlg::progressText, m_mainFrame.get(), &MainFrame::ShowNotice);
    dialog.Run();
    switch (dialog.outcome()) {
        case ConversionOutcome::Written:
            ReportMovie(dialog.m_strMovie, dialog.framesWritten());
            break;
        case ConversionOutcome::Cancelled:
            m_mainFrame->ShowNotice("Movie not written: cancelled");
            break;
        default:
            // A box said why; the progress notice goes.
            m_mainFrame->ShowNotice(QString());
            break;
    }
}

std::string KorvaneApp::LastPictureFolder() const {
    if (!m_mainFrame->shownFolder().isEmpty()) {
        return m_mainFrame->shownFolder().toStdString();
    }
    const QStringList recent = m_recent.Load();
    return recent.isEmpty() ? std::string() : recent.front().toStdString();
}

void KorvaneApp::ReportMovie(const std::string& moviePath, int frames) {
    std::error_code error;
    const std::uintmax_t bytes = std::filesystem::file_size(moviePath, error);
    m_mainFrame->ShowMovieSummary(
        QString::fromStdString(MovieWrittenText(moviePath, frames, error ? 0 : bytes)),
        QString::fromStdString(moviePath));
}

void KorvaneApp::OpenMovie(const QString& moviePath) {
    OpenOrReport(m_services.Opener(), m_services.messageBoxes, m_mainFrame.get(),
                 moviePath.toStdString());
}

void KorvaneApp::OnOutputOptions() {
    OutputOptionsDlg dialog(m_services, m_files, m_mainFrame.get());
    dialog.Run();
}

void KorvaneApp::OnAppAbout() {
    AboutDlg dialog(m_mainFrame.get());
    dialog.Run();
}

void KorvaneApp::OnImportCatalogue() {
    CalculationSetup last;
    LoadStartingSetup(m_files, last);
    const std::optional<std::string> path = m_services.choosers.ChooseFile(
        m_mainFrame.get(), FileDialogKind::Open, "",
        "Catalogues (*.csv *.txt *.reloc *.hyp *.xml)|*.csv;*.txt;*.reloc;*.hyp;*.xml|"
        "All files (*)|*||",
        last.FilePath.empty() ? std::string() : FolderOf(last.FilePath));
    if (!path) {
        return;
    }
    ImportCatalogueDlg import(*path, *path == last.FilePath ? last.Catalogue : CatalogueOptions{},
                              m_services, m_mainFrame.get());
    if (import.exec() != QDialog::Accepted) {
        return;
    }
    // The Options dialog then opens on the catalogue, read as chosen, with the ranges fitted
    // to its events, for the calculation the user chose last (a perspective view is a time
    // series).
    const CalculationKind kind = m_lastCalculation.value_or(
        last.Direction == ViewDirection::Perspective ? CalculationKind::Time
                                                     : CalculationKind::Spatial);
    RunOptionsDialog(kind, [&import](OptionsDlg& dialog) { dialog.TakeImport(import); });
}

}  // namespace korvane
