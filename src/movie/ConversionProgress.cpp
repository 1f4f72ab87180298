#include "movie/ConversionProgress.h"

namespace korvane {

int ProgressUpperBound(int frames) {
    return frames > MaxProgressPosition ? MaxProgressPosition : frames;
}

int ProgressPosition(int frame, int frames) {
    if (frames <= MaxProgressPosition) {
        return frame;
    }
    const long long span = MaxProgressPosition - 1;
    return 1 + static_cast<int>((static_cast<long long>(frame) - 1) * span / (frames - 1));
}

}  // namespace korvane
