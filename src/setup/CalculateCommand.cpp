#include "setup/CalculateCommand.h"

namespace korvane {

std::optional<UserMessage> MessageOfCalculation(const Status& status) {
    switch (status.code()) {
        case Status::Code::Ok:
            return UserMessage{"Calculation finished successfully.", "Information",
                               MessageIcon::Information};
        case Status::Code::Cancelled:
            return std::nullopt;
        case Status::Code::NothingMade:
            return UserMessage{status.message(), "No picture written", MessageIcon::Warning};
        case Status::Code::InvalidInput:
            return UserMessage{status.message(), "Invalid input!", MessageIcon::Stop};
        default:
            return UserMessage{status.message(), "Error", MessageIcon::Stop};
    }
}

CalculationOutcome Calculate(const DialogValues& values, int calculationMode, RunObserver& observer,
                             CalculationWorkspace& workspace) {
    if (calculationMode != SpatialResolvedMode && calculationMode != TimeResolvedMode) {
        Status none = Status::Internal("There is no calculation in this mode.");
        return {none, MessageOfCalculation(none)};
    }
    return Calculate(
        values,
        calculationMode == SpatialResolvedMode ? CalculationKind::Spatial : CalculationKind::Time,
        observer, workspace);
}

CalculationOutcome Calculate(const DialogValues& values, CalculationKind kind,
                             RunObserver& observer, CalculationWorkspace& workspace) {
    CalculationRequest request;
    Status status = ParseCalculation(values, kind, &request);
    if (status.ok()) {
        status = RunCalculation(request, observer, workspace);
    }
    std::optional<UserMessage> message = MessageOfCalculation(status);
    return {std::move(status), std::move(message)};
}

}  // namespace korvane
