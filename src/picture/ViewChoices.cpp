#include "picture/ViewChoices.h"

#include <algorithm>

namespace korvane {

namespace {

template <typename Enum, std::size_t N>
std::optional<Enum> Named(std::string_view name, const Enum (&all)[N],
                          std::string_view (*nameOf)(Enum)) {
    for (Enum value : all) {
        if (!name.empty() && name == nameOf(value)) {
            return value;
        }
    }
    return std::nullopt;
}

constexpr DepthAxis DepthAxes[] = {DepthAxis::Down, DepthAxis::Up};
constexpr TickStyle TickStyles[] = {TickStyle::Round, TickStyle::Classic};
constexpr ExaggerationNote Notes[] = {ExaggerationNote::Shown, ExaggerationNote::Hidden};

}  // namespace

std::string_view DepthAxisName(DepthAxis axis) {
    return axis == DepthAxis::Down ? "down" : axis == DepthAxis::Up ? "up" : "";
}

std::optional<DepthAxis> DepthAxisNamed(std::string_view name) {
    return Named(name, DepthAxes, DepthAxisName);
}

std::string_view TickStyleName(TickStyle style) {
    return style == TickStyle::Round ? "round" : style == TickStyle::Classic ? "classic" : "";
}

std::optional<TickStyle> TickStyleNamed(std::string_view name) {
    return Named(name, TickStyles, TickStyleName);
}

std::string_view ExaggerationNoteName(ExaggerationNote note) {
    return note == ExaggerationNote::Shown    ? "shown"
           : note == ExaggerationNote::Hidden ? "hidden"
                                              : "";
}

std::optional<ExaggerationNote> ExaggerationNoteNamed(std::string_view name) {
    return Named(name, Notes, ExaggerationNoteName);
}

ViewLook SettleView(const ViewChoices& choices, bool catalogue, bool catalogueDepthDown) {
    ViewLook look;
    look.depthDown = choices.depthAxis == DepthAxis::Automatic
                         ? catalogue && catalogueDepthDown
                         : choices.depthAxis == DepthAxis::Down;
    look.trueScale = choices.trueScale;
    look.exaggerationNote = choices.exaggeration == ExaggerationNote::Automatic
                                ? catalogue
                                : choices.exaggeration == ExaggerationNote::Shown;
    look.roundTicks =
        choices.ticks == TickStyle::Automatic ? catalogue : choices.ticks == TickStyle::Round;
    return look;
}

PlaneScale TrueScaleOf(const PlaneRange& ranges, double width, double height) {
    const PlaneScale apart{ScaleOrStep(ranges.horizontal, width),
                           ScaleOrStep(ranges.vertical, height)};
    const bool across = ranges.horizontal.max != ranges.horizontal.min;
    const bool up = ranges.vertical.max != ranges.vertical.min;
    if (across && up) {
        const double common = std::max(apart.horizontal, apart.vertical);
        return {common, common};
    }
    if (across) {
        return {apart.horizontal, apart.horizontal};
    }
    if (up) {
        return {apart.vertical, apart.vertical};
    }
    return apart;
}

double VerticalExaggeration(const PlaneScale& scale) {
    return scale.horizontal / scale.vertical;
}

}  // namespace korvane
