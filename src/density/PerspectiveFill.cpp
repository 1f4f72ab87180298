#include "density/PerspectiveFill.h"

#include <algorithm>

#include "density/Distance.h"

namespace korvane {

void PreparePerspectiveFill(const PerspectiveFrame& frame, PerspectiveFillWork& work) {
    const int W = std::max(frame.width, 0);
    const int H = std::max(frame.height, 0);
    work.columnU.resize(static_cast<std::size_t>(W));
    for (int i = 0; i < W; ++i) {
        work.columnU[static_cast<std::size_t>(i)] = static_cast<double>(frame.uMin) + i * frame.du;
    }
    // Row k from the top sits at wMax - k dw; the fill counts rows from the bottom.
    work.rowW.resize(static_cast<std::size_t>(H));
    for (int k = 0; k < H; ++k) {
        work.rowW[static_cast<std::size_t>(H - 1 - k)] =
            static_cast<double>(frame.wMax) - k * frame.dw;
    }
    work.columnsOrdered = PositionsOrdered(work.columnU);
    work.rowsOrdered = PositionsOrdered(work.rowW);
}

void ComputePerspectiveDensities(const PerspectiveFrame& frame, const PerspectiveWindow& window,
                                 PerspectiveFillWork& work) {
    DensityField& field = work.field;
    // The kept events are in time order; the scan of a pixel stops at the first one that is
    // not before the window's end, and counts those inside the window.
    field.points.clear();
    for (const ProjectedEvent& e : frame.kept) {
        if (!(e.t < window.end)) {
            break;
        }
        if (InPerspectiveWindow(e.t, window)) {
            field.points.push_back({e.u, e.w, e.weight});
        }
    }
    const FillAxis columns{&work.columnU,
                           work.columnsOrdered,
                           BoxHalfWidth(window.weighting.radius, frame.radiusStep.horizontal),
                           false,
                           frame.radiusStep.horizontal,
                           frame.du};
    const FillAxis rows{&work.rowW,
                        work.rowsOrdered,
                        BoxHalfWidth(window.weighting.radius, frame.radiusStep.vertical),
                        false,
                        frame.radiusStep.vertical,
                        frame.dw};
    field.weighted = frame.weighted;
    FillBoxes(columns, rows, window.weighting, field);
}

}  // namespace korvane
