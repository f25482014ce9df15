// What atan, asin and acos share: the arctangent of a double-double on [0, 1] plus a
// multiple of pi/2, rounded when a rounding test proves it.
#pragma once

#include "runtime/elementary/double_double.hpp"

namespace runtime::correctly_rounded {

// Taylor coefficients of a function at a step c: f(c + h) = f(c) + sum_k a_k h^k, with
// a_1 = slope_hi + slope_lo, slope_hi of 26 significant bits.
struct Taylor {
    double slope_hi;
    double slope_lo;
    double a[7];  // a_2 ... a_8
};

// f(c) + a_1 (h + lo) + a_2 (h^2 + 2 h lo) + a_3 h^3 + ... + a_8 h^8 for f(c) = base,
// |h| <= 2^-9, |lo| <= 2^-52 |h| or h = 0, |a_k| <= 4, the terms past a_1 h in doubles.
DoubleDouble taylor_sum(const DoubleDouble& base, const Taylor& p, double h, double lo);

// k pi/2 + sign * angle for k = 0, 1, 2 and sign = +-1, pi/2 within 2^-107.
DoubleDouble quarter_turns_plus(int k, double sign, DoubleDouble angle);

// Sets `result` to `sum` rounded and returns true if that is certain for a quick
// evaluation (within 2^-66). (A flag and a reference keep the result in registers.)
bool round_quick(DoubleDouble sum, double& result);

// k pi/2 + sign * atan(y), correctly rounded from the careful evaluation, for y = hi + lo
// within 2^-100 of the argument meant, 0 < hi <= 1 + 2^-10, |lo| <= 2^-52 hi, k and sign
// as above with k pi/2 + sign atan(y) >= atan(y) / 2; false when only the slow path
// decides.
bool round_careful_arctangent(int k, double sign, DoubleDouble y, double& result);

}  // namespace runtime::correctly_rounded
