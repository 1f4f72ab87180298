#include "setup/CalculateCommand.h"

#include <algorithm>

#include "catalogue/EventExtent.h"

namespace korvane {
namespace {

bool Inside(double value, const AxisRange& range) {
    return value >= std::min(range.min, range.max) && value <= std::max(range.min, range.max);
}

}  // namespace

std::optional<UserMessage> NoEventInsideWarning(const CalculationRequest& request,
                                                const EventTable& events,
                                                const CatalogueReport& report) {
    const bool timed = request.kind == CalculationKind::Time;
    for (int i = 0; i < events.count; ++i) {
        const EventRecord& row = events.rows[static_cast<std::size_t>(i)];
        if (Inside(row.x, request.box.x) && Inside(row.y, request.box.y) &&
            Inside(row.z, request.box.z) && (!timed || Inside(row.t, request.time))) {
            return std::nullopt;
        }
    }
    return UserMessage{
        "No event lies inside the ranges of this calculation, so the pictures "
        "are empty. The events span " +
            ExtentText(EventExtentOf(events), report) + ".",
        "No event inside the ranges", MessageIcon::Warning};
}

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
        return {none, MessageOfCalculation(none), std::nullopt};
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
    std::optional<UserMessage> warning;
    if (status.ok()) {
        warning = NoEventInsideWarning(request, workspace.events, workspace.catalogue);
    }
    return {std::move(status), std::move(message), std::move(warning)};
}

}  // namespace korvane
