// Our own elementary functions, correctly rounded to nearest-even for every double.
//
// Why our own: a correctly rounded result is unique, so every machine, compiler and build
// (with or without fused multiply-add, in WebAssembly too) gives the same bits, and a run
// is reproduced exactly anywhere. No C library promises that; each rounds some arguments
// one way and others the other, and its variants for different processors disagree.
//
// How: each function has a fast path in double-double arithmetic with a proven bound on
// its error; a rounding test (rounding.hpp) proves from that bound whether its result
// rounds to one double. Where it cannot, a slow path evaluates the function again in
// WideFloat (wide_functions.hpp) and rounds that once. That is rare for arguments spread
// over a range, but common for short significands near 0 (and near 1 for log and pow):
// there exp(x) = 1 + x + x^2/2 + ... lies next to a midpoint between two doubles, and such
// a call costs a few hundred nanoseconds instead of a few. Results that are exactly a double (exp(0), log(1)) are settled before the test.
// Special values follow IEEE 754 and C. The error bounds are argued in each file.
#pragma once

#include "runtime/elementary/double_double.hpp"

namespace runtime::correctly_rounded {

double exp(double x);
double log(double x);
double sin(double x);
double cos(double x);
double tan(double x);
double atan(double x);
double asin(double x);  // NaN outside [-1, 1]
double acos(double x);  // NaN outside [-1, 1]
double log10(double x);
double sinh(double x);
double cosh(double x);
double tanh(double x);
// x^y with C's special cases: x^+-0 = 1 and 1^y = 1 even for NaN, a negative x only with
// an integer y, the sign of an odd y kept at zeros and infinities.
double pow(double x, double y);

// The fast paths without their rounding test, for the slow paths and for functions built
// on these, with their relative error bounds.

// e^x = (value.hi + value.lo) 2^scale for finite x in [-746, 710], value.hi in [0.99, 2)
// and |value.lo| <= ulp(value.hi)/2.
struct ScaledDoubleDouble {
    DoubleDouble value;
    int scale;
};
ScaledDoubleDouble exp_approximation(double x);
inline constexpr double EXP_APPROXIMATION_ERROR = 0x1.1p-70;
// e^x is finite up to EXP_OVERFLOW_ABOVE (the largest such double) and below 2^-1075
// under EXP_ZERO_BELOW.
inline constexpr double EXP_OVERFLOW_ABOVE = 0x1.62e42fefa39efp+9;
inline constexpr double EXP_ZERO_BELOW = -745.2;

// log x = hi + lo for finite x > 0, |lo| <= ulp(hi)/2 (exact, 0 + 0, at x = 1).
DoubleDouble log_approximation(double x);
inline constexpr double LOG_APPROXIMATION_ERROR = 0x1p-68;

// log x = hi + lo for finite x > 0, to the finer bound pow needs (exact, 0 + 0, at x = 1).
DoubleDouble precise_log(double x);
inline constexpr double PRECISE_LOG_ERROR = 0x1p-86;

}  // namespace runtime::correctly_rounded
