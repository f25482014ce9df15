#pragma once

#include <stdexcept>

namespace konvergenz {

// Ctrl-C does not kill the program outright: the handler only raises a flag,
// and the long loops check it, so that temporary files are cleaned up and no
// half-written chart is left behind.
struct Interrupted : std::runtime_error {
    Interrupted() : std::runtime_error("abgebrochen") {}
};

void install_interrupt_handler();
bool interrupt_requested();
void throw_if_interrupted();

}  // namespace konvergenz
