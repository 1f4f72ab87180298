#include "TerminalObserver.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "Interrupt.h"
#include "common/NumberText.h"

namespace korvane::batch {
namespace {

constexpr int BarWidth = 40;

void WriteToStandardError(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

// What the progress counts, one by one: "picture", "frame"; empty for the phases measured
// in bytes or events, which only a terminal's bar shows.
const char* CountedUnit(RunPhase phase) {
    switch (phase) {
        case RunPhase::Pictures:
            return "picture";
        case RunPhase::Frames:
            return "frame";
        default:
            return "";
    }
}

const char* PhaseWord(RunPhase phase) {
    switch (phase) {
        case RunPhase::Reading:
            return "reading the events";
        case RunPhase::Sorting:
            return "sorting the events";
        default:
            return "estimating the maximum";
    }
}

}  // namespace

TerminalObserver::TerminalObserver(TraceSink trace)
    : m_trace(std::move(trace)), m_terminal(isatty(STDERR_FILENO) == 1) {}

void TerminalObserver::PhaseStarted(RunPhase phase, long long total) {
    m_phase = phase;
    m_total = std::max(total, 0LL);
    m_percent = -1;
    if (m_terminal) {
        Progress(0);  // an empty bar while the first unit is done
    }
}

void TerminalObserver::Progress(long long done) {
    const std::string unit = CountedUnit(m_phase);
    if (unit.empty()) {
        if (!m_terminal) {
            return;
        }
        const int percent =
            m_total > 0 ? static_cast<int>(100 * std::clamp(done, 0LL, m_total) / m_total) : 0;
        if (percent != m_percent) {
            m_percent = percent;
            DrawBar(percent, 100,
                    std::string(PhaseWord(m_phase)) +
                        (m_total > 0 ? " " + FormatInteger(percent) + " %" : std::string()));
        }
        return;
    }
    // The last picture may be one more than asked for when the steps do not add up exactly.
    const long long total = std::max(m_total, done);
    const std::string text = unit + " " + FormatInteger(static_cast<double>(done)) + " of " +
                             FormatInteger(static_cast<double>(total));
    if (m_terminal) {
        DrawBar(done, total, text);
        return;
    }
    if (done > 0) {
        WriteToStandardError(text + "\n");
    }
}

void TerminalObserver::DrawBar(long long done, long long total, const std::string& text) {
    const int filled =
        total > 0 ? static_cast<int>(BarWidth * std::clamp(done, 0LL, total) / total) : BarWidth;
    std::string line = "\r[";
    line.append(static_cast<std::size_t>(filled), '#');
    line.append(static_cast<std::size_t>(BarWidth - filled), ' ');
    line += "] " + text + " ";
    const std::size_t length = line.size();
    // Blanks over the rest of a longer line drawn before.
    line.append(m_lineLength > length ? m_lineLength - length : 0, ' ');
    m_lineLength = length;
    WriteToStandardError(line);
    m_barDrawn = true;
}

bool TerminalObserver::ShouldStop() {
    return InterruptRequested();
}

void TerminalObserver::Message(const UserMessage& message) {
    FinishLine();
    WriteToStandardError(message.caption + ": " + message.text + "\n");
}

void TerminalObserver::Trace(const std::string& line) {
    if (m_trace) {
        m_trace(line);
    }
}

void TerminalObserver::FinishLine() {
    if (m_barDrawn) {
        WriteToStandardError("\n");
        m_barDrawn = false;
        m_lineLength = 0;
    }
}

}  // namespace korvane::batch
