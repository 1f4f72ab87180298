#pragma once
// The estimate's first step: the points with finite box coordinates put into columns of cells
// on the gridded axes, sorted on the last axis within each column, on every core.

#include "density/estimate/HighestSum.h"

namespace korvane::estimate {

template <int Dims, class Extra, class Squared>
bool HighestSum<Dims, Extra, Squared>::Passes(const Point<Dims>& a, const Point<Dims>& b) const {
    for (int axis = 0; axis < Dims; ++axis) {
        if (!WithinStrict(a.c[axis], b.c[axis], m_half[axis])) {
            return false;
        }
    }
    return m_extra(a, b);
}

// About how many partners a point has: those of a few hundred evenly spread points among
// an evenly spread share of all points, scaled up (a dense cluster of a few per cent of
// the events is still sampled). It costs about half a million tests at most.
template <int Dims, class Extra, class Squared>
double HighestSum<Dims, Extra, Squared>::SampledPartners() const {
    const int n = static_cast<int>(m_points.size());
    constexpr int Samples = 256;
    constexpr int Pool = 2048;
    const int samples = std::min(n, Samples);
    const int stride = std::max(1, n / Pool);
    long long hits = 0;
    for (int s = 0; s < samples; ++s) {
        const Point<Dims>& p = m_points[static_cast<long long>(s) * n / samples];
        for (int j = 0; j < n; j += stride) {
            hits += Passes(p, m_points[j]) ? 1 : 0;
        }
    }
    return static_cast<double>(hits) * stride / samples;
}

// Whether every box coordinate of a point is finite. One that is not passes no strict
// test against anything (the differences are infinite or not a number): its sum stays 0
// and it adds to no one's.
template <int Dims, class Extra, class Squared>
bool HighestSum<Dims, Extra, Squared>::Finite(const Point<Dims>& point) {
    bool finite = true;
    for (int a = 0; a < Dims; ++a) {
        finite = finite && std::isfinite(point.c[a]);
    }
    return finite;
}

// Sorts the events with finite box coordinates into columns of cells; false when a box
// is unbounded or the range too wide for safe cell indices, and the plain loop must do.
template <int Dims, class Extra, class Squared>
bool HighestSum<Dims, Extra, Squared>::BuildColumns() {
    const int n = static_cast<int>(m_points.size());
    std::array<double, Gridded> low;
    std::array<double, Gridded> high;
    low.fill(INFINITY);
    high.fill(-INFINITY);
    std::size_t count = 0;  // of the members: the points with finite box coordinates
    for (int i = 0; i < n; ++i) {
        if (!Finite(m_points[i])) {
            continue;
        }
        ++count;
        for (int a = 0; a < Gridded; ++a) {
            low[a] = std::min(low[a], m_points[i].c[a]);
            high[a] = std::max(high[a], m_points[i].c[a]);
        }
    }
    for (double half : m_half) {
        if (!std::isfinite(half)) {
            return false;
        }
    }
    if (count == 0) {
        return true;  // no columns, every sum 0
    }
    std::array<double, Gridded> cell;
    for (int a = 0; a < Gridded; ++a) {
        cell[a] = m_half[a] * CellMargin / m_cellsPerHalf;
        m_codeScale[a] = CodesPerCell / cell[a];
        const double span = (high[a] - low[a]) / cell[a];
        if (!(cell[a] > 0.0) || !std::isfinite(cell[a]) || !(span < MaxCellsPerAxis)) {
            return false;
        }
    }
    m_cellLow = low;
    m_cellWidth = cell;
    auto keyOf = [&](const Point<Dims>& point) { return CellKeyOf(point.c); };
    Point<Dims> highest{};
    for (int a = 0; a < Gridded; ++a) {
        highest.c[a] = high[a];
    }
    const std::vector<std::size_t> buckets = PutInColumnOrder(keyOf, keyOf(highest), count);
    if (m_ticker.Stopped()) {
        return true;  // the caller asks the ticker
    }
    const std::size_t columns = FindColumns(keyOf, buckets);
    // Filled on every core, by DescribeColumn.
    m_memberLast.resize(count);
    m_memberColumn.resize(count);
    m_columnLow.clear();
    m_columnHigh.clear();
    m_columnLow.resize(columns);
    m_columnHigh.resize(columns);
    const bool coded = WantsPlaceCodes();
    if (coded) {
        ReservePlaceCodes();
    }
    // The columns' own arrays on every core, a stretch of about CheckEvery members at a
    // time so that a stop is heard between them.
    for (std::size_t first = 0; first < columns;) {
        if (m_ticker.Check(0)) {
            return true;
        }
        std::size_t end = first + 1;
        while (end < columns &&
               static_cast<std::size_t>(m_starts[end] - m_starts[first]) < CheckEvery) {
            ++end;
        }
        cv::parallel_for_(cv::Range(static_cast<int>(first), static_cast<int>(end)),
                          [&](const cv::Range& range) {
                              for (int c = range.start; c < range.end; ++c) {
                                  DescribeColumn(c);
                                  if (coded) {
                                      CodeColumn(c);
                                  }
                              }
                          });
        first = end;
    }
    return true;
}

// The columns' keys and first members, and their number. The buckets of PutInColumnOrder
// (their first members, in `buckets`) hold whole columns, so each is searched on its own,
// on every core: once to count its columns, once to write them where the buckets before
// leave off. Every array is sized exactly: a catalogue of millions leaves no room for slack.
template <int Dims, class Extra, class Squared>
template <class KeyOf>
std::size_t HighestSum<Dims, Extra, Squared>::FindColumns(KeyOf keyOf,
                                                          const std::vector<std::size_t>& buckets) {
    const int count = static_cast<int>(buckets.size()) - 2;  // the last holds no members
    const auto forEachColumn = [&](int b, auto visit) {
        Key previous{};
        for (std::size_t p = buckets[b]; p < buckets[b + 1]; ++p) {
            const Key key = keyOf(m_memberPoints[p]);
            if (p == buckets[b] || key != previous) {
                visit(p, key);
            }
            previous = key;
        }
    };
    std::vector<std::size_t> before(static_cast<std::size_t>(count) + 1, 0);
    cv::parallel_for_(cv::Range(0, count), [&](const cv::Range& range) {
        for (int b = range.start; b < range.end; ++b) {
            std::size_t columns = 0;
            forEachColumn(b, [&](std::size_t /*p*/, const Key& /*key*/) { ++columns; });
            before[b + 1] = columns;
        }
    });
    std::partial_sum(before.begin(), before.end(), before.begin());
    const std::size_t columns = before.back();
    m_keys.assign(columns, Key{});
    m_starts.assign(columns + 1, 0);
    cv::parallel_for_(cv::Range(0, count), [&](const cv::Range& range) {
        for (int b = range.start; b < range.end; ++b) {
            std::size_t c = before[b];
            forEachColumn(b, [&](std::size_t p, const Key& key) {
                m_keys[c] = key;
                m_starts[c] = static_cast<int>(p);
                ++c;
            });
        }
    });
    m_starts[columns] = static_cast<int>(buckets[count]);
    return columns;
}

// Every element of `values` set to `value`, a stretch per core.
template <int Dims, class Extra, class Squared>
template <class Vector, class Value>
void HighestSum<Dims, Extra, Squared>::FillOnEveryCore(Vector& values, Value value) {
    CoreStretches{values.size()}.ForEach([&](int /*k*/, std::size_t begin, std::size_t end) {
        std::fill(values.begin() + static_cast<std::ptrdiff_t>(begin),
                  values.begin() + static_cast<std::ptrdiff_t>(end), value);
    });
}

// Column c's extent on the gridded axes, and its members' column, last coordinate and
// place among the members.
template <int Dims, class Extra, class Squared>
void HighestSum<Dims, Extra, Squared>::DescribeColumn(int c) {
    std::array<double, Gridded>& low = m_columnLow[c];
    std::array<double, Gridded>& high = m_columnHigh[c];
    low.fill(INFINITY);
    high.fill(-INFINITY);
    for (int p = m_starts[c]; p < m_starts[c + 1]; ++p) {
        for (int a = 0; a < Gridded; ++a) {
            const double value = m_memberPoints[p].c[a];
            low[a] = std::min(low[a], value);
            high[a] = std::max(high[a], value);
        }
        m_memberColumn[p] = c;
        m_memberLast[p] = m_memberPoints[p].c[Dims - 1];
    }
}

// Each point's place among the members (-1 for the points left out), for the sums that add
// their partners in the points' order (SumOfMember); on every core.
template <int Dims, class Extra, class Squared>
void HighestSum<Dims, Extra, Squared>::PlaceEveryPoint() {
    if (!m_position.empty() || m_memberIndex.empty()) {
        return;
    }
    m_position.resize(static_cast<std::size_t>(m_count));
    FillOnEveryCore(m_position, -1);
    CoreStretches{m_memberIndex.size()}.ForEach([&](int /*k*/, std::size_t begin, std::size_t end) {
        for (std::size_t m = begin; m < end; ++m) {
            m_position[m_memberIndex[m]] = static_cast<int>(m);
        }
    });
}

// Puts the `count` points with finite box coordinates first in column order (by column
// key, then on the last axis, then by index), hands them to m_memberPoints and their
// indices to m_memberIndex; `lastKey` is the key of the highest cell on every axis. A
// bucket sort in place first deals the points into runs of whole columns in key order,
// each then sorted on its own, in cache and on every core: one sort of all the points
// and one permutation across all of memory cost several times more at millions of
// events, and a second copy of the points would not fit beside the table.
// Returns where each bucket's members start, and after the last the number of members and
// of points (empty after a stop).
template <int Dims, class Extra, class Squared>
template <class KeyOf>
std::vector<std::size_t> HighestSum<Dims, Extra, Squared>::PutInColumnOrder(KeyOf keyOf,
                                                                            const Key& lastKey,
                                                                            std::size_t count) {
    const std::size_t n = m_points.size();
    // The columns numbered from 0 in key order; each bucket takes a stretch of numbers.
    std::array<std::uint64_t, Gridded> stride;
    std::uint64_t numbers = 1;
    for (int a = Gridded - 1; a >= 0; --a) {
        stride[a] = numbers;
        numbers *= static_cast<std::uint64_t>(lastKey[a]) + 1;  // below 2^62 all told
    }
    const auto numberOf = [&](const Point<Dims>& point) {
        const Key key = keyOf(point);
        std::uint64_t number = 0;
        for (int a = 0; a < Gridded; ++a) {
            number += static_cast<std::uint64_t>(key[a]) * stride[a];
        }
        return number;
    };
    const std::size_t buckets = std::clamp<std::size_t>(count / BucketMembers, 1, MaxBuckets);
    const std::uint64_t perBucket = (numbers + buckets - 1) / buckets;
    std::vector<std::uint16_t> bucketOf(n);
    std::vector<std::size_t> starts(buckets + 2, 0);  // the points left out in the last
    for (std::size_t i = 0; i < n; ++i) {
        std::size_t bucket = buckets;
        if (Finite(m_points[i])) {
            bucket = static_cast<std::size_t>(numberOf(m_points[i]) / perBucket);
        }
        bucketOf[i] = static_cast<std::uint16_t>(bucket);
        ++starts[bucket + 1];
    }
    for (std::size_t b = 1; b < starts.size(); ++b) {
        starts[b] += starts[b - 1];
    }
    std::vector<int> order(n);
    std::iota(order.begin(), order.end(), 0);
    // Each point is swapped straight to the next free place of its bucket; the places
    // before `next` of a bucket are settled.
    std::vector<std::size_t> next(starts.begin(), starts.end() - 1);
    if (m_ticker.Check(0)) {
        return {};
    }
    std::size_t looked = 0;
    for (std::size_t b = 0; b <= buckets; ++b) {
        while (next[b] < starts[b + 1]) {
            if (++looked % CheckEvery == 0 && m_ticker.Check(0)) {
                return {};
            }
            const std::size_t i = next[b];
            const std::size_t to = bucketOf[i];
            if (to == b) {
                ++next[b];
                continue;
            }
            const std::size_t j = next[to]++;
            std::swap(m_points[i], m_points[j]);
            std::swap(order[i], order[j]);
            std::swap(bucketOf[i], bucketOf[j]);
        }
    }
    std::vector<std::uint16_t>().swap(bucketOf);
    // A stretch of buckets at a time, so that a stop is heard between them.
    const std::size_t stretch = std::max<std::size_t>(1, CheckEvery / BucketMembers);
    for (std::size_t first = 0; first < buckets; first += stretch) {
        if (m_ticker.Check(0)) {
            return {};
        }
        const auto end = static_cast<int>(std::min(buckets, first + stretch));
        cv::parallel_for_(cv::Range(static_cast<int>(first), end), [&](const cv::Range& range) {
            BucketScratch scratch;
            for (int b = range.start; b < range.end; ++b) {
                SortBucket(starts[b], starts[b + 1], numberOf, b * perBucket, perBucket, order,
                           scratch);
            }
        });
    }
    order.resize(count);
    m_memberIndex = std::move(order);
    m_points.resize(count);
    m_memberPoints = std::move(m_points);
    m_points = {};
    return starts;
}

// Sorts the points of [begin, end) and their indices in `order` into column order, the
// points by following the cycles of the permutation (within the bucket: in cache). The
// bucket holds the columns numbered from `first` (numberOf) up to `columns` more: where
// they are not many more than its points, the points are counted into their columns and
// each column sorted on its own (the order is the same: the column numbers rise with the
// keys, and no two points compare equal); else all are sorted at once.
template <int Dims, class Extra, class Squared>
template <class NumberOf>
void HighestSum<Dims, Extra, Squared>::SortBucket(std::size_t begin, std::size_t end,
                                                  NumberOf numberOf, std::uint64_t first,
                                                  std::uint64_t columns, std::vector<int>& order,
                                                  BucketScratch& scratch) {
    const bool crowded = columns <= 4 * (end - begin) + 1024;
    std::vector<Member>& dealt = crowded ? scratch.dealt : scratch.sorted;
    dealt.clear();
    for (std::size_t p = begin; p < end; ++p) {
        dealt.push_back({numberOf(m_points[p]), m_points[p].c[Dims - 1], order[p],
                         static_cast<int>(p - begin)});
    }
    std::vector<Member>& sorted = scratch.sorted;
    if (!crowded) {
        std::sort(sorted.begin(), sorted.end());
    } else {
        std::vector<int>& columnStarts = scratch.columnStarts;
        columnStarts.assign(static_cast<std::size_t>(columns) + 1, 0);
        for (const Member& member : dealt) {
            ++columnStarts[member.key - first + 1];
        }
        for (std::size_t c = 1; c < columnStarts.size(); ++c) {
            columnStarts[c] += columnStarts[c - 1];
        }
        sorted.resize(dealt.size());
        for (const Member& member : dealt) {
            sorted[static_cast<std::size_t>(columnStarts[member.key - first]++)] = member;
        }
        // columnStarts[c] is now where column c + 1 starts.
        for (std::size_t c = 0, from = 0; c + 1 < columnStarts.size(); ++c) {
            const auto to = static_cast<std::size_t>(columnStarts[c]);
            if (to - from > 1) {
                std::sort(sorted.begin() + static_cast<std::ptrdiff_t>(from),
                          sorted.begin() + static_cast<std::ptrdiff_t>(to));
            }
            from = to;
        }
    }
    Point<Dims>* points = m_points.data() + begin;
    const int size = static_cast<int>(sorted.size());
    for (int k = 0; k < size; ++k) {
        order[begin + static_cast<std::size_t>(k)] = sorted[k].index;
    }
    for (int k = 0; k < size; ++k) {
        if (sorted[k].from < 0 || sorted[k].from == k) {
            continue;
        }
        const Point<Dims> first = points[k];
        int place = k;
        while (true) {
            const int source = std::exchange(sorted[place].from, -1);
            if (source == k) {
                points[place] = first;
                break;
            }
            points[place] = points[source];
            place = source;
        }
    }
}

}  // namespace korvane::estimate
