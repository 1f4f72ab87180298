#include "density/estimate/KernelGrid.h"

#include <algorithm>
#include <cmath>
#include <opencv2/core.hpp>

#include "common/CoreStretches.h"

namespace korvane::estimate {

namespace {

// Raises every bound past the rounding of the sums behind it (each of positive terms, far fewer
// than 2^40 of them) and of the members' places among the nodes (a share of a step computed
// from a coordinate within 2^30 steps of the first node moves it by at most 2^-22 of a step).
constexpr double BoundRaise = 1.0 + 0x1p-12;

// An axis may span at most this many steps: the nodes are counted in std::size_t, and a
// member's place is found to within 2^-22 of a step.
constexpr double MostSteps = 0x1p30;

// The sums along one axis go this many values of the faster axes at a time.
constexpr std::size_t ChunkValues = 64;

}  // namespace

bool KernelGrid::Prepare(const std::array<Axis, 3>& axes, int mostPerHalf, std::size_t maxNodes,
                         bool keepSpread) {
    m_values = {};
    m_spread = {};
    m_perHalf = 0;
    m_axes = axes;
    for (int q = mostPerHalf; q >= 1 && m_perHalf == 0; --q) {
        double total = 1.0;
        bool fits = true;
        for (int a = 0; a < 3; ++a) {
            const double step = axes[a].half / q;
            const double span = (axes[a].high - axes[a].low) / step;
            fits = fits && step > 0.0 && std::isfinite(step) && span >= 0.0 && span < MostSteps &&
                   axes[a].kappa >= 0.0 && std::isfinite(axes[a].kappa);
            if (fits) {
                m_step[a] = step;
                m_nodes[a] = static_cast<std::size_t>(std::floor(span)) + 2;
                total *= static_cast<double>(m_nodes[a]);
            }
        }
        if (fits && total <= static_cast<double>(maxNodes)) {
            m_perHalf = q;
        }
    }
    if (m_perHalf == 0) {
        return false;
    }
    m_stride = {m_nodes[1] * m_nodes[2], m_nodes[2], 1};
    m_values.resize(m_nodes[0] * m_stride[0]);
    CoreStretches{m_values.size()}.ForEach([&](int /*k*/, std::size_t begin, std::size_t end) {
        std::fill(m_values.begin() + static_cast<std::ptrdiff_t>(begin),
                  m_values.begin() + static_cast<std::ptrdiff_t>(end), 0.0);
    });
    if (keepSpread) {
        m_spread.resize(m_values.size());
    }
    return true;
}

KernelGrid::Place KernelGrid::PlaceOf(int a, double x) const {
    const double steps =
        std::clamp((x - m_axes[a].low) / m_step[a], 0.0, static_cast<double>(m_nodes[a] - 1));
    const auto node = std::min(static_cast<std::size_t>(steps), m_nodes[a] - 2);
    return {node, std::clamp(steps - static_cast<double>(node), 0.0, 1.0)};
}

double KernelGrid::Cost(int a, double t) const {
    return std::exp(m_axes[a].kappa * t * (1.0 - t) * m_step[a] * m_step[a]);
}

// Each member's weight goes to the eight nodes around it, times the cost of each axis: the
// first form of the inequality, for the members' places.
void KernelGrid::Spread(const double* records, const double* weights, std::size_t begin,
                        std::size_t end) {
    for (std::size_t m = begin; m < end; ++m) {
        const double weight = weights != nullptr ? weights[m] : 1.0;
        if (!(weight > 0.0)) {
            continue;
        }
        std::array<std::array<double, 2>, 3> share{};
        std::size_t base = 0;
        for (int a = 0; a < 3; ++a) {
            const Place place = PlaceOf(a, records[4 * m + a]);
            const double cost = Cost(a, place.t);
            share[a] = {cost * (1.0 - place.t), cost * place.t};
            base += place.node * m_stride[a];
        }
        for (int i = 0; i < 2; ++i) {
            for (int j = 0; j < 2; ++j) {
                const double w = weight * share[0][i] * share[1][j];
                double* at = m_values.data() + base + i * m_stride[0] + j * m_stride[1];
                at[0] += w * share[2][0];
                at[1] += w * share[2][1];
            }
        }
    }
}

void KernelGrid::Finish() {
    if (!m_spread.empty()) {
        CoreStretches{m_values.size()}.ForEach([&](int /*k*/, std::size_t begin, std::size_t end) {
            std::copy(m_values.begin() + static_cast<std::ptrdiff_t>(begin),
                      m_values.begin() + static_cast<std::ptrdiff_t>(end),
                      m_spread.begin() + static_cast<std::ptrdiff_t>(begin));
        });
    }
    for (int a = 0; a < 3; ++a) {
        SumAlong(a);
    }
}

// Every node's value becomes the sum of the values along axis a within h + 2b of it, times the
// Gaussian of their distance: one axis of the separable sum around each node. Within h + 2b lie
// all the nodes a member's spread can reach from a place whose own spread reaches this node.
void KernelGrid::SumAlong(int a) {
    const std::ptrdiff_t reach = std::ptrdiff_t{m_perHalf} + 1;
    std::vector<double> gauss(static_cast<std::size_t>(2 * reach + 1));
    for (std::ptrdiff_t d = -reach; d <= reach; ++d) {
        const double distance = static_cast<double>(d) * m_step[a];
        gauss[static_cast<std::size_t>(d + reach)] =
            std::exp(-m_axes[a].kappa * distance * distance);
    }
    const auto n = static_cast<std::ptrdiff_t>(m_nodes[a]);
    const std::size_t inner = m_stride[a];
    // The values along axis a of `width` neighbouring lines (the faster axes), at `block` with
    // `inner` between the lines' nodes: each node's sum from a copy of the values.
    const auto sumLines = [&](double* block, std::size_t width, std::vector<double>& copy) {
        copy.resize(static_cast<std::size_t>(n) * width);
        for (std::ptrdiff_t k = 0; k < n; ++k) {
            double* values = block + static_cast<std::size_t>(k) * inner;
            std::copy_n(values, width, copy.data() + static_cast<std::size_t>(k) * width);
            std::fill_n(values, width, 0.0);
        }
        for (std::ptrdiff_t k = 0; k < n; ++k) {
            double* out = block + static_cast<std::size_t>(k) * inner;
            const std::ptrdiff_t lo = std::max<std::ptrdiff_t>(k - reach, 0);
            const std::ptrdiff_t hi = std::min<std::ptrdiff_t>(k + reach, n - 1);
            for (std::ptrdiff_t j = lo; j <= hi; ++j) {
                const double g = gauss[static_cast<std::size_t>(j - k + reach)];
                const double* in = copy.data() + static_cast<std::size_t>(j) * width;
                for (std::size_t i = 0; i < width; ++i) {
                    out[i] += g * in[i];
                }
            }
        }
    };
    if (inner == 1) {
        // The last axis: every line is contiguous; a few hundred lines to a task.
        const auto lines = static_cast<int>(m_values.size() / static_cast<std::size_t>(n));
        cv::parallel_for_(cv::Range(0, lines), [&](const cv::Range& range) {
            std::vector<double> copy;
            for (int line = range.start; line < range.end; ++line) {
                sumLines(
                    m_values.data() + static_cast<std::size_t>(line) * static_cast<std::size_t>(n),
                    1, copy);
            }
        });
        return;
    }
    const std::size_t outer = m_values.size() / (static_cast<std::size_t>(n) * inner);
    const std::size_t chunks = (inner + ChunkValues - 1) / ChunkValues;
    cv::parallel_for_(cv::Range(0, static_cast<int>(outer * chunks)), [&](const cv::Range& range) {
        std::vector<double> copy;
        for (int b = range.start; b < range.end; ++b) {
            const std::size_t o = static_cast<std::size_t>(b) / chunks;
            const std::size_t first = static_cast<std::size_t>(b) % chunks * ChunkValues;
            sumLines(m_values.data() + o * static_cast<std::size_t>(n) * inner + first,
                     std::min(ChunkValues, inner - first), copy);
        }
    });
}

// The second form: the sum at p from the eight nodes around it.
double KernelGrid::BoundAt(const double* p) const {
    std::array<std::array<double, 2>, 3> share{};
    double spread = 1.0;
    std::size_t base = 0;
    for (int a = 0; a < 3; ++a) {
        const Place place = PlaceOf(a, p[a]);
        spread *= Cost(a, place.t);
        share[a] = {1.0 - place.t, place.t};
        base += place.node * m_stride[a];
    }
    double sum = 0.0;
    for (int i = 0; i < 2; ++i) {
        for (int j = 0; j < 2; ++j) {
            const double* at = m_values.data() + base + i * m_stride[0] + j * m_stride[1];
            sum += share[0][i] * share[1][j] * (share[2][0] * at[0] + share[2][1] * at[1]);
        }
    }
    return sum * spread * BoundRaise;
}

}  // namespace korvane::estimate

