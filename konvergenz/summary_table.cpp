#include "summary_table.hpp"

#include "number_format.hpp"
#include "run_notes.hpp"
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

constexpr std::array<Column, 11> columns{{
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
    {"Hinweise", true},  // only where a row has one
}};

using Row = std::array<std::string, columns.size()>;

// Characters as the terminal shows them: UTF-8 continuation bytes take no column.
std::size_t display_width(const std::string& text)
{
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

Row table_row(const MethodSummary& summary, double tolerance)
{
    const ConvergenceStats& s = summary.stats;
    const ErrorEstimate& e = summary.estimate;
    std::string error = format(e.error, std::chars_format::scientific, 3);
    if (e.contradicting_estimate) error += footnote_mark;
    const auto order = summary.method->shows_order ? s.order() : std::nullopt;
    return {std::string(summary.method->label),
            start_values_text(summary.start_values),
            std::to_string(s.steps()),
            format(s.last_iterate(), std::chars_format::scientific, 15),
            format(s.last_residual(), std::chars_format::scientific, 3),
            format_factor(s.final_factor()),
            format(order, std::chars_format::fixed, 2),
            error,
            format(e.limit, std::chars_format::scientific, 15),
            std::to_string(s.non_finite()),
            note_words(run_notes(summary, tolerance))};
}

void print_row(std::ostream& out, const Row& cells,
               const std::array<std::size_t, columns.size()>& widths, std::size_t shown)
{
    std::string line;
    for (std::size_t i = 0; i < shown; ++i) {
        if (i > 0) line += "  ";
        const std::string padding(widths[i] - display_width(cells[i]), ' ');
        line += columns[i].left_aligned ? cells[i] + padding : padding + cells[i];
    }
    line.erase(line.find_last_not_of(' ') + 1);
    out << line << '\n';
}

// What the figures after q mean, below the table.
constexpr std::string_view figure_notes =
    R"(p          Konvergenzordnung aus den letzten drei Werten von |f|; keine bei der Bisektion:
           sie halbiert ihr Intervall je Schritt, |f| folgt dabei keiner Ordnung
Fehler     geschätzter Abstand der letzten Iterierten von der Nullstelle: |f| geteilt durch
           die Steigung der Sekante über die letzten zwei Schritte; bei der Bisektion die
           Schranke |b - a| / 2^(n+1), gültig wenn F in [a, b] das Vorzeichen wechselt
Grenzwert  die letzte Iterierte, um einen Sekantenschritt verbessert
)";

// Two significant digits are enough to say how far off a result is.
std::string rough(double value) { return format_real(value, std::chars_format::scientific, 1); }

// The sentence below the table for a run that did not finish, or finished far from the
// root; empty for any other.
std::string sentence(const MethodSummary& summary, const std::vector<RunNote>& notes,
                     const std::string& tolerance_text)
{
    const ErrorEstimate& e = summary.estimate;
    const bool no_step = summary.stats.steps() == 0;
    const bool far = has_note(notes, RunNote::far_from_root);
    const std::string label(summary.method->label);
    const std::string how_far =
        far ? std::string(summary.method->kind == MethodKind::bisection ? "bis zu " : "etwa ") +
                  rough(*e.error) + " von der Nullstelle entfernt"
            : "";
    const std::string result = no_step ? "das Ergebnis" : "die letzte Iterierte";
    if (has_note(notes, RunNote::unfinished)) {
        const std::string criterion = "das Abbruchkriterium (Toleranz " + tolerance_text + ")";
        return label + ": Toleranz nicht erreicht: " +
               (no_step ? "das Protokoll enthält keinen Schritt, und vor dem ersten war " +
                              criterion + " nicht erfüllt"
                        : "der letzte Schritt, aus der letzten Zeile nachgerechnet, erfüllt " +
                              criterion + " nicht") +
               "; der Lauf wurde unterbrochen, angehalten oder brach ab" +
               (far ? ", und " + result + " liegt noch " + how_far : "") + ".";
    }
    if (!far) return "";
    if (no_step) {
        return label + ": Das Abbruchkriterium prüft gegen die Toleranz " + tolerance_text +
               " und war schon vor dem ersten Schritt erfüllt, doch das Ergebnis liegt noch " +
               how_far + " (geschätzt aus einem nachgerechneten Schritt).";
    }
    return label + ": Das Abbruchkriterium prüft gegen die Toleranz " + tolerance_text +
           ", doch die letzte Iterierte liegt noch " + how_far + ".";
}

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
    bool any_notes = false;
    for (const MethodSummary& summary : summaries) {
        rows.push_back(table_row(summary, tolerance));
        any_notes = any_notes || !rows.back().back().empty();
    }

    std::array<std::size_t, columns.size()> widths{};
    for (const Row& row : rows) {
        for (std::size_t i = 0; i < columns.size(); ++i) {
            widths[i] = std::max(widths[i], display_width(row[i]));
        }
    }
    const std::size_t shown = any_notes ? columns.size() : columns.size() - 1;
    for (const Row& row : rows) print_row(out, row, widths, shown);

    out << "q          Faktor |f(x_k+1)| / |f(x_k)| je Schritt am Ende (Median der letzten "
        << ConvergenceStats::factor_window << " Quotienten)\n"
        << figure_notes;

    const std::string tolerance_text = format_real(tolerance, std::chars_format::scientific, 0);
    for (const MethodSummary& summary : summaries) {
        const ErrorEstimate& e = summary.estimate;
        const std::string said = sentence(summary, run_notes(summary, tolerance), tolerance_text);
        if (!said.empty()) out << said << '\n';
        if (e.contradicting_estimate) {
            out << footnote_mark << ' ' << summary.method->label
                << ": Die Sekantenschätzung des Fehlers, " << rough(*e.contradicting_estimate)
                << ", liegt weit über der Schranke; F wechselt in [a, b] wohl nicht das"
                   " Vorzeichen, dann gilt die Schranke nicht.\n";
        }
    }
}

}  // namespace konvergenz
