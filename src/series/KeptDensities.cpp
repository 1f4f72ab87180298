#include "series/KeptDensities.h"

#include <limits>

namespace korvane {

namespace {

// The cells of `values` that are not zero, and their values.
template <class T>
void NonZero(const std::vector<T>& values, std::vector<std::uint32_t>& at, std::vector<T>& kept) {
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (values[i] != T{0}) {
            at.push_back(static_cast<std::uint32_t>(i));
            kept.push_back(values[i]);
        }
    }
}

template <class T>
void Scatter(std::size_t cells, const std::vector<std::uint32_t>& at, const std::vector<T>& kept,
             std::vector<T>& values) {
    values.assign(cells, T{0});
    for (std::size_t i = 0; i < at.size(); ++i) {
        values[at[i]] = kept[i];
    }
}

}  // namespace

void KeptDensities::GiveUp() {
    m_overBudget = true;
    m_kept = {};
    m_bytes = 0;
}

void KeptDensities::Keep(const DensityField& field) {
    if (m_overBudget) {
        return;
    }
    const std::size_t cells = field.counted ? field.counts.size() : field.sums.size();
    if (cells > std::numeric_limits<std::uint32_t>::max()) {
        GiveUp();
        return;
    }
    Densities& kept = m_kept.emplace_back();
    kept.columns = field.columns;
    kept.rows = field.rows;
    kept.counted = field.counted;
    kept.highestCount = field.highestCount;
    kept.cells = cells;
    std::size_t bytes = 0;
    if (field.counted) {
        NonZero(field.counts, kept.at, kept.counts);
        bytes = kept.at.size() * (sizeof(std::uint32_t) + sizeof(int));
    } else {
        NonZero(field.sums, kept.at, kept.sums);
        bytes = kept.at.size() * (sizeof(std::uint32_t) + sizeof(double));
    }
    if (bytes > m_budget - m_bytes) {
        GiveUp();
        return;
    }
    m_bytes += bytes;
}

void KeptDensities::Take(std::size_t index, DensityField& field) {
    Densities& kept = m_kept[index];
    field.columns = kept.columns;
    field.rows = kept.rows;
    field.counted = kept.counted;
    field.highestCount = kept.highestCount;
    if (kept.counted) {
        Scatter(kept.cells, kept.at, kept.counts, field.counts);
    } else {
        Scatter(kept.cells, kept.at, kept.sums, field.sums);
    }
    kept = {};  // each picture is coloured once
}

}  // namespace korvane
