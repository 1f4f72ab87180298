#include "app/RunWorker.h"

#include <QElapsedTimer>
#include <QMetaObject>
#include <condition_variable>
#include <mutex>
#include <opencv2/core.hpp>
#include <string>
#include <utility>

#include "series/SeriesObserver.h"

namespace korvane {

// The reports a worker posted and the window handled, for the lockstep.
struct WorkerReports {
    std::mutex mutex;
    std::condition_variable changed;
    long long posted = 0;
    long long handled = 0;
};

namespace {

std::atomic<bool> g_lockstep{false};

// A written picture that outlives the series' buffers: the canvas copied, the raster an
// area of the copy where it was one of the original.
struct PictureCopy {
    int number = 0;
    std::string path;
    cv::Mat raster;
    cv::Mat canvas;
    PlaneRange ranges;
    double captionValue = 0;
    PictureColumns columns;
    long long events = 0;

    explicit PictureCopy(const WrittenPicture& picture)
        : number(picture.number),
          path(picture.path),
          canvas(picture.canvas.clone()),
          ranges(picture.ranges),
          captionValue(picture.captionValue),
          columns(picture.columns),
          events(picture.events) {
        cv::Size whole;
        cv::Point offset;
        picture.raster.locateROI(whole, offset);
        if (whole == picture.canvas.size() &&
            picture.raster.datastart == picture.canvas.datastart) {
            raster = canvas(cv::Rect(offset, picture.raster.size()));
        } else {
            raster = picture.raster.clone();
        }
    }

    WrittenPicture View() const {
        return {number, path, raster, canvas, ranges, captionValue, columns, events};
    }
};

// The worker's side: each report is queued for the front; the stop is the worker's flag.
// Progress within a phase is passed on at most every few hundredths of a second.
class QueuedObserver : public SeriesObserver {
  public:
    QueuedObserver(QObject* context, RunObserver& front, const std::atomic<bool>& stop,
                   std::shared_ptr<std::atomic<bool>> alive, std::shared_ptr<WorkerReports> handled)
        : m_context(context),
          m_front(front),
          m_stop(stop),
          m_alive(std::move(alive)),
          m_handled(std::move(handled)) {}

    void PhaseStarted(RunPhase phase, long long total) override {
        Flush();
        m_sinceProgress.invalidate();
        m_counted = phase == RunPhase::Pictures || phase == RunPhase::Frames;
        Post([phase, total](RunObserver& front) { front.PhaseStarted(phase, total); });
    }
    void Progress(long long done) override {
        // Each picture or frame is shown; the shares of the other phases at a pace.
        if (!m_counted && m_sinceProgress.isValid() &&
            m_sinceProgress.elapsed() < ProgressIntervalMs) {
            m_pending = done;
            return;
        }
        m_sinceProgress.start();
        m_pending = -1;
        Post([done](RunObserver& front) { front.Progress(done); });
    }
    bool ShouldStop() override { return m_stop.load(); }
    void Message(const UserMessage& message) override {
        Post([message](RunObserver& front) { front.Message(message); });
    }
    void Trace(const std::string& line) override {
        Post([line](RunObserver& front) { front.Trace(line); });
    }
    // A front that follows no series (a movie's) is told nothing of one.
    void PictureWritten(const WrittenPicture& picture) override {
        auto copy = std::make_shared<const PictureCopy>(picture);
        Post([copy](RunObserver& front) {
            if (auto* series = dynamic_cast<SeriesObserver*>(&front)) {
                series->PictureWritten(copy->View());
            }
        });
    }
    void SeriesFinished(const SeriesSummary& summary) override {
        Flush();
        Post([summary](RunObserver& front) {
            if (auto* series = dynamic_cast<SeriesObserver*>(&front)) {
                series->SeriesFinished(summary);
            }
        });
    }

    // The last progress held back by the interval, so the front sees where the work ended.
    void Flush() {
        if (m_pending >= 0) {
            const long long done = m_pending;
            m_pending = -1;
            Post([done](RunObserver& front) { front.Progress(done); });
        }
    }

  private:
    static constexpr qint64 ProgressIntervalMs = 20;

    void Post(std::function<void(RunObserver&)> report) {
        const bool lockstep = g_lockstep.load();
        long long number = 0;
        if (lockstep) {
            std::lock_guard<std::mutex> lock(m_handled->mutex);
            number = ++m_handled->posted;
        }
        QMetaObject::invokeMethod(
            m_context,
            [front = &m_front, alive = m_alive, handled = m_handled, report = std::move(report)] {
                if (alive->load()) {
                    report(*front);
                }
                std::lock_guard<std::mutex> lock(handled->mutex);
                ++handled->handled;
                handled->changed.notify_all();
            },
            Qt::QueuedConnection);
        if (lockstep) {
            std::unique_lock<std::mutex> lock(m_handled->mutex);
            m_handled->changed.wait(lock,
                                    [&] { return m_handled->handled >= number || m_stop.load(); });
        }
    }

    QObject* m_context;
    RunObserver& m_front;
    const std::atomic<bool>& m_stop;
    std::shared_ptr<std::atomic<bool>> m_alive;
    std::shared_ptr<WorkerReports> m_handled;
    QElapsedTimer m_sinceProgress;
    long long m_pending = -1;
    bool m_counted = false;  // the phase counts pictures or frames
};

}  // namespace

RunWorker::RunWorker(RunObserver& front, QObject* parent)
    : QObject(parent), m_front(front), m_handled(std::make_shared<WorkerReports>()) {}

RunWorker::~RunWorker() {
    StopAndWait();
}

bool RunWorker::Start(std::function<void(SeriesObserver& observer)> work,
                      std::function<void()> done) {
    if (m_running) {
        return false;
    }
    if (m_thread.joinable()) {
        m_thread.join();  // the last work has ended: its done() ran
    }
    m_handled = std::make_shared<WorkerReports>();
    m_stop.store(false);
    m_running = true;
    m_thread = std::thread([this, work = std::move(work), done = std::move(done), alive = m_alive] {
        QueuedObserver observer(this, m_front, m_stop, alive, m_handled);
        work(observer);
        observer.Flush();
        // Queued after every report: the front has seen them all when `done` runs.
        QMetaObject::invokeMethod(
            this,
            [this, alive, done] {
                if (!alive->load()) {
                    return;
                }
                m_running = false;
                if (done) {
                    done();
                }
            },
            Qt::QueuedConnection);
    });
    return true;
}

void RunWorker::SetLockstep(bool lockstep) {
    g_lockstep.store(lockstep);
}

void RunWorker::RequestStop() {
    m_stop.store(true);
    // A worker waiting in lockstep for the window goes on to its check.
    std::lock_guard<std::mutex> lock(m_handled->mutex);
    m_handled->changed.notify_all();
}

void RunWorker::StopAndWait() {
    RequestStop();
    if (m_thread.joinable()) {
        m_thread.join();
    }
    if (m_running) {
        // The work ended, but its reports and its end are still queued: they are dropped.
        m_alive->store(false);
        m_alive = std::make_shared<std::atomic<bool>>(true);
        m_running = false;
    }
}

}  // namespace korvane
