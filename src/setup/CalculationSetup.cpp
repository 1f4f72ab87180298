#include "setup/CalculationSetup.h"

namespace korvane {

double ScaleOrStep(double low, double high, double divisor) {
    if (high == low) {
        return 1000.0;
    }
    return (high - low) / divisor;
}

}  // namespace korvane
