#pragma once
// The main window: the menu, the picture viewer (the banner while nothing is loaded) and the
// status bar. It computes nothing; the application object connects the menu's program
// commands to its handlers.

#include <QMainWindow>

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QStatusBar;

namespace korvane {

class PictureViewer;
class SplashView;

// The menu's commands (each also carries its command number as data).
struct MainFrameCommands {
    QAction* openPictures = nullptr;
    QAction* importCatalogue = nullptr;  // File: "Import Catalogue..."
    QAction* exit = nullptr;
    QAction* spatialResolved = nullptr;
    QAction* timeResolved = nullptr;
    QAction* outputOptions = nullptr;  // Calculation: "Output Options..."
    QAction* createMovie = nullptr;
    QAction* statusBarToggle = nullptr;
    QAction* about = nullptr;
    // F6 and Shift+F6: next and previous pane. The window has no panes, so they do nothing.
    QAction* nextPane = nullptr;
    QAction* previousPane = nullptr;
};

class MainFrame : public QMainWindow {
    Q_OBJECT
  public:
    explicit MainFrame(QWidget* parent = nullptr);

    // The window's outer size on screen when it opens, without the window manager's
    // decoration. The user may make it larger or smaller to see large pictures.
    static constexpr int FrameWidth = 700;
    static constexpr int FrameHeight = 500;

    PictureViewer* viewer() const { return m_viewer; }
    SplashView* banner() const;  // the viewer's
    const MainFrameCommands& commands() const { return m_commands; }
    QMenu* recentMenu() const { return m_recentMenu; }
    QPushButton* showInFolderButton() const { return m_showInFolder; }
    QPushButton* openMovieButton() const { return m_openMovie; }

    // The message pane says `text`; "Show in Folder" opens `folder` (none: hidden).
    void ShowSeriesSummary(const QString& text, const QString& folder);
    // The message pane says `text` of the movie `moviePath`: "Open" opens it, "Show in
    // Folder" its folder.
    void ShowMovieSummary(const QString& text, const QString& moviePath);
    // A notice over the message pane until the next one (or a menu prompt).
    void ShowNotice(const QString& text);
    QString messageText() const;  // what the message pane says
    QString shownFolder() const { return m_folder; }

  signals:
    // A folder or a picture file was dropped onto the window.
    void pathDropped(const QString& path);
    // "Show in Folder" was clicked for `folder`.
    void showFolderRequested(const QString& folder);
    // "Open" was pressed for the movie `path`.
    void openMovieRequested(const QString& path);

  protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void CreateMenu();
    void CreateStatusBar();
    void CreateAccelerators();

    PictureViewer* m_viewer = nullptr;
    QStatusBar* m_statusBar = nullptr;
    QLabel* m_messagePane = nullptr;  // "Ready", or what the last series did
    QLabel* m_pointerPane = nullptr;  // what lies under the mouse on the picture
    QPushButton* m_showInFolder = nullptr;
    QPushButton* m_openMovie = nullptr;  // "Open": the movie last written
    QMenu* m_recentMenu = nullptr;
    MainFrameCommands m_commands;
    QString m_folder;
    QString m_moviePath;
};

}  // namespace korvane
