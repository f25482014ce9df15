// The iterations. Each keeps a log: it creates or rewrites the file AUSGABE,
// writes a header line to it, then one step record per iteration (the step number and
// two reals) to the file and the console, and closes the file before it returns.
// Results are left in the in/out arguments; each returns how it ended.
//
// Each stops by its own test, which a NaN also ends. Where the test could never be met (a repeating
// state, a step counter about to overflow) the iteration stops with a message instead; a NaN that
// ends it is reported as a breakdown, and a Newton start so large that no step is taken is reported
// too. A test met only by the arithmetic's failing is no convergence either, and is reported: a
// correction of exactly 0 while f is not 0 (an infinite derivative, an infinite value at the
// secant's other point), or a value of f, or of g(x) - x, that is 0 or subnormal only by underflow,
// or after an overflow. Nor is a test met where the steps still to come add up to more than ten
// tolerances (steps that shrink too slowly, or a short step from a steep chord), or where f is not
// finite at the result. An iterate that is no finite number is no root, whatever f is there. After
// such a message the run goes on but ends with status 1. A stop signal (Ctrl-C, SIGTERM, SIGHUP)
// ends the iteration after its current step and the program at once, with 128 + the signal's
// number.
//
// A point where f is exactly 0 is a root: a bracketing method with such an end takes no
// step, and Newton's and the secant method's step from it is 0.
#pragma once

#include <cstdint>
#include <limits>
#include <string_view>

#include "rootfinding/real_function.hpp"
#include "runtime/underflow_tracking.hpp"

namespace METHODS {

inline constexpr double TOLERANCE = 1.0e-4;

// The methods' names, as their messages and the dialogue give them.
inline constexpr std::string_view BISEC_NAME = "Bisektion";
inline constexpr std::string_view REGULA_FALSI_NAME = "Regula falsi";
inline constexpr std::string_view ILLINOIS_NAME = "Illinois-Verfahren";
inline constexpr std::string_view NEWTON_NAME = "Newton-Verfahren";
inline constexpr std::string_view SECANT_NAME = "Sekantenverfahren";
inline constexpr std::string_view FIX_NAME = "Fixpunktiteration";
inline constexpr std::string_view STEFFENSEN_NAME = "Steffensen-Verfahren";

// How a method ended: by its test, or with a message saying why not. A stop signal ends
// the program instead.
enum class ENDING {
    CONVERGED,
    STOPPED,        // at the step limit, or in a cycle
    BROKE_DOWN,     // on a NaN
    NO_STEP,        // its test held before the first step, which proves nothing
    NOT_CONVERGED,  // its test held, but not at a root or fixed point (see above)
};

// Whether evaluating the method's function at x underflowed, or overflowed, and how far
// that can have moved its value (see runtime/underflow_tracking.hpp). Asked once, where a
// method would stop on its test.
using UnderflowTest = runtime::FunctionRef<double, runtime::RangeLoss>;
inline runtime::RangeLoss NO_UNDERFLOW(const double&) { return {}; }

// For g: the largest addend an addition or subtraction lost whole in evaluating g at x
// (see runtime/underflow_tracking.hpp). Asked once, where g(x) - x came out 0.
using DropTest = runtime::FunctionRef<double, double>;
inline double NOTHING_DROPPED(const double&) { return 0; }

// How a method stops, and what its log's header shows besides the start values. A
// method that has taken MAX_STEPS steps without meeting its test stops with a message;
// one whose test passes after exactly MAX_STEPS steps has converged.
struct SETTINGS {
    double TOLERANCE = METHODS::TOLERANCE;
    std::int32_t MAX_STEPS = std::numeric_limits<std::int32_t>::max();
    std::string_view HEADER;  // added to the header line: ", f(x) = x^2 - 2, Toleranz= 1e-10"
    UnderflowTest UNDERFLOWS = NO_UNDERFLOW;  // for F, or G for the fixed-point methods
    DropTest DROPPED = NOTHING_DROPPED;       // for G
};

// Halves [A, B] until |F| at the midpoint X is at most TOLERANCE. Either order of A, B.
ENDING BISEC(double& A, double& B, double& X, RealFunction F, std::int32_t& STEPS,
             std::string_view AUSGABE, const SETTINGS& RUN = {});

// Newton's method from XSTART until two iterates differ by at most TOLERANCE. The first
// step is always taken, except that for a TOLERANCE below 1 the iterate before it is
// taken as XSTART + 1: from |XSTART| >= 2^53, where that is XSTART, no step is taken.
ENDING NEWTON(double& XSTART, std::int32_t& STEPS, RealFunction F, RealFunction DF,
              std::string_view AUSGABE, const SETTINGS& RUN = {});

// x = F(x) from XSTART until |F(x) - x| is at most TOLERANCE.
ENDING FIX(double& XSTART, RealFunction F, std::int32_t& STEPS, std::string_view AUSGABE,
           const SETTINGS& RUN = {});

// Regula falsi and the Illinois variant: as BISEC, with the point where the chord through
// the ends meets the axis in place of the midpoint. Either order of A, B.
ENDING REGULA_FALSI(double& A, double& B, double& X, RealFunction F, std::int32_t& STEPS,
                    std::string_view AUSGABE, const SETTINGS& RUN = {});
ENDING ILLINOIS(double& A, double& B, double& X, RealFunction F, std::int32_t& STEPS,
                std::string_view AUSGABE, const SETTINGS& RUN = {});

// The secant method from X0, X1 until two iterates differ by at most TOLERANCE; X1 is left
// at the last iterate. Starts that already differ by no more take no step, which is
// reported as Newton's start that takes none.
ENDING SECANT(double& X0, double& X1, std::int32_t& STEPS, RealFunction F, std::string_view AUSGABE,
              const SETTINGS& RUN = {});

// Steffensen's method for a fixed point of F, from XSTART until |F(x) - x| is at most
// TOLERANCE, tested as FIX tests it.
ENDING STEFFENSEN(double& XSTART, RealFunction F, std::int32_t& STEPS, std::string_view AUSGABE,
                  const SETTINGS& RUN = {});

}  // namespace METHODS
