#include "events/EventWeights.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

namespace korvane {

std::string_view EventWeightingName(EventWeighting weighting) {
    switch (weighting) {
        case EventWeighting::Value:
            return "value";
        case EventWeighting::Moment:
            return "moment";
        case EventWeighting::None:
            break;
    }
    return "none";
}

std::optional<EventWeighting> EventWeightingNamed(std::string_view name) {
    for (EventWeighting w : {EventWeighting::None, EventWeighting::Value, EventWeighting::Moment}) {
        if (name == EventWeightingName(w)) {
            return w;
        }
    }
    return std::nullopt;
}

Status WeighEvents(EventWeighting weighting, const std::string& path, EventTable& table) {
    table.weights.clear();
    if (weighting == EventWeighting::None || table.count == 0) {
        return Status::Ok();
    }
    const auto n = static_cast<std::size_t>(table.count);
    const std::string what = weighting == EventWeighting::Value ? "weight" : "magnitude";
    if (table.weightSource.size() < n) {
        return Status::InvalidInput(
            "The event file \"" + path + "\" has no " + what +
            " column (a fifth column, or a catalogue's " +
            (weighting == EventWeighting::Value ? "weight or magnitude" : "magnitude") +
            " column) to weigh its events by.");
    }
    double largest = -std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < n; ++i) {
        const double value = table.weightSource[i];
        if (!std::isfinite(value) || (weighting == EventWeighting::Value && value < 0.0)) {
            std::string message = "Event " + std::to_string(i + 1) + " of the event file \"";
            message += path;
            message += "\" has a ";
            message += what;
            message += " that cannot weigh it: weights must be numbers of at least 0.";
            return Status::InvalidInput(message);
        }
        largest = std::max(largest, value);
    }
    table.weights.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double value = table.weightSource[i];
        // Relative to the largest event, so the powers stay within double's range whatever
        // the magnitudes; pow(10, 0) is exactly 1.
        table.weights[i] =
            weighting == EventWeighting::Value ? value : std::pow(10.0, 1.5 * (value - largest));
    }
    return Status::Ok();
}

}  // namespace korvane
