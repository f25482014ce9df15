#include "app.hpp"

#include "atomic_file.hpp"
#include "chart_guard.hpp"
#include "csv_table.hpp"
#include "interrupt.hpp"
#include "log_analysis.hpp"
#include "log_reader.hpp"
#include "posix_file.hpp"
#include "run_notes.hpp"
#include "summary_table.hpp"
#include "svg_chart.hpp"

#include <cerrno>
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

// quarlen writes its logs one after the other, in the order of all_methods. A log older
// than one written before it is left over from an earlier run: this one ended before
// it reached that stage. Its data is still sound in itself, so it is named and marked.
// logs[i] is the file of summaries[i].
void mark_stale_logs(const std::vector<LogFile>& logs, std::vector<MethodSummary>& summaries,
                     std::ostream& err)
{
    const LogFile* newest = nullptr;
    for (std::size_t i = 0; i < logs.size(); ++i) {
        const LogFile& log = logs[i];
        if (newest && older(log.modified, newest->modified)) {
            err << prefix << quoted_path(log.path) << " ist älter als " << quoted_path(newest->path)
                << " und stammt wohl aus einem früheren Lauf von quarlen\n";
            summaries[i].stale = true;
        } else {
            newest = &log;
        }
    }
}

std::vector<ChartSeries> chart_series(const std::vector<MethodSummary>& summaries)
{
    std::vector<ChartSeries> series;
    for (const MethodSummary& summary : summaries) {
        series.push_back({summary.method->label, summary.method->colour, summary.chart_points,
                          summary.start_values.value_or(std::vector<NamedValue>{}),
                          summary.estimate.error,
                          note_words(run_notes(summary, stopping_tolerance)),
                          summary.stats.steps() > 0});
    }
    return series;
}

// A chart path that cannot take a chart, or would take the place of a log, is refused
// before the logs are read.
void check_chart_path(const Options& options, std::ostream& err)
{
    const std::filesystem::path chart = options.chart_path();
    if (const auto log = log_at_chart_path(resolve_output_file(chart), options.folder)) {
        throw WriteError(quoted_path(chart) +
                         " lässt sich nicht schreiben: das ist das Protokoll " + quoted_path(*log) +
                         ", das Diagramm braucht einen anderen Namen");
    }
    if (options.output && !named_as_svg(chart)) {
        err << prefix << quoted_path(chart)
            << ": der Name endet nicht auf .svg, die Datei erhält aber ein SVG-Diagramm\n";
    }
}

}  // namespace

int run(const Options& options, std::ostream& out, std::ostream& err)
{
    try {
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

        std::vector<MethodSummary> summaries;
        std::vector<LogFile> logs;
        for (const Method& method : all_methods) {
            const std::filesystem::path log = options.folder / method.log_file;
            struct stat info;
            if (::stat(log.c_str(), &info) != 0) {
                if (errno != ENOENT) {
                    throw LogError(quoted_path(log) +
                                   " lässt sich nicht lesen: " + system_reason(errno));
                }
                err << prefix << quoted_path(log) << " fehlt, " << method.label
                    << " wird ausgelassen\n";
                continue;
            }
            summaries.push_back(analyse_log(log, method));
            for (const std::string& warning : summaries.back().warnings) {
                err << prefix << warning << '\n';
            }
            logs.push_back({log, info.st_mtim});
        }
        if (summaries.empty()) {
            err << prefix << "keine Protokolldatei (bisec_f1.dat, newto_f1.dat, fixpk_f1.dat) in "
                << quoted_path(options.folder) << " gefunden\n";
            return exit_bad_input;
        }
        mark_stale_logs(logs, summaries, err);

        if (options.csv) {
            print_csv_table(out, summaries, stopping_tolerance);
        } else {
            print_summary_table(out, summaries, stopping_tolerance);
        }
        out.flush();
        if (options.no_chart) return exit_ok;

        write_file_atomically(chart, render_chart_svg(chart_series(summaries), stopping_tolerance));
        // Only the table goes to stdout as CSV, so that it can be read as it is.
        if (!options.csv) out << "Diagramm: " << chart.string() << '\n';
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
