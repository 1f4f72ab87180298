#include "picture/ColourTable.h"

#include <bit>
#include <cstdint>
#include <limits>

namespace korvane {

namespace {

double Double(std::uint64_t bits) {
    return std::bit_cast<double>(bits);
}

bool SamePixel(const cv::Vec3b& a, const cv::Vec3b& b) {
    return a[0] == b[0] && a[1] == b[1] && a[2] == b[2];
}

// A table of more colours than this is not worth its look-ups.
constexpr std::size_t MostColours = 4096;
constexpr std::size_t Buckets = 8192;

}  // namespace

void ColourTable::Prepare(const ColourFunction& colours, float maximum) {
    // The same bits, not just an equal value: a NaN maximum stays NaN.
    if (m_ready && m_pixel == colours.pixel &&
        std::bit_cast<std::uint32_t>(m_maximum) == std::bit_cast<std::uint32_t>(maximum)) {
        return;
    }
    m_ready = true;
    m_usable = false;
    m_maximum = maximum;
    m_pixel = colours.pixel;
    m_edges.clear();
    m_colours.clear();
    m_bucketStart.clear();
    if (!colours.rising) {
        return;
    }
    // Non-negative doubles are ordered as their bit patterns. From 0, each next edge is the first
    // pattern whose colour differs, found by bisection within the stretch between two restarts:
    // along one path a colour, once left, never comes back.
    const std::uint64_t infinity = Bits(std::numeric_limits<double>::infinity());
    std::vector<std::uint64_t> stretchEnds;  // the last pattern of each stretch
    if (colours.restarts != nullptr) {
        for (double restart : colours.restarts(maximum)) {
            if (restart > 0.0 && restart < std::numeric_limits<double>::infinity() &&
                (stretchEnds.empty() || Bits(restart) > stretchEnds.back())) {
                stretchEnds.push_back(Bits(restart));
            }
        }
    }
    stretchEnds.push_back(infinity);
    std::uint64_t at = 0;
    cv::Vec3b colour = m_pixel(0.0, maximum);
    m_edges.push_back(at);
    m_colours.push_back(colour);
    std::size_t stretchStart = 0;  // of the colours in the stretch
    for (const std::uint64_t stretchEnd : stretchEnds) {
        while (at < stretchEnd) {
            std::uint64_t low = at;  // has `colour`
            std::uint64_t high = stretchEnd;
            if (SamePixel(m_pixel(Double(high), maximum), colour)) {
                break;  // the rest of the stretch has this colour
            }
            while (high - low > 1) {
                const std::uint64_t middle = low + (high - low) / 2;
                if (SamePixel(m_pixel(Double(middle), maximum), colour)) {
                    low = middle;
                } else {
                    high = middle;
                }
            }
            at = high;
            colour = m_pixel(Double(at), maximum);
            for (std::size_t k = stretchStart; k < m_colours.size(); ++k) {
                if (SamePixel(m_colours[k], colour) || m_colours.size() >= MostColours) {
                    return;  // not one path: no table
                }
            }
            m_edges.push_back(at);
            m_colours.push_back(colour);
        }
        if (stretchEnd == infinity) {
            break;
        }
        // The next stretch starts after this one's end, perhaps with another colour.
        at = stretchEnd + 1;
        const cv::Vec3b next = m_pixel(Double(at), maximum);
        stretchStart = m_colours.size() - 1;
        if (!SamePixel(next, colour)) {
            colour = next;
            stretchStart = m_colours.size();
            m_edges.push_back(at);
            m_colours.push_back(colour);
        }
    }
    m_edges.push_back(infinity);
    m_lastStart = m_edges[m_edges.size() - 2];
    if (m_edges.size() < 3) {
        return;  // one colour for every positive density: the function itself is as quick
    }
    // Buckets of equal spans of patterns from edge 1 to the last colour's.
    const std::uint64_t first = m_edges[1];
    const std::uint64_t span = m_lastStart - first;
    m_shift = 0;
    while ((span >> m_shift) >= Buckets) {
        ++m_shift;
    }
    m_bucketStart.resize((span >> m_shift) + 1);
    std::size_t k = 1;
    for (std::size_t b = 0; b < m_bucketStart.size(); ++b) {
        const std::uint64_t start = first + (static_cast<std::uint64_t>(b) << m_shift);
        while (m_edges[k + 1] <= start) {
            ++k;
        }
        m_bucketStart[b] = static_cast<std::uint32_t>(k);
    }
    m_usable = true;
}

}  // namespace korvane
