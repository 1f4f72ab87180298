#include "app/MainFrame.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QStatusBar>
#include <QUrl>

#include "app/PictureViewer.h"
#include "app/SplashView.h"

namespace korvane {

namespace {

QAction* AddCommand(QMenu* menu, const char* caption, const char* name, int command,
                    const char* prompt) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    action->setData(command);
    action->setStatusTip(prompt);
    return action;
}

}  // namespace

MainFrame::MainFrame(QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                              Qt::WindowCloseButtonHint) {
    setObjectName("MainFrame");
    setWindowTitle("Korvane");
    resize(FrameWidth, FrameHeight);
    setAcceptDrops(true);

    m_viewer = new PictureViewer(this);
    setCentralWidget(m_viewer);
    // Focus given to the frame goes on to the view.
    setFocusProxy(m_viewer);

    CreateMenu();
    CreateStatusBar();
    CreateAccelerators();
}

void MainFrame::CreateMenu() {
    QMenu* file = menuBar()->addMenu("&File");
    file->setObjectName("MenuFile");
    m_commands.openPictures = AddCommand(file, "Open Pictures...", "ID_OPEN_PICTURES", 0,
                                         "Show a folder of numbered pictures");
    m_commands.importCatalogue =
        AddCommand(file, "Import Catalogue...", "ID_IMPORT_CATALOGUE", 32791,
                   "Choose how a catalogue is read, then set up a calculation on it");
    m_recentMenu = file->addMenu("Recent");
    m_recentMenu->setObjectName("MenuRecent");
    m_recentMenu->menuAction()->setStatusTip("Show one of the folders shown before");
    m_commands.exit = AddCommand(file, "E&xit", "ID_APP_EXIT", 57665,
                                 "Quit the application; prompts to save documents");
    connect(m_commands.exit, &QAction::triggered, this, &QWidget::close);

    QMenu* calculation = menuBar()->addMenu("&Calculation");
    calculation->setObjectName("MenuCalculation");
    m_commands.spatialResolved =
        AddCommand(calculation, "Spatial Resolved", "ID_SPATIAL_RESOLVED", 32775, "");
    m_commands.timeResolved =
        AddCommand(calculation, "Time Resolved", "ID_TIME_RESOLVED", 32776, "");
    m_commands.outputOptions =
        AddCommand(calculation, "Output Options...", "ID_OUTPUT_OPTIONS", 32790,
                   "Choose the picture format, density data and series index");

    QMenu* conversion = menuBar()->addMenu("&Conversion");
    conversion->setObjectName("MenuConversion");
    m_commands.createMovie = AddCommand(conversion, "Create Movie", "ID_CREATE_MOVIE", 32782, "");

    QMenu* view = menuBar()->addMenu("&View");
    view->setObjectName("MenuView");
    m_commands.statusBarToggle =
        AddCommand(view, "&Status Bar", "ID_VIEW_STATUS_BAR", 59393, "Show or hide the status bar");
    m_commands.statusBarToggle->setCheckable(true);
    m_commands.statusBarToggle->setChecked(true);
    connect(m_commands.statusBarToggle, &QAction::toggled, this,
            [this](bool shown) { m_statusBar->setVisible(shown); });

    QMenu* help = menuBar()->addMenu("&Help");
    help->setObjectName("MenuHelp");
    m_commands.about = AddCommand(help, "&About Korvane...", "ID_APP_ABOUT", 57664,
                                  "Display the program's name and version number");
}

