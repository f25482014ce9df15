// Whether a run that met its test found a root, decided from the numbers alone: rounding,
// losses on the way, and the steps still to come. quarlen's endings report what these find,
// and konvergenz replays a run's end with them, so that both come to the same verdict.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "rootfinding/methods.hpp"
#include "rootfinding/real_function.hpp"

namespace METHODS {

// Four units in the last place of X: steps that short are rounding, not the method.
double ROUNDING_LEVEL(double X);

// What evaluating the function at X lost on the way to its value V, where that made V so
// small: V is 0 or subnormal, or the loss leaves open whether |V| is beyond TOLERANCE.
// Otherwise none.
runtime::Loss LOSS_BEHIND(double X, double V, UnderflowTest UNDERFLOWS, double TOLERANCE);

// Newton's method and the secant method test the step CORRECTION = FX/s, s the slope the
// step used, not FX: the tolerance that LOSS_BEHIND weighs FX against for them, so that a
// part of f hidden by a loss counts where it could lengthen the step beyond TOLERANCE, that
// is exceeds TOLERANCE |s|. Infinite where the step tells no slope.
double STEP_TOLERANCE(double FX, double CORRECTION, double TOLERANCE);

// Whether X, where the test held after steps of EARLIER and then LATER with AHEAD still to
// go (0 where LATER starts at X), is no root found, as CONVERGED_UNLESS_SLOW decides it:
// the steps do not shrink, or those still to come add up to more than ten tolerances.
// Steps at the rounding level of X say nothing. STEPS_LEFT is what the steps add up to
// from X where they shrink.
bool STEPS_TOO_SLOW(double X, double EARLIER, double LATER, double AHEAD, double TOLERANCE);
double STEPS_LEFT(double EARLIER, double LATER, double AHEAD);

// Two steps and the one still ahead, as CONVERGED_UNLESS_SLOW weighs them.
struct STEP_PAIR {
    double EARLIER, LATER, AHEAD;
};
struct STEP_PAIRS {
    std::array<STEP_PAIR, 2> ITEMS{};
    std::size_t COUNT = 0;
    const STEP_PAIR* begin() const { return ITEMS.data(); }
    const STEP_PAIR* end() const { return ITEMS.data() + COUNT; }
};

// The pairs that weigh a secant run that met its test after STEPS steps, BEFORE and LAST
// the last two, NEXT the step from the result; in their order, the first too slow decides.
// quarlen's ending and konvergenz's replay of it both take them from here.
STEP_PAIRS SECANT_STEP_PAIRS(std::int64_t STEPS, double BEFORE, double LAST, double NEXT,
                             double TOLERANCE);
// The same for Steffensen's method, AHEAD being the step from the result.
STEP_PAIRS STEFFENSEN_STEP_PAIRS(std::int64_t STEPS, double BEFORE, double LAST, double AHEAD);

// Where one step ahead tells little, the method is followed on from its result X, up to
// FOLLOW_STEPS steps: whether it goes on more than ten tolerances beyond X before its steps
// die down. STEPS is the step after which that first held (0 where it never did), DISTANCE
// how far from X the iterate then lay.
struct FOLLOWED {
    std::int32_t STEPS = 0;
    double DISTANCE = 0;
};
inline constexpr std::int32_t FOLLOW_STEPS = 1000;

// Newton's method that met its test after STEPS steps at X, where F(X) = FX, f having been
// FBEFORE where the last step began. After one step that went uphill, to a larger |f|,
// that step's length tells nothing of how fast the steps shrink, and neither do one or two
// more: beside a pole they are short however far the root is. Followed there only.
FOLLOWED NEWTON_FOLLOWED(std::int64_t STEPS, double X, double FX, double FBEFORE, double TOLERANCE,
                         RealFunction F, RealFunction DF);
// The secant method whose last step left X1 unchanged, the chord at X1 giving CORRECTION
// (SECANT_AHEAD_CORRECTION). Where that step is longer than the tolerance, the run would
// not have stopped after it, and one step says nothing of how fast the steps shrink: on a
// steep exponential each is about f/f', however far the root is. Followed there only.
FOLLOWED SECANT_FOLLOWED(double X1, double CORRECTION, double TOLERANCE, RealFunction F);

// Whether the step AHEAD from X, where the last step left X unchanged, is more than ten
// tolerances and the rounding level of X: then the short step was a steep chord's doing.
bool STILL_AHEAD_TOO_FAR(double X, double AHEAD, double TOLERANCE);

// Whether X, a result of Newton's or the secant method where f is FX, shows no root though
// the rounding level of X exceeds the tolerance, so that steps within the tolerance cannot
// be told from rounding there: F keeps its sign twice the rounding level either side, and
// |FX| is not tiny against |F| a million times as far off, as it is beside a root where F
// touches 0 without crossing. Where doubles lie as far apart as F's own features, or
// farther (sin(x) at 1e16), a step below their spacing says nothing of a root.
bool NO_ROOT_WITHIN_ROUNDING(double X, double FX, double TOLERANCE, RealFunction F);

// The secant step from X1, as the correction X1 less the point it leads to, with X0 the point
// before and FX0, FX1 the values of F there. Where the last step did not move (X1 = X0) that chord
// has no slope; a chord from X1 to a point the tolerance or the rounding level away takes its
// place. Otherwise a correction too small for the last bit would pass for convergence wherever the
// chord before it was steep, far from any root.
double SECANT_AHEAD_CORRECTION(double X0, double FX0, double X1, double FX1, RealFunction F,
                               double TOLERANCE);

// Whether V = g(x) - x = 0 at X is rounding only: a sum in G lost an addend beyond
// TOLERANCE whole (DROPPED says how large), and g(y) - y keeps its sign a few units in the
// last place either side of X. Where it changes sign there, X is as near a fixed point as
// doubles get. DROPPED_OUT is set to the addend lost.
bool ZERO_BY_ROUNDING(double X, double V, RealFunction G, DropTest DROPPED, double TOLERANCE,
                      double& DROPPED_OUT);

}  // namespace METHODS
