#include "log_analysis.hpp"

#include "log_reader.hpp"
#include "run_equation.hpp"

#include <cmath>

namespace konvergenz {
namespace {

// Adds a record to the figures, and to the chart where its |f| is finite.
void add_record(MethodSummary& summary, Downsampler& downsampler, RecordBracket& bracket,
                const LogRecord& record)
{
    const double f = function_value(*summary.method, record.x, record.third_item);
    summary.stats.add(record.step, record.x, f);
    if (summary.method->error_rule == ErrorRule::bracket_bound) bracket.add(record.x, f);
    const double residual = std::fabs(f);
    if (std::isfinite(residual)) downsampler.add({record.step, residual});
}

// The stopping test made again where the run ended; for a log without a step, the error
// of the start estimated from the steps it would have taken.
std::optional<Replay> judge_the_end(MethodSummary& summary, const RunSetting& setting,
                                    const LogEnd& end)
{
    std::vector<double> inputs;
    for (const NamedValue& v : summary.start_values.value_or(std::vector<NamedValue>{}))
        inputs.push_back(v.value);
    const Method& method = *summary.method;
    std::optional<Replay> replay = method.replay(setting, end, inputs);
    if (!replay) return replay;
    summary.unfinished = !replay->met;
    using enum MethodSummary::NoRoot;
    summary.no_root = replay->value_lost                ? value_lost
                      : replay->too_slow                ? too_slow
                      : replay->start_only              ? start_only
                      : replay->no_root_within_rounding ? unresolved
                                                        : test_failed;
    summary.result_error = replay->result_error;
    if (end.last || replay->first_steps.empty()) return replay;
    ConvergenceStats replayed;
    RecordBracket bracket;
    for (const LogRecord& r : replay->first_steps) {
        const double f = function_value(method, r.x, r.third_item);
        replayed.add(r.step, r.x, f);
        bracket.add(r.x, f);
    }
    summary.estimate = estimate_error(method, summary.start_values, replayed, bracket);
    // A step from the start says how far off it is, not where the root lies.
    summary.estimate.limit.reset();
    return replay;
}

}  // namespace

MethodSummary analyse_log(const std::filesystem::path& log_path, const Method& method,
                          Judging judging, std::size_t max_chart_points)
{
    LogReader reader(log_path, header_keyword(method.inputs));
    Downsampler downsampler(max_chart_points);
    MethodSummary summary;
    summary.method = &method;
    const std::optional<LogHeader> header = parse_header(method, reader.header());
    // Compiled before the records are read, so that a bad formula stops a long log at once.
    std::optional<RunEquation> equation;
    if (header) {
        summary.start_values = header->inputs;
        summary.equation = header->equation;
        summary.tolerance = header->equation.tolerance.value_or(METHODS::TOLERANCE);
        try {
            if (judging == Judging::replay) equation.emplace(header->equation);
        } catch (const FormulaInHeader& e) {
            throw LogError(quoted_path(log_path) + ", Zeile 1: " + e.what());
        }
    } else {
        summary.tolerance.reset();
        summary.warnings.push_back(quoted_path(log_path) +
                                   ", Zeile 1: Kopfzeile nicht verstanden; Funktion und "
                                   "Toleranz des Laufs sind unbekannt, er wird nicht "
                                   "nachgerechnet");
    }

    LogRecord record;
    LogEnd end;
    RecordBracket bracket;
    while (reader.next(record)) {
        add_record(summary, downsampler, bracket, record);
        if (summary.first_records.size() < kept_first_records) summary.first_records.push_back(record);
        end.before_last = end.last;
        end.last = record;
    }
    summary.steps = summary.stats.steps();
    summary.warnings.insert(summary.warnings.end(), reader.warnings().begin(),
                            reader.warnings().end());
    summary.cut = reader.cut();
    std::optional<Replay> replay;
    if (equation) replay = judge_the_end(summary, equation->setting(*summary.tolerance), end);
    // The run's result, where it lies beyond the last record, is the end it is judged at.
    std::optional<Sample> after_result;
    if (replay && replay->result) {
        add_record(summary, downsampler, bracket, *replay->result);
        if (const auto& after = replay->after_result) {
            after_result =
                Sample{after->step, after->x, function_value(method, after->x, after->third_item)};
        }
    }
    summary.chart_points = downsampler.points();
    if (end.last) {
        summary.estimate =
            estimate_error(method, summary.start_values, summary.stats, bracket, after_result,
                           replay && replay->met && summary.stats.last()->f == 0.0);
    }
    if (summary.unfinished) summary.estimate.limit.reset();
    if (replay && (replay->value_lost || replay->too_slow || replay->step_not_finite ||
                   replay->no_root_within_rounding))
        summary.estimate.error.reset();
    // A result that a step replayed from it finds far from the root, where the last
    // records' own estimate finds it near: that estimate is the last step, as short as its
    // chord was steep, and neither it nor the limit from it is shown.
    if (summary.tolerance && far_beyond_tolerance(summary.result_error, *summary.tolerance) &&
        !far_beyond_tolerance(summary.estimate.error, *summary.tolerance)) {
        summary.estimate.error.reset();
        summary.estimate.limit.reset();
    }
    return summary;
}

}  // namespace konvergenz
