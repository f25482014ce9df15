#include "app.hpp"

#include "atomic_file.hpp"
#include "csv_table.hpp"
#include "interrupt.hpp"
#include "log_analysis.hpp"
#include "log_reader.hpp"
#include "summary_table.hpp"
#include "svg_chart.hpp"

#include <system_error>
#include <vector>

namespace konvergenz {
namespace {

constexpr std::string_view prefix = "konvergenz: ";

std::vector<ChartSeries> chart_series(const std::vector<MethodSummary>& summaries)
{
    std::vector<ChartSeries> series;
    for (const MethodSummary& summary : summaries) {
        series.push_back({summary.method->label, summary.method->colour, summary.chart_points,
                          summary.start_values.value_or(std::vector<NamedValue>{}),
                          summary.estimate.error});
    }
    return series;
}

}  // namespace

int run(const Options& options, std::ostream& out, std::ostream& err)
{
    try {
        std::error_code ec;
        if (!std::filesystem::is_directory(options.folder, ec)) {
            err << prefix << "Ordner " << options.folder.string() << " nicht gefunden\n";
            return exit_bad_input;
        }

        std::vector<MethodSummary> summaries;
        for (const Method& method : all_methods) {
            const std::filesystem::path log = options.folder / method.log_file;
            if (!std::filesystem::exists(log, ec)) {
                err << prefix << log.string() << " fehlt, " << method.label
                    << " wird ausgelassen\n";
                continue;
            }
            summaries.push_back(analyse_log(log, method));
        }
        if (summaries.empty()) {
            err << prefix << "keine Protokolldatei (bisec_f1.dat, newto_f1.dat, fixpk_f1.dat) in "
                << options.folder.string() << " gefunden\n";
            return exit_bad_input;
        }

        if (options.csv) {
            print_csv_table(out, summaries);
        } else {
            print_summary_table(out, summaries, stopping_tolerance);
        }
        out.flush();
        if (options.no_chart) return exit_ok;

        const std::filesystem::path chart = options.chart_path();
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
    } catch (const Interrupted&) {
        err << prefix << "abgebrochen\n";
        return exit_interrupted;
    }
}

}  // namespace konvergenz
