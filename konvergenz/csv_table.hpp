#pragma once

#include "log_analysis.hpp"

#include <ostream>
#include <string_view>
#include <vector>

namespace konvergenz {

inline constexpr std::string_view csv_header =
    "verfahren,schritte,letzte_iterierte,letztes_abs_f,faktor_q,ordnung_p,fehlerschaetzung,"
    "geschaetzter_grenzwert,startwerte,nicht_endlich,hinweise,toleranz,funktion";

// The figures of the table as CSV, for a spreadsheet or pandas: the header
// line above, then one line per method. '.' as decimal point, reals with 17
// significant digits so that they read back exactly, an empty field where a
// figure cannot be given, the header's inputs separated by a blank, the codes
// of what the table, the chart or a warning says about the run, separated by
// ';', and last the run's tolerance, in the shortest form that reads back
// exactly (0.0001, 1e-10), and the function the method ran on (see
// function_text), both empty where the header is not understood. No field ever
// holds a comma or a quote (a formula holds neither), so none is quoted.
void print_csv_table(std::ostream& out, const std::vector<MethodSummary>& summaries);

}  // namespace konvergenz
