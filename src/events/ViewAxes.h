#pragma once
// The directions of view and the event columns each puts across, up and in depth.

namespace korvane {

// Along x: y across, z up; along y: x across, z up; along z: x across, y up. Perspective
// turns the whole box (see density/PerspectiveFrame.h). The values are those stored in
// setup files.
enum class ViewDirection { AlongX = 0, AlongY = 1, AlongZ = 2, Perspective = 3 };

// Event columns: 0 x, 1 y, 2 z, 3 t.
constexpr int TimeColumn = 3;

// Which event columns a direction of view along an axis puts across, up and in depth.
struct AxisMap {
    int horizontal;
    int vertical;
    int depth;
};

// Only for the three directions along an axis.
AxisMap ViewAxes(ViewDirection direction);

}  // namespace korvane
