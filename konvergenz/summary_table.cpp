#include "summary_table.hpp"

#include "number_format.hpp"
#include "runtime/record.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <string>
#include <string_view>

namespace konvergenz {
namespace {

std::string format(std::optional<double> value, std::chars_format style, int precision)
{
    return value ? format_real(*value, style, precision) : "-";
}

// Six significant digits, more when q lies so close to 1 that six would
// round it to 1 and hide that |f| still shrinks (a slow fixed-point iteration).
std::string format_factor(std::optional<double> q)
{
    const bool near_one = q && *q != 1.0 && std::fabs(*q - 1.0) < 5e-6;
    return format(q, std::chars_format::general, near_one ? 12 : 6);
}

// Marks an estimated error that the secant estimate contradicts; explained below the table.
constexpr char footnote_mark = '*';

struct Column {
    const char* heading;
    bool left_aligned = false;
};

constexpr std::array<Column, 10> columns{{
    {"Verfahren", true},
    {"Startwerte", true},
    {"Schritte"},
    {"letzte Iterierte"},
    {"letztes |f|"},
    {"Faktor q"},
    {"Ordnung p"},
    {"geschätzter Fehler"},
    {"geschätzter Grenzwert"},
    {"nicht endlich"},
}};

using Row = std::array<std::string, columns.size()>;

// Characters as the terminal shows them: UTF-8 continuation bytes take no column.
std::size_t display_width(const std::string& text)
{
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

Row table_row(const MethodSummary& summary)
{
    const ConvergenceStats& s = summary.stats;
    const ErrorEstimate& e = summary.estimate;
    std::string error = format(e.error, std::chars_format::scientific, 3);
    if (e.contradicting_estimate) error += footnote_mark;
    return {std::string(summary.method->label),
            start_values_text(summary.start_values),
            std::to_string(s.steps()),
            format(s.last_iterate(), std::chars_format::scientific, 15),
            format(s.last_residual(), std::chars_format::scientific, 3),
            format_factor(s.final_factor()),
            format(s.order(), std::chars_format::fixed, 2),
            error,
            format(e.limit, std::chars_format::scientific, 15),
            std::to_string(s.non_finite())};
}

void print_row(std::ostream& out, const Row& cells,
               const std::array<std::size_t, columns.size()>& widths)
{
    std::string line;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (i > 0) line += "  ";
        const std::string padding(widths[i] - display_width(cells[i]), ' ');
        line += columns[i].left_aligned ? cells[i] + padding : padding + cells[i];
    }
    line.erase(line.find_last_not_of(' ') + 1);
    out << line << '\n';
}

// What the figures after q mean, below the table.
constexpr std::string_view figure_notes =
    R"(p          Konvergenzordnung aus den letzten drei Werten von |f|
Fehler     geschätzter Abstand der letzten Iterierten von der Nullstelle: |f| geteilt durch
           die Steigung der Sekante über die letzten zwei Schritte; bei der Bisektion die
           Schranke |b - a| / 2^(n+1), gültig wenn F in [a, b] das Vorzeichen wechselt
Grenzwert  die letzte Iterierte, um einen Sekantenschritt verbessert
)";

// Two significant digits are enough to say how far off a result is.
std::string rough(double value) { return format_real(value, std::chars_format::scientific, 1); }

}  // namespace

std::string start_values_text(const std::optional<std::vector<NamedValue>>& start_values)
{
    if (!start_values || start_values->empty()) return "-";
    std::string text;
    for (const NamedValue& v : *start_values) {
        if (!text.empty()) text += ", ";
        text += std::string(v.name) + " = " + runtime::shortest(v.value);
    }
    return text;
}

void print_summary_table(std::ostream& out, const std::vector<MethodSummary>& summaries,
                         double tolerance)
{
    std::vector<Row> rows;
    Row headings;
    for (std::size_t i = 0; i < columns.size(); ++i) headings[i] = columns[i].heading;
    rows.push_back(headings);
    for (const MethodSummary& summary : summaries) rows.push_back(table_row(summary));

    std::array<std::size_t, columns.size()> widths{};
    for (const Row& row : rows) {
        for (std::size_t i = 0; i < columns.size(); ++i) {
            widths[i] = std::max(widths[i], display_width(row[i]));
        }
    }
    for (const Row& row : rows) print_row(out, row, widths);

    out << "q          Faktor |f(x_k+1)| / |f(x_k)| je Schritt am Ende (Median der letzten "
        << ConvergenceStats::factor_window << " Quotienten)\n"
        << figure_notes;

    const std::string tolerance_text = format_real(tolerance, std::chars_format::scientific, 0);
    for (const MethodSummary& summary : summaries) {
        const ErrorEstimate& e = summary.estimate;
        const bool bound = summary.method->kind == MethodKind::bisection;
        if (far_beyond_tolerance(e.error, tolerance)) {
            out << summary.method->label << ": Das Abbruchkriterium prüft gegen die Toleranz "
                << tolerance_text << ", doch die letzte Iterierte liegt noch "
                << (bound ? "bis zu " : "etwa ") << rough(*e.error)
                << " von der Nullstelle entfernt.\n";
        }
        if (e.contradicting_estimate) {
            out << footnote_mark << ' ' << summary.method->label
                << ": Die Sekantenschätzung des Fehlers, " << rough(*e.contradicting_estimate)
                << ", liegt weit über der Schranke; F wechselt in [a, b] wohl nicht das"
                   " Vorzeichen, dann gilt die Schranke nicht.\n";
        }
    }
}

}  // namespace konvergenz
