#include "BatchHost.h"

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

}  // namespace

BatchHost::BatchHost(std::string unit, int positionOffset)
    : m_unit(std::move(unit)), m_offset(positionOffset), m_terminal(isatty(STDERR_FILENO) == 1) {}

void BatchHost::SetProgressRange(int /*lower*/, int upper) {
    m_upper = upper;
    if (m_terminal) {
        DrawBar(0, std::max(m_upper - m_offset, 0));  // an empty bar while the first is made
    }
}

void BatchHost::SetProgressPosition(int position) {
    const int done = position - m_offset;
    // The last picture may be one more than asked for when the steps do not add up exactly.
    const int total = std::max(m_upper - m_offset, done);
    if (m_terminal) {
        DrawBar(done, total);
        return;
    }
    WriteToStandardError(m_unit + " " + FormatInteger(done) + " of " + FormatInteger(total) + "\n");
}

void BatchHost::DrawBar(int done, int total) {
    const int filled = total > 0 ? static_cast<int>(static_cast<long long>(BarWidth) *
                                                    std::clamp(done, 0, total) / total)
                                 : BarWidth;
    std::string line = "\r[";
    line.append(static_cast<std::size_t>(filled), '#');
    line.append(static_cast<std::size_t>(BarWidth - filled), ' ');
    line += "] " + m_unit + " " + FormatInteger(done) + " of " + FormatInteger(total) + " ";
    WriteToStandardError(line);
    m_barDrawn = true;
}

bool BatchHost::CancelRequested() const {
    return InterruptRequested();
}

void BatchHost::MessageBoxA(const std::string& text, const std::string& caption,
                            MessageIcon /*icon*/) {
    FinishLine();
    WriteToStandardError(caption + ": " + text + "\n");
}

void BatchHost::FinishLine() {
    if (m_barDrawn) {
        WriteToStandardError("\n");
        m_barDrawn = false;
    }
}

}  // namespace korvane::batch
