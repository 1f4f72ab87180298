#pragma once
// The window of korvane-batch is its standard error: progress as one line per picture (or
// one bar redrawn in place on a terminal), message boxes as "caption: text", and Ctrl-C as
// the user closing the window.

#include <string>

#include "common/Host.h"

namespace korvane::batch {

class BatchHost : public Host {
  public:
    // `unit` names what the progress counts ("picture", "frame"). A calculation sets the
    // range 0..N+1 and the position k+1 after picture k (`positionOffset` 1); the movie
    // conversion sets 1..N and j after frame j (`positionOffset` 0).
    BatchHost(std::string unit, int positionOffset);

    void SetProgressRange(int lower, int upper) override;
    void SetProgressPosition(int position) override;
    void DrainMessageQueue() override {}
    bool CancelRequested() const override;
    void MessageBoxA(const std::string& text, const std::string& caption,
                     MessageIcon icon) override;

    // Ends a bar that is still drawn, so the next text starts on a line of its own.
    void FinishLine();

  private:
    void DrawBar(int done, int total);

    std::string m_unit;
    int m_offset;
    int m_upper = 0;
    bool m_terminal;
    bool m_barDrawn = false;
};

}  // namespace korvane::batch
