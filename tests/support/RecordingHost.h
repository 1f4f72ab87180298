#pragma once
// A Host for tests: records every progress call and message box, and can play the user who
// closes the window after picture n. It follows a series the way the front ends do, through
// a ProgressSeriesObserver, and keeps the trace lines the series sends.

#include <optional>
#include <string>
#include <vector>

#include "common/Host.h"
#include "common/Status.h"
#include "common/UserMessage.h"
#include "series/ProgressSeriesObserver.h"
#include "series/SeriesContext.h"
#include "setup/DialogValues.h"

namespace korvane::testing {

struct RecordedMessage {
    std::string text;
    std::string caption;
    MessageIcon icon;
};

class RecordingHost : public Host {
  public:
    RecordingHost() = default;
    // The observer refers to this host: a copy would report to the original.
    RecordingHost(const RecordingHost&) = delete;
    RecordingHost& operator=(const RecordingHost&) = delete;

    void SetProgressRange(int lower, int upper) override;
    void SetProgressPosition(int position) override;
    void DrainMessageQueue() override;
    bool CancelRequested() const override { return m_cancel; }
    void MessageBoxA(const std::string& text, const std::string& caption,
                     MessageIcon icon) override;

    // The observer a series reports to: progress, drains and cancel go to this host, trace
    // lines into `traces`.
    SeriesObserver& Observer() { return m_observer; }

    // Shows `message` in a box, as a front end does with a calculation's outcome; nothing
    // when there is none.
    void Show(const std::optional<UserMessage>& message);

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
    std::vector<std::string> traces;  // the series' diagnostic lines, in order

  private:
    ProgressSeriesObserver m_observer{*this,
                                      [this](const std::string& line) { traces.push_back(line); }};
};

// How a "Calculate!" command ended, as the tests tell the cases apart.
enum class CalculateOutcome {
    Finished,      // the series ran to its end
    Cancelled,     // the user closed the window during the series
    InvalidInput,  // an input test failed or the event file could not be used
    NothingMade,   // the series ran, but its range held no picture
    Failed         // anything else (a picture not written, no memory)
};

CalculateOutcome OutcomeOf(const Status& status);

// The whole "Calculate!" command as the Options dialog runs it: progress and cancel through
// `host`, and the box that comes back shown on `host`.
CalculateOutcome CalculateRecorded(const DialogValues& values, int calculationMode,
                                   RecordingHost& host, CalculationWorkspace& workspace);

// The input tests alone, as the command runs them first: true when they pass; otherwise
// the box of the first failure is shown on `host`.
bool InputPasses(const DialogValues& values, int calculationMode, RecordingHost& host);

}  // namespace korvane::testing
