#pragma once

#include "log_analysis.hpp"

#include <ostream>
#include <string>
#include <vector>

namespace konvergenz {

// The table on stdout: one line per method with its inputs, steps, last
// iterate, last |f|, factor q as the iteration ends, estimated order p, the
// estimated error of the last iterate and the limit, and the count of
// non-finite values; "-" where a figure cannot be given. Below it, lines that
// name the runs' functions and tolerances and say what the figures mean, and a
// sentence for each method whose run did not finish or whose estimated error lies
// far above its run's tolerance.
void print_summary_table(std::ostream& out, const std::vector<MethodSummary>& summaries);

// "a = 0, b = 10", "x0 = 4"; "-" if the header named no inputs.
std::string start_values_text(const std::optional<std::vector<NamedValue>>& start_values);

}  // namespace konvergenz
