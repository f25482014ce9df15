#include "replay.hpp"

#include "quarlen/functions.hpp"
#include "quarlen/methods.hpp"
#include "quarlen/stopping_tests.hpp"

namespace konvergenz {

RunSetting quarlen_setting()
{
    return {FUNCTIONS::F1, FUNCTIONS::DF1, FUNCTIONS::GF2, METHODS::TOLERANCE};
}

// What a record holds is taken from it, so that only what it lacks is evaluated.

std::optional<Replay> replay_bisection(const RunSetting& run, const std::optional<LogRecord>& last,
                                       std::span<const double> inputs)
{
    // The test after a step is made at that step's own midpoint, which the record shows.
    if (last) return Replay{METHODS::BISEC_MEASURE(last->third_item) <= run.tolerance, {}};
    if (inputs.size() != 2) return std::nullopt;
    const double x = METHODS::MIDPOINT(inputs[0], inputs[1]);
    const double fx = run.f(x);
    return Replay{METHODS::BISEC_MEASURE(fx) <= run.tolerance, {{0, x, fx}}};
}

std::optional<Replay> replay_newton(const RunSetting& run, const std::optional<LogRecord>& last,
                                    std::span<const double> inputs)
{
    if (last) {
        const double next = METHODS::NEWTON_STEP(last->x, last->third_item, run.df(last->x));
        return Replay{METHODS::NEWTON_MEASURE(next, last->x) <= run.tolerance, {}};
    }
    if (inputs.size() != 1) return std::nullopt;
    const double x0 = inputs[0];
    const double f0 = run.f(x0);
    const double x1 = METHODS::NEWTON_STEP(x0, f0, run.df(x0));
    // quarlen starts from a previous iterate x0 + 1, which meets the test only where
    // adding 1 leaves x0 as it is.
    return Replay{METHODS::NEWTON_MEASURE(x0, x0 + 1) <= run.tolerance,
                  {{0, x0, f0}, {1, x1, run.f(x1)}}};
}

std::optional<Replay> replay_fixed_point(const RunSetting& run,
                                         const std::optional<LogRecord>& last,
                                         std::span<const double> inputs)
{
    // The record's g(x) is the iterate the next test is made at.
    if (last) {
        const double x = last->third_item;
        return Replay{METHODS::FIX_MEASURE(run.g(x), x) <= run.tolerance, {}};
    }
    if (inputs.size() != 1) return std::nullopt;
    const double x0 = inputs[0];
    const double x1 = run.g(x0);
    return Replay{METHODS::FIX_MEASURE(x1, x0) <= run.tolerance, {{0, x0, x1}, {1, x1, run.g(x1)}}};
}

}  // namespace konvergenz
