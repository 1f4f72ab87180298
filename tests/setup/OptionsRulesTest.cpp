#include <gtest/gtest.h>

#include <array>
#include <optional>

#include "setup/CalculateCommand.h"
#include "setup/OptionsRules.h"

namespace korvane {
namespace {

using Ranges = std::optional<std::array<bool, 3>>;

constexpr CalculationKind Spatial = CalculationKind::Spatial;
constexpr CalculationKind Time = CalculationKind::Time;

TEST(OptionsEnables, RangeGroupsFollowTheModeAndTheDirection) {
    const struct {
        CalculationKind mode;
        int direction;
        Ranges expected;
    } cases[] = {
        // A spatial series steps through the viewing axis' range: every range is used.
        {Spatial, 0, std::array{true, true, true}},
        {Spatial, 1, std::array{true, true, true}},
        {Spatial, 2, std::array{true, true, true}},
        {Spatial, 3, std::array{true, true, true}},
        // A time series projects along the viewing axis: that range is greyed.
        {Time, 0, std::array{false, true, true}},
        {Time, 1, std::array{true, false, true}},
        {Time, 2, std::array{true, true, false}},
        {Time, 3, std::array{true, true, true}},
        // No direction selected (none, or a value outside the group): the groups keep
        // whatever state they had.
        {Time, -1, std::nullopt},
        {Time, 4, std::nullopt},
        {Spatial, -7, std::nullopt},
        // A cross-section spans x and y by its line, and z by its depth range.
        {Spatial, 4, std::array{false, false, true}},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(testing::Message()
                     << "mode " << static_cast<int>(row.mode) << " direction " << row.direction);
        EXPECT_EQ(OptionsEnablesFor({row.mode, row.direction, 0, 0}).ranges, row.expected);
    }
}

TEST(OptionsEnables, TheModeDecidesThePerspectiveButtonAndTheTimeScale) {
    for (int direction : {-1, 0, 3}) {
        const OptionsEnables spatial = OptionsEnablesFor({Spatial, direction, 1, 1});
        EXPECT_FALSE(spatial.perspective);
        EXPECT_FALSE(spatial.timeScale);
        const OptionsEnables time = OptionsEnablesFor({Time, direction, 0, 0});
        EXPECT_TRUE(time.perspective);
        EXPECT_TRUE(time.timeScale);
    }
}

TEST(OptionsEnables, ADirectionTheCalculationCannotUseGivesWayToTheFirstItCan) {
    const struct {
        CalculationKind kind;
        int direction, shown;
    } cases[] = {
        {Spatial, 3, 0},  // a spatial series has no perspective view
        {Spatial, 0, 0}, {Spatial, 2, 2},   {Time, 3, 3},
        {Time, 1, 1},    {Spatial, -1, -1},  // none chosen: "Calculate!" says so
        {Spatial, 4, 4}, {Time, 4, 0},       // a time series has no section
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(row.kind) << " " << row.direction);
        EXPECT_EQ(UsableDirection(row.kind, row.direction), row.shown);
    }
}

TEST(OptionsEnables, OnlyACheckedStateUnlocksTheSizeAndDensityBoxes) {
    const struct {
        int state;
        bool enabled;
    } cases[] = {{0, false}, {1, true}, {2, false}, {-1, false}};
    for (const auto& row : cases) {
        SCOPED_TRACE(row.state);
        const OptionsEnables size = OptionsEnablesFor({Time, 0, row.state, 0});
        EXPECT_EQ(size.pictureSize, row.enabled);
        EXPECT_FALSE(size.densityMaximum);
        const OptionsEnables density = OptionsEnablesFor({Spatial, 2, 0, row.state});
        EXPECT_EQ(density.densityMaximum, row.enabled);
        EXPECT_FALSE(density.pictureSize);
    }
}

}  // namespace
}  // namespace korvane
