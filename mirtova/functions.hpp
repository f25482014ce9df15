// The test equation e^x - x^2 = 0 and its derivative, in 32-bit reals. x^2 and 2x are
// formed first, then e^x; each result is rounded to 32 bits.
#pragma once

#include "runtime/underflow_tracking.hpp"

namespace FUNCTIONS {

float F1(const float& X);     // e^x - x^2, one real root near -0.70
float F1DOT(const float& X);  // e^x - 2x, positive for every x

// Whether an operation of F1 underflows or overflows at x (see
// runtime/underflow_tracking.hpp).
runtime::RangeLoss F1_UNDERFLOWS(const float& X);

}  // namespace FUNCTIONS
