#pragma once

#include "options.hpp"
#include "rootfinding/methods.hpp"
#include "runtime/exit_status.hpp"

#include <ostream>

namespace konvergenz {

// The project's exit statuses, as plain ints for main() to return.
enum ExitStatus : int {
    exit_ok = static_cast<int>(runtime::ExitStatus::success),
    exit_bad_input = static_cast<int>(runtime::ExitStatus::bad_input),
    exit_write_failed = static_cast<int>(runtime::ExitStatus::output_failed),
    exit_interrupted = static_cast<int>(runtime::ExitStatus::interrupted),  // Ctrl-C
};

// quarlen's own stopping tolerance, for a chart without a run that names one.
inline constexpr double stopping_tolerance = METHODS::TOLERANCE;

// Reads the logs in options.folder, prints the table to out, writes the
// chart. Messages and warnings go to err, one line each, prefixed
// "konvergenz: ". Nothing is written unless every log present could be read.
// Returns the exit status; after a stop signal 128 + its number.
int run(const Options& options, std::ostream& out, std::ostream& err);

}  // namespace konvergenz
