#pragma once

#include "log_reader.hpp"

#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace konvergenz {

// The functions and the tolerance of the run a log comes from.
struct RunSetting {
    std::function<double(double)> f;   // bisection and Newton's method
    std::function<double(double)> df;  // Newton's method
    std::function<double(double)> g;   // the fixed-point iteration
    double tolerance = 0.0;
};

// quarlen's own: F1, DF1, GF2 and its tolerance, taken from quarlen's module.
RunSetting quarlen_setting();

// A log shows the iterate each step started from, but not always the test that ended
// the run: Newton's method and the fixed-point iteration make it at the next iterate.
// A replay makes that test again, from the last record with the run's functions in
// quarlen's order of evaluation, so that it comes to the same bits.
struct Replay {
    bool met = false;  // the stopping test holds where the run ended
    // For a log without a step: the records its first steps would have had, replayed
    // from the start values, so that the start can be judged.
    std::vector<LogRecord> first_steps;
};

// Each method's replay: from its last record, or, without one, from the inputs its
// header names (a and b, or x0). Nullopt where there is neither.
using ReplayFunction = std::optional<Replay> (*)(const RunSetting& run,
                                                 const std::optional<LogRecord>& last,
                                                 std::span<const double> inputs);

std::optional<Replay> replay_bisection(const RunSetting& run, const std::optional<LogRecord>& last,
                                       std::span<const double> inputs);
std::optional<Replay> replay_newton(const RunSetting& run, const std::optional<LogRecord>& last,
                                    std::span<const double> inputs);
std::optional<Replay> replay_fixed_point(const RunSetting& run,
                                         const std::optional<LogRecord>& last,
                                         std::span<const double> inputs);

}  // namespace konvergenz
