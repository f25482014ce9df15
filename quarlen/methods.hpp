// The three iterations. Each keeps a log: it creates or rewrites the file AUSGABE,
// writes a header line to it, then one step record per iteration (the step number and
// two reals) to the file and the console, and closes the file before it returns.
// Results are left in the in/out arguments.
//
// Each stops by its own test, which a NaN also ends. Where the test could never be met
// (a repeating state, a step counter about to overflow) or Ctrl-C is pressed, the
// iteration stops with a message instead; a NaN that ends it is reported as a breakdown.
// After a message the run goes on but ends with status 1 (130 after Ctrl-C, at once).
#pragma once

#include <cstdint>
#include <string_view>

#include "quarlen/real_function.hpp"

namespace METHODS {

inline constexpr double TOLERANCE = 1.0e-4;

// Halves [A, B] until |F| at the midpoint X is at most TOLERANCE. Either order of A, B.
void BISEC(double& A, double& B, double& X, RealFunction F, std::int32_t& STEPS,
           std::string_view AUSGABE);

// Newton's method from XSTART until two iterates differ by at most TOLERANCE.
void NEWTON(double& XSTART, std::int32_t& STEPS, RealFunction F, RealFunction DF,
            std::string_view AUSGABE);

// x = F(x) from XSTART until |F(x) - x| is at most TOLERANCE.
void FIX(double& XSTART, RealFunction F, std::int32_t& STEPS, std::string_view AUSGABE);

}  // namespace METHODS
