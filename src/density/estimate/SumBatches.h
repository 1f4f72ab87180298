#pragma once
// How the sums that can be the highest are split into batches. Between batches the estimate
// asks whether to stop, so in a dense cloud, where one member's sum visits tens of thousands of
// partners, a batch must not hold hundreds of members.

#include <algorithm>
#include <limits>

namespace korvane::estimate {

// What a batch may hold besides its member count: the partners its members' bounds stand for.
// A bound divided by the most one partner can add to it is at most the member's partners, so
// a batch of bounds that stand for `partners` visits at least that many. The split depends on
// the bounds alone: a stop asked at the same check ends the estimate at the same place.
struct BatchWork {
    double termBound = 0.0;  // the most one partner adds; 0: no bound stands for partners
    double partners = std::numeric_limits<double>::infinity();  // by member count alone
};

// The end of the batch that starts at `next` of the members ranked (each with a `bound`):
// at most `maxMembers`, and no more once they stand for `work.partners`; never empty while
// members are left.
template <class Ranked>
int BatchEnd(const Ranked& ranked, int next, int maxMembers, const BatchWork& work) {
    const int last = std::min(static_cast<int>(ranked.size()), next + maxMembers);
    double partners = 0.0;
    int end = next;
    while (end < last && (end == next || partners < work.partners)) {
        partners += work.termBound > 0.0 ? ranked[end].bound / work.termBound : 0.0;
        ++end;
    }
    return end;
}

}  // namespace korvane::estimate
