#pragma once

#include "convergence_stats.hpp"
#include "downsampler.hpp"
#include "error_estimate.hpp"
#include "log_header.hpp"
#include "method.hpp"

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
    // For a log without a step, estimated from a step replayed from the start values.
    ErrorEstimate estimate;
    // The run's last step, replayed, fails the stopping test: the run was interrupted,
    // killed, stopped by a limit or the cycle check, or it broke down. No limit is then
    // estimated.
    bool unfinished = false;
    bool cut = false;    // a cut last line was left out
    bool stale = false;  // the log is older than an earlier stage's log
};

// Reads the whole log in one streaming pass. `setting` holds the functions and the
// tolerance of the run the log comes from; without them nothing is replayed. Throws
// LogError on a log that cannot be used, Interrupted on a stop signal.
MethodSummary analyse_log(const std::filesystem::path& log_path, const Method& method,
                          const std::optional<RunSetting>& setting = quarlen_setting(),
                          std::size_t max_chart_points = 2000);

}  // namespace konvergenz
