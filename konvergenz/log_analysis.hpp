#pragma once

#include "convergence_stats.hpp"
#include "downsampler.hpp"
#include "error_estimate.hpp"
#include "log_header.hpp"
#include "method.hpp"
#include "rootfinding/methods.hpp"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace konvergenz {

// What konvergenz learns from one log: the figures for the table and the
// thinned-out points for the chart.
struct MethodSummary {
    const Method* method = nullptr;
    ConvergenceStats stats;
    std::vector<ChartPoint> chart_points;  // finite |f| only, in step order
    std::vector<std::string> warnings;     // about the log, one line each, for the user
    // The run's inputs from the header; nullopt if it does not name them.
    std::optional<std::vector<NamedValue>> start_values;
    // The formulas the header names where quarlen ran on typed ones, and the run's
    // tolerance, the one its stopping test and the 10x rule compare with.
    TypedEquation equation;
    double tolerance = METHODS::TOLERANCE;
    // For a log without a step, estimated from a step replayed from the start values.
    ErrorEstimate estimate;
    // The estimated error of the run's result where that lies a step beyond the last
    // record's iterate and can differ from it by far (Steffensen's and the secant
    // method); see Replay.
    std::optional<double> result_error;
    // The run's last step, replayed, fails the stopping test: the run was interrupted,
    // killed, stopped by a limit or the cycle check, or it broke down. No limit is then
    // estimated.
    bool unfinished = false;
    bool cut = false;    // a cut last line was left out
    bool stale = false;  // the log is older than an earlier stage's log

    // The error by which the run's end is judged against the tolerance: the result's
    // where there is one, else the last iterate's.
    std::optional<double> judged_error() const
    {
        return result_error ? result_error : estimate.error;
    }
};

// Whether the end of a run is judged by replaying its last step with the functions its
// header names (quarlen's own where it names none). A log whose header konvergenz does
// not understand is never replayed: its run's functions are unknown.
enum class Judging { replay, none };

// Reads the whole log in one streaming pass. Throws LogError on a log that cannot be
// used (a formula in its header that does not compile included), Interrupted on a stop
// signal.
MethodSummary analyse_log(const std::filesystem::path& log_path, const Method& method,
                          Judging judging = Judging::replay, std::size_t max_chart_points = 2000);

}  // namespace konvergenz
