#include "series/SeriesContext.h"

#include "events/EventOrdering.h"

namespace korvane {

ViewGeometry ViewGeometryOf(const CalculationRequest& request) {
    ViewGeometry view;
    view.axes = ViewAxes(request.direction);
    view.ranges = {request.box.Column(view.axes.horizontal),
                   request.box.Column(view.axes.vertical)};
    view.scale = {ScaleOrStep(view.ranges.horizontal, request.pictureWidth),
                  ScaleOrStep(view.ranges.vertical, request.pictureHeight)};
    view.positions = request.kind == CalculationKind::Spatial ? request.box.Column(view.axes.depth)
                                                              : request.time;
    view.step = ScaleOrStep(view.positions, request.numberOfPictures);
    const RadiusUnit unit = request.output.radiusUnit;
    view.radiusStep = {RadiusStep(unit, view.scale.horizontal),
                       RadiusStep(unit, view.scale.vertical)};
    view.depthRadiusStep = RadiusStep(unit, view.step);
    return view;
}

Status SortEventsAsPhase(SeriesContext& ctx, int column) {
    ctx.observer.PhaseStarted(RunPhase::Sorting, 0);
    if (ctx.observer.ShouldStop()) {
        return Status::Cancelled();
    }
    SortEventsByColumn(ctx.events, column);
    return ctx.observer.ShouldStop() ? Status::Cancelled() : Status::Ok();
}

}  // namespace korvane