namespace korvane::estimate {

// The first form alone: the spread weights of the nodes within h + b of p on every axis (where a
// member of p's box spreads its weight), each times the Gaussian of its distance from p.
double KernelGrid::WindowBoundAt(const double* p) const {
    std::array<std::array<double, MostWindow>, 3> factors{};
    std::array<std::size_t, 3> first{};
    std::array<std::size_t, 3> count{};
    const auto reach = static_cast<std::size_t>(m_perHalf) + 1;
    for (int a = 0; a < 3; ++a) {
        const Place place = PlaceOf(a, p[a]);
        first[a] = place.node >= reach ? place.node - reach : 0;
        const std::size_t last = std::min(place.node + reach + 1, m_nodes[a] - 1);
        count[a] = last - first[a] + 1;
        const double offset = p[a] - m_axes[a].low;
        for (std::size_t i = 0; i < count[a]; ++i) {
            const double d = offset - static_cast<double>(first[a] + i) * m_step[a];
            factors[a][i] = std::exp(-m_axes[a].kappa * d * d);
        }
    }
    double sum = 0.0;
    for (std::size_t i = 0; i < count[0]; ++i) {
        for (std::size_t j = 0; j < count[1]; ++j) {
            const double* row = m_spread.data() + (first[0] + i) * m_stride[0] +
                                (first[1] + j) * m_stride[1] + first[2];
            double along = 0.0;
            for (std::size_t k = 0; k < count[2]; ++k) {
                along += row[k] * factors[2][k];
            }
            sum += along * factors[0][i] * factors[1][j];
        }
    }
    return sum * BoundRaise;
}

}  // namespace korvane::estimate
