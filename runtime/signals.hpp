// The signals that ask a run to stop: Ctrl-C (SIGINT), a closed terminal (SIGHUP), and
// kill, timeout or a shutdown (SIGTERM). The handler only notes which one came; loops
// look at it once per step and stop cleanly after the current one, and every wait (for
// input, for a file) is written so that it ends when one arrives.
#pragma once

#include <csignal>

namespace runtime::signals {

// Takes over the three stop signals, except those the caller ignores (a shell starts
// background jobs with SIGINT ignored; nohup ignores SIGHUP): they stay ignored. No
// SA_RESTART, so a blocking call returns EINTR and the caller can look at the flag.
void install();

// The first stop signal that arrived, or 0.
int received();

// How many stop signals have arrived: a second one means the person will not wait.
int count();

// The three stop signals, for sigprocmask and ppoll: block them, then unblock them
// atomically inside the wait, so that one arriving between a look at the flag and the
// start of the wait still ends the wait.
sigset_t stop_set();

// A stop signal's name without "SIG": "INT", "HUP", "TERM"; "?" for any other.
const char* abbreviation(int signal);

}  // namespace runtime::signals
