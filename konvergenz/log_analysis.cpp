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

    LogRecord record;
    while (reader.next(record)) {
        const double f = residual(method.kind, record.x, record.third_item);
        summary.stats.add(record.step, record.x, f);
        if (std::isfinite(f)) downsampler.add({record.step, f});
    }
    summary.chart_points = downsampler.points();
    summary.warnings = reader.warnings();
    return summary;
}

}  // namespace konvergenz
