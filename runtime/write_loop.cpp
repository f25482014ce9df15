#include "runtime/write_loop.hpp"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <poll.h>
#include <unistd.h>

#include "runtime/signals.hpp"

namespace runtime {
namespace {

using Clock = std::chrono::steady_clock;

enum class Ready { yes, stalled, stopped };

// Waits until `fd` can take bytes: for ever when `patient` is false, else for at most
// PATIENCE. The wait ends early once `stop_limit` stop signals have come (0: never).
// The stop signals are let through only inside ppoll, so that one arriving just before
// the wait still ends it.
#ifdef __EMSCRIPTEN__
// Under node a write blocks until it is done, and there is no poll on a standard stream
// (it would end the runtime): there is never anything to wait for.
Ready wait_until_writable(int, bool, int) { return Ready::yes; }
#else
// How long a reader that takes nothing is waited for once the run is to end.
constexpr std::chrono::milliseconds PATIENCE{1000};

Ready wait_until_writable(int fd, bool patient, int stop_limit)
{
    const sigset_t stop = signals::stop_set();
    sigset_t previous;
    sigprocmask(SIG_BLOCK, &stop, &previous);
    const auto deadline = Clock::now() + PATIENCE;
    Ready ready = Ready::yes;
    for (;;) {
        // A descriptor that takes bytes at once (a file) is never given up.
        const bool stopped = stop_limit > 0 && signals::count() >= stop_limit;
        timespec left{};  // zero: only a look
        const timespec* timeout = &left;
        if (!stopped && !patient) timeout = nullptr;
        if (!stopped && patient) {
            const auto rest = std::max(deadline - Clock::now(), Clock::duration::zero());
            const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(rest).count();
            left = {.tv_sec = static_cast<time_t>(ns / 1'000'000'000),
                    .tv_nsec = static_cast<long>(ns % 1'000'000'000)};
        }
        pollfd out{.fd = fd, .events = POLLOUT, .revents = 0};
        const int n = ::ppoll(&out, 1, timeout, &previous);
        if (n == 0) ready = stopped ? Ready::stopped : Ready::stalled;
        if (n >= 0 || errno != EINTR) break;  // on an error, write() tells what is wrong
    }
    sigprocmask(SIG_SETMASK, &previous, nullptr);
    return ready;
}
#endif

// Writes `bytes` from `done` up to `end` if the reader takes them in time.
Written finish(int fd, std::string_view bytes, std::size_t done, std::size_t end)
{
    while (done < end) {
        if (wait_until_writable(fd, true, 0) != Ready::yes) break;
        // No more than PIPE_BUF: a pipe that has room takes that much without waiting.
        const ssize_t n =
            ::write(fd, bytes.data() + done, std::min<std::size_t>(end - done, PIPE_BUF));
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
            return {done, n < 0 ? errno : EIO};
        }
    }
    return {done, done == bytes.size() ? 0 : EINTR};
}

// After giving up at `done`: finishes the line cut there, if the reader takes it in time.
Written finish_line(int fd, std::string_view bytes, std::size_t done, bool inside_a_line)
{
    const bool cut = done == 0 ? inside_a_line : bytes[done - 1] != '\n';
    if (!cut) return {done, EINTR};
    const std::size_t newline = bytes.find('\n', done);
    return finish(fd, bytes, done, newline == std::string_view::npos ? bytes.size() : newline + 1);
}

}  // namespace

Written write_all(int fd, std::string_view bytes, bool inside_a_line)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const bool stopping = signals::count() > 0;
        std::size_t limit = bytes.size();
        if (stopping) {
            if (wait_until_writable(fd, true, 2) != Ready::yes)
                return finish_line(fd, bytes, done, inside_a_line);
            limit = PIPE_BUF;
        }
        const ssize_t n = ::write(fd, bytes.data() + done, std::min(bytes.size() - done, limit));
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;  // the next pass sees whether it was a stop
        if (n < 0 && errno == EAGAIN) {
            // Before a stop the wait is endless, and a stop signal ends it; the next pass
            // then waits as it does after a stop.
            if (!stopping) wait_until_writable(fd, false, 1);
            continue;
        }
        return {done, n < 0 ? errno : EIO};
    }
    return {done, 0};
}

Written write_line(int fd, std::string_view line)
{
    if (signals::count() > 0) return finish(fd, line, 0, line.size());
    return write_all(fd, line, true);
}

}  // namespace runtime
