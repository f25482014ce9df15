// The test equations f(x) = 0, with the derivative Newton's method needs and the
// fixed-point forms g(x) = x + f(x). Each is evaluated in the order written beside it;
// x^2 and x^3 are products, so every value is reproducible to the last bit.
#pragma once

#include "rootfinding/real_function.hpp"
#include "runtime/underflow_tracking.hpp"

namespace FUNCTIONS {

double F1(const double& X);   // ((x^3 + 100x) - 5x^2) - 400, one real root near 4.15
double DF1(const double& X);  // (3x^2 - 10x) + 100
double GF1(const double& X);  // ((x^3 + 101x) - 5x^2) - 400, that is x + F1(x)
double F2(const double& X);   // e^-x - 0.1/(x + 1)
double DF2(const double& X);  // -e^-x + 0.1/(x + 1)^2
double GF2(const double& X);  // (e^-x - 0.1/(x + 1)) + x, that is x + F2(x)

// Whether an operation of F1 or GF2 underflows or overflows at x (see
// runtime/underflow_tracking.hpp).
runtime::RangeLoss F1_UNDERFLOWS(const double& X);
runtime::RangeLoss GF2_UNDERFLOWS(const double& X);
// The largest addend an addition or subtraction of GF2 lost whole at x.
double GF2_DROPPED(const double& X);

}  // namespace FUNCTIONS
