// The elementary functions in WideFloat, the slow paths' evaluations: each to a relative
// error below 2^-240 (argued in wide_functions.cpp), far below the distance from a
// midpoint of the hardest-to-round cases known for doubles (about 2^-(53 + 65)), so that
// rounding the result once, WideFloat::to_double, gives the correctly rounded double.
#pragma once

#include "runtime/elementary/wide_float.hpp"

namespace runtime::correctly_rounded::wide {

// ln 2, rounded to 256 bits.
WideFloat ln2();

// e^x, for |x| < 2^11.
WideFloat exp(const WideFloat& x);

// e^x - 1, for |x| < 2^11; relative error as above also where x is tiny.
WideFloat expm1(const WideFloat& x);

// The natural logarithm, for x > 0 with exponent from -2^11 to 2^11.
WideFloat log(const WideFloat& x);

}  // namespace runtime::correctly_rounded::wide
