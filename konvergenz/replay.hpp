#pragma once

#include "log_reader.hpp"

#include "rootfinding/methods.hpp"
#include "rootfinding/real_function.hpp"

#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace konvergenz {

// The functions and the tolerance of the run a log comes from; the functions refer to
// a RunEquation.
struct RunSetting {
    RealFunction f;   // the bracketing methods, Newton's and the secant method
    RealFunction df;  // Newton's method
    RealFunction g;   // the fixed-point iteration and Steffensen's method
    double tolerance;
    // How far an underflow or overflow on the way can have moved a value of f or g, and the
    // largest addend g's sums lost whole, as quarlen asks before it reports convergence.
    METHODS::UnderflowTest f_underflows = METHODS::NO_UNDERFLOW;
    METHODS::UnderflowTest g_underflows = METHODS::NO_UNDERFLOW;
    METHODS::DropTest g_dropped = METHODS::NOTHING_DROPPED;
};

// The last two records of a log, where it has them.
struct LogEnd {
    std::optional<LogRecord> before_last;
    std::optional<LogRecord> last;
};

// A log shows the iterate each step started from, but not always the test that ended
// the run: Newton's, the secant and Steffensen's method and the fixed-point iteration
// make it at the next iterate. A replay makes that test again, from the last records
// with the run's functions in quarlen's order of evaluation, so that it comes to the
// same bits.
struct Replay {
    explicit Replay(bool met_there, std::vector<LogRecord> steps = {})
        : met(met_there), first_steps(std::move(steps))
    {
    }

    bool met;  // the stopping test holds where the run ended
    // The value the test measured there, f or g(x) - x, is 0 or subnormal only by underflow,
    // or 0 only by rounding: it sizes no error.
    bool value_lost = false;
    // Newton's, the secant or Steffensen's method's test held, but the steps still to come
    // add up to more than ten tolerances: quarlen finds no root there, and the last
    // iterate's error is not what the last steps size. result_error is then what the steps
    // still to come add up to, or none where they do not shrink.
    bool too_slow = false;
    // Newton's or the secant method's test held where the rounding level of x exceeds the
    // tolerance, and f shows no root within that level: the doubles about x lie too far
    // apart to show one. No error is sized there.
    bool no_root_within_rounding = false;
    // Newton's or the secant method's log without a step where the test held before the
    // first: it compared only the starts, and quarlen ends without a root.
    bool start_only = false;
    // Steffensen's step from the result is no finite number (g linear there divides by 0):
    // no step sizes the result's error.
    bool step_not_finite = false;
    // For a log without a step: the records its first steps would have had, replayed
    // from the start values, so that the start can be judged.
    std::vector<LogRecord> first_steps;
    // The fixed-point iteration and Steffensen's method stop at the last record's second
    // value, the iterate that met the test or that the run stopped at: the record the run
    // would write next, which shows that result with g(x) or the iterate after it. A run
    // whose test held before its first step (an end of [a, b] that is a root, a first
    // midpoint or chord point, or a start, that meets the tolerance) ended at its first
    // point: that point's record.
    std::optional<LogRecord> result;
    // The fixed-point iteration: the record after the result's. The last record can lie
    // far from the result (a jump onto a point where g(x) - x happens to be small); a
    // secant through the result and the step after it, near together, sizes its error.
    std::optional<LogRecord> after_result;
    // The secant method's result lies a step beyond the last record's iterate, and that
    // step can land far from the root while it is small: the result's distance to one more
    // step replayed from it, its estimated error.
    std::optional<double> result_error;
};

// Each method's replay: from its last records, or, without one, from the inputs its
// header names (a and b, x0 and x1, or x0). Nullopt where there is neither.
using ReplayFunction = std::optional<Replay>(const RunSetting& run, const LogEnd& end,
                                             std::span<const double> inputs);

// Regula falsi and Illinois share replay_chord: their first point is the same chord, and
// each tests |F| at the point its record shows.
ReplayFunction replay_bisection, replay_chord, replay_newton, replay_secant, replay_fixed_point,
    replay_steffensen;

}  // namespace konvergenz
