#include "runtime/output_channel.hpp"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <poll.h>
#include <unistd.h>
#include <utility>

#include "runtime/program.hpp"

namespace runtime {
namespace {

// True when a write to `fd` would not wait, or would fail at once (a closed pipe).
bool takes_more_now(int fd)
{
    pollfd out{.fd = fd, .events = POLLOUT, .revents = 0};
    return ::poll(&out, 1, 0) > 0;
}

}  // namespace

OutputChannel::OutputChannel(int fd, std::string name, bool flush_each_record, Sink sink)
    : fd_(fd), name_(std::move(name)), flush_each_record_(flush_each_record), sink_(sink),
      buffer_(std::make_unique_for_overwrite<char[]>(CAPACITY))
{
}

void OutputChannel::write(std::string_view bytes)
{
    // Fill the buffer to the brim before writing it out, so blocks go out whole.
    while (bytes.size() > CAPACITY - used_) {
        const std::size_t room = CAPACITY - used_;
        std::memcpy(buffer_.get() + used_, bytes.data(), room);
        used_ = CAPACITY;
        bytes.remove_prefix(room);
        flush();
    }
    std::memcpy(buffer_.get() + used_, bytes.data(), bytes.size());
    used_ += bytes.size();
    if (flush_each_record_) flush();
}

void OutputChannel::flush()
{
    if (const int error = write_out(); error != 0)
        fail_output(name_, phrases().cannot_write, error);
}

int OutputChannel::flush_quietly() { return write_out(); }

int OutputChannel::write_out()
{
    const std::size_t pending = std::exchange(used_, 0);
    if (given_up_ || pending == 0) return 0;
    const Written out = write_all(fd_, {buffer_.get(), pending});
    if (const auto newline = std::string_view(buffer_.get(), out.bytes).rfind('\n');
        newline != std::string_view::npos) {
        whole_ = written_ + newline + 1;
    }
    written_ += out.bytes;
    if (out.error == 0) return 0;

    // Whatever failed, the rest is dropped: trying it again on the way out would fail
    // again, or wait again.
    given_up_ = true;
    if (sink_ == Sink::own_file) {
        // Written from offset 0, so the file's whole lines end at whole_. A pipe or a
        // device cannot be cut; ftruncate then fails, and there is nothing better to do.
        [[maybe_unused]] const int ignored = ::ftruncate(fd_, static_cast<off_t>(whole_));
        return out.error == EINTR ? 0 : out.error;
    }
    if (sink_ == Sink::terminal && out.error == EIO) std::raise(SIGHUP);  // unless ignored
    // After a stop signal the signal's status tells what happened to the run.
    return out.error == EINTR || interrupted() ? 0 : out.error;
}

Written write_all(int fd, std::string_view bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        std::size_t chunk = bytes.size() - done;
        if (interrupted()) {
            if (!takes_more_now(fd)) return {done, EINTR};
            // No more than PIPE_BUF: a pipe that has room takes that much without waiting.
            chunk = std::min<std::size_t>(chunk, PIPE_BUF);
        }
        const ssize_t n = ::write(fd, bytes.data() + done, chunk);
        if (n < 0 && errno == EINTR) continue;  // the next pass sees whether it was a stop
        if (n <= 0) return {done, n < 0 ? errno : EIO};
        done += static_cast<std::size_t>(n);
    }
    return {done, 0};
}

std::string output_failure(const std::string& name, std::string_view what, int error)
{
    std::string message = name;
    message.append(": ").append(what).append(": ").append(system_reason(error));
    return message;
}

void fail_output(const std::string& name, std::string_view what, int error)
{
    fail(ExitStatus::output_failed, output_failure(name, what, error));
}

}  // namespace runtime
