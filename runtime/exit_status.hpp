// Exit statuses, the same in every program of the project.
#pragma once

namespace runtime {

enum class ExitStatus : int {
    success = 0,        // every method converged
    not_converged = 1,  // a method stopped without converging (cycle, breakdown, step limit)
    bad_input = 2,      // the input held no usable number, or ended too early
    output_failed = 3,  // a log file or standard output could not be written
    interrupted = 130,  // Ctrl-C (128 + SIGINT, as the shells report it)
};

}  // namespace runtime
