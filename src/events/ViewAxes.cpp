#include "events/ViewAxes.h"

namespace korvane {

AxisMap ViewAxes(ViewDirection direction) {
    switch (direction) {
        case ViewDirection::AlongX:
            return {1, 2, 0};
        case ViewDirection::AlongY:
            return {0, 2, 1};
        default:
            return {0, 1, 2};
    }
}

}  // namespace korvane
