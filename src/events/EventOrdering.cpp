#include "events/EventOrdering.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <numeric>
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

// The selection sort by replaying its swaps in a tournament tree: any keys, not a number
// included (its comparisons then decide as the tree plays them).
void ReplaySelectionSort(EventTable& table, std::vector<double>& keys) {
    const int n = table.count;
    std::vector<int> nodes;
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

struct KeyedRow {
    double key;
    int row;
};

// The same order without replaying every step. While the selection sort places the rows of
// one key, it takes them from their places of the moment in ascending order, and each swap
// moves only the row it takes and the row at the front (of a larger key) into the place
// taken. So the rows of each key, smallest key first, are placed in the order of where they
// stand when their turn comes, and only the rows they displace move. Keys must be ordered
// (no key not a number). Returns false, with the table untouched, when `stop` asks to.
bool PlaceByKeyGroups(EventTable& table, std::vector<double>& keys,
                      const std::function<bool()>& stop) {
    const int n = table.count;
    std::vector<KeyedRow> sorted(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        // 0 and -0 are one key.
        sorted[static_cast<std::size_t>(i)] = {keys[static_cast<std::size_t>(i)] + 0.0, i};
    }
    std::vector<double>().swap(keys);
    std::sort(sorted.begin(), sorted.end(), [](const KeyedRow& a, const KeyedRow& b) {
        return a.key != b.key ? a.key < b.key : a.row < b.row;
    });
    if (stop && stop()) {
        return false;
    }
    std::vector<int> at(static_cast<std::size_t>(n));     // the row now at each place
    std::vector<int> place(static_cast<std::size_t>(n));  // each row's place now
    std::iota(at.begin(), at.end(), 0);
    std::iota(place.begin(), place.end(), 0);
    std::vector<int> places;
    constexpr int CheckRows = 1 << 20;
    int nextCheck = CheckRows;
    for (int first = 0; first < n;) {
        int end = first + 1;
        while (end < n && sorted[static_cast<std::size_t>(end)].key ==
                              sorted[static_cast<std::size_t>(first)].key) {
            ++end;
        }
        places.clear();
        for (int k = first; k < end; ++k) {
            places.push_back(
                place[static_cast<std::size_t>(sorted[static_cast<std::size_t>(k)].row)]);
        }
        std::sort(places.begin(), places.end());
        for (int k = first; k < end; ++k) {
            const int from = places[static_cast<std::size_t>(k - first)];
            if (from != k) {
                const int taken = at[static_cast<std::size_t>(from)];
                const int displaced = at[static_cast<std::size_t>(k)];
                at[static_cast<std::size_t>(k)] = taken;
                place[static_cast<std::size_t>(taken)] = k;
                at[static_cast<std::size_t>(from)] = displaced;
                place[static_cast<std::size_t>(displaced)] = from;
            }
        }
        first = end;
        if (first >= nextCheck) {
            nextCheck += CheckRows;
            if (stop && stop()) {
                return false;
            }
        }
    }
    std::vector<KeyedRow>().swap(sorted);
    std::vector<int>().swap(place);
    // Row at[k] goes to place k: follow the cycles of that permutation, in place.
    const bool weighted = table.weights.size() >= static_cast<std::size_t>(n);
    for (int start = 0; start < n; ++start) {
        if (at[static_cast<std::size_t>(start)] < 0 ||
            at[static_cast<std::size_t>(start)] == start) {
            continue;
        }
        const EventRecord firstRow = table.rows[static_cast<std::size_t>(start)];
        const double firstWeight = weighted ? table.weights[static_cast<std::size_t>(start)] : 0.0;
        int k = start;
        while (true) {
            const int source = at[static_cast<std::size_t>(k)];
            at[static_cast<std::size_t>(k)] = -1;
            if (source == start) {
                table.rows[static_cast<std::size_t>(k)] = firstRow;
                if (weighted) {
                    table.weights[static_cast<std::size_t>(k)] = firstWeight;
                }
                break;
            }
            table.rows[static_cast<std::size_t>(k)] = table.rows[static_cast<std::size_t>(source)];
            if (weighted) {
                table.weights[static_cast<std::size_t>(k)] =
                    table.weights[static_cast<std::size_t>(source)];
            }
            k = source;
        }
    }
    return true;
}

}  // namespace

bool SortEventsByColumn(EventTable& table, int column, const std::function<bool()>& stop) {
    const int n = table.count;
    if (n < 2) {
        return true;
    }
    std::vector<double> keys(static_cast<std::size_t>(n));
    bool ordered = true;
    for (int i = 0; i < n; ++i) {
        keys[static_cast<std::size_t>(i)] = table.rows[static_cast<std::size_t>(i)].Column(column);
        ordered = ordered && !std::isnan(keys[static_cast<std::size_t>(i)]);
    }
    if (!ordered) {
        ReplaySelectionSort(table, keys);
        return true;
    }
    return PlaceByKeyGroups(table, keys, stop);
}

}  // namespace korvane
