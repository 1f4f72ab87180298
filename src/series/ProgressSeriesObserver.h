#pragma once
// A series observer for a front end that shows a progress bar: the bar runs from 0 to the
// number of pictures plus one and stands at n + 1 after picture n, as it always has.

#include <string>

#include "common/Host.h"
#include "common/Trace.h"
#include "series/SeriesObserver.h"

namespace korvane {

class ProgressSeriesObserver : public SeriesObserver {
  public:
    // `host` shows the progress and answers cancel; `trace` receives the trace lines.
    ProgressSeriesObserver(Host& host, TraceSink trace) : m_host(host), m_trace(std::move(trace)) {}

    void SeriesStarted(int lastPosition) override { m_host.SetProgressRange(0, lastPosition); }
    void PictureWritten(const WrittenPicture& picture) override {
        m_host.SetProgressPosition(picture.number + 1);
    }
    bool CancelRequested() override { return m_host.CancelRequested(); }
    void HandleWindowMessages() override { m_host.DrainMessageQueue(); }
    void Trace(const std::string& line) override {
        if (m_trace) {
            m_trace(line);
        }
    }

  private:
    Host& m_host;
    TraceSink m_trace;
};

}  // namespace korvane
