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

std::optional<CalculationKind> KindOfMode(int calculationMode) {
    if (calculationMode == SpatialResolvedMode) {
        return CalculationKind::Spatial;
    }
    if (calculationMode == TimeResolvedMode) {
        return CalculationKind::Time;
    }
    return std::nullopt;
}

CalculationOutcome Calculate(const DialogValues& values, int calculationMode,
                             SeriesObserver& observer, CalculationWorkspace& workspace) {
    const std::optional<CalculationKind> kind = KindOfMode(calculationMode);
    if (!kind) {
        Status none = Status::Internal("There is no calculation in this mode.");
        return {none, MessageOfCalculation(none)};
    }
    return Calculate(values, *kind, observer, workspace);
}

namespace {

// Runs the request of a setup that passed its tests, and the box to show after.
CalculationOutcome RunParsed(Status status, const CalculationRequest& request,
                             SeriesObserver& observer, CalculationWorkspace& workspace) {
    if (status.ok()) {
        status = RunCalculation(request, observer, workspace);
    }
    std::optional<UserMessage> message = MessageOfCalculation(status);
    return {std::move(status), std::move(message)};
}

}  // namespace

CalculationOutcome Calculate(const DialogValues& values, CalculationKind kind,
                             SeriesObserver& observer, CalculationWorkspace& workspace) {
    CalculationRequest request;
    Status status = ParseCalculation(values, kind, &request);
    return RunParsed(std::move(status), request, observer, workspace);
}

CalculationOutcome Calculate(const CalculationSetup& setup, CalculationKind kind,
                             SeriesObserver& observer, CalculationWorkspace& workspace) {
    CalculationRequest request;
    Status status = ParseCalculation(setup, kind, &request);
    return RunParsed(std::move(status), request, observer, workspace);
}

}  // namespace korvane
