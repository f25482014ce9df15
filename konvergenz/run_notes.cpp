#include "run_notes.hpp"

#include <algorithm>

namespace konvergenz {
namespace {

std::string joined(const std::vector<RunNote>& notes, std::string_view RunNoteText::*part,
                   std::string_view separator, std::string_view RunNoteText::*instead = nullptr)
{
    std::string text;
    for (const RunNote note : notes) {
        std::string_view item = text_of(note).*part;
        if (item.empty() && instead) item = text_of(note).*instead;
        if (item.empty()) continue;
        if (!text.empty()) text += separator;
        text += item;
    }
    return text;
}

}  // namespace

std::vector<RunNote> run_notes(const MethodSummary& summary)
{
    const ConvergenceStats& stats = summary.stats;
    std::vector<RunNote> notes;
    if (summary.unfinished) notes.push_back(RunNote::unfinished);
    if (summary.estimate.diverging) notes.push_back(RunNote::diverging);
    if (summary.tolerance && far_beyond_tolerance(summary.judged_error(), *summary.tolerance))
        notes.push_back(summary.estimate.is_bound ? RunNote::bracket_wide : RunNote::far_from_root);
    if (summary.estimate.contradicting_estimate) notes.push_back(RunNote::bound_contradicted);
    if (summary.cut) notes.push_back(RunNote::cut);
    if (summary.stale) notes.push_back(RunNote::stale);
    if (stats.steps() > 0 && stats.non_finite() == stats.steps())
        notes.push_back(RunNote::no_finite_values);
    return notes;
}

bool has_note(const std::vector<RunNote>& notes, RunNote note)
{
    return std::find(notes.begin(), notes.end(), note) != notes.end();
}

std::string note_codes(const std::vector<RunNote>& notes)
{
    return joined(notes, &RunNoteText::code, ";");
}

std::string note_words(const std::vector<RunNote>& notes)
{
    return joined(notes, &RunNoteText::words, ", ");
}

std::string title_words(const std::vector<RunNote>& notes)
{
    return joined(notes, &RunNoteText::words, ", ", &RunNoteText::title_words);
}

}  // namespace konvergenz
