// What atan, asin and acos share: the arctangent of a double-double on [0, 1] plus a
// multiple of pi/2, rounded when a rounding test proves it.
#pragma once

#include <cstdint>

#include "runtime/bit_cast.hpp"
#include "runtime/elementary/double_double.hpp"
#include "runtime/elementary/rounding.hpp"

namespace runtime::correctly_rounded {

// pi/2 within 2^-107: the arctangent table's HALF_PI (checked beside it), for the tables
// made from it at compile time.
inline constexpr DoubleDouble QUARTER_TURN = {0x1.921fb54442d18p+0, 0x1.1a62633145c07p-54};

// Taylor coefficients of a function at a step c: f(c + h) = f(c) + sum_k a_k h^k, with
// a_1 = slope_hi + slope_lo, slope_hi of 26 significant bits.
struct Taylor {
    double slope_hi;
    double slope_lo;
    double a[7];  // a_2 ... a_8
};

// The step i/STEPS nearest y, 0 <= y <= 1 + 2^-10 (either one at a tie), and h = y - i/STEPS,
// both exact: the sum with 1.5 2^52 rounds y STEPS (exact, STEPS a power of two) once to
// an integer, which its last bits hold, so |h| <= 1/(2 STEPS) even at a cell's edge, and
// y - c is exact, as c/2 <= y <= 2c unless c = 0. (Adding 1/2 and truncating rounds twice:
// for y just below 1/(2 STEPS) the sum rounds up to 1, and y - 1/STEPS needs a bit more
// than a double.)
struct Step {
    int i;
    double h;
};

template <int STEPS>
inline Step nearest_step(double y)
{
    static_assert(STEPS <= 512 && (STEPS & (STEPS - 1)) == 0);
    const double shifted = y * STEPS + INTEGER_ROUNDER;
    const auto i = static_cast<int>(runtime::bit_cast<std::uint64_t>(shifted) & 0x3ff);
    return {i, y - (shifted - INTEGER_ROUNDER) * (1.0 / STEPS)};
}

// base + scale (a_1 (h + lo) + a_2 (h^2 + 2 h lo) + a_3 h^3 + ... + a_8 h^8), base = hi + lo
// near f(c), for scale = +-1 or +-2, |lo| <= 2^-52 |h| or h = 0, and either |h| <= 2^-9
// and |a_k| <= 4, or |a_k h^k| <= 2^-8k and base.hi >= 1/2; the terms past a_1 h in
// doubles. base.hi is 0 or has an exponent not below that of scale a_1 h, so that the
// first sum is exact. Not normalized: |lo| < 2^-16 |hi|. With NO_LO, lo is 0 and its term
// is left out.
template <bool NO_LO = false>
inline DoubleDouble taylor_sum(const DoubleDouble& base, const Taylor& p, double h, double lo,
                               double scale)
{
    const double h2 = h * h;
    const double h4 = h2 * h2;
    const double low = (p.a[0] + h * p.a[1]) + h2 * (p.a[2] + h * p.a[3]);
    const double high = (p.a[4] + h * p.a[5]) + h2 * p.a[6];
    const double rest = h2 * (low + h4 * high);
    // slope_hi and the halves of h have 26 and 27 bits: both products are exact.
    const DoubleDouble halves = split(h);
    const double linear_hi = scale * (p.slope_hi * halves.hi);
    const double linear_lo = p.slope_hi * halves.lo + p.slope_lo * h;
    DoubleDouble sum = fast_two_sum(base.hi, linear_hi);
    if constexpr (NO_LO)
        sum.lo += base.lo + scale * (linear_lo + rest);
    else
        sum.lo += base.lo + scale * ((linear_lo + lo * (p.slope_hi + 2.0 * h * p.a[0])) + rest);
    return sum;
}

// k pi/2 + sign * angle for k = 0, 1, 2 and sign = +-1, pi/2 within 2^-107.
DoubleDouble quarter_turns_plus(int k, double sign, DoubleDouble angle);

// Sets `result` to `sum` rounded and returns true if that is certain for a quick
// evaluation within 2^-65.9 of the result, sum.hi > 0 and |sum.lo| < 2^-16 sum.hi: the
// test allows 2^-63, and lo -+ that rounds by 2^-69 sum.hi at most.
inline bool round_quick(DoubleDouble sum, double& result)
{
    const double error = sum.hi * 0x1p-63;
    // Where both ends round alike, so does sum.hi + sum.lo between them.
    result = sum.hi + (sum.lo + error);
    return result == sum.hi + (sum.lo - error);
}

// k pi/2 + sign * atan(y), correctly rounded from the careful evaluation, for y = hi + lo
// within 2^-100 of the argument meant, 0 < hi <= 1 + 2^-10, |lo| <= 2^-52 hi, k and sign
// as above with k pi/2 + sign atan(y) >= atan(y) / 2; false when only the slow path
// decides.
bool round_careful_arctangent(int k, double sign, DoubleDouble y, double& result);

}  // namespace runtime::correctly_rounded
