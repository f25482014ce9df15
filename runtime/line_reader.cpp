#include "runtime/line_reader.hpp"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <poll.h>
#include <unistd.h>
#include <utility>

#include "runtime/program.hpp"
#include "runtime/signals.hpp"

namespace runtime {

LineReader::Status LineReader::next()
{
    if (std::exchange(skipping_, false)) {
        if (const Status skipped = skip_rest_of_line(); skipped != Status::line) return skipped;
    }
    std::size_t scanned = begin_;
    for (;;) {
        const char* const first = buffer_.data();
        const char* const newline = std::find(first + scanned, first + end_, '\n');
        if (newline != first + end_) {
            const std::size_t from = begin_;
            begin_ = static_cast<std::size_t>(newline - first) + 1;
            return take_line(from, static_cast<std::size_t>(newline - (first + from)));
        }
        // Move the unfinished line to the front so that the buffer can take more.
        if (begin_ > 0) {
            std::memmove(buffer_.data(), first + begin_, end_ - begin_);
            end_ -= begin_;
            begin_ = 0;
        }
        scanned = end_;
        // Too long as soon as MAX_LINE characters are followed by anything but '\n' or
        // "\r\n": told at once, and the rest is skipped only if next() is called again,
        // so that endless input (/dev/zero) is never read to its end.
        if (end_ > MAX_LINE && (buffer_[MAX_LINE] != '\r' || end_ == buffer_.size())) {
            skipping_ = true;
            line_ = {buffer_.data(), HEAD};
            return Status::too_long;
        }
        const long n = fill();
        if (n < 0) return failure_;
        if (n == 0) {
            if (begin_ == end_) return Status::end;
            const std::size_t from = std::exchange(begin_, end_);
            return take_line(from, end_ - from);  // the last line, without a '\n'
        }
    }
}

LineReader::Status LineReader::take_line(std::size_t first, std::size_t length)
{
    line_ = {buffer_.data() + first, length};
    const bool carriage_return = length > 0 && line_.back() == '\r';
    if (length - (carriage_return ? 1 : 0) <= MAX_LINE) return Status::line;
    line_ = line_.substr(0, HEAD);
    return Status::too_long;
}

LineReader::Status LineReader::skip_rest_of_line()
{
    // The buffer holds the beginning of a line too long for it, and no '\n'. It is
    // thrown away, and more after it, up to the end of that line.
    for (;;) {
        begin_ = end_ = 0;
        const long n = fill();
        if (n <= 0) return n < 0 ? failure_ : Status::end;
        const char* const first = buffer_.data();
        const char* const newline = std::find(first, first + n, '\n');
        if (newline != first + n) {
            begin_ = static_cast<std::size_t>(newline - first) + 1;
            return Status::line;
        }
    }
}

long LineReader::fill()
{
    for (;;) {
        if (!wait_for_input()) {
            failure_ = Status::interrupted;
            error_ = EINTR;
            return -1;
        }
        const ssize_t n = ::read(fd_, buffer_.data() + end_, buffer_.size() - end_);
        if (n >= 0) {
            end_ += static_cast<std::size_t>(n);
            return n;
        }
        if (errno == EINTR) continue;  // the next wait sees whether it was Ctrl-C
        failure_ = Status::error;
        error_ = errno;
        return -1;
    }
}

bool LineReader::wait_for_input()
{
    // The stop signals stay blocked except inside ppoll, which unblocks them atomically:
    // a Ctrl-C that comes after the flag is looked at, but before the wait begins, still
    // ends the wait instead of being noticed only after the next line is typed.
    if (fd_ < 0) return !interrupted();  // poll would ignore it and wait for ever
#ifdef __EMSCRIPTEN__
    return !interrupted();  // under node read() waits itself; poll would end the runtime
#else
    const sigset_t stop = signals::stop_set();
    sigset_t previous;
    sigprocmask(SIG_BLOCK, &stop, &previous);
    pollfd input{.fd = fd_, .events = POLLIN, .revents = 0};
    int ready;
    do {
        ready = interrupted() ? 0 : ::ppoll(&input, 1, nullptr, &previous);
    } while (ready < 0 && errno == EINTR);
    sigprocmask(SIG_SETMASK, &previous, nullptr);
    // Whatever ppoll reports (data, end of input, an error), read() tells the rest.
    return !interrupted();
#endif
}

}  // namespace runtime
