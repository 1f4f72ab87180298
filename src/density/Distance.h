#pragma once
// The box tests and the distances in steps, shared by the engine and by the plain reference
// algorithms so both compute the same bits. Every difference is an absolute difference
// (|a - b| and |b - a| are the same double).

#include <cmath>

namespace korvane {

// Half the width of a pixel's box along one axis: the radius in steps times the axis scale.
inline double BoxHalfWidth(double radius, double scale) {
    return radius * scale;
}

// |a - b| <= halfWidth: the boundary belongs to the box.
inline bool WithinInclusive(double a, double b, double halfWidth) {
    return std::fabs(a - b) <= halfWidth;
}

// |a - b| < halfWidth: the boundary does not belong to the box.
inline bool WithinStrict(double a, double b, double halfWidth) {
    return std::fabs(a - b) < halfWidth;
}

// (|a - b| / scale)^2: one axis' share of the squared distance in steps.
inline double StepsSquared(double a, double b, double scale) {
    const double steps = std::fabs(a - b) / scale;
    return steps * steps;
}

// The squared distance in steps in the picture plane, from the two squared shares.
inline double SquaredInPlane(double horizontalSquared, double verticalSquared) {
    return horizontalSquared + verticalSquared;
}

// The squared distance in steps in space; the shares are added in this order.
inline double SquaredInSpace(double horizontalSquared, double verticalSquared,
                             double depthSquared) {
    return horizontalSquared + verticalSquared + depthSquared;
}

// The distance in steps in the picture plane, from the two squared shares.
inline double DistanceInPlane(double horizontalSquared, double verticalSquared) {
    return std::sqrt(SquaredInPlane(horizontalSquared, verticalSquared));
}

// The distance in steps in space; the shares are added in this order.
inline double DistanceInSpace(double horizontalSquared, double verticalSquared,
                              double depthSquared) {
    return std::sqrt(SquaredInSpace(horizontalSquared, verticalSquared, depthSquared));
}

}  // namespace korvane
