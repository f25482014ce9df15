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

// The first records are kept for the chart of the first steps: as many as it draws, and
// the one after them, which holds where the last one drawn leads.
inline constexpr std::size_t kept_first_records = 9;

// What konvergenz learns from one log: the figures for the table and the
// thinned-out points for the chart.
struct MethodSummary {
    const Method* method = nullptr;
    std::size_t steps = 0;  // the records in the log
    // The records' figures; for the fixed-point iteration and Steffensen's method, whose
    // last record leads to the result, also the result's record (see Replay::result).
    ConvergenceStats stats;
    std::vector<ChartPoint> chart_points;  // finite |f| only, in step order
    std::vector<LogRecord> first_records;  // at most kept_first_records
    std::vector<std::string> warnings;     // about the log, one line each, for the user
    // The run's inputs from the header; nullopt if konvergenz does not understand it.
    std::optional<std::vector<NamedValue>> start_values;
    // The formulas the header names where quarlen ran on typed ones, and the run's
    // tolerance, the one its stopping test and the 10x rule compare with; nullopt where
    // the header is not understood and the tolerance is unknown.
    TypedEquation equation;
    std::optional<double> tolerance = METHODS::TOLERANCE;
    // For a log without a step, estimated from a step replayed from the start values.
    ErrorEstimate estimate;
    // The estimated error of the secant method's result, which lies a step beyond the
    // last record's iterate and can differ from it by far; see Replay.
    std::optional<double> result_error;
    // The run's last step, replayed, fails the stopping test: the run was interrupted,
    // killed, stopped by a limit or the cycle check, or it broke down. No limit is then
    // estimated.
    bool unfinished = false;
    // Where the test held all the same, why quarlen finds no root there.
    enum class NoRoot { test_failed, value_lost, too_slow, start_only, unresolved };
    NoRoot no_root = NoRoot::test_failed;
    bool cut = false;  // a cut last line was left out
    // The log comes from an earlier run: it is older than an earlier stage's log, or its
    // functions or tolerance differ from those of the newest log.
    bool stale = false;

    // Whether konvergenz understands the header: else the run's functions and tolerance
    // are unknown, and nothing that depends on them is said.
    bool header_read() const { return start_values.has_value(); }

    // The error by which the run's end is judged against the tolerance: the result's
    // where there is one, else the last iterate's; none for a run that does not converge.
    std::optional<double> judged_error() const
    {
        if (estimate.diverging) return std::nullopt;
        return result_error ? result_error : estimate.error;
    }

    // The order of convergence, where the method has one and the run converges.
    std::optional<double> order() const
    {
        if (!method->shows_order || estimate.diverging) return std::nullopt;
        return stats.order();
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
