#include "support/RecordingHost.h"

#include "setup/CalculateCommand.h"

namespace korvane::testing {

void RecordingHost::SetProgressRange(int lower, int upper) {
    rangeLower = lower;
    rangeUpper = upper;
    ++rangeCalls;
}

void RecordingHost::SetProgressPosition(int position) {
    positions.push_back(position);
}

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

void RecordingHost::Show(const std::optional<UserMessage>& message) {
    if (message) {
        MessageBoxA(message->text, message->caption, message->icon);
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
                                   RecordingHost& host, CalculationWorkspace& workspace) {
    const CalculationOutcome outcome =
        Calculate(values, calculationMode, host.Observer(), workspace);
    host.Show(outcome.message);
    return OutcomeOf(outcome.status);
}

bool InputPasses(const DialogValues& values, int calculationMode, RecordingHost& host) {
    const CalculationKind kind =
        calculationMode == SpatialResolvedMode ? CalculationKind::Spatial : CalculationKind::Time;
    CalculationRequest request;
    const Status status = ParseCalculation(values, kind, &request);
    if (!status.ok()) {
        host.Show(MessageOfCalculation(status));
    }
    return status.ok();
}

}  // namespace korvane::testing
