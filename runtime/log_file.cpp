#include "runtime/log_file.hpp"

#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "runtime/messages.hpp"
#include "runtime/program.hpp"
#include "runtime/signals.hpp"

namespace runtime {
namespace {

// The one log that is open, for the way out after a failure elsewhere.
LogFile* open_log = nullptr;

// Sleeps for a tenth of a second; false at once when a stop signal has come or comes.
// The signals are let through only inside ppoll, so that one arriving just before the
// wait still ends it.
bool pause_unless_stopped()
{
    const sigset_t stop = signals::stop_set();
    sigset_t previous;
    sigprocmask(SIG_BLOCK, &stop, &previous);
    if (!interrupted()) {
        const timespec tenth{.tv_sec = 0, .tv_nsec = 100'000'000};
        ::ppoll(nullptr, 0, &tenth, &previous);
    }
    sigprocmask(SIG_SETMASK, &previous, nullptr);
    return !interrupted();
}

bool is_fifo(const std::string& path)
{
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISFIFO(status.st_mode);
}

// The descriptor, or -1 with errno set (EINTR: a stop signal came while waiting).
int open_for_writing(const std::string& path)
{
    // Opened without waiting: a plain open() of a FIFO blocks until a reader comes, and
    // no signal handler can end that wait safely. So a FIFO without a reader is tried
    // again every tenth of a second, and a stop signal ends the waiting.
    for (;;) {
        const int fd =
            ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK, 0666);
        if (fd >= 0) {
            // Writes wait for a slow reader as usual; write_all() ends them on a stop.
            ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
            return fd;
        }
        if (errno == EINTR) continue;
        if (errno != ENXIO || !is_fifo(path)) return -1;
        if (!pause_unless_stopped()) {
            errno = EINTR;
            return -1;
        }
    }
}

}  // namespace

LogFile::LogFile(std::string_view name)
{
    const std::string path(name);
    const int fd = open_for_writing(path);
    if (fd < 0 && errno == EINTR)
        fail(interrupted_status(), quoted(name) + ": " + interruption() + " " +
                                       std::string(phrases().waiting_for_reader));
    if (fd < 0) fail_output(quoted(name), phrases().cannot_create, errno);
    channel_.emplace(fd, quoted(name), false, OutputChannel::Sink::own_file);
    open_log = this;
}

LogFile::~LogFile()
{
    if (channel_) close();
}

void LogFile::write(const Record& record, std::string_view tail)
{
    const std::string_view line = record.line();
    channel_->write(std::string(line.substr(0, line.size() - 1)).append(tail).append("\n"));
}

void LogFile::close()
{
    if (const std::string failure = finish(); !failure.empty())
        fail(ExitStatus::output_failed, failure);
}

std::string LogFile::finish()
{
    const int write_error = channel_->flush_quietly();
    // A failed close can be the first news of a failed write (NFS, quotas). On Linux the
    // descriptor is gone either way, so EINTR is not retried.
    const int close_error = ::close(channel_->fd()) != 0 && errno != EINTR ? errno : 0;
    std::string failure;
    if (write_error != 0) {
        failure = output_failure(channel_->name(), phrases().cannot_write, write_error);
    } else if (close_error != 0) {
        failure = output_failure(channel_->name(), phrases().cannot_close, close_error);
    }
    channel_.reset();
    open_log = nullptr;
    return failure;
}

void close_open_log_on_the_way_out()
{
    if (open_log == nullptr) return;
    if (const std::string failure = open_log->finish(); !failure.empty()) warn(failure);
}

}  // namespace runtime
