#include "setup/FitToEvents.h"

#include <array>
#include <cmath>

#include "catalogue/EventExtent.h"
#include "common/NumberText.h"

namespace korvane {
namespace {

std::string BoxText(double value, bool upper) {
    const double rounded =
        upper ? std::ceil(value * 1000.0) / 1000.0 : std::floor(value * 1000.0) / 1000.0;
    return FormatFixed(rounded, 3);
}

}  // namespace

std::string FitRangesToEvents(DialogValues& values, RunObserver* observer) {
    EventTable table;
    CatalogueReport report;
    const Status read = ReadEvents(values.eventFilePath, values.catalogue, table, &report,
                                   EventMemoryBudget(), observer);
    if (!read.ok()) {
        return read.code() == Status::Code::Cancelled ? std::string() : read.message();
    }
    const std::array<AxisRange, 4> extent = EventExtentOf(table);
    std::string* boxes[4][2] = {{&values.xMin, &values.xMax},
                                {&values.yMin, &values.yMax},
                                {&values.zMin, &values.zMax},
                                {&values.timeStart, &values.timeEnd}};
    for (std::size_t column = 0; column < 4; ++column) {
        const AxisRange range = WithMargin(extent[column]);
        *boxes[column][0] = BoxText(range.min, false);
        *boxes[column][1] = BoxText(range.max, true);
    }
    return {};
}

}  // namespace korvane
