#pragma once
// A SeriesObserver for tests: records every phase, every picture or frame counted and every
// message, keeps the trace lines, and can play the user who asks to stop after picture n.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/Status.h"
#include "common/UserMessage.h"
#include "series/SeriesContext.h"
#include "series/SeriesObserver.h"
#include "setup/DialogValues.h"

namespace korvane::testing {

using RecordedMessage = UserMessage;

class RecordingObserver : public SeriesObserver {
  public:
    void PhaseStarted(RunPhase phase, long long total) override;
    void Progress(long long done) override;
    bool ShouldStop() override;
    void Message(const UserMessage& message) override { messages.push_back(message); }
    void Trace(const std::string& line) override { traces.push_back(line); }

    // Shows `message`, as a front end does with a calculation's outcome; nothing when there
    // is none.
    void Show(const std::optional<UserMessage>& message);

    // The user asks to stop once picture (or frame) n is counted; 0 never.
    int stopAfter = 0;
    // Or at the n-th question whether to stop, in whatever phase (0: never).
    int stopAtCheck = 0;

    std::vector<std::pair<RunPhase, long long>> phases;  // as started, with their totals
    int countedPhases = 0;                               // picture or frame phases started
    long long countedTotal = 0;                          // the total of the last of them
    std::vector<int> positions;                          // the pictures or frames counted, in order
    int stopChecks = 0;                                  // questions whether to stop
    std::vector<RecordedMessage> messages;
    std::vector<std::string> traces;  // the series' diagnostic lines, in order

  private:
    bool Counted() const {
        return !phases.empty() && (phases.back().first == RunPhase::Pictures ||
                                   phases.back().first == RunPhase::Frames);
    }
};

// How a "Calculate!" command ended, as the tests tell the cases apart.
enum class CalculateOutcome {
    Finished,      // the series ran to its end
    Cancelled,     // the user asked to stop during the run
    InvalidInput,  // an input test failed or the event file could not be used
    NothingMade,   // the series ran, but its range held no picture
    Failed         // anything else (a picture not written, no memory)
};

CalculateOutcome OutcomeOf(const Status& status);

// The whole "Calculate!" command as the Options dialog runs it: progress and stop through
// `recorder`, and the box that comes back shown on it.
CalculateOutcome CalculateRecorded(const DialogValues& values, int calculationMode,
                                   RecordingObserver& recorder, CalculationWorkspace& workspace);

// The input tests alone, as the command runs them first: true when they pass; otherwise
// the box of the first failure is shown on `recorder`.
bool InputPasses(const DialogValues& values, int calculationMode, RecordingObserver& recorder);

}  // namespace korvane::testing
