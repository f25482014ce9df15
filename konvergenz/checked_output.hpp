#pragma once

#include <ostream>

#include "runtime/output_channel.hpp"

namespace konvergenz {

// Writes out and closes standard output (`out`, over descriptor 1) and returns the
// run's status: `status`, or 3 with a message on err if the output failed and the run
// had gone well, or quietly 141 (128 + SIGPIPE) if its reader had gone; after a stop
// signal 128 + its number. `error_at_start`: an errno the
// output failed with from the start (EBADF when the descriptor was closed), or 0.
int close_standard_output(runtime::OutputChannel& out, int error_at_start, int status,
                          std::ostream& err);

}  // namespace konvergenz
