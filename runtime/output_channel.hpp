// A file descriptor behind a block buffer: the console's standard output and the log
// file both write through one. Records are copied in; the buffer goes out in large
// blocks, or after every record when a person watches (a terminal).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

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
    OutputChannel(int fd, std::string name, bool flush_each_record, Sink sink = Sink::shared);
    OutputChannel(const OutputChannel&) = delete;
    OutputChannel& operator=(const OutputChannel&) = delete;

    void write(std::string_view bytes);

    // Writes out the buffer. A failure ends the program with status 3, naming the file
    // and the system's reason.
    void flush();

    // The same, without ending the program: returns 0, or the errno of the failure.
    int flush_quietly();

    int fd() const { return fd_; }
    const std::string& name() const { return name_; }

private:
    static constexpr std::size_t CAPACITY = std::size_t{1} << 16;

    // Returns 0, or the errno of a failure that is to be reported.
    int write_out();

    int fd_;
    std::string name_;
    bool flush_each_record_;
    Sink sink_;
    std::unique_ptr<char[]> buffer_;
    std::size_t used_ = 0;
    std::uint64_t written_ = 0;  // bytes written out so far
    std::uint64_t whole_ = 0;    // of those, the bytes up to the end of the last whole line
    bool given_up_ = false;      // after a failure: what comes later is dropped
};

// What write_all() got out: the byte count, and 0 or the errno of the failure. EINTR
// means it gave up after a stop signal, when the descriptor could take no more at once.
struct Written {
    std::size_t bytes;
    int error;
};

// Writes all of `bytes` to `fd`, going on after a signal. Once a stop signal has come
// it waits for no reader: a full pipe, a FIFO nobody empties or a stopped terminal is
// given up, so that Ctrl-C, SIGTERM and SIGHUP always end the program.
Written write_all(int fd, std::string_view bytes);

// "<name>: <what>: <system reason>", the message for a failed output.
std::string output_failure(const std::string& name, std::string_view what, int error);

// That message, ending the program with status 3.
[[noreturn]] void fail_output(const std::string& name, std::string_view what, int error);

}  // namespace runtime
