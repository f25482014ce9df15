#include "log_analysis.hpp"

#include "log_reader.hpp"

#include <cmath>

namespace konvergenz {
namespace {

// The stopping test made again where the run ended; for a log without a step, the error
// of the start estimated from the steps it would have taken.
void judge_the_end(MethodSummary& summary, const RunSetting& setting,
                   const std::optional<LogRecord>& last)
{
    std::vector<double> inputs;
    for (const NamedValue& v : summary.start_values.value_or(std::vector<NamedValue>{}))
        inputs.push_back(v.value);
    const std::optional<Replay> replay = summary.method->replay(setting, last, inputs);
    if (!replay) return;
    summary.unfinished = !replay->met;
    if (last || replay->first_steps.empty()) return;
    ConvergenceStats replayed;
    for (const LogRecord& r : replay->first_steps)
        replayed.add(r.step, r.x, function_value(summary.method->kind, r.x, r.third_item));
    summary.estimate = estimate_error(summary.method->kind, summary.start_values, replayed);
    // A secant step from the start says how far off it is, not where the root lies.
    summary.estimate.limit.reset();
}

}  // namespace

MethodSummary analyse_log(const std::filesystem::path& log_path, const Method& method,
                          const std::optional<RunSetting>& setting, std::size_t max_chart_points)
{
    LogReader reader(log_path, method.header_keyword);
    Downsampler downsampler(max_chart_points);
    MethodSummary summary;
    summary.method = &method;
    summary.start_values = parse_start_values(method.kind, reader.header());

    LogRecord record;
    std::optional<LogRecord> last;
    while (reader.next(record)) {
        const double f = function_value(method.kind, record.x, record.third_item);
        summary.stats.add(record.step, record.x, f);
        const double residual = std::fabs(f);
        if (std::isfinite(residual)) downsampler.add({record.step, residual});
        last = record;
    }
    summary.chart_points = downsampler.points();
    summary.warnings = reader.warnings();
    summary.cut = reader.cut();
    summary.estimate = estimate_error(method.kind, summary.start_values, summary.stats);
    if (setting) judge_the_end(summary, *setting, last);
    if (summary.unfinished) summary.estimate.limit.reset();
    return summary;
}

}  // namespace konvergenz
