#include "log_analysis.hpp"

#include "log_reader.hpp"

#include <cmath>

namespace konvergenz {

MethodSummary analyse_log(const std::filesystem::path& log_path, const Method& method,
                          std::size_t max_chart_points)
{
    LogReader reader(log_path, method.header_keyword);
    Downsampler downsampler(max_chart_points);
    MethodSummary summary;
    summary.method = &method;
    summary.start_values = parse_start_values(method.kind, reader.header());

    LogRecord record;
    while (reader.next(record)) {
        const double f = function_value(method.kind, record.x, record.third_item);
        summary.stats.add(record.step, record.x, f);
        const double residual = std::fabs(f);
        if (std::isfinite(residual)) downsampler.add({record.step, residual});
    }
    summary.chart_points = downsampler.points();
    summary.warnings = reader.warnings();
    summary.estimate = estimate_error(method.kind, summary.start_values, summary.stats);
    return summary;
}

}  // namespace konvergenz
