#pragma once
// Counting the members of a run that a box cuts from small codes of their places within their
// column instead of from their coordinates: four bytes a member instead of thirty-two, and eight
// members a step. A code never falls as the coordinate grows, so the codes of a box's edges
// sort a column's members into those sure to pass, those sure to fail, and the few at an edge,
// which the caller tests exactly.

#include <array>
#include <cstdint>

namespace korvane::estimate {

// Where the strict test |p - q| < half changes along one axis, as values of q: every q up to
// failLow fails, every q from passLow to passHigh passes, every q from failHigh up fails.
struct BoxEdges {
    double failLow;
    double passLow;
    double passHigh;
    double failHigh;
};

// The edges of the box around p; false when p or half is not finite or half is not above 0.
bool FindBoxEdges(double p, double half, BoxEdges& edges);

// A coordinate's code within a column whose members lie from `low` up: floor((x - low) *
// scale) held within [-1, 32767].
std::int16_t PlaceCode(double x, double low, double scale);

// A member's codes on the two gridded axes in one word, the first axis in the low half.
inline std::uint32_t PackCodes(std::int16_t first, std::int16_t second) {
    return static_cast<std::uint16_t>(first) |
           (static_cast<std::uint32_t>(static_cast<std::uint16_t>(second)) << 16);
}

// The codes of one event's box edges in one column, packed as the members' are.
struct EdgeCodes {
    std::uint32_t failLow;
    std::uint32_t passLow;
    std::uint32_t passHigh;
    std::uint32_t failHigh;
};

// The codes of `edges` (one per gridded axis) in a column whose members lie from `low` up.
EdgeCodes EdgeCodesIn(const std::array<BoxEdges, 2>& edges, const std::array<double, 2>& low,
                      const std::array<double, 2>& scale);

// How many of the n members with `codes` are sure to pass on both axes; the offsets of those
// the codes cannot tell (within an edge's code on an axis, and sure to fail on neither) go
// to `unsure`, which has room for n, and their number to `unsureCount`.
int CountSurePasses(const std::uint32_t* codes, int n, const EdgeCodes& edges, int* unsure,
                    int& unsureCount);

// How many of the n members with `codes` are not sure to fail on either axis: the sure passes
// and those the codes cannot tell, an upper bound on the passes.
int CountMaybePasses(const std::uint32_t* codes, int n, const EdgeCodes& edges);

// A packed word's code on one axis (0 the first).
inline std::int16_t CodeOn(std::uint32_t packed, int axis) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(packed >> (16 * axis)));
}

}  // namespace korvane::estimate
