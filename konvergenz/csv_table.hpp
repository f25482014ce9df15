#pragma once

#include "log_analysis.hpp"

#include <ostream>
#include <string_view>
#include <vector>

namespace konvergenz {

inline constexpr std::string_view csv_header =
    "verfahren,schritte,letzte_iterierte,letztes_abs_f,faktor_q,ordnung_p,fehlerschaetzung,"
    "geschaetzter_grenzwert,startwerte,nicht_endlich,hinweise";

// The figures of the table as CSV, for a spreadsheet or pandas: the header
// line above, then one line per method. '.' as decimal point, reals with 17
// significant digits so that they read back exactly, an empty field where a
// figure cannot be given, the header's inputs separated by a blank, and last
// the codes of what the table, the chart or a warning says about the run,
// separated by ';'. No field ever holds a comma or a quote, so none is quoted.
void print_csv_table(std::ostream& out, const std::vector<MethodSummary>& summaries,
                     double tolerance);

}  // namespace konvergenz
