#include "support/RecordingHost.h"

namespace korvane::testing {

void RecordingHost::SetProgressRange(int lower, int upper) {
    rangeLower = lower;
    rangeUpper = upper;
    ++rangeCalls;
}

void RecordingHost::SetProgressPosition(int position) { positions.push_back(position); }

void RecordingHost::DrainMessageQueue() {
    ++drains;
    if (cancelAfterDrain > 0 && drains >= cancelAfterDrain) {
        m_cancel = true;
    }
}

void RecordingHost::MessageBoxA(const std::string& text, const std::string& caption,
                                MessageIcon icon) {
    messages.push_back({text, caption, icon});
}

}  // namespace korvane::testing
