#pragma once
// Long work (a calculation, a movie) on a worker thread, followed by a window that never
// waits for it: what the work tells its observer reaches `front`, an observer that lives
// on the window's thread, through the window's event loop; the stop is a flag the work asks
// without waiting for the window. One piece of work at a time.

#include <QObject>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "series/SeriesObserver.h"

namespace korvane {

struct WorkerReports;

class RunWorker : public QObject {
    Q_OBJECT
  public:
    // `front` receives the work's reports on this object's thread; it must outlive this.
    explicit RunWorker(RunObserver& front, QObject* parent = nullptr);
    // Stops the work still running and waits for it.
    ~RunWorker() override;

    // Starts `work` on the worker (a series run tells its pictures too, which reach a
    // `front` that is a SeriesObserver); `done` runs afterwards on this object's thread, once every
    // report has reached `front`. False, and nothing starts, while work is running.
    bool Start(std::function<void(SeriesObserver& observer)> work, std::function<void()> done);

    // Asks the work to stop at its next check (any thread).
    void RequestStop();
    bool StopRequested() const { return m_stop.load(); }
    bool IsRunning() const { return m_running; }

    // Stops the work and waits until it has ended (quitting); its reports are dropped.
    void StopAndWait();

    // For tests that act on a given report: every worker's report then waits until the
    // window has handled it (or a stop is asked), so the work runs in step with the window.
    static void SetLockstep(bool lockstep);

  private:
    RunObserver& m_front;
    std::atomic<bool> m_stop{false};
    bool m_running = false;
    std::thread m_thread;
    // Reports still queued for `front` after StopAndWait are dropped: the flag tells them.
    std::shared_ptr<std::atomic<bool>> m_alive = std::make_shared<std::atomic<bool>>(true);
    std::shared_ptr<WorkerReports> m_handled;  // the lockstep's count, per piece of work
};

}  // namespace korvane
