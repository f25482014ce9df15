#include "csv_table.hpp"

#include "function_names.hpp"
#include "number_format.hpp"
#include "run_notes.hpp"

#include <optional>
#include <string>

namespace konvergenz {
namespace {

std::string field(std::optional<double> value)
{
    return value ? format_real(*value, std::chars_format::general, 17) : "";
}

}  // namespace

void print_csv_table(std::ostream& out, const std::vector<MethodSummary>& summaries)
{
    out << csv_header << '\n';
    for (const MethodSummary& summary : summaries) {
        const ConvergenceStats& s = summary.stats;
        std::string start_values;
        if (summary.start_values) {
            for (const NamedValue& v : *summary.start_values) {
                if (!start_values.empty()) start_values += ' ';
                start_values += field(v.value);
            }
        }
        out << summary.method->key << ',' << summary.steps << ',' << field(s.last_iterate()) << ','
            << field(s.last_residual()) << ',' << field(s.final_factor()) << ','
            << field(summary.order()) << ',' << field(summary.estimate.error) << ','
            << field(summary.estimate.limit) << ',' << start_values << ',' << s.non_finite() << ','
            << note_codes(run_notes(summary)) << ','
            << (summary.tolerance ? format_real(*summary.tolerance, std::chars_format::general)
                                  : "")
            << ',' << function_text(summary) << '\n';
    }
}

}  // namespace konvergenz
