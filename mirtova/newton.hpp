// Newton's method in 32-bit reals, stopping on the size of the function value.
#pragma once

#include <cstdint>
#include <limits>

#include "runtime/function_ref.hpp"
#include "runtime/underflow_tracking.hpp"

namespace NEWTON {

// A function of one 32-bit real, without side effects: a built-in one or a typed formula.
using RealFunction = runtime::FunctionRef<float>;

// Whether evaluating the function at x underflowed, or overflowed, and how far that can
// have moved its value (see runtime/underflow_tracking.hpp).
using UnderflowTest = runtime::FunctionRef<float, runtime::RangeLoss>;
inline runtime::RangeLoss NO_UNDERFLOW(const float&) { return {}; }

// 1e-6 rounded to 32 bits (9.99999997e-7).
inline constexpr float ZERO_TOLERANCE = 1.0e-6f;

// How the iteration stops: below TOLERANCE, or with a message after MAX_STEPS steps
// (unless the last of them met the test). BUILT_IN: F is e^x - x^2, so a breakdown
// where e^x overflows is put down to that. UNDERFLOWS: for F, asked where the iteration
// stops on its test, which a value of 0 or a subnormal one, or one that only a loss keeps
// below TOLERANCE, does not meet.
struct SETTINGS {
    float TOLERANCE = ZERO_TOLERANCE;
    std::int32_t MAX_STEPS = std::numeric_limits<std::int32_t>::max();
    bool BUILT_IN = true;
    UnderflowTest UNDERFLOWS = NO_UNDERFLOW;
};

// Newton steps x = x - F(x)/FDOT(x) from XSTART until |F| at the new iterate is below
// TOLERANCE; at least one step is taken, even from a root, whose step is 0 even where
// FDOT is 0 there too. The root is left in XSTART and the number of steps in NR_STEPS.
//
// A NaN or an infinity at the new iterate also ends the loop, and is reported as a
// breakdown that names the step that left the reals: XSTART is then no result, and
// FIND_ZERO returns false. A state that repeats (the loop could never end; the message
// names an infinite derivative, or a tolerance 32-bit reals cannot reach, where that is
// why), a step counter about to overflow, or a test met only because F underflowed to 0
// or a subnormal value, or came out so after an overflow, is reported too, and XSTART left at the
// last iterate. After any of these the run ends with status 1. A stop signal ends it with 128 + the
// signal's number (130 for Ctrl-C).
bool FIND_ZERO(float& XSTART, std::int32_t& NR_STEPS, RealFunction F, RealFunction FDOT,
               const SETTINGS& RUN = {});

}  // namespace NEWTON
