#include "events/EventOrdering.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <numeric>
#include <utility>
#include <vector>

#include "common/CoreStretches.h"
#include "common/FillLaterVector.h"

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
    std::uint64_t key;  // OrderedBits
    int row;
};

// A key's bits turned so that their unsigned order is the order of the doubles (no key not a
// number, and 0 and -0 made one key before).
std::uint64_t OrderedBits(double key) {
    const auto bits = std::bit_cast<std::uint64_t>(key);
    return (bits >> 63) != 0 ? ~bits : bits | (std::uint64_t{1} << 63);
}

// The share of the sort's work done by the end of each stage: the radix passes, the groups of
// equal keys, the gathering of the rows (the weights take the rest).
constexpr double KeysSortedShare = 0.4;
constexpr double GroupsPlacedShare = 0.8;
constexpr double RowsMovedShare = 0.95;

// Reports `share` of the work done; true when the sort must end.
bool Report(const SortProgress& progress, double share) {
    return progress && progress(share);
}

// Sorts by key, equal keys in ascending row (the rows come in ascending): a stable radix sort
// of 16 bits a pass, lowest first, skipping the passes whose digit every key shares. Each
// pass deals a stretch of the rows per core, each stretch to its own places within every
// bucket, after the stretches before it: the order of equal digits stays. False as soon as
// `progress` asks to stop.
bool SortByKey(FillLaterVector<KeyedRow>& rows, const SortProgress& progress) {
    constexpr int DigitBits = 16;
    constexpr int Passes = 64 / DigitBits;
    constexpr std::size_t Buckets = std::size_t{1} << DigitBits;
    const CoreStretches stretches{rows.size()};
    // counts[k * Buckets + b]: the rows of stretch k with digit b, then where they go.
    std::vector<std::size_t> counts(static_cast<std::size_t>(stretches.count) * Buckets);
    FillLaterVector<KeyedRow> scratch;
    for (int pass = 0; pass < Passes; ++pass) {
        const int shift = pass * DigitBits;
        const auto digit = [shift](const KeyedRow& r) {
            return static_cast<std::size_t>((r.key >> shift) & (Buckets - 1));
        };
        stretches.ForEach([&](int k, std::size_t begin, std::size_t end) {
            std::size_t* count = counts.data() + static_cast<std::size_t>(k) * Buckets;
            std::fill(count, count + Buckets, 0);
            for (std::size_t i = begin; i < end; ++i) {
                ++count[digit(rows[i])];
            }
        });
        std::size_t sum = 0;
        bool oneDigit = false;
        for (std::size_t b = 0; b < Buckets; ++b) {
            const std::size_t before = sum;
            for (int k = 0; k < stretches.count; ++k) {
                sum += std::exchange(counts[k * Buckets + b], sum);
            }
            oneDigit = oneDigit || sum - before == rows.size();
        }
        if (oneDigit) {
            continue;
        }
        scratch.resize(rows.size());
        stretches.ForEach([&](int k, std::size_t begin, std::size_t end) {
            std::size_t* next = counts.data() + static_cast<std::size_t>(k) * Buckets;
            for (std::size_t i = begin; i < end; ++i) {
                scratch[next[digit(rows[i])]++] = rows[i];
            }
        });
        rows.swap(scratch);
        if (Report(progress, KeysSortedShare * (pass + 1) / Passes)) {
            return false;
        }
    }
    return true;
}

// Gathers values[at[k]] into place k of `moved` for every k < n, reading ahead, a stretch per
// core. False, with `moved` partly filled, as soon as `progress` asks to stop; it hears
// shares from `from` to `to` of the sort's work.
template <class Value>
bool GatherInPlaceOrder(const std::vector<Value>& values, const std::vector<int>& at, int n,
                        FillLaterVector<Value>& moved, const SortProgress& progress, double from,
                        double to) {
    constexpr std::size_t Ahead = 16;
    constexpr std::size_t CheckRows = std::size_t{1} << 20;
    const auto count = static_cast<std::size_t>(n);
    moved.resize(count);
    for (std::size_t first = 0; first < count; first += CheckRows) {
        const std::size_t end = std::min(count, first + CheckRows);
        CoreStretches{end - first}.ForEach([&](int /*k*/, std::size_t begin, std::size_t stop) {
            const std::size_t last = first + stop;
            for (std::size_t i = first + begin; i < last; ++i) {
                if (i + Ahead < last) {
                    __builtin_prefetch(&values[static_cast<std::size_t>(at[i + Ahead])]);
                }
                moved[i] = values[static_cast<std::size_t>(at[i])];
            }
        });
        if (Report(progress, from + (to - from) * static_cast<double>(end) / n)) {
            return false;
        }
    }
    return true;
}

