// The inverse trigonometric functions in WideFloat, their slow paths' evaluations, each
// within 2^-242 relatively (argued in wide_arctangent.cpp).
#pragma once

#include "runtime/elementary/wide_float.hpp"

namespace runtime::correctly_rounded::wide {

// pi/2, rounded to 256 bits.
WideFloat half_pi();

WideFloat atan(const WideFloat& x);
WideFloat asin(const WideFloat& x);  // |x| <= 1
WideFloat acos(const WideFloat& x);  // |x| <= 1

// sqrt(x) for x >= 0 with an exponent within a double's range.
WideFloat sqrt(const WideFloat& x);

}  // namespace runtime::correctly_rounded::wide
