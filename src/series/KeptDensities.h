#pragma once
// The densities of every picture of a series, kept from the pass that finds the series'
// maximum, so that the pictures are coloured from them instead of being computed twice.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "density/BoxFill.h"

namespace korvane {

class KeptDensities {
  public:
    // The most bytes the kept densities of one series may take. A series whose densities do
    // not fit keeps none, and its pictures are computed again.
    static constexpr std::size_t DefaultBudget = std::size_t{256} << 20;

    explicit KeptDensities(std::size_t budgetBytes = DefaultBudget) : m_budget(budgetBytes) {}

    // Keeps the densities of the next picture, or gives all up once over budget. Only the
    // non-zero densities are kept: most pixels of a slice or a window see no event.
    void Keep(const DensityField& field);

    // Whether the densities of `pictures` pictures are all kept.
    bool Holds(std::size_t pictures) const { return !m_overBudget && m_kept.size() >= pictures; }

    // Moves the kept densities of picture `index` (0 for the first) into `field`, as the
    // fill left them; the points and the differences of the fill stay as they are. Each
    // picture is taken once.
    void Take(std::size_t index, DensityField& field);

  private:
    struct Densities {
        int columns = 0;
        int rows = 0;
        bool counted = true;
        int highestCount = 0;
        std::size_t cells = 0;          // of the field's counts or sums
        std::vector<std::uint32_t> at;  // the cells that are not zero
        std::vector<int> counts;        // and their counts (unit weights)
        std::vector<double> sums;       // or sums
    };
    void GiveUp();

    std::size_t m_budget;
    std::size_t m_bytes = 0;
    bool m_overBudget = false;
    std::vector<Densities> m_kept;
};

}  // namespace korvane
