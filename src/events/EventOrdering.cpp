#include "events/EventOrdering.h"

#include <utility>
#include <vector>

namespace korvane {
namespace {

// The selection sort takes, at every step i, the first smallest key among positions i..n-1
// and swaps that row forward. This replays exactly those swaps, finding each minimum in a
// tournament tree over positions instead of by a scan. A node holds the position of the
// smallest key below it, the leftmost one among equals, or Empty once every position below
// it has been placed.
class MinimumTree {
  public:
    static constexpr int Empty = -1;

    explicit MinimumTree(const std::vector<double>& keys, std::vector<int>& nodes)
        : m_keys(keys), m_nodes(nodes) {
        const int n = static_cast<int>(keys.size());
        m_leaves = 1;
        while (m_leaves < n) {
            m_leaves *= 2;
        }
        const std::size_t leaves = Leaf(0);  // nodes 1 .. leaves - 1 lie above the leaves
        m_nodes.assign(2 * leaves, Empty);
        for (int i = 0; i < n; ++i) {
            m_nodes[Leaf(i)] = i;
        }
        for (std::size_t node = leaves - 1; node >= 1; --node) {
            m_nodes[node] = Smaller(m_nodes[2 * node], m_nodes[2 * node + 1]);
        }
    }

    // Position of the first smallest key among the positions not yet removed.
    int Minimum() const { return m_nodes[1]; }

    // The key at `position` changed: replay the matches above it.
    void Refresh(int position) { Replay(Leaf(position)); }

    void Remove(int position) {
        m_nodes[Leaf(position)] = Empty;
        Replay(Leaf(position));
    }

  private:
    // The node of a position's leaf, counted in std::size_t so that no index overflows.
    std::size_t Leaf(int position) const {
        return static_cast<std::size_t>(m_leaves) + static_cast<std::size_t>(position);
    }

    // `left` lies before `right` in the table, so it wins a tie.
    int Smaller(int left, int right) const {
        if (left == Empty) {
            return right;
        }
        if (right == Empty) {
            return left;
        }
        return m_keys[static_cast<std::size_t>(right)] < m_keys[static_cast<std::size_t>(left)]
                   ? right
                   : left;
    }

    void Replay(std::size_t node) {
        for (node /= 2; node >= 1; node /= 2) {
            m_nodes[node] = Smaller(m_nodes[2 * node], m_nodes[2 * node + 1]);
        }
    }

    const std::vector<double>& m_keys;
    std::vector<int>& m_nodes;
    int m_leaves = 1;
};

}  // namespace

void SortEventsByColumn(EventTable& table, int column) {
    const int n = table.count;
    if (n < 2) {
        return;
    }
    std::vector<double> keys(static_cast<std::size_t>(n));
    std::vector<int> nodes;
    for (int i = 0; i < n; ++i) {
        keys[static_cast<std::size_t>(i)] = table.rows[static_cast<std::size_t>(i)].Column(column);
    }
    MinimumTree tree(keys, nodes);
    const bool weighted = table.weights.size() >= static_cast<std::size_t>(n);
    for (int i = 0; i < n; ++i) {
        // Positions before i are removed, so the minimum lies in i..n-1.
        const int m = tree.Minimum();
        if (m != i) {
            std::swap(table.rows[static_cast<std::size_t>(i)],
                      table.rows[static_cast<std::size_t>(m)]);
            std::swap(keys[static_cast<std::size_t>(i)], keys[static_cast<std::size_t>(m)]);
            if (weighted) {
                std::swap(table.weights[static_cast<std::size_t>(i)],
                          table.weights[static_cast<std::size_t>(m)]);
            }
            tree.Refresh(m);
        }
        tree.Remove(i);
    }
}

}  // namespace korvane
