#pragma once
// Random event clouds for the engine tests and benchmarks: uniform, clustered, with
// duplicated events and with coordinates snapped to a lattice, so events fall exactly on
// pixel positions and box edges.

#include <algorithm>
#include <random>

#include "events/EventTable.h"

namespace korvane::testing {

// The lines of a small event file: seven events in the box 0..10 on every axis, times
// 0..10 s, two pairs of them close together.
inline constexpr const char* SmallCloud =
    "1.0\t1.0\t1.0\t0.5\n"
    "2.0\t2.5\t3.0\t1.5\n"
    "2.2\t2.4\t3.1\t1.6\n"
    "5.0\t5.0\t5.0\t4.5\n"
    "5.1\t5.2\t4.9\t4.6\n"
    "7.5\t2.0\t8.0\t7.0\n"
    "9.0\t9.0\t9.0\t9.5\n";

enum class CloudShape { Uniform, Clustered, Duplicated, Lattice };

struct CloudRecipe {
    CloudShape shape = CloudShape::Uniform;
    int count = 200;
    double low = 0.0;  // every coordinate starts in [low, high]
    double high = 10.0;
    double timeLow = 0.0;
    double timeHigh = 10.0;
    double lattice = 0.25;  // Lattice: coordinates are multiples of this
    unsigned seed = 1;
};

inline EventTable MakeCloud(const CloudRecipe& recipe) {
    std::mt19937_64 random(recipe.seed);
    std::uniform_real_distribution<double> across(recipe.low, recipe.high);
    std::uniform_real_distribution<double> when(recipe.timeLow, recipe.timeHigh);
    EventTable table;
    table.count = std::min(recipe.count, InitialEventRows);
    const double span = recipe.high - recipe.low;
    std::vector<EventRecord> centres(6);
    for (EventRecord& c : centres) {
        c = {across(random), across(random), across(random), when(random)};
    }
    std::normal_distribution<double> spread(0.0, span / 40.0);
    std::uniform_int_distribution<int> pick(0, static_cast<int>(centres.size()) - 1);
    for (int i = 0; i < table.count; ++i) {
        EventRecord& e = table.rows[i];
        switch (recipe.shape) {
            case CloudShape::Uniform:
                e = {across(random), across(random), across(random), when(random)};
                break;
            case CloudShape::Clustered: {
                const EventRecord& c = centres[pick(random)];
                e = {c.x + spread(random), c.y + spread(random), c.z + spread(random),
                     c.t + spread(random)};
                break;
            }
            case CloudShape::Duplicated:
                if (i > 0 && random() % 3 == 0) {
                    e = table.rows[random() % i];
                } else {
                    e = {across(random), across(random), across(random), when(random)};
                }
                break;
            case CloudShape::Lattice: {
                auto snap = [&](double value) {
                    return recipe.low +
                           std::round((value - recipe.low) / recipe.lattice) * recipe.lattice;
                };
                e = {snap(across(random)), snap(across(random)), snap(across(random)),
                     std::round(when(random))};
                break;
            }
        }
    }
    return table;
}

}  // namespace korvane::testing
