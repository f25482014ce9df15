#include "replay.hpp"

#include "rootfinding/end_tests.hpp"
#include "rootfinding/stopping_tests.hpp"

#include <cmath>

namespace konvergenz {

namespace {

std::optional<double> finite_or_none(double value)
{
    if (!std::isfinite(value)) return std::nullopt;
    return value;
}

// quarlen does not count a test met where f at the last iterate X is so small only
// by underflow, where the step from it is 0 though f(x) = FX is not (CORRECTION), or where
// f is not finite at the result NEXT: none of these is a root.
Replay earned(Replay replay, const RunSetting& run, double x, double fx, double correction,
              double next)
{
    if (!replay.met) return replay;
    replay.value_lost =
        METHODS::LOSS_BEHIND(x, fx, run.f_underflows,
                             METHODS::STEP_TOLERANCE(fx, correction, run.tolerance)) !=
        runtime::Loss::none;
    replay.met = !replay.value_lost && !(fx != 0 && correction == 0) && std::isfinite(run.f(next));
    return replay;
}

// A root found by a bracketing method: not where F at X is so small only by underflow,
// nor at an X that is no finite number (a chord can meet the axis at an infinity).
Replay earned_root(Replay replay, const RunSetting& run, double x, double fx)
{
    if (!replay.met) return replay;
    replay.value_lost =
        METHODS::LOSS_BEHIND(x, fx, run.f_underflows, run.tolerance) != runtime::Loss::none;
    replay.met = !replay.value_lost && std::isfinite(x);
    return replay;
}

// Newton's, the secant or Steffensen's method's test met at X, after steps of EARLIER and LATER,
// with AHEAD still to go, as quarlen judges it: where the steps do not shrink, or too slowly, X is
// no root found. The error of X is then what the steps still to come add up to, as quarlen names
// it, and none is estimated where they do not shrink.
Replay too_slow(Replay replay, std::optional<double> left = std::nullopt)
{
    replay.met = false;
    replay.too_slow = true;
    replay.result_error = left;
    return replay;
}
Replay unless_slow(Replay replay, const RunSetting& run, double x, double earlier, double later,
                   double ahead)
{
    if (!replay.met || !METHODS::STEPS_TOO_SLOW(x, earlier, later, ahead, run.tolerance))
        return replay;
    if (later < earlier) return too_slow(replay, METHODS::STEPS_LEFT(earlier, later, ahead));
    return too_slow(replay);
}

// Nor where the rounding level of X exceeds the tolerance and F, whose value at X is FX,
// shows no root within that level.
Replay unless_no_root_within_rounding(Replay replay, const RunSetting& run, double x, double fx)
{
    if (!replay.met || !METHODS::NO_ROOT_WITHIN_ROUNDING(x, fx, run.tolerance, run.f))
        return replay;
    replay.met = false;
    replay.no_root_within_rounding = true;
    replay.result_error.reset();
    return replay;
}

// Nor where g(x) - x = V at X is so small only by underflow, or 0 only by rounding.
Replay earned_fixed_point(Replay replay, const RunSetting& run, double x, double v)
{
    if (!replay.met) return replay;
    double lost;
    replay.value_lost =
        METHODS::LOSS_BEHIND(x, v, run.g_underflows, run.tolerance) != runtime::Loss::none ||
        METHODS::ZERO_BY_ROUNDING(x, v, run.g, run.g_dropped, run.tolerance, lost);
    replay.met = !replay.value_lost;
    return replay;
}

// A log without a step, from FIRST, the record of the run's first point. Where the test
// held there, the run ended at that point before any step, and it is the result.
Replay without_a_step(Replay replay)
{
    if (replay.met) replay.result = replay.first_steps.front();
    return replay;
}

// An end of [a, b] where F is exactly 0 is a root found before any step, unless only
// underflow made it 0: the run ends there, and the record of that point shows it.
std::optional<Replay> end_at_a_root(const RunSetting& run, std::span<const double> ends)
{
    for (const double end : ends) {
        if (run.f(end) == 0.0)
            return without_a_step(earned_root(Replay{true, {{0, end, 0.0}}}, run, end, 0.0));
    }
    return std::nullopt;
}

// The bracketing methods' test at the point X, where F is FX; a log without a step shows
// that point as its first record.
Replay bracket_test(const RunSetting& run, double x, double fx)
{
    return earned_root(Replay{METHODS::BISEC_MEASURE(fx) <= run.tolerance, {{0, x, fx}}}, run, x,
                       fx);
}

}  // namespace

// What a record holds is taken from it, so that only what it lacks is evaluated.

std::optional<Replay> replay_bisection(const RunSetting& run, const LogEnd& end,
                                       std::span<const double> inputs)
{
    // The test after a step is made at that step's own midpoint, which the record shows.
    if (const auto& last = end.last) return bracket_test(run, last->x, last->third_item);
    if (inputs.size() != 2) return std::nullopt;
    if (auto root = end_at_a_root(run, inputs)) return root;
    const double x = METHODS::MIDPOINT(inputs[0], inputs[1]);
    return without_a_step(bracket_test(run, x, run.f(x)));
}

std::optional<Replay> replay_chord(const RunSetting& run, const LogEnd& end,
                                   std::span<const double> inputs)
{
    if (const auto& last = end.last) return bracket_test(run, last->x, last->third_item);
    if (inputs.size() != 2) return std::nullopt;
    if (auto root = end_at_a_root(run, inputs)) return root;
    const double a = inputs[0], b = inputs[1];
    const double x = METHODS::CHORD_POINT(a, run.f(a), b, run.f(b));
    return without_a_step(bracket_test(run, x, run.f(x)));
}

std::optional<Replay> replay_newton(const RunSetting& run, const LogEnd& end,
                                    std::span<const double> inputs)
{
    // Where f is exactly 0 the step is 0, as quarlen takes it, even where f' is 0 too.
    const auto step = [&run](double x, double fx) {
        return fx == 0.0 ? x : METHODS::NEWTON_STEP(x, fx, run.df(x));
    };
    if (const auto& last = end.last) {
        const double x = last->x, fx = last->third_item;
        const double next = step(x, fx);
        const double correction = fx == 0.0 ? 0.0 : METHODS::NEWTON_CORRECTION(fx, run.df(x));
        Replay replay = earned(Replay{METHODS::NEWTON_MEASURE(next, x) <= run.tolerance}, run, x,
                               fx, correction, next);
        if (!replay.met) return replay;
        // The step after the last, from the result, shows what is left.
        const double f_next = run.f(next);
        const double ahead = METHODS::NEWTON_AHEAD(f_next, run.df(next));
        replay = unless_slow(replay, run, next, std::fabs(next - x), ahead, ahead);
        if (replay.met &&
            METHODS::NEWTON_FOLLOWED(last->step + 1, next, f_next, fx, run.tolerance, run.f, run.df)
                    .STEPS > 0)
            return too_slow(replay);
        return unless_no_root_within_rounding(replay, run, next, f_next);
    }
    if (inputs.size() != 1) return std::nullopt;
    const double x0 = inputs[0];
    const double f0 = run.f(x0);
    const double x1 = step(x0, f0);
    // quarlen starts from a previous iterate x0 + 1, which meets the test only where
    // adding 1 leaves x0 as it is: then the test compared x0 with itself, and quarlen ends
    // without a step and without a root. A log without a step is never a root found.
    Replay replay{false, {{0, x0, f0}, {1, x1, run.f(x1)}}};
    replay.start_only = run.tolerance < 1 && x0 + 1 == x0;
    return replay;
}

std::optional<Replay> replay_secant(const RunSetting& run, const LogEnd& end,
                                    std::span<const double> inputs)
{
    // A record holds x1 and F(x1); the step also needs x0 and F(x0), which the record
    // before holds, or for the first step the header's x0.
    if (const auto& last = end.last) {
        double x0, f0;
        if (end.before_last) {
            x0 = end.before_last->x;
            f0 = end.before_last->third_item;
        } else if (inputs.size() == 2) {
            x0 = inputs[0];
            f0 = run.f(x0);
        } else {
            return std::nullopt;
        }
        const double x1 = last->x, f1 = last->third_item;
        // Where F(x1) is exactly 0, x1 is the root and the step 0, even where F(x0) is 0 too;
        // an x1 that is no finite number is none (1/x is 0 at infinity).
        if (f1 == 0.0) return earned(Replay{std::isfinite(x1)}, run, x1, f1, 0.0, x1);
        const double x2 = METHODS::SECANT_STEP(x0, f0, x1, f1);
        Replay replay = earned(Replay{METHODS::NEWTON_MEASURE(x2, x1) <= run.tolerance}, run, x1,
                               f1, METHODS::SECANT_CORRECTION(x0, f0, x1, f1), x2);
        // A chord through points far apart can take a tiny step far from the root; the
        // step after it, from points close together, shows how far x2 is off.
        const double f2 = run.f(x2);
        replay.result_error = finite_or_none(std::fabs(METHODS::SECANT_STEP(x1, f1, x2, f2) - x2));
        if (!replay.met) return replay;
        const long long steps = last->step + 1;
        const double last_step = std::fabs(x2 - x1);
        const double correction =
            METHODS::SECANT_AHEAD_CORRECTION(x1, f1, x2, f2, run.f, run.tolerance);
        const double ahead = std::fabs(correction);
        // A last step too short to move x leaves no chord; one at x shows whether x is the
        // root, or the method followed on from there. Where it is not, that step far from the
        // root sizes nothing.
        if (last_step == 0) {
            const bool far =
                METHODS::STILL_AHEAD_TOO_FAR(x2, ahead, run.tolerance) ||
                METHODS::SECANT_FOLLOWED(x2, correction, run.tolerance, run.f).STEPS > 0;
            if (far) return too_slow(replay);
        } else {
            for (const auto& pair : METHODS::SECANT_STEP_PAIRS(steps, std::fabs(x1 - x0), last_step,
                                                               ahead, run.tolerance))
                replay = unless_slow(replay, run, x2, pair.EARLIER, pair.LATER, pair.AHEAD);
        }
        return unless_no_root_within_rounding(replay, run, x2, f2);
    }
    if (inputs.size() != 2) return std::nullopt;
    const double x0 = inputs[0], x1 = inputs[1];
    // quarlen ends without a step only where the starts lie within the tolerance, and
    // that finds no root. The starts as the records of two steps: a secant through them
    // sizes the error of x1.
    Replay replay{false, {{0, x0, run.f(x0)}, {1, x1, run.f(x1)}}};
    replay.start_only = METHODS::NEWTON_MEASURE(x1, x0) <= run.tolerance;
    return replay;
}

std::optional<Replay> replay_fixed_point(const RunSetting& run, const LogEnd& end,
                                         std::span<const double> inputs)
{
    // The record's g(x) is the iterate the next test is made at, and the result.
    if (const auto& last = end.last) {
        const double x = last->third_item;
        const double gx = run.g(x);
        Replay replay = earned_fixed_point(Replay{METHODS::FIX_MEASURE(gx, x) <= run.tolerance},
                                           run, x, gx - x);
        replay.result = LogRecord{last->step + 1, x, gx};
        replay.after_result = LogRecord{last->step + 2, gx, run.g(gx)};
        return replay;
    }
    if (inputs.size() != 1) return std::nullopt;
    const double x0 = inputs[0];
    const double x1 = run.g(x0);
    return without_a_step(earned_fixed_point(
        Replay{METHODS::FIX_MEASURE(x1, x0) <= run.tolerance, {{0, x0, x1}, {1, x1, run.g(x1)}}},
        run, x0, x1 - x0));
}

std::optional<Replay> replay_steffensen(const RunSetting& run, const LogEnd& end,
                                        std::span<const double> inputs)
{
    // The step from x, where g(x) = y. From an exact fixed point it would be 0/0; the
    // iteration stays there, as Newton's does at an exact root. Where the step is no finite
    // number (g linear there divides by 0), the result is judged by g(x), what the test
    // compared x with.
    const auto step = [&run](double x, double y) {
        return y == x ? x : METHODS::STEFFENSEN_STEP(x, y, run.g(y));
    };
    const auto result_of = [](double next, double y) { return std::isfinite(next) ? next : y; };
    // The record's second item is the iterate the next test is made at, and the result.
    if (const auto& last = end.last) {
        const double x = last->third_item;
        const double y = run.g(x);
        Replay replay =
            earned_fixed_point(Replay{METHODS::FIX_MEASURE(y, x) <= run.tolerance}, run, x, y - x);
        const double next = step(x, y);
        replay.result = LogRecord{last->step + 1, x, result_of(next, y)};
        replay.step_not_finite = !std::isfinite(next);
        // As quarlen weighs the steps; a log cut to one record has no step before the last.
        const auto& before = end.before_last;
        for (const auto& pair : METHODS::STEFFENSEN_STEP_PAIRS(
                 before ? last->step + 1 : 1, before ? std::fabs(last->x - before->x) : 0.0,
                 std::fabs(x - last->x), std::fabs(next - x)))
            replay = unless_slow(replay, run, x, pair.EARLIER, pair.LATER, pair.AHEAD);
        return replay;
    }
    if (inputs.size() != 1) return std::nullopt;
    const double x0 = inputs[0];
    const double y0 = run.g(x0);
    const double next = step(x0, y0);
    Replay replay = without_a_step(earned_fixed_point(
        Replay{METHODS::FIX_MEASURE(y0, x0) <= run.tolerance, {{0, x0, result_of(next, y0)}}}, run,
        x0, y0 - x0));
    replay.step_not_finite = !std::isfinite(next);
    return replay;
}

}  // namespace konvergenz
