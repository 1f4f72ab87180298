#include "density/SectionFrame.h"

#include <cmath>
#include <string>

#include "common/NumberText.h"

namespace korvane {

namespace {

std::string PointText(double x, double y) {
    return "(" + FormatShortest(x) + ", " + FormatShortest(y) + ")";
}

}  // namespace

Status MakeSectionFrame(const SectionLine& line, SectionFrame& frame) {
    const std::string ends =
        "A " + PointText(line.fromX, line.fromY) + " and B " + PointText(line.toX, line.toY);
    if (!std::isfinite(line.fromX) || !std::isfinite(line.fromY) || !std::isfinite(line.toX) ||
        !std::isfinite(line.toY)) {
        return Status::InvalidInput("The ends of the section, " + ends +
                                    ", must be finite numbers.");
    }
    const double dx = line.toX - line.fromX;
    const double dy = line.toY - line.fromY;
    const double length = std::hypot(dx, dy);
    // A difference that overflows or vanishes gives no direction.
    if (!(length > 0) || !std::isfinite(length)) {
        return Status::InvalidInput("The section needs two different end points: " + ends +
                                    (length > 0 ? " lie too far apart." : " are the same point."));
    }
    frame.originX = line.fromX;
    frame.originY = line.fromY;
    frame.alongX = dx / length;
    frame.alongY = dy / length;
    frame.length = length;
    return Status::Ok();
}

void PlaceInSectionFrame(const SectionFrame& frame, EventTable& table) {
    for (int i = 0; i < table.count; ++i) {
        EventRecord& e = table.rows[static_cast<std::size_t>(i)];
        const double along = frame.Along(e.x, e.y);
        const double across = frame.Across(e.x, e.y);
        e.x = along;
        e.y = across;
    }
}

}  // namespace korvane
