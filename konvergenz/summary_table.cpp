#include "summary_table.hpp"

#include "function_names.hpp"
#include "number_format.hpp"
#include "run_notes.hpp"
#include "runtime/messages.hpp"
#include "runtime/record.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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

Row table_row(const MethodSummary& summary)
{
    const ConvergenceStats& s = summary.stats;
    const ErrorEstimate& e = summary.estimate;
    std::string error = format(e.error, std::chars_format::scientific, 3);
    if (e.contradicting_estimate) error += footnote_mark;
    return {std::string(summary.method->label),
            start_values_text(summary.start_values),
            std::to_string(summary.steps),
            format(s.last_iterate(), std::chars_format::scientific, 15),
            format(s.last_residual(), std::chars_format::scientific, 3),
            format_factor(s.final_factor()),
            format(summary.order(), std::chars_format::fixed, 2),
            error,
            format(e.limit, std::chars_format::scientific, 15),
            std::to_string(s.non_finite()),
            note_words(run_notes(summary))};
}

void print_row(std::ostream& out, const Row& cells,
               const std::array<std::size_t, columns.size()>& widths, std::size_t shown)
{
    std::string line;
    for (std::size_t i = 0; i < shown; ++i) {
        if (i > 0) line += "  ";
        const std::string padding(widths[i] - runtime::characters(cells[i]), ' ');
        line += columns[i].left_aligned ? cells[i] + padding : padding + cells[i];
    }
    line.erase(line.find_last_not_of(' ') + 1);
    out << line << '\n';
}

// What the figures after q mean, below the table: each term, then what it means, with
// what applies only to some methods where one of them is in the table.
struct FigureNote {
    std::string_view term;
    std::string_view meaning;
    std::vector<std::pair<MethodKind, std::string_view>> particular;
};

const std::array<FigureNote, 3>& figure_notes()
{
    static const std::array<FigureNote, 3> notes{{
        {"p",
         "Konvergenzordnung aus den letzten drei Werten von |f|",
         {{MethodKind::bisection, "keine bei der Bisektion: sie halbiert ihr Intervall je "
                                  "Schritt, |f| folgt dabei keiner Ordnung"},
          {MethodKind::illinois, "keine beim Illinois-Verfahren: Schritte, die |f| kaum "
                                 "verkleinern, wechseln mit großen, drei Werte zeigen keine "
                                 "Ordnung"}}},
        {"Fehler",
         "geschätzter Abstand der letzten Iterierten von der Nullstelle: |f| geteilt durch "
         "die Steigung der Sekante über die letzten zwei Schritte",
         {{MethodKind::bisection, "bei der Bisektion die Schranke |b - a| / 2^(n+1), gültig "
                                  "wenn F in [a, b] das Vorzeichen wechselt"},
          {MethodKind::regula_falsi, "bei Regula falsi und dem Illinois-Verfahren die Breite "
                                     "der Klammer: der Abstand zum letzten Punkt, an dem F das "
                                     "andere Vorzeichen hat, sonst zum unbewegten Ende von [a, b]"},
          {MethodKind::steffensen, "beim Steffensen-Verfahren der Abstand zur nächsten "
                                   "Iterierten"}}},
        {"Grenzwert",
         "die letzte Iterierte, um einen Sekantenschritt verbessert",
         {{MethodKind::steffensen, "beim Steffensen-Verfahren die nächste Iterierte"}}},
    }};
    return notes;
}

// The note for regula falsi speaks for Illinois too.
bool in_table(const std::vector<MethodSummary>& summaries, MethodKind kind)
{
    return std::any_of(summaries.begin(), summaries.end(), [kind](const MethodSummary& s) {
        return s.method->kind == kind ||
               (kind == MethodKind::regula_falsi && s.method->kind == MethodKind::illinois);
    });
}

