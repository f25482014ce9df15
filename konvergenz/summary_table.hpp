#pragma once

#include "log_analysis.hpp"

#include <ostream>
#include <vector>

namespace konvergenz {

// The table on stdout: one line per method with steps, last iterate, last
// |f|, mean factor per step, estimated order p and the count of non-finite
// values; "-" where a figure cannot be given. Ends with a line that says
// what the factor and p mean.
void print_summary_table(std::ostream& out, const std::vector<MethodSummary>& summaries);

}  // namespace konvergenz
