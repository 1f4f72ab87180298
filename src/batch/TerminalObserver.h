#pragma once
// korvane-batch follows its work on standard error: one line per picture or frame (or one
// bar redrawn in place on a terminal, which also shows the reading, sorting and estimating
// before the first picture), messages as "caption: text", and Ctrl-C as the request to stop.

#include <string>

#include "common/Trace.h"
#include "series/SeriesObserver.h"

namespace korvane::batch {

class TerminalObserver : public SeriesObserver {
  public:
    // `trace` (may be empty) receives the engine's trace lines.
    explicit TerminalObserver(TraceSink trace = nullptr);

    void PhaseStarted(RunPhase phase, long long total) override;
    void Progress(long long done) override;
    bool ShouldStop() override;
    void Message(const UserMessage& message) override;
    void Trace(const std::string& line) override;

    // Ends a bar that is still drawn, so the next text starts on a line of its own.
    void FinishLine();

  private:
    void DrawBar(long long done, long long total, const std::string& text);

    TraceSink m_trace;
    RunPhase m_phase = RunPhase::Reading;
    long long m_total = 0;
    int m_percent = -1;  // of a reading or estimating phase as last drawn
    bool m_terminal;
    bool m_barDrawn = false;
    std::size_t m_lineLength = 0;  // of the bar as last drawn
};

}  // namespace korvane::batch
