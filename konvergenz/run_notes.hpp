#pragma once

#include "log_analysis.hpp"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace konvergenz {

// What the table, the chart and the CSV say about a run beyond its figures, so that a
// doubtful run looks doubtful wherever it appears. In the order the CSV lists them.
enum class RunNote {
    unfinished,          // its last step, replayed, fails the stopping test
    diverging,           // its ratios show no convergence: nothing is estimated
    far_from_root,       // its estimated error is more than ten times the tolerance
    bracket_wide,        // bracketing: its bound is more than ten times the tolerance
    bound_contradicted,  // bracketing: the secant estimate contradicts the bound (the '*')
    cut,                 // a cut last line was left out
    stale,               // the log comes from an earlier run
    no_finite_values,    // none of its values of |f| is finite
};

struct RunNoteText {
    std::string_view code;  // in the CSV's column hinweise
    // In the table's column of notes and in the chart's legend; empty for the notes
    // the table gives as a sentence or a mark instead.
    std::string_view words;
    // In a panel's title in verlauf.svg, where `words` is empty: the title has no room
    // for a sentence, and the figures a mark would stand by are not in the panel.
    std::string_view title_words = {};
};

inline constexpr std::array<RunNoteText, 8> run_note_texts{{
    {"toleranz_nicht_erreicht", "Toleranz nicht erreicht"},
    {"divergiert", "divergiert"},
    {"weit_von_nullstelle", "", "weit von der Nullstelle"},
    {"klammer_breit", "", "Klammer noch breit"},
    {"schranke_widerspricht", "", "Schranke widersprochen"},
    {"abgeschnitten", "abgeschnitten"},
    {"veraltet", "veraltet"},
    {"keine_endlichen_werte", "keine endlichen Werte"},
}};

inline const RunNoteText& text_of(RunNote note)
{
    return run_note_texts[static_cast<std::size_t>(note)];
}

// The notes that apply to a run, in the order above, judged against its own tolerance;
// none that needs it where the tolerance is unknown.
std::vector<RunNote> run_notes(const MethodSummary& summary);

bool has_note(const std::vector<RunNote>& notes, RunNote note);

// The codes for the CSV, separated by ';'; "" when there is nothing to say.
std::string note_codes(const std::vector<RunNote>& notes);

// The words for the table and the legend, separated by ", ".
std::string note_words(const std::vector<RunNote>& notes);

// The words for a panel's title, every note with its own, separated by ", ".
std::string title_words(const std::vector<RunNote>& notes);

}  // namespace konvergenz
