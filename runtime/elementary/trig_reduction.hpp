// x = k * pi/2 + r with |r| <= pi/4 (a little more where k is chosen from a rounded
// product), exactly enough that r keeps its relative accuracy even for the doubles
// closest to a multiple of pi/2.
#pragma once

#include <cstdint>

#include "runtime/elementary/rounding.hpp"
#include "runtime/elementary/trig_tables.hpp"

namespace runtime::correctly_rounded {

// Below TRIG_SMALL, sin x and tan x round to x and cos x to 1. Below QUICK_REDUCTION_LIMIT,
// k = round(x / h) on the sine table's grid and the three-part h reduce x exactly enough;
// above, reduce_to_grid does. Where k is a multiple of 512 and |r| falls below
// RELATIVE_REDUCTION_LIMIT, r must be accurate relatively and comes from reduce_quadrant.
inline constexpr double TRIG_SMALL = 0x1p-27;
inline constexpr double QUICK_REDUCTION_LIMIT = 0x1p17;
inline constexpr double RELATIVE_REDUCTION_LIMIT = 0x1p-16;

// x = k h + r2 + tail for |x| < QUICK_REDUCTION_LIMIT, h = pi/1024 = H1 + H2 + H3 + d:
// k = round(x / h) from a rounded product, signed and taken modulo 2^32; r2 = x - k H1 -
// k H2, exact; tail = -k H3, rounded.
struct GridRemainder {
    unsigned k;
    double r2;
    double tail;
};

[[gnu::always_inline]] inline GridRemainder reduce_near(double x)
{
    const double kd = (x * INVERSE_GRID_STEP + INTEGER_ROUNDER) - INTEGER_ROUNDER;
    const double r2 = (x - kd * GRID_STEP[0]) - kd * GRID_STEP[1];
    return {static_cast<unsigned>(static_cast<int>(kd)), r2, kd * -GRID_STEP[2]};
}

// r as a double-double, k modulo 4.
struct Quadrant {
    int k;
    double hi;
    double lo;
};

// For finite ax >= 0.
Quadrant reduce_quadrant(double ax);

// ax = k pi/1024 + r modulo 2 pi, k modulo 2048 (k >> 9 the quadrant), |r| <= pi/2048, with
// an absolute error below 2^-100 and, where k is a multiple of 512, a relative one below
// 2^-104: the sine table's grid, for finite ax > 0 (meant for large ones).
Quadrant reduce_to_grid(double ax);

// The fraction of ax * 2/pi as a signed fixed-point number of FRACTION_WORDS words: the
// exact path's reduction. ax * 2/pi = 4n + k + f with |f| <= 1/2.
constexpr int FRACTION_WORDS = 8;
struct QuadrantFraction {
    int k;
    bool negative;                           // f < 0
    std::uint32_t words[FRACTION_WORDS];     // |f| * 2^(32 * FRACTION_WORDS), first word highest
};

// For finite ax > 0; |f| is accurate to 2^-230 and, over all doubles, at least 2^-62.
QuadrantFraction reduce_quadrant_exactly(double ax);

}  // namespace runtime::correctly_rounded
