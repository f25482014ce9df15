// A file descriptor behind a block buffer: the console's standard output and the log
// file both write through one. Records are copied in; the buffer goes out in large
// blocks, or after every record when a person watches (a terminal).
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace runtime {

class OutputChannel {
public:
    // `name` as messages show it, e.g. "\"bisec_f1.dat\"" or "Standardausgabe".
    OutputChannel(int fd, std::string name, bool flush_each_record);
    OutputChannel(const OutputChannel&) = delete;
    OutputChannel& operator=(const OutputChannel&) = delete;

    void write(std::string_view bytes);

    // Writes out the buffer. A failure ends the program with status 3, naming the file
    // and the system's reason.
    void flush();

    // The same, ignoring failure: for the way out after something else has failed.
    void flush_quietly();

    int fd() const { return fd_; }
    const std::string& name() const { return name_; }

private:
    static constexpr std::size_t CAPACITY = std::size_t{1} << 16;

    // Returns 0, or the errno of the failed write.
    int write_out();

    int fd_;
    std::string name_;
    bool flush_each_record_;
    std::unique_ptr<char[]> buffer_;
    std::size_t used_ = 0;
};

// "<name>: <what>: <system reason>", ending the program with status 3.
[[noreturn]] void fail_output(const std::string& name, std::string_view what, int error);

}  // namespace runtime
