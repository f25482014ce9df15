#include "runtime/program.hpp"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

#include "runtime/console.hpp"
#include "runtime/log_file.hpp"
#include "runtime/output_channel.hpp"
#include "runtime/signals.hpp"

namespace runtime {
namespace {

// The run's whole global state besides the console: who we are and how the run went.
std::string_view program_name_ = "?";
Language language_ = Language::english;
ExitStatus exit_status_ = ExitStatus::success;

// A program started with descriptor 0, 1 or 2 closed (`quarlen 2>&-`) would otherwise
// get it back from its first open(), and write its messages into a log file.
void open_closed_standard_descriptors()
{
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        // The lowest free descriptor is `fd` itself, as those below it are open.
        ::open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    }
}

}  // namespace

void start(std::string_view program_name, Language language)
{
    program_name_ = program_name;
    language_ = language;

    open_closed_standard_descriptors();
    signals::install();
    // A closed pipe fails the write with EPIPE instead of killing the program, so that
    // the open log is written out first; a file grown past the size limit (ulimit -f)
    // fails it with EFBIG, and is reported.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
}

std::string_view program_name() { return program_name_; }

Language language() { return language_; }

int end()
{
    console::flush();
    if (interrupted()) fail(interrupted_status(), interruption());
    return static_cast<int>(exit_status_);
}

void note_not_converged() { exit_status_ = ExitStatus::not_converged; }

void warn(std::string_view message)
{
    console::flush_quietly();
    std::string line;
    line.reserve(program_name_.size() + message.size() + 4);
    // After a record cut short on a pipe both share (2>&1), on a line of its own.
    if (console::ends_cut_where(STDERR_FILENO)) line.append("\n");
    line.append(program_name_).append(": ").append(message).append("\n");
    write_line(STDERR_FILENO, line);  // on failure there is nowhere left to complain to
}

void fail(ExitStatus status, std::string_view message)
{
    close_open_log_on_the_way_out();
    warn(message);
    std::exit(static_cast<int>(status));
}

void end_as_the_reader_has_gone()
{
    close_open_log_on_the_way_out();
    std::exit(static_cast<int>(ExitStatus::reader_gone));
}

bool interrupted() { return signals::received() != 0; }

ExitStatus interrupted_status() { return stopped_by(signals::received()); }

std::string interruption()
{
    std::string word(phrases().interrupted);
    const int signal = signals::received();
    if (signal != SIGINT) {
        word.append(" (SIG").append(signals::abbreviation(signal)).append(")");
    }
    return word;
}

const Phrases& phrases() { return phrases_for(language_); }

std::string system_reason(int error) { return runtime::system_reason(language_, error); }

}  // namespace runtime
