// A file descriptor behind a block buffer: the console's standard output and the log
// file both write through one. Records are copied in; the buffer goes out in large
// blocks, or after every record when a person watches (a terminal).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "runtime/write_loop.hpp"

namespace runtime {

class OutputChannel {
public:
    enum class Sink {
        // Standard output: shared with the caller, never cut. After a stop signal a
        // failing write is given up without a report (a closed terminal fails them all).
        shared,
        // The same on a terminal. A closed terminal fails writes with EIO a moment before
        // its SIGHUP arrives; such a failure is taken as that SIGHUP.
        terminal,
        // A file the program opened itself (a log): a failed write cuts it back to its
        // last whole line, so it never ends in a cut record.
        own_file,
    };

    // `name` as messages show it, e.g. "\"bisec_f1.dat\"" or "Standardausgabe".
    // `failure_ends_program`: false when the caller reports a failure itself, later.
    OutputChannel(int fd, std::string name, bool flush_each_record, Sink sink = Sink::shared,
                  bool failure_ends_program = true);
    OutputChannel(const OutputChannel&) = delete;
    OutputChannel& operator=(const OutputChannel&) = delete;

    void write(std::string_view bytes)
    {
        // The common case inline, where a caller's record of fixed length becomes a few
        // moves rather than a call to memcpy.
        if (bytes.size() <= CAPACITY - used_ && !flush_each_record_) {
            std::memcpy(buffer_.get() + used_, bytes.data(), bytes.size());
            used_ += bytes.size();
            return;
        }
        write_through(bytes);
    }

    // Writes out the buffer. A failure ends the program with status 3, naming the file
    // and the system's reason, unless the channel was made to keep it for the caller;
    // a reader of standard output that has gone ends it quietly with 141.
    void flush();

    // The same, without ending the program: returns 0, or the errno of the failure.
    int flush_quietly();

    int fd() const { return fd_; }
    const std::string& name() const { return name_; }
    // The errno of the first failure that is to be reported, or 0.
    int error() const { return error_; }
    // Lines that never went out because the channel gave up (after a stop, on a reader
    // that took no more), counted by their line ends.
    std::uint64_t lines_dropped() const { return lines_dropped_; }
    // Whether what went out ends inside a line: a record cut short after a stop.
    bool ends_inside_a_line() const { return whole_ != written_; }
    // The line cut short has been ended by a line end written to the same file through
    // another descriptor (standard error, 2>&1).
    void line_ended_elsewhere() { whole_ = written_; }

private:
    static constexpr std::size_t CAPACITY = std::size_t{1} << 16;

    // write() where the buffer is full or every record goes out at once.
    void write_through(std::string_view bytes);
    // Returns 0, or the errno of a failure that is to be reported.
    int write_out();

    int fd_;
    std::string name_;
    bool flush_each_record_;
    Sink sink_;
    bool failure_ends_program_;
    std::unique_ptr<char[]> buffer_;
    std::size_t used_ = 0;
    std::uint64_t written_ = 0;  // bytes written out so far
    std::uint64_t whole_ = 0;    // of those, the bytes up to the end of the last whole line
    bool given_up_ = false;      // after a failure: what comes later is dropped
    int error_ = 0;
    std::uint64_t lines_dropped_ = 0;
};

// "<name>: <what>: <system reason>", the message for a failed output.
std::string output_failure(const std::string& name, std::string_view what, int error);

// That message, ending the program with status 3.
[[noreturn]] void fail_output(const std::string& name, std::string_view what, int error);

}  // namespace runtime
