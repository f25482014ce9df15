#include "runtime/program.hpp"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "runtime/console.hpp"

namespace runtime {
namespace {

// The run's whole global state besides the console: who we are and how the run went.
std::string_view program_name_ = "?";
const Phrases* phrases_ = &phrases_for(Language::english);
ExitStatus exit_status_ = ExitStatus::success;
volatile std::sig_atomic_t interrupted_ = 0;

extern "C" void on_interrupt(int) { interrupted_ = 1; }

void write_all_to_stderr(std::string_view text)
{
    while (!text.empty()) {
        const ssize_t n = ::write(STDERR_FILENO, text.data(), text.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;  // nowhere left to complain to
        text.remove_prefix(static_cast<std::size_t>(n));
    }
}

}  // namespace

void start(std::string_view program_name, Language language)
{
    program_name_ = program_name;
    phrases_ = &phrases_for(language);

    // No SA_RESTART: a read blocked at a prompt returns EINTR, so Ctrl-C there ends the
    // program at once instead of waiting for a line. A SIGINT the caller chose to ignore
    // (a shell's background job) stays ignored.
    struct sigaction action {};
    sigaction(SIGINT, nullptr, &action);
    if (action.sa_handler != SIG_IGN) {
        action.sa_handler = on_interrupt;
        action.sa_flags = 0;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, nullptr);
    }
    std::signal(SIGPIPE, SIG_IGN);
}

int end()
{
    console::flush();
    if (interrupted()) fail(ExitStatus::interrupted, phrases().interrupted);
    return static_cast<int>(exit_status_);
}

void note_not_converged() { exit_status_ = ExitStatus::not_converged; }

void warn(std::string_view message)
{
    console::flush_quietly();
    std::string line;
    line.reserve(program_name_.size() + message.size() + 3);
    line.append(program_name_).append(": ").append(message).append("\n");
    write_all_to_stderr(line);
}

void fail(ExitStatus status, std::string_view message)
{
    warn(message);
    std::exit(static_cast<int>(status));
}

bool interrupted() { return interrupted_ != 0; }

const Phrases& phrases() { return *phrases_; }

}  // namespace runtime
