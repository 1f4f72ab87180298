#pragma once
// The colours of a density picture by table: for one colour function and one maximum, the
// densities where the colour changes are found once, and a density's colour is then a look-up
// among them rather than the scale's arithmetic, with the same result.

#include <array>
#include <bit>
#include <cstdint>
#include <opencv2/core.hpp>
#include <vector>

#include "picture/ColourScale.h"

namespace korvane {

class ColourTable {
  public:
    // Makes the table for `colours` under `maximum`, unless it is made already. Only a function
    // whose colours follow one path as the density rises between its restarts
    // (ColourFunction::rising) is put in a table; the others are left to their own function, as
    // is a table that finds a colour again after another within a stretch.
    void Prepare(const ColourFunction& colours, float maximum);

    // colours.pixel(density, maximum), for the function and maximum of the last Prepare.
    cv::Vec3b Pixel(double density) const {
        if (!m_usable) {
            return m_pixel(density, m_maximum);
        }
        // Patterns past infinity's are not a number; those with the sign bit set, below 0.
        const std::uint64_t bits = Bits(density);
        if (bits < m_edges[1]) {
            return m_colours[0];  // no density, or too little to change its colour
        }
        if (bits >= m_lastStart) {
            return bits <= m_edges.back() ? m_colours.back() : m_pixel(density, m_maximum);
        }
        std::size_t k = m_bucketStart[static_cast<std::size_t>((bits - m_edges[1]) >> m_shift)];
        while (m_edges[k + 1] <= bits) {
            ++k;
        }
        return m_colours[k];
    }

  private:
    static std::uint64_t Bits(double value) { return std::bit_cast<std::uint64_t>(value); }

    bool m_ready = false;
    bool m_usable = false;
    float m_maximum = 0;
    cv::Vec3b (*m_pixel)(double, float) = nullptr;
    std::uint64_t m_lastStart = 0;  // the pattern where the last colour starts
    // The bit patterns of the densities from 0 up where colour k starts (edge 0 is 0's), and
    // colour k; the last edge is infinity's pattern.
    std::vector<std::uint64_t> m_edges;
    std::vector<cv::Vec3b> m_colours;
    // For equal spans of patterns from edge 1 on, the colour at the span's start.
    std::vector<std::uint32_t> m_bucketStart;
    int m_shift = 0;
};

}  // namespace korvane
