// Lines from a file descriptor, read in bounded memory: a line longer than MAX_LINE is
// reported as soon as that is clear, and passed over to its end, without being held
// whole, only when the next line is asked for. The carriage return of a DOS line end
// does not count towards the limit.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace runtime {

class LineReader {
public:
    static constexpr std::size_t MAX_LINE = 4096;

    enum class Status {
        line,         // line() holds the next line, without its '\n'
        too_long,     // line() holds the beginning of a line longer than MAX_LINE
        end,          // no more input
        error,        // read failed; error() holds the errno
        interrupted,  // Ctrl-C while waiting for input
    };

    explicit LineReader(int fd) : fd_(fd) {}

    Status next();
    std::string_view line() const { return line_; }
    int error() const { return error_; }

private:
    // Reads more input behind what the buffer holds. Returns the byte count, 0 at the
    // end of input, -1 on failure or interruption (failure_ then says which).
    long fill();
    // Waits until input can be read; false when Ctrl-C has been pressed.
    bool wait_for_input();
    // Throws away the rest of a too long line: Status::line when the next line can be
    // read, else the end of input or the failure.
    Status skip_rest_of_line();
    // The line [first, first + length) of the buffer, or its head when it is too long.
    Status take_line(std::size_t first, std::size_t length);

    static constexpr std::size_t HEAD = 64;  // what a message shows of a too long line

    int fd_;
    int error_ = 0;
    Status failure_ = Status::error;
    // Room for a line, its '\r' and its '\n'; a full buffer without a '\n' is too long.
    std::array<char, MAX_LINE + 2> buffer_{};
    std::size_t begin_ = 0;  // unread input is [begin_, end_)
    std::size_t end_ = 0;
    std::string_view line_;
    bool skipping_ = false;  // the last line was too long: its rest is still to be read
};

}  // namespace runtime
