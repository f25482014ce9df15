#include "summary_table.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <iomanip>
#include <optional>
#include <string>

namespace konvergenz {
namespace {

// Like quarlen writes them: "Infinity", "-Infinity", "NaN" for non-finite values.
std::string format(std::optional<double> value, std::chars_format style, int precision)
{
    if (!value) return "-";
    if (std::isnan(*value)) return "NaN";
    if (std::isinf(*value)) return *value > 0 ? "Infinity" : "-Infinity";
    std::array<char, 64> buffer;
    const auto result =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), *value, style, precision);
    return std::string(buffer.data(), result.ptr);
}

// Six significant digits, more when q lies so close to 1 that six would
// round it to 1 and hide that |f| still shrinks (a slow fixed-point iteration).
std::string format_factor(std::optional<double> q)
{
    const bool near_one = q && *q != 1.0 && std::fabs(*q - 1.0) < 5e-6;
    return format(q, std::chars_format::general, near_one ? 12 : 6);
}

struct Column {
    const char* heading;
    int width;
    bool left_aligned = false;
};

constexpr std::array<Column, 7> columns{{
    {"Verfahren", 18, true},
    {"Schritte", 9},
    {"letzte Iterierte", 24},
    {"letztes |f|", 12},
    {"Faktor q", 14},
    {"Ordnung p", 10},
    {"nicht endlich", 14},
}};

void print_row(std::ostream& out, const std::array<std::string, columns.size()>& cells)
{
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (i > 0) out << ' ';
        out << (columns[i].left_aligned ? std::left : std::right) << std::setw(columns[i].width)
            << cells[i];
    }
    out << std::right << '\n';
}

}  // namespace

void print_summary_table(std::ostream& out, const std::vector<MethodSummary>& summaries)
{
    std::array<std::string, columns.size()> headings;
    for (std::size_t i = 0; i < columns.size(); ++i) headings[i] = columns[i].heading;
    print_row(out, headings);

    for (const MethodSummary& summary : summaries) {
        const ConvergenceStats& s = summary.stats;
        print_row(out,
                  {std::string(summary.method->label), std::to_string(s.steps()),
                   format(s.last_iterate(), std::chars_format::scientific, 15),
                   format(s.last_residual(), std::chars_format::scientific, 3),
                   format_factor(s.mean_factor()), format(s.order(), std::chars_format::fixed, 2),
                   std::to_string(s.non_finite())});
    }
    out << "q: mittlerer Faktor |f(x_k+1)| / |f(x_k)| je Schritt;"
           " p: Konvergenzordnung aus den letzten drei Werten\n";
}

}  // namespace konvergenz
