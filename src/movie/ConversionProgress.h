#pragma once
// Where the progress bar stands after a frame of a movie conversion.

namespace korvane {

// The progress bar holds 16-bit positions; longer conversions are scaled onto it.
constexpr int MaxProgressPosition = 65535;

// The upper end of the progress range for a movie of `frames` frames (the lower end is 1).
int ProgressUpperBound(int frames);

// The position after frame `frame` of `frames` (both from 1): the frame itself, or, for more
// than MaxProgressPosition frames, scaled so that frame 1 is 1 and the last frame the top.
int ProgressPosition(int frame, int frames);

}  // namespace korvane
