// The inverse trigonometric functions' slow paths in WideFloat, each within 2^-245
// relatively (argued in wide_arctangent.cpp).
#pragma once

#include "runtime/elementary/wide_float.hpp"

namespace runtime::correctly_rounded::wide {

// k pi/2 + sign atan(y) for 0 <= y <= 1 + 2^-10, k = 0, 1, 2, sign = +-1, when the sum
// is at least atan(y)/2.
WideFloat quarter_turns_plus_atan(int k, int sign, const WideFloat& y);

// sqrt(x) for x >= 0 within the range of a double's exponent.
WideFloat sqrt(const WideFloat& x);

}  // namespace runtime::correctly_rounded::wide
