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
    ErrorEstimate estimate;
};

// Reads the whole log in one streaming pass. Throws LogError on a log that
// cannot be used, Interrupted on a stop signal.
MethodSummary analyse_log(const std::filesystem::path& log_path, const Method& method,
                          std::size_t max_chart_points = 2000);

}  // namespace konvergenz
