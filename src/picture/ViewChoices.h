#pragma once
// How a plane picture is laid out besides its densities: which way depth runs, whether one
// unit has the same length across and up, whether the picture states its vertical
// exaggeration, and how its axes are ticked. Each has an automatic choice that a catalogue
// and a plain event file settle differently, so plain pictures stay as they always were.

#include <optional>
#include <string_view>

#include "common/Ranges.h"

namespace korvane {

// Which way depth (z) runs where it is the vertical axis of a picture.
enum class DepthAxis {
    Automatic,  // down for a catalogue whose z is depth, positive down; up otherwise
    Down,       // z grows downward: the shallowest events at the top
    Up          // z grows upward, as plain event files have always been drawn
};

// The tick marks and labels of a picture's axes.
enum class TickStyle {
    Automatic,  // round for a catalogue, classic for a plain event file
    Round,      // values on 1-2-5 steps, one number of decimals per axis, never touching
    Classic     // eleven ticks at tenths of the range, as always
};

// The note "V.E. 3.2x" where one unit is longer up than across (or shorter).
enum class ExaggerationNote {
    Automatic,  // for a catalogue, not for a plain event file
    Shown,
    Hidden
};

struct ViewChoices {
    DepthAxis depthAxis = DepthAxis::Automatic;
    // One unit the same length across and up: the raster keeps the width and height asked
    // as its largest size and shrinks along the shorter range.
    bool trueScale = false;
    ExaggerationNote exaggeration = ExaggerationNote::Automatic;
    TickStyle ticks = TickStyle::Automatic;

    bool operator==(const ViewChoices&) const = default;
};

std::string_view DepthAxisName(DepthAxis axis);  // "down", "up" ("" for automatic)
std::optional<DepthAxis> DepthAxisNamed(std::string_view name);
std::string_view TickStyleName(TickStyle style);  // "round", "classic"
std::optional<TickStyle> TickStyleNamed(std::string_view name);
std::string_view ExaggerationNoteName(ExaggerationNote note);  // "shown", "hidden"
std::optional<ExaggerationNote> ExaggerationNoteNamed(std::string_view name);

// The choices settled for one run.
struct ViewLook {
    bool depthDown = false;
    bool trueScale = false;
    bool exaggerationNote = false;
    bool roundTicks = false;
};

// Settles the automatic choices: `catalogue` when the events came from a catalogue, whose
// z is depth positive down when `catalogueDepthDown`.
ViewLook SettleView(const ViewChoices& choices, bool catalogue, bool catalogueDepthDown);

// The world units per pixel across and up that draw one unit the same length both ways,
// with the raster no wider than `width` and no higher than `height` pixels: the larger of
// the two ranges' units per pixel, on both axes. A range of no extent takes the other's.
PlaneScale TrueScaleOf(const PlaneRange& ranges, double width, double height);

// The vertical exaggeration of pixels of `scale`: how many times longer a unit is drawn up
// than across.
double VerticalExaggeration(const PlaneScale& scale);

}  // namespace korvane