// Row at[k] goes to place k: gathered into copies in place order, and copied back only when
// nothing can stop the sort any more (the table keeps its own storage).
bool GatherRows(EventTable& table, const std::vector<int>& at, const SortProgress& progress) {
    const int n = table.count;
    if (Report(progress, GroupsPlacedShare)) {
        return false;
    }
    FillLaterVector<EventRecord> movedRows;
    if (!GatherInPlaceOrder(table.rows, at, n, movedRows, progress, GroupsPlacedShare,
                            RowsMovedShare)) {
        return false;
    }
    FillLaterVector<double> movedWeights;
    const bool weighted = table.weights.size() >= static_cast<std::size_t>(n);
    if (weighted &&
        !GatherInPlaceOrder(table.weights, at, n, movedWeights, progress, RowsMovedShare, 1.0)) {
        return false;
    }
    std::copy(movedRows.begin(), movedRows.end(), table.rows.begin());
    if (weighted) {
        std::copy(movedWeights.begin(), movedWeights.end(), table.weights.begin());
    }
    Report(progress, 1.0);
    return true;
}

// The same order without replaying every step. While the selection sort places the rows of
// one key, it takes them from their places of the moment in ascending order, and each swap
// moves only the row it takes and the row at the front (of a larger key) into the place
// taken. So the rows of each key, smallest key first, are placed in the order of where they
// stand when their turn comes, and only the rows they displace move. Keys must be ordered
// (no key not a number). Returns false, with the table untouched, when `progress` asks to.
// With `EqualKeys::InAnyOrder` the rows of a key keep the order they stood in (the radix sort
// is stable) and none is displaced.
bool PlaceByKeyGroups(EventTable& table, std::vector<double>& keys, const SortProgress& progress,
                      EqualKeys equalKeys) {
    const int n = table.count;
    FillLaterVector<KeyedRow> sorted(static_cast<std::size_t>(n));
    CoreStretches{sorted.size()}.ForEach([&](int /*k*/, std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i) {
            // 0 and -0 are one key.
            sorted[i] = {OrderedBits(keys[i] + 0.0), static_cast<int>(i)};
        }
    });
    std::vector<double>().swap(keys);
    if (!SortByKey(sorted, progress)) {
        return false;
    }
    std::vector<int> at(static_cast<std::size_t>(n));  // the row now at each place
    if (equalKeys == EqualKeys::InAnyOrder) {
        for (std::size_t k = 0; k < at.size(); ++k) {
            at[k] = sorted[k].row;
        }
        FillLaterVector<KeyedRow>().swap(sorted);
        return GatherRows(table, at, progress);
    }
    std::vector<int> place(static_cast<std::size_t>(n));  // each row's place now
    std::iota(at.begin(), at.end(), 0);
    std::iota(place.begin(), place.end(), 0);
    std::vector<int> places;
    constexpr int CheckRows = 1 << 20;
    // Rows this far ahead are fetched early: the places are read in no order, and a wait
    // for memory at every row would cost more than the rest of the loop.
    constexpr std::size_t Ahead = 16;
    const auto rows = static_cast<std::size_t>(n);
    int nextCheck = CheckRows;
    for (int first = 0; first < n;) {
        const auto ahead = static_cast<std::size_t>(first) + Ahead;
        if (ahead < rows) {
            const auto halfway = static_cast<std::size_t>(first) + Ahead / 2;
            __builtin_prefetch(&place[static_cast<std::size_t>(sorted[ahead].row)]);
            __builtin_prefetch(&place[static_cast<std::size_t>(at[ahead])]);
            __builtin_prefetch(&at[static_cast<std::size_t>(
                place[static_cast<std::size_t>(sorted[halfway].row)])]);
        }
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
            const double share = static_cast<double>(first) / n;
            if (Report(progress, KeysSortedShare + (GroupsPlacedShare - KeysSortedShare) * share)) {
                return false;
            }
        }
    }
    FillLaterVector<KeyedRow>().swap(sorted);
    std::vector<int>().swap(place);
    return GatherRows(table, at, progress);
}

}  // namespace

bool SortEventsByColumn(EventTable& table, int column, const SortProgress& progress,
                        EqualKeys equalKeys) {
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
    return PlaceByKeyGroups(table, keys, progress, equalKeys);
}

}  // namespace korvane