// The term in a column of its own, the text wrapped at word boundaries beside it.
void print_figure_note(std::ostream& out, std::string_view term, const std::string& text)
{
    constexpr std::size_t indent = 11, width = 92;
    std::string line(term);
    line.resize(indent, ' ');
    std::size_t used = indent;  // columns, as the words may hold umlauts
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t end = text.find(' ', pos);
        if (end == std::string::npos) end = text.size();
        const std::string word = text.substr(pos, end - pos);
        const std::size_t length = runtime::characters(word);
        if (used > indent && used + 1 + length > width) {
            out << line << '\n';
            line.assign(indent, ' ');
            used = indent;
        }
        if (used > indent) {
            line += ' ';
            ++used;
        }
        line += word;
        used += length;
        pos = end + 1;
    }
    out << line << '\n';
}

// The functions and tolerances of the runs, in the column of terms: a text that all the
// methods it applies to share once, else each text with its methods.
void print_run_terms(std::ostream& out, const std::vector<MethodSummary>& summaries)
{
    struct Use {
        std::string text;
        std::vector<std::string_view> labels;
    };
    std::vector<std::pair<std::string_view, std::vector<Use>>> terms{
        {"f(x)", {}}, {"f'(x)", {}}, {"g(x)", {}}, {"Toleranz", {}}};
    const auto add = [&terms](std::string_view term, const std::string& text,
                              std::string_view label) {
        auto& uses = std::find_if(terms.begin(), terms.end(), [&](const auto& t) {
                         return t.first == term;
                     })->second;
        const auto use =
            std::find_if(uses.begin(), uses.end(), [&](const Use& u) { return u.text == text; });
        if (use == uses.end()) {
            uses.push_back({text, {label}});
        } else if (use->labels.back() != label) {
            use->labels.push_back(label);
        }
    };
    for (const MethodSummary& summary : summaries) {
        for (const NamedFunction& f : named_functions(summary))
            add(f.name, f.text, summary.method->label);
        add("Toleranz",
            summary.tolerance ? runtime::shortest(*summary.tolerance) : std::string(unknown),
            summary.method->label);
    }
    for (const auto& [term, uses] : terms) {
        std::string text;
        for (const Use& use : uses) {
            if (!text.empty()) text += "; ";
            text += use.text;
            if (uses.size() == 1) continue;
            text += " (";
            for (std::size_t i = 0; i < use.labels.size(); ++i)
                text += (i > 0 ? ", " : "") + std::string(use.labels[i]);
            text += ')';
        }
        // A formula stays whole on its line.
        if (!text.empty()) out << term << std::string(11 - term.size(), ' ') << text << '\n';
    }
}

// Two significant digits are enough to say how far off a result is.
std::string rough(double value) { return format_real(value, std::chars_format::scientific, 1); }

// What the note "divergiert" stands for.
constexpr std::string_view no_convergence =
    "die Quotienten von |f| zeigen am Ende keine Konvergenz";

