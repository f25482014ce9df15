// The iterations. Each keeps a log: it creates or rewrites the file AUSGABE,
// writes a header line to it, then one step record per iteration (the step number and
// two reals) to the file and the console, and closes the file before it returns.
// Results are left in the in/out arguments.
//
// Each stops by its own test, which a NaN also ends. Where the test could never be met
// (a repeating state, a step counter about to overflow) the iteration stops with a
// message instead; a NaN that ends it is reported as a breakdown, and a Newton start so
// large that no step is taken is reported too. After such a message the run goes on but
// ends with status 1. A stop signal (Ctrl-C, SIGTERM, SIGHUP) ends the iteration after
// its current step and the program at once, with 128 + the signal's number.
#pragma once

#include <cstdint>
#include <limits>
#include <string_view>

#include "rootfinding/real_function.hpp"

namespace METHODS {

inline constexpr double TOLERANCE = 1.0e-4;

// How a method stops, and what its log's header shows besides the start values. A
// method that has taken MAX_STEPS steps without meeting its test stops with a message;
// one whose test passes after exactly MAX_STEPS steps has converged.
struct SETTINGS {
    double TOLERANCE = METHODS::TOLERANCE;
    std::int32_t MAX_STEPS = std::numeric_limits<std::int32_t>::max();
    std::string_view HEADER;  // added to the header line: ", f(x) = x^2 - 2, Toleranz= 1e-10"
};

// Halves [A, B] until |F| at the midpoint X is at most TOLERANCE. Either order of A, B.
void BISEC(double& A, double& B, double& X, RealFunction F, std::int32_t& STEPS,
           std::string_view AUSGABE, const SETTINGS& RUN = {});

// Newton's method from XSTART until two iterates differ by at most TOLERANCE. From
// |XSTART| >= 2^53, where XSTART + 1 is XSTART, no step is taken.
void NEWTON(double& XSTART, std::int32_t& STEPS, RealFunction F, RealFunction DF,
            std::string_view AUSGABE, const SETTINGS& RUN = {});

// x = F(x) from XSTART until |F(x) - x| is at most TOLERANCE.
void FIX(double& XSTART, RealFunction F, std::int32_t& STEPS, std::string_view AUSGABE,
         const SETTINGS& RUN = {});

// Regula falsi and the Illinois variant: as BISEC, with the point where the chord through
// the ends meets the axis in place of the midpoint. Either order of A, B.
void REGULA_FALSI(double& A, double& B, double& X, RealFunction F, std::int32_t& STEPS,
                  std::string_view AUSGABE, const SETTINGS& RUN = {});
void ILLINOIS(double& A, double& B, double& X, RealFunction F, std::int32_t& STEPS,
              std::string_view AUSGABE, const SETTINGS& RUN = {});

// The secant method from X0, X1 until two iterates differ by at most TOLERANCE; X1 is left
// at the last iterate. Starts that already differ by no more take no step, which is
// reported as Newton's start that takes none.
void SECANT(double& X0, double& X1, std::int32_t& STEPS, RealFunction F, std::string_view AUSGABE,
            const SETTINGS& RUN = {});

// Steffensen's method for a fixed point of F, from XSTART until |F(x) - x| is at most
// TOLERANCE, tested as FIX tests it.
void STEFFENSEN(double& XSTART, RealFunction F, std::int32_t& STEPS, std::string_view AUSGABE,
                const SETTINGS& RUN = {});

}  // namespace METHODS
