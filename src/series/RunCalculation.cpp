#include "series/RunCalculation.h"

#include <new>
#include <opencv2/core.hpp>
#include <string>
#include <system_error>

#include "catalogue/CatalogueReader.h"
#include "density/DensityEstimate.h"
#include "density/PerspectiveMaximum.h"
#include "series/PerspectiveSeries.h"
#include "series/PlaneSeries.h"
#include "series/SeriesLoop.h"

namespace korvane {

namespace {

double EstimatedMaximum(SeriesContext& ctx) {
    RunObserver* const observer = &ctx.observer;
    observer->PhaseStarted(RunPhase::Estimating, ctx.events.count);
    const CalculationRequest& request = ctx.request;
    const ViewGeometry& view = ctx.geometry;
    if (request.direction == ViewDirection::Perspective) {
        // A spatial series has no slices in perspective (it refuses to run): nothing to
        // estimate.
        return request.kind == CalculationKind::Spatial
                   ? 0.0
                   : EstimatePerspectiveMaximum(ctx.events, PerspectiveBoxOf(request),
                                                request.weighting, request.cumulative, observer);
    }
    if (request.kind == CalculationKind::Spatial) {
        return EstimateSpatialMaximum(ctx.events, view.axes, view.radiusStep, view.depthRadiusStep,
                                      request.weighting, observer);
    }
    return EstimateTimeMaximum(ctx.events, view.axes, view.radiusStep, view.step,
                               request.cumulative, request.weighting, observer);
}

Status Calculate(const CalculationRequest& request, RunObserver& observer,
                 CalculationWorkspace& workspace) {
    // The event file passed the input tests, but it may have changed since, or not fit the
    // table: no series runs on a table that does not hold the file.
    // A row without the number its weight needs is skipped as it is read.
    CatalogueOptions reading = request.catalogue;
    reading.weights = request.output.eventWeights;
    const Status read = ReadEvents(request.eventFilePath, reading, workspace.events,
                                   &workspace.catalogue, EventMemoryBudget(), &observer);
    if (read.code() == Status::Code::Cancelled) {
        return read;
    }
    if (!read.ok()) {
        return Status::InvalidInput(read.message());
    }
    if (Status weighed =
            WeighEvents(request.output.eventWeights, request.eventFilePath, workspace.events);
        !weighed.ok()) {
        return weighed;
    }
    // The view's geometry is worked out here, once, with the context.
    SeriesContext context{observer, workspace.events, request, 0.0, workspace.series};
    context.catalogue = &workspace.catalogue;
    // A maximum from the series' own densities is found by the series, before its first
    // picture; the whole file's is estimated here.
    if (!MaximumFromSeries(request)) {
        context.densityMaximum = SelectDensityMaximum(request.fixedDensityMaximum.has_value(),
                                                      request.fixedDensityMaximum.value_or(0.0),
                                                      [&] { return EstimatedMaximum(context); });
    }
    // An estimate cut short by a stop is no maximum: nothing is drawn with it.
    if (observer.ShouldStop()) {
        return Status::Cancelled();
    }

    if (request.kind == CalculationKind::Spatial) {
        return RunSpatialSeries(context);
    }
    if (request.direction == ViewDirection::Perspective) {
        return RunPerspectiveSeries(context);
    }
    return RunTimeSeries(context);
}

constexpr const char* NoMemoryText =
    "Not enough memory for this calculation. Choose a smaller picture size or fewer events.";

}  // namespace

Status RunCalculation(const CalculationRequest& request, RunObserver& observer,
                      CalculationWorkspace& workspace) {
    try {
        return Calculate(request, observer, workspace);
    } catch (const std::bad_alloc&) {
        return Status::NoMemory(NoMemoryText);
    } catch (const cv::Exception& error) {
        return Status::Internal("The calculation stopped: " + error.msg);
    } catch (const std::system_error& error) {
        // The picture writer's thread cannot start: its stack does not fit the address space.
        if (error.code() == std::errc::resource_unavailable_try_again) {
            return Status::NoMemory(NoMemoryText);
        }
        return Status::Internal(std::string("The calculation stopped: ") + error.what());
    }
}

}  // namespace korvane
