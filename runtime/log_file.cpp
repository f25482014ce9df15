#include "runtime/log_file.hpp"

#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "runtime/messages.hpp"
#include "runtime/output_path.hpp"
#include "runtime/program.hpp"
#include "runtime/signals.hpp"

namespace runtime {
namespace {

// The one log that is open, for the way out after a failure elsewhere.
LogFile* open_log = nullptr;
// Of the log closed last: the lines its reader never got.
std::uint64_t last_log_lines_dropped = 0;

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
#ifdef __EMSCRIPTEN__
        ::nanosleep(&tenth, nullptr);  // no ppoll there, and no signals to let through
#else
        ::ppoll(nullptr, 0, &tenth, &previous);
#endif
    }
    sigprocmask(SIG_SETMASK, &previous, nullptr);
    return !interrupted();
}

// Opens `path` under the owner and link rules. A FIFO without a reader is tried again
// every tenth of a second, as a plain open() would block until a reader comes and no
// signal handler could end that wait safely; a stop signal ends the waiting (EINTR).
OutputPath open_waiting_for_reader(const std::string& path)
{
    for (;;) {
        OutputPath target = open_to_write(path);
        if (target.error != ENXIO || !target.exists || !S_ISFIFO(target.status.st_mode) ||
            target.refusal != Refusal::none)
            return target;
        if (!pause_unless_stopped()) {
            target.error = EINTR;
            return target;
        }
    }
}

// File systems stamp a write with a coarse clock, so logs written a few milliseconds
// apart, by two runs one after the other, can carry the same time, and a reader that
// orders them by it cannot tell which run came last. A regular file's time of last change
// is set from the fine clock instead, once its last line is written.
void stamp_with_the_fine_clock(int fd)
{
#ifndef __EMSCRIPTEN__
    struct stat file;
    timespec times[2]{{.tv_sec = 0, .tv_nsec = UTIME_OMIT}, {}};
    if (::fstat(fd, &file) == 0 && S_ISREG(file.st_mode) &&
        ::clock_gettime(CLOCK_REALTIME, &times[1]) == 0)
        ::futimens(fd, times);
#else
    (void)fd;  // there the clock counts milliseconds, as the file system does
#endif
}

}  // namespace

LogFile::LogFile(std::string_view name)
{
    // A stop signal that came at a prompt leaves the log of a stage not yet started as
    // the previous run left it.
    if (interrupted()) fail(interrupted_status(), interruption());
    const std::string shown = quoted(name);
    OutputPath target = open_waiting_for_reader(std::string(name));
    if (target.refusal != Refusal::none)
        fail(ExitStatus::output_failed, shown + ": " + std::string(phrases().cannot_create) + ": " +
                                            refusal_reason(phrases(), target));
    if (target.error == EINTR)
        fail(interrupted_status(),
             shown + ": " + interruption() + " " + std::string(phrases().waiting_for_reader));
    if (target.error != 0) fail_output(shown, phrases().cannot_create, target.error);
    const int fd = target.file.get();
    if (S_ISREG(target.status.st_mode)) {
        // One run per log: the lock is taken before the file is emptied, and goes with
        // the descriptor when the log is closed. Where a file system has no locks, the
        // log is written without one. A reader (konvergenz) holds a shared lock while it
        // reads, so a shared lock that can still be had means the log is being read.
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
            const bool read = ::flock(fd, LOCK_SH | LOCK_NB) == 0;
            fail(ExitStatus::output_failed,
                 shown + ": " + std::string(read ? phrases().being_read : phrases().locked));
        }
        // Only a file with content is emptied: on ext4, cutting even an empty file to 0
        // makes its close write the file out at once, which costs milliseconds a run. The
        // size is asked under the lock, after any earlier run has let go of the file.
        struct stat now {};
        if (::fstat(fd, &now) != 0) fail_output(shown, phrases().cannot_create, errno);
        if (now.st_size != 0 && ::ftruncate(fd, 0) != 0)
            fail_output(shown, phrases().cannot_create, errno);
    }
    // Writes wait for a slow reader as usual; the write loop ends them after a stop.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    channel_.emplace(target.file.release(), shown, false, OutputChannel::Sink::own_file);
    open_log = this;
}

LogFile::~LogFile()
{
    if (channel_) close();
}

void LogFile::close()
{
    if (const std::string failure = finish(); !failure.empty())
        fail(ExitStatus::output_failed, failure);
}

std::string LogFile::finish()
{
    const int write_error = channel_->flush_quietly();
    if (write_error == 0) stamp_with_the_fine_clock(channel_->fd());
    // A failed close can be the first news of a failed write (NFS, quotas). On Linux the
    // descriptor is gone either way, so EINTR is not retried.
    const int close_error = ::close(channel_->fd()) != 0 && errno != EINTR ? errno : 0;
    std::string failure;
    if (write_error != 0) {
        failure = output_failure(channel_->name(), phrases().cannot_write, write_error);
    } else if (close_error != 0) {
        failure = output_failure(channel_->name(), phrases().cannot_close, close_error);
    }
    last_log_lines_dropped = channel_->lines_dropped();
    channel_.reset();
    open_log = nullptr;
    return failure;
}

std::uint64_t lines_dropped_from_last_log() { return last_log_lines_dropped; }

void close_open_log_on_the_way_out()
{
    if (open_log == nullptr) return;
    if (const std::string failure = open_log->finish(); !failure.empty()) warn(failure);
}

}  // namespace runtime
