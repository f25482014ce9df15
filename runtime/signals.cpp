#include "runtime/signals.hpp"

namespace runtime::signals {
namespace {

constexpr int STOP_SIGNALS[] = {SIGINT, SIGHUP, SIGTERM};

volatile std::sig_atomic_t received_ = 0;
volatile std::sig_atomic_t count_ = 0;

extern "C" void on_stop_signal(int signal)
{
    if (received_ == 0) received_ = signal;
    if (count_ < 2) count_ = count_ + 1;
}

}  // namespace

void install()
{
    for (const int signal : STOP_SIGNALS) {
        struct sigaction action {};
        sigaction(signal, nullptr, &action);
        if (action.sa_handler == SIG_IGN) continue;
        action.sa_handler = on_stop_signal;
        action.sa_flags = 0;
        // While one stop signal is handled the others wait, so `received_` is set once.
        action.sa_mask = stop_set();
        sigaction(signal, &action, nullptr);
    }
}

int received() { return received_; }

int count() { return count_; }

sigset_t stop_set()
{
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : STOP_SIGNALS) sigaddset(&set, signal);
    return set;
}

const char* abbreviation(int signal)
{
    switch (signal) {
    case SIGINT:
        return "INT";
    case SIGHUP:
        return "HUP";
    case SIGTERM:
        return "TERM";
    default:
        return "?";
    }
}

}  // namespace runtime::signals
