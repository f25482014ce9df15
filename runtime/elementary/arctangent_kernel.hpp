// What atan, asin and acos share: the arctangent of a double-double on [0, 1] plus a
// multiple of pi/2, rounded when a rounding test proves it, and the slow paths alone.
#pragma once

#include "runtime/elementary/double_double.hpp"

#include <optional>

namespace runtime::correctly_rounded {

// k pi/2 + sign * angle for k = 0, 1, 2 and sign = +-1, pi/2 within 2^-107.
DoubleDouble quarter_turns_plus(int k, double sign, DoubleDouble angle);

// k pi/2 + sign * atan(y), correctly rounded, for y = hi + lo within 2^-100 of the
// argument meant, 0 < hi <= 1 + 2^-10, |lo| <= 2^-52 hi, k and sign as above with
// k pi/2 + sign atan(y) >= atan(y) / 2; nothing when only the exact evaluation decides.
std::optional<double> round_arctangent(int k, double sign, DoubleDouble y);

// The correctly rounded values from WideFloat alone, which the functions fall back on:
// atan for 2^-27 <= |x| <= 2^60, asin for 0 < |x| <= 1, acos for |x| < 1.
double atan_exact(double x);
double asin_exact(double x);
double acos_exact(double x);

}  // namespace runtime::correctly_rounded
