#include "interrupt.hpp"

#include <csignal>

namespace konvergenz {
namespace {

volatile std::sig_atomic_t interrupt_flag = 0;

extern "C" void on_interrupt(int) { interrupt_flag = 1; }

}  // namespace

// A signal the shell set to be ignored (a background job) stays ignored.
void install_interrupt_handler()
{
    for (const int signal : {SIGINT, SIGTERM}) {
        if (std::signal(signal, on_interrupt) == SIG_IGN) std::signal(signal, SIG_IGN);
    }
}

bool interrupt_requested() { return interrupt_flag != 0; }

void throw_if_interrupted()
{
    if (interrupt_requested()) throw Interrupted{};
}

}  // namespace konvergenz
