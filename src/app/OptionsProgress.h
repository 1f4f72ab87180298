#pragma once
// The Options dialog's progress during a run: the bar moves in every phase, and during the
// series shows "picture k of N" and, from the second picture on, the time left.

#include <QElapsedTimer>
#include <string>

#include "series/SeriesObserver.h"
#include "series/SeriesResults.h"

class QProgressBar;

namespace korvane {

// "picture 3 of 40", and ", about 1 min 5 s left" once `picture` >= 2 and pictures remain,
// reckoned from the `elapsedSeconds` the first `picture` pictures took.
std::string ProgressCaption(int picture, int pictures, double elapsedSeconds);

// The Options dialog's side of a run, on the window's thread: the bar in every phase
// ("reading the events", "sorting the events", "estimating the maximum", then "picture k of
// N" at k of N), and each report passed on to a watcher (the main window's viewer). The
// stop is the worker's to answer.
class OptionsProgressObserver : public SeriesObserver {
  public:
    // The bar it moves; set before the first report.
    void SetBar(QProgressBar& bar) { m_bar = &bar; }

    // Sees each report after the bar (may be null).
    void SetWatcher(SeriesObserver* watcher) { m_watcher = watcher; }

    void PhaseStarted(RunPhase phase, long long total) override;
    void Progress(long long done) override;
    bool ShouldStop() override { return false; }
    void Trace(const std::string& line) override;
    void PictureWritten(const WrittenPicture& picture) override;
    void SeriesFinished(const SeriesSummary& summary) override;

  private:
    QProgressBar* m_bar = nullptr;
    SeriesObserver* m_watcher = nullptr;
    QElapsedTimer m_clock;
    RunPhase m_phase = RunPhase::Reading;
    long long m_total = 0;
};

}  // namespace korvane