void MainFrame::CreateStatusBar() {
    m_statusBar = statusBar();
    m_statusBar->setObjectName("StatusBar");

    // The message pane: "Ready" while idle, what the last series did once there was one. A
    // menu item's prompt covers it while the item is highlighted (Qt shows the status tip as
    // a temporary message over normal widgets).
    m_messagePane = new QLabel("Ready", m_statusBar);
    m_messagePane->setObjectName("ID_SEPARATOR");
    m_messagePane->setMinimumWidth(40);
    m_statusBar->addWidget(m_messagePane, 1);

    // "Open" before "Show in Folder": the movie first, then where it is.
    m_openMovie = new QPushButton("Open", m_statusBar);
    m_openMovie->setObjectName("OpenMovieButton");
    m_openMovie->setFlat(true);
    m_openMovie->setFocusPolicy(Qt::NoFocus);
    m_openMovie->hide();
    connect(m_openMovie, &QPushButton::clicked, this,
            [this] { emit openMovieRequested(m_moviePath); });
    m_statusBar->addPermanentWidget(m_openMovie);

    m_showInFolder = new QPushButton("Show in Folder", m_statusBar);
    m_showInFolder->setObjectName("ShowInFolderButton");
    m_showInFolder->setFlat(true);
    m_showInFolder->setFocusPolicy(Qt::NoFocus);
    m_showInFolder->hide();
    connect(m_showInFolder, &QPushButton::clicked, this,
            [this] { emit showFolderRequested(m_folder); });
    m_statusBar->addPermanentWidget(m_showInFolder);

    m_pointerPane = new QLabel(m_statusBar);
    m_pointerPane->setObjectName("PointerPane");
    m_statusBar->addPermanentWidget(m_pointerPane);
    connect(m_viewer, &PictureViewer::pointerTextChanged, m_pointerPane, &QLabel::setText);

    // The lock-key indicators. Qt tells nothing about the lock keys' state, so they stay
    // dimmed rather than claim a state they do not know.
    const struct {
        const char* caption;
        const char* name;
    } indicators[] = {
        {"CAP", "ID_INDICATOR_CAPS"}, {"NUM", "ID_INDICATOR_NUM"}, {"SCRL", "ID_INDICATOR_SCRL"}};
    for (const auto& indicator : indicators) {
        auto* pane = new QLabel(indicator.caption, m_statusBar);
        pane->setObjectName(indicator.name);
        pane->setAlignment(Qt::AlignCenter);
        pane->setMinimumWidth(pane->fontMetrics().horizontalAdvance("SCRL") + 12);
        pane->setEnabled(false);
        m_statusBar->addPermanentWidget(pane);
    }
}

void MainFrame::ShowSeriesSummary(const QString& text, const QString& folder) {
    m_messagePane->setText(text);
    m_messagePane->setToolTip(text);
    m_folder = folder;
    m_showInFolder->setVisible(!folder.isEmpty());
    m_moviePath.clear();
    m_openMovie->hide();
}

void MainFrame::ShowMovieSummary(const QString& text, const QString& moviePath) {
    // The movie's progress notice gives way to the summary.
    m_statusBar->clearMessage();
    ShowSeriesSummary(text, QFileInfo(moviePath).absolutePath());
    m_moviePath = moviePath;
    m_openMovie->show();
}

void MainFrame::ShowNotice(const QString& text) {
    m_statusBar->showMessage(text);
}

QString MainFrame::messageText() const {
    return m_messagePane->text();
}

SplashView* MainFrame::banner() const {
    return m_viewer->banner();
}

namespace {

// The first local file or folder a drag carries; empty when none.
QString DroppedPath(const QMimeData* data) {
    if (data == nullptr) {
        return QString();
    }
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) {
            return url.toLocalFile();
        }
    }
    return QString();
}

}  // namespace

void MainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedPath(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void MainFrame::dropEvent(QDropEvent* event) {
    const QString path = DroppedPath(event->mimeData());
    if (!path.isEmpty()) {
        event->acceptProposedAction();
        emit pathDropped(path);
    }
}

void MainFrame::CreateAccelerators() {
    m_commands.nextPane = new QAction(this);
    m_commands.nextPane->setObjectName("ID_NEXT_PANE");
    m_commands.nextPane->setData(57680);
    m_commands.nextPane->setShortcut(Qt::Key_F6);
    addAction(m_commands.nextPane);

    m_commands.previousPane = new QAction(this);
    m_commands.previousPane->setObjectName("ID_PREV_PANE");
    m_commands.previousPane->setData(57681);
    m_commands.previousPane->setShortcut(Qt::SHIFT | Qt::Key_F6);
    addAction(m_commands.previousPane);
}

}  // namespace korvane
