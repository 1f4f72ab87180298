#include "support/RecordingObserver.h"

#include "setup/CalculateCommand.h"

namespace korvane::testing {

void RecordingObserver::PhaseStarted(RunPhase phase, long long total) {
    phases.emplace_back(phase, total);
    if (Counted()) {
        ++countedPhases;
        countedTotal = total;
    }
}

void RecordingObserver::Progress(long long done) {
    if (Counted()) {
        positions.push_back(static_cast<int>(done));
    }
}

bool RecordingObserver::ShouldStop() {
    ++stopChecks;
    return (stopAfter > 0 && static_cast<int>(positions.size()) >= stopAfter) ||
           (stopAtCheck > 0 && stopChecks >= stopAtCheck);
}

void RecordingObserver::Show(const std::optional<UserMessage>& message) {
    if (message) {
        Message(*message);
    }
}

CalculateOutcome OutcomeOf(const Status& status) {
    switch (status.code()) {
        case Status::Code::Ok:
            return CalculateOutcome::Finished;
        case Status::Code::Cancelled:
            return CalculateOutcome::Cancelled;
        case Status::Code::InvalidInput:
            return CalculateOutcome::InvalidInput;
        case Status::Code::NothingMade:
            return CalculateOutcome::NothingMade;
        default:
            return CalculateOutcome::Failed;
    }
}

CalculateOutcome CalculateRecorded(const DialogValues& values, int calculationMode,
                                   RecordingObserver& recorder, CalculationWorkspace& workspace) {
    const CalculationOutcome outcome = Calculate(values, calculationMode, recorder, workspace);
    recorder.Show(outcome.message);
    return OutcomeOf(outcome.status);
}

bool InputPasses(const DialogValues& values, int calculationMode, RecordingObserver& recorder) {
    const CalculationKind kind =
        calculationMode == SpatialResolvedMode ? CalculationKind::Spatial : CalculationKind::Time;
    CalculationRequest request;
    const Status status = ParseCalculation(values, kind, &request);
    if (!status.ok()) {
        recorder.Show(MessageOfCalculation(status));
    }
    return status.ok();
}

}  // namespace korvane::testing
