#include "setup/CalculationSetup.h"

namespace korvane {

AxisMap ViewAxes(int direction) {
    switch (direction) {
        case 0: return {1, 2, 0};
        case 1: return {0, 2, 1};
        default: return {0, 1, 2};
    }
}

double ScaleOrStep(double low, double high, double divisor) {
    if (high == low) {
        return 1000.0;
    }
    return (high - low) / divisor;
}

}  // namespace korvane
