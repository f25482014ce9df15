// Exit statuses, the same in every program of the project.
#pragma once

namespace runtime {

enum class ExitStatus : int {
    success = 0,        // every method converged
    not_converged = 1,  // a method stopped without converging (cycle, breakdown, step limit)
    bad_input = 2,      // the input held no usable number, or ended too early
    output_failed = 3,  // a log file or standard output could not be written
    // Stopped by a signal: 128 + its number, as the shells report it.
    hung_up = 129,      // SIGHUP: the terminal was closed
    interrupted = 130,  // SIGINT: Ctrl-C
    reader_gone = 141,  // SIGPIPE: the reader of standard output has gone (| head)
    terminated = 143,   // SIGTERM: kill, timeout, a shutdown
};

// The status of a run stopped by `signal`: 128 + its number.
constexpr ExitStatus stopped_by(int signal) { return static_cast<ExitStatus>(128 + signal); }

}  // namespace runtime
