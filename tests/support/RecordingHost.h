#pragma once
// A Host for tests: records every progress call and message box, and can play the user who
// closes the window after picture n.

#include <string>
#include <vector>

#include "common/Host.h"

namespace korvane::testing {

struct RecordedMessage {
    std::string text;
    std::string caption;
    MessageIcon icon;
};

class RecordingHost : public Host {
public:
    void SetProgressRange(int lower, int upper) override;
    void SetProgressPosition(int position) override;
    void DrainMessageQueue() override;
    bool CancelRequested() const override { return m_cancel; }
    void MessageBoxA(const std::string& text, const std::string& caption,
                     MessageIcon icon) override;

    // The user closes the window during the drain that follows the n-th progress position
    // (that is, after picture n is written); 0 never.
    int cancelAfterDrain = 0;

    bool m_cancel = false;
    int rangeLower = 0;
    int rangeUpper = 0;
    int rangeCalls = 0;
    std::vector<int> positions;
    int drains = 0;
    std::vector<RecordedMessage> messages;
};

}  // namespace korvane::testing
