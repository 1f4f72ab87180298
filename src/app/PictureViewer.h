#pragma once
// The main window's view: the banner while nothing is loaded; each picture of a running
// series as it is written; afterwards that series, or a folder of numbered pictures, to step
// through, play at 10 pictures per second (looping) and zoom. Only the picture on show is
// kept in memory; the others are read from their files when they are shown.

#include <QElapsedTimer>
#include <QImage>
#include <QWidget>
#include <vector>

#include "app/ViewerPictures.h"
#include "series/SeriesObserver.h"
#include "series/SeriesResults.h"

class QLabel;
class QScrollArea;
class QSlider;
class QSpinBox;
class QStackedWidget;
class QTimer;
class QToolButton;

namespace korvane {

class SplashView;
class PictureCanvas;
struct PictureFolder;

class PictureViewer : public QWidget {
    Q_OBJECT
  public:
    explicit PictureViewer(QWidget* parent = nullptr);

    // Pictures per second while playing, as in the movie.
    static constexpr int PicturesPerSecond = 10;

    SplashView* banner() const { return m_banner; }
    PictureCanvas* canvas() const { return m_canvas; }
    bool showsBanner() const;

    // During a run a picture is put on screen at most this often (default: 10 per second,
    // the pace of the movie); the newest picture written meanwhile follows from its file
    // once the time is up. 0 shows every picture at once.
    void SetLiveInterval(int milliseconds) { m_liveInterval = milliseconds; }

    // A run begins; its first picture, and those after it, replace what is shown (a run
    // that writes nothing leaves the view as it was).
    void BeginSeries();
    // A picture of the run is on disk: shown at once from `picture.canvas`, which is copied.
    void AddWrittenPicture(const WrittenPicture& picture);
    // Pictures from a folder, to browse; shows the one numbered `startNumber` if there is
    // one, else the first. The banner when the folder holds none.
    void ShowPictures(const PictureFolder& series, int startNumber = -1);
    void ShowBanner();
    // Shows picture `number` of what is loaded; a run's live pictures stop following. False
    // when there is no such picture.
    bool ShowPictureNumbered(int number);

    // A line of warning above the picture; empty hides it.
    void SetNotice(const QString& text);
    QString notice() const;

    int count() const { return static_cast<int>(m_pictures.size()); }
    int currentIndex() const { return m_current; }
    const std::vector<ViewerPicture>& pictures() const { return m_pictures; }
    bool isPlaying() const;

    void ShowIndex(int index);
    void ShowFirst() { ShowIndex(0); }
    void ShowPrevious() { ShowIndex(m_current - 1); }
    void ShowNext() { ShowIndex(m_current + 1); }
    void ShowLast() { ShowIndex(count() - 1); }
    void SetPlaying(bool playing);
    void SetFitToView(bool fit);

  signals:
    // What the status bar shows for the mouse: position, file name and caption value;
    // empty when the mouse is off the picture.
    void pointerTextChanged(const QString& text);
    // A line was dragged across a map picture of the run just made: the ends of a section.
    void sectionLineDrawn(const DrawnLine& line);

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QWidget* CreateControls();
    void ShowCurrentImage(QImage image);
    // Shows picture `index` read from its file.
    void ShowFromFile(int index);
    void UpdateControls();
    void OnTick();
    void OnPointer(std::optional<QPoint> pixel);
    void OnLineDrawn(QPoint from, QPoint to);
    // Lines may be drawn on the picture on show when it is a map of known ranges.
    void UpdateLineDrawing();

    SplashView* m_banner = nullptr;
    QStackedWidget* m_pages = nullptr;
    QLabel* m_notice = nullptr;
    QScrollArea* m_scroll = nullptr;
    PictureCanvas* m_canvas = nullptr;
    QToolButton* m_playButton = nullptr;
    QToolButton* m_fitButton = nullptr;
    QToolButton* m_actualSizeButton = nullptr;
    QSlider* m_slider = nullptr;
    QSpinBox* m_spin = nullptr;
    QTimer* m_timer = nullptr;
    QTimer* m_liveTimer = nullptr;
    QElapsedTimer m_sinceLiveShown;
    int m_liveInterval = 1000 / PicturesPerSecond;

    ViewerAxes m_axes;
    bool m_seriesPending = false;
    std::vector<ViewerPicture> m_pictures;
    int m_current = -1;
};

// Feeds a running series into the viewer and remembers what it wrote; stops nothing.
class ViewerFeed : public SeriesObserver {
  public:
    explicit ViewerFeed(PictureViewer& viewer) : m_viewer(viewer) {}
    void PhaseStarted(RunPhase, long long) override {}
    void Progress(long long) override {}
    bool ShouldStop() override { return false; }
    void PictureWritten(const WrittenPicture& picture) override {
        ++written;
        lastPath = picture.path;
        lastNumber = picture.number;
        // The first of those with the most events: the one worth showing after the run.
        if (picture.events > mostEvents) {
            mostEvents = picture.events;
            mostEventsNumber = picture.number;
        }
        m_viewer.AddWrittenPicture(picture);
    }
    void SeriesFinished(const SeriesSummary& summary) override {
        lastNumberOnDisk = summary.lastNumberOnDisk;
        lastPathOnDisk = summary.lastPathOnDisk;
    }

    int written = 0;       // pictures written so far
    std::string lastPath;  // the last of them
    int lastNumber = 0;
    long long mostEvents = 0;  // the most events one picture counted; 0: none counted any
    int mostEventsNumber = 0;  // the first picture that counted them
    // The last picture file the run put on disk, also one whose density file then failed:
    // pictures beyond it are older ones.
    int lastNumberOnDisk = 0;
    std::string lastPathOnDisk;

  private:
    PictureViewer& m_viewer;
};

}  // namespace korvane