// The sentence below the table for a run that did not finish, finished far from the
// root or does not converge; empty for any other.
std::string sentence(const MethodSummary& summary, const std::vector<RunNote>& notes)
{
    const bool no_step = summary.steps == 0;
    const bool far = has_note(notes, RunNote::far_from_root);
    const bool wide = has_note(notes, RunNote::bracket_wide);
    const bool diverging = has_note(notes, RunNote::diverging);
    // The result of the secant method lies a step beyond the last iterate; it is judged by
    // a step replayed from it.
    const bool of_result = summary.result_error.has_value();
    const std::string label(summary.method->label);
    // A bracketing method's bound says how wide its bracket still is, not where in it the
    // last point lies.
    std::string how_far;
    if (wide) {
        how_far =
            "die Klammer um die Nullstelle ist noch " + rough(*summary.judged_error()) + " breit";
    } else if (far) {
        how_far = std::string(no_step || of_result ? "das Ergebnis" : "die letzte Iterierte") +
                  " liegt noch etwa " + rough(*summary.judged_error()) +
                  " von der Nullstelle entfernt";
    } else if (diverging) {
        how_far = no_convergence;
    }
    using enum MethodSummary::NoRoot;
    const std::string replayed = !(far || wide) || !(no_step || of_result) ? ""
                                 : summary.no_root == too_slow
                                     ? " (geschätzt aus der Länge der letzten Schritte)"
                                     : " (geschätzt aus einem nachgerechneten Schritt)";
    // A run with an unknown tolerance gets none of the notes that need it.
    const std::string tolerance_text = runtime::shortest(summary.tolerance.value_or(0));
    if (has_note(notes, RunNote::unfinished)) {
        const std::string criterion = "das Abbruchkriterium (Toleranz " + tolerance_text + ")";
        std::string why;
        switch (summary.no_root) {
        case test_failed:
            why = (no_step ? "das Protokoll enthält keinen Schritt, und vor dem ersten war " +
                                 criterion + " nicht erfüllt"
                           : "der letzte Schritt, aus der letzten Zeile nachgerechnet, erfüllt " +
                                 criterion + " nicht") +
                  "; der Lauf wurde unterbrochen, angehalten oder brach ab";
            break;
        case value_lost:
            why = criterion + " hielt nur, weil der geprüfte Wert allein durch Unter- oder "
                              "Überlauf oder Rundung so klein ist; eine Lösung zeigt das nicht";
            break;
        case too_slow:
            // Slow steps, fast ones with far to go, a next step far ahead: each leaves more
            // than ten tolerances to go, whichever value the method's test compares.
            why = criterion +
                  " hielt, doch die noch kommenden Schritte führen zusammen weiter als zehn "
                  "Toleranzen; eine Nullstelle ist damit nicht gefunden";
            break;
        case unresolved:
            why = criterion +
                  " hielt, doch die Rundungsstufe von x übersteigt die Toleranz, und f wechselt in "
                  "diesem Abstand das Vorzeichen nicht und ist nicht nahe 0; eine Nullstelle ist "
                  "damit nicht gefunden";
            break;
        case start_only:
            why = "das Protokoll enthält keinen Schritt; " + criterion +
                  " hielt schon vor dem ersten, verglich dort aber nur die Startwerte, und das "
                  "zeigt keine Nullstelle";
            break;
        }
        return label + ": Toleranz nicht erreicht: " + why +
               (how_far.empty() ? "" : ", und " + how_far + replayed) + ".";
    }
    if (diverging)
        return label + ": Fehler, Grenzwert und Ordnung werden nicht geschätzt: " + how_far + ".";
    if (how_far.empty()) return "";
    return label + ": Das Abbruchkriterium prüft gegen die Toleranz " + tolerance_text +
           (no_step ? " und war schon vor dem ersten Schritt erfüllt" : "") + ", doch " + how_far +
           replayed + ".";
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

void print_summary_table(std::ostream& out, const std::vector<MethodSummary>& summaries)
{
    std::vector<Row> rows;
    Row headings;
    for (std::size_t i = 0; i < columns.size(); ++i) headings[i] = columns[i].heading;
    rows.push_back(headings);
    bool any_notes = false;
    for (const MethodSummary& summary : summaries) {
        rows.push_back(table_row(summary));
        any_notes = any_notes || !rows.back().back().empty();
    }

    std::array<std::size_t, columns.size()> widths{};
    for (const Row& row : rows) {
        for (std::size_t i = 0; i < columns.size(); ++i) {
            widths[i] = std::max(widths[i], runtime::characters(row[i]));
        }
    }
    const std::size_t shown = any_notes ? columns.size() : columns.size() - 1;
    for (const Row& row : rows) print_row(out, row, widths, shown);

    print_run_terms(out, summaries);
    out << "q          Faktor |f(x_k+1)| / |f(x_k)| je Schritt am Ende (Median der letzten "
        << ConvergenceStats::factor_window << " Quotienten)\n";
    for (const FigureNote& note : figure_notes()) {
        std::string text(note.meaning);
        for (const auto& [kind, words] : note.particular) {
            if (in_table(summaries, kind)) text += "; " + std::string(words);
        }
        print_figure_note(out, note.term, text);
    }

    for (const MethodSummary& summary : summaries) {
        const ErrorEstimate& e = summary.estimate;
        const std::string said = sentence(summary, run_notes(summary));
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
