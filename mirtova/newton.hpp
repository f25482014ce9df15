// Newton's method in 32-bit reals, stopping on the size of the function value.
#pragma once

#include <cstdint>
#include <limits>

#include "runtime/function_ref.hpp"

namespace NEWTON {

// A function of one 32-bit real, without side effects: a built-in one or a typed formula.
using RealFunction = runtime::FunctionRef<float>;

// 1e-6 rounded to 32 bits (9.99999997e-7).
inline constexpr float ZERO_TOLERANCE = 1.0e-6f;

// How the iteration stops: below TOLERANCE, or with a message after MAX_STEPS steps
// (unless the last of them met the test). BUILT_IN: F is e^x - x^2, so a breakdown
// where e^x overflows is put down to that.
struct SETTINGS {
    float TOLERANCE = ZERO_TOLERANCE;
    std::int32_t MAX_STEPS = std::numeric_limits<std::int32_t>::max();
    bool BUILT_IN = true;
};

// Newton steps x = x - F(x)/FDOT(x) from XSTART until |F| at the new iterate is below
// TOLERANCE; at least one step is taken, even from a root. The root is left in
// XSTART and the number of steps in NR_STEPS.
//
// A NaN at the new iterate also ends the loop, and is reported as a breakdown. A state
// that repeats (the loop could never end) or a step counter about to overflow stops the
// loop with a message; either way the run ends with status 1. A stop signal ends it
// with 128 + the signal's number (130 for Ctrl-C).
void FIND_ZERO(float& XSTART, std::int32_t& NR_STEPS, RealFunction F, RealFunction FDOT,
               const SETTINGS& RUN = {});

}  // namespace NEWTON
