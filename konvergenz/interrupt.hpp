#pragma once

#include <stdexcept>

namespace konvergenz {

// A stop signal (Ctrl-C, SIGHUP, SIGTERM) does not kill the program outright: the
// run-time layer's handler only notes it, and every loop and every wait looks at the
// note, so that temporary files are cleaned up and no half-written chart is left behind.
struct Interrupted : std::runtime_error {
    Interrupted();
};

// Throws Interrupted once a stop signal has arrived.
void throw_if_interrupted();

// The status to end with after a stop signal: 128 + its number.
int interrupted_status();

}  // namespace konvergenz
