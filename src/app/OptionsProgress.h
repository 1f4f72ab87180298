#pragma once
// The Options dialog's progress during a series: the bar as always (0 to N + 1, at k + 1
// after picture k), with "picture k of N" on it and, from the second picture on, the time
// left; each picture is also passed on to a watcher (the main window's viewer).

#include <QElapsedTimer>
#include <string>

#include "series/ProgressSeriesObserver.h"

class QProgressBar;

namespace korvane {

// "picture 3 of 40", and ", about 1 min 5 s left" once `picture` >= 2 and pictures remain,
// reckoned from the `elapsedSeconds` the first `picture` pictures took.
std::string ProgressCaption(int picture, int pictures, double elapsedSeconds);

class OptionsProgressObserver : public ProgressSeriesObserver {
  public:
    // `watcher` (may be null) sees the series start and each picture.
    OptionsProgressObserver(Host& host, TraceSink trace, QProgressBar& bar,
                            SeriesObserver* watcher);

    void SeriesStarted(int lastPosition) override;
    void PictureWritten(const WrittenPicture& picture) override;
    void SeriesFinished(const SeriesSummary& summary) override;

  private:
    QProgressBar& m_bar;
    SeriesObserver* m_watcher;
    QElapsedTimer m_clock;
    int m_pictures = 0;
};

}  // namespace korvane
