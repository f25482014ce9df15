// Messages for an iteration that ended otherwise than by meeting its tolerance. Called
// after the method has closed its log, so the log is complete whatever follows. Each
// returns how the method ended.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "rootfinding/end_tests.hpp"
#include "rootfinding/methods.hpp"
#include "rootfinding/real_function.hpp"
#include "runtime/iteration_watch.hpp"

namespace METHODS {

// WHY is not go. A stop signal ends the program with 128 + its number, naming the last
// step in the log AUSGABE; a step limit or a cycle is reported, with CYCLE saying what
// repeats, and the run goes on to end with status 1.
ENDING REPORT_STOP(std::string_view METHOD, runtime::Verdict WHY, std::int32_t STEPS, double X,
                   std::string_view CYCLE, std::string_view AUSGABE);

// A NaN ended the loop; WHAT says which value it is and where. STEP numbers the broken
// step as the log does: the number of its own record where the log holds one, otherwise
// the number after the log's last.
ENDING REPORT_BREAKDOWN(std::string_view METHOD, std::int32_t STEP, std::string_view WHAT);

// The method took no step at all although X does not meet its test; WHY says why.
ENDING REPORT_NO_STEP(std::string_view METHOD, std::string_view WHY);

// The method met its test after STEPS steps at X, but X is no root or fixed point found,
// for the reason WHY names: a failure of the arithmetic, or steps still far from done.
ENDING REPORT_NOT_CONVERGED(std::string_view METHOD, std::int32_t STEPS, double X,
                            std::string_view WHY);

// Why a result where the function NAME has the value V, infinite or NaN, is no root.
std::string NOT_FINITE_THERE(std::string_view NAME, double V);

// Newton's method or the secant method met its test at X, after steps of EARLIER and then
// LATER, and AHEAD is the distance a step from X would go (0 where LATER starts at X).
// The test bounds a step, not the distance to the root: where the steps do not shrink, or
// shrink so slowly that those still to come add up to more than ten tolerances, X is no
// root found, and that is reported. Steps at the rounding level of X say nothing.
// Steffensen's method is judged so too, with FIXED_POINT naming a fixed point.
ENDING CONVERGED_UNLESS_SLOW(std::string_view METHOD, std::int32_t STEPS, double X, double EARLIER,
                             double LATER, double AHEAD, double TOLERANCE,
                             bool FIXED_POINT = false);

// The method, followed on from X (NEWTON_FOLLOWED, SECANT_FOLLOWED), went more than ten
// tolerances beyond it: that is reported.
ENDING CONVERGED_UNLESS_FOLLOWED_FAR(std::string_view METHOD, std::int32_t STEPS, double X,
                                     const FOLLOWED& ON);

// The last step was too short to move X, which ended the loop; the step AHEAD from X
// shows whether that was the root or only a steep chord: more than ten tolerances and
// the rounding level of X are reported.
ENDING CONVERGED_UNLESS_STILL_AHEAD(std::string_view METHOD, std::int32_t STEPS, double X,
                                    double AHEAD, double TOLERANCE);
// Newton's method or the secant method met its test at X, where F, called NAME, is FX: where
// the rounding level of X exceeds the tolerance and F shows no root within that level
// (NO_ROOT_WITHIN_ROUNDING), that is reported.
ENDING CONVERGED_UNLESS_NO_ROOT_WITHIN_ROUNDING(std::string_view METHOD, std::int32_t STEPS,
                                                double X, double FX, double TOLERANCE,
                                                RealFunction F, std::string_view NAME);

// The method met its test at X with V, the value it measures there: f(x), or g(x) - x
// where FIXED_POINT. That is convergence unless UNDERFLOWS finds that only underflow, or
// an overflow on the way, made V so small: V is 0 or subnormal, or the test is |V| <=
// TOLERANCE and the loss leaves open whether the exact |V| meets it. That is reported.
ENDING CONVERGED_UNLESS_UNDERFLOW(std::string_view METHOD, std::int32_t STEPS, double X, double V,
                                  UnderflowTest UNDERFLOWS, double TOLERANCE,
                                  bool FIXED_POINT = false);

// The fixed point or Steffensen met its test at X with V = g(x) - x, G being g. As above,
// and a V of 0 is no fixed point where an addend beyond the tolerance was lost in g's sums
// and g(y) - y keeps its sign a few units in the last place either side: at x = 1e17,
// x + 1 is x. Where it changes sign there, x is as near a fixed point as doubles get.
ENDING FIXED_POINT_UNLESS_LOST(std::string_view METHOD, std::int32_t STEPS, double X, double V,
                               RealFunction G, const SETTINGS& RUN);

}  // namespace METHODS
