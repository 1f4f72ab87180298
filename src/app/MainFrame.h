#pragma once
// The main window: the menu, the banner view and the status bar. It computes nothing; the
// application object connects the menu's program commands to its handlers.

#include <QMainWindow>

class QAction;
class QLabel;
class QStatusBar;

namespace korvane {

class CSplashView;

class CMainFrame : public QMainWindow {
    Q_OBJECT
  public:
    explicit CMainFrame(QWidget* parent = nullptr);

    // The window's outer size on screen, without the window manager's decoration.
    static constexpr int FrameWidth = 700;
    static constexpr int FrameHeight = 500;

    CSplashView* m_wndView = nullptr;
    QStatusBar* m_wndStatusBar = nullptr;

    // The menu commands (each also carries its command number as data).
    QAction* m_exit = nullptr;
    QAction* m_spatialResolved = nullptr;
    QAction* m_timeResolved = nullptr;
    QAction* m_outputOptions = nullptr;  // Calculation: "Output Options..."
    QAction* m_createMovie = nullptr;
    QAction* m_statusBarToggle = nullptr;
    QAction* m_about = nullptr;
    // F6 and Shift+F6: next and previous pane. The window has no panes, so they do nothing.
    QAction* m_nextPane = nullptr;
    QAction* m_previousPane = nullptr;

  private:
    void CreateMenu();
    void CreateStatusBar();
    void CreateAccelerators();
};

}  // namespace korvane
