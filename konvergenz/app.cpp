#include "app.hpp"

#include "atomic_file.hpp"
#include "chart_guard.hpp"
#include "csv_table.hpp"
#include "function_names.hpp"
#include "interrupt.hpp"
#include "log_analysis.hpp"
#include "log_reader.hpp"
#include "posix_file.hpp"
#include "run_equation.hpp"
#include "run_notes.hpp"
#include "summary_table.hpp"
#include "svg_chart.hpp"
#include "verlauf_chart.hpp"

#include "runtime/option_values.hpp"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <system_error>
#include <vector>

namespace konvergenz {
namespace {

constexpr std::string_view prefix = "konvergenz: ";

struct LogFile {
    std::filesystem::path path;
    timespec modified;
};

bool older(const timespec& a, const timespec& b)
{
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

bool same_time(const timespec& a, const timespec& b) { return !older(a, b) && !older(b, a); }

// quarlen writes its logs one after the other, in the order of all_methods, and names its
// equation in each. A log older than one written before it is left over from an earlier
// run: this one ended before it reached that stage. So is a log of other functions or
// another tolerance than the newest log; one of the same functions and tolerance is taken
// for part of the newest run, whatever its time. Where logs of different equations were
// written at the same newest time (a file system's clock is coarse), which came last cannot
// be told, and every log whose equation differs from one of them is marked. A stale log's
// data is still sound in itself, so it is named and marked. logs[i] is the file of
// summaries[i].
void mark_stale_logs(const std::vector<LogFile>& logs, std::vector<MethodSummary>& summaries,
                     std::ostream& err)
{
    std::size_t last = 0;  // the last in the table of those written last
    for (std::size_t i = 1; i < logs.size(); ++i) {
        if (!older(logs[i].modified, logs[last].modified)) last = i;
    }
    std::vector<std::size_t> newest;
    for (std::size_t i = 0; i < logs.size(); ++i) {
        if (same_time(logs[i].modified, logs[last].modified)) newest.push_back(i);
    }
    // A newest log of other functions or another tolerance than summaries[i]'s, if any.
    const auto newest_differing = [&](std::size_t i) -> std::optional<std::size_t> {
        for (const std::size_t n : newest) {
            if (!same_equation(summaries[i], summaries[n])) return n;
        }
        return std::nullopt;
    };
    const bool undecided = std::any_of(newest.begin(), newest.end(), [&](std::size_t n) {
        return newest_differing(n).has_value();
    });
    const bool newest_read = std::all_of(newest.begin(), newest.end(),
                                         [&](std::size_t n) { return summaries[n].header_read(); });
    const auto of_the_newest_run = [&](std::size_t i) {
        return newest_read && summaries[i].header_read() && !newest_differing(i);
    };
    const LogFile* earlier = nullptr;
    for (std::size_t i = 0; i < logs.size(); ++i) {
        const LogFile& log = logs[i];
        // Logs of the newest log's functions and tolerance come from its run whatever
        // their order: --verfahren may have put the stages in another.
        if (earlier && !of_the_newest_run(i) && older(log.modified, earlier->modified)) {
            err << prefix << quoted_path(log.path) << " ist älter als "
                << quoted_path(earlier->path)
                << " und stammt wohl aus einem früheren Lauf von quarlen\n";
            summaries[i].stale = true;
            continue;
        }
        earlier = &log;
        if (const auto other = newest_differing(i)) {
            err << prefix << quoted_path(log.path)
                << " hat andere Funktionen oder eine andere Toleranz als "
                << (undecided ? "" : "das neueste Protokoll ") << quoted_path(logs[*other].path)
                << (undecided ? ", eines der zuletzt und gleichzeitig geschriebenen Protokolle; "
                                "welches davon aus dem letzten Lauf von quarlen stammt, lässt "
                                "sich an der Zeit nicht ablesen\n"
                              : " und stammt wohl aus einem früheren Lauf von quarlen\n");
            summaries[i].stale = true;
        }
    }
}

std::vector<ChartSeries> chart_series(const std::vector<MethodSummary>& summaries)
{
    std::vector<ChartSeries> series;
    for (const MethodSummary& summary : summaries) {
        const Method& method = *summary.method;
        series.push_back({method.label,
                          method.colour,
                          summary.chart_points,
                          summary.start_values.value_or(std::vector<NamedValue>{}),
                          summary.judged_error(),
                          summary.estimate.is_bound,
                          note_words(run_notes(summary)),
                          summary.steps > 0,
                          method.marker,
                          method.dashes,
                          method.plotted_as,
                          {},
                          summary.tolerance,
                          !summary.tolerance});
        for (const NamedFunction& f : named_functions(summary)) {
            if (f.formula) series.back().functions.push_back(std::string(f.name) + " = " + f.text);
        }
    }
    return series;
}

PlotFunction plotted(RealFunction f)
{
    return [f](double x) { return f(x); };
}

// The chart of the first steps, with each run's functions compiled again from its header,
// as the analysis compiled them.
std::string verlauf_svg(const std::vector<MethodSummary>& summaries)
{
    static_assert(kept_first_records == max_drawn_steps + 1);
    std::vector<std::unique_ptr<RunEquation>> equations;  // the runs' functions refer to them
    std::vector<VerlaufRun> runs;
    for (const MethodSummary& summary : summaries) {
        VerlaufRun run;
        run.start.method = summary.method;
        run.start.records = summary.first_records;
        run.steps = summary.steps;
        run.notes = title_words(run_notes(summary));
        if (summary.header_read()) {
            for (const NamedValue& v : *summary.start_values) run.start.inputs.push_back(v.value);
            const RunSetting setting =
                equations.emplace_back(std::make_unique<RunEquation>(summary.equation))
                    ->setting(*summary.tolerance);
            run.start.f = plotted(setting.f);
            run.start.df = plotted(setting.df);
            run.start.g = plotted(setting.g);
            run.function =
                std::string(summary.method->on_g ? "g(x) = " : "f(x) = ") + function_text(summary);
        }
        runs.push_back(std::move(run));
    }
    return render_verlauf_svg(runs);
}

// konvergenz --funktion F --von A --bis B: the graph alone, no log read.
int draw_function(const Options& options, std::ostream& out, std::ostream& err)
{
    TypedEquation typed;
    typed.f = std::string(runtime::without_blanks(*options.function));
    std::optional<RunEquation> equation;
    try {
        equation.emplace(typed);
    } catch (const FormulaInHeader& e) {
        err << prefix << e.what() << '\n';
        return exit_bad_input;
    }
    const std::filesystem::path chart = options.function_chart_path();
    if (options.output && !named_as_svg(chart)) {
        err << prefix << quoted_path(chart)
            << ": der Name endet nicht auf .svg, die Datei erhält aber ein SVG-Diagramm\n";
    }
    write_file_atomically(chart, render_function_svg(plotted(equation->setting(1).f), *typed.f,
                                                     *options.from, *options.to));
    out << "Diagramm: " << chart.string() << '\n';
    return exit_ok;
}

std::filesystem::path log_path(const Options& options, const Method& method)
{
    return options.folder / method.log_file;
}

// A chart path that cannot take a chart, or would take the place of a log, is refused
// before the logs are read.
void check_chart_path(const Options& options, std::ostream& err)
{
    const auto refuse_a_log = [&](const std::filesystem::path& path) {
        if (const auto log = log_at_chart_path(resolve_output_file(path), options.folder)) {
            throw WriteError(quoted_path(path) +
                             " lässt sich nicht schreiben: das ist das Protokoll " +
                             quoted_path(*log) + ", das Diagramm braucht einen anderen Namen");
        }
    };
    const std::filesystem::path chart = options.chart_path();
    refuse_a_log(chart);
    if (options.output && !named_as_svg(chart)) {
        err << prefix << quoted_path(chart)
            << ": der Name endet nicht auf .svg, die Datei erhält aber ein SVG-Diagramm\n";
    }
    // Beside the first chart, whose folder has passed the test above.
    if (!options.no_verlauf) refuse_a_log(options.verlauf_path());
}

}  // namespace

int run(const Options& options, std::ostream& out, std::ostream& err)
{
    try {
        if (options.function) return draw_function(options, out, err);
        std::error_code ec;
        if (!std::filesystem::is_directory(options.folder, ec)) {
            err << prefix << "Ordner " << quoted_path(options.folder);
            // A name too long for the system is no missing folder.
            if (ec.value() == ENAMETOOLONG) {
                err << ": " << system_reason(ENAMETOOLONG) << '\n';
            } else {
                err << " nicht gefunden\n";
            }
            return exit_bad_input;
        }
        const std::filesystem::path chart = options.chart_path();
        if (!options.no_chart) check_chart_path(options, err);

        // Looked at first, so that a folder without any log is named before anything is read.
        std::vector<std::optional<LogFile>> present;
        for (const Method& method : all_methods) {
            const std::filesystem::path log = log_path(options, method);
            struct stat info;
            if (::stat(log.c_str(), &info) == 0) {
                present.push_back(LogFile{log, info.st_mtim});
            } else if (errno == ENOENT) {
                present.emplace_back();
            } else {
                throw LogError(quoted_path(log) +
                               " lässt sich nicht lesen: " + system_reason(errno));
            }
        }
        if (std::none_of(present.begin(), present.end(),
                         [](const auto& p) { return p.has_value(); })) {
            err << prefix << "keine Protokolldatei (";
            for (const Method& method : all_methods)
                err << method.log_file << (&method == &all_methods.back() ? "" : ", ");
            err << ") in " << quoted_path(options.folder) << " gefunden\n";
            return exit_bad_input;
        }
        // A log missing is a method quarlen did not run, or one whose log was lost: the
        // one cannot be told from the other, so neither is named.
        std::vector<MethodSummary> summaries;
        std::vector<LogFile> logs;
        for (std::size_t i = 0; i < all_methods.size(); ++i) {
            if (!present[i]) continue;
            summaries.push_back(analyse_log(present[i]->path, all_methods[i]));
            for (const std::string& warning : summaries.back().warnings) {
                err << prefix << warning << '\n';
            }
            logs.push_back(*present[i]);
        }
        mark_stale_logs(logs, summaries, err);

        if (options.csv) {
            print_csv_table(out, summaries);
        } else {
            print_summary_table(out, summaries);
        }
        out.flush();
        if (options.no_chart) return exit_ok;

        write_file_atomically(chart, render_chart_svg(chart_series(summaries), stopping_tolerance));
        // Only the table goes to stdout as CSV, so that it can be read as it is.
        if (!options.csv) out << "Diagramm: " << chart.string() << '\n';
        // A first chart named verlauf.svg is not overwritten by the second.
        const std::filesystem::path verlauf = options.verlauf_path();
        if (options.no_verlauf || verlauf == chart.lexically_normal()) return exit_ok;
        write_file_atomically(verlauf, verlauf_svg(summaries));
        if (!options.csv) out << "Verlauf: " << verlauf.string() << '\n';
        return exit_ok;
    } catch (const LogError& e) {
        err << prefix << e.what() << '\n';
        return exit_bad_input;
    } catch (const WriteError& e) {
        err << prefix << e.what() << '\n';
        return exit_write_failed;
    } catch (const Interrupted& e) {
        err << prefix << e.what() << '\n';
        return interrupted_status();
    }
}

}  // namespace konvergenz
