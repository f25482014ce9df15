#pragma once

#include <array>
#include <ostream>
#include <streambuf>

namespace konvergenz {

// A stream buffer over a file descriptor (standard output) that remembers the first
// failed write instead of losing it, so that the end of the run can report it: a full
// disk, a reader that has gone away (SIGPIPE is ignored, so that shows as EPIPE), or
// a descriptor that was closed when the program started. A failed write puts the
// stream into its bad state, so nothing written after it goes out: the output never
// goes on after a gap.
class CheckedOutput : public std::streambuf {
public:
    // `error`: an errno the output fails with from the start (EBADF when the
    // descriptor was closed), or 0.
    explicit CheckedOutput(int fd, int error = 0) : fd_(fd), error_(error)
    {
        setp(buffer_.data(), buffer_.data() + buffer_.size());
    }
    CheckedOutput(const CheckedOutput&) = delete;
    CheckedOutput& operator=(const CheckedOutput&) = delete;

    // Writes out what is buffered and closes the descriptor. Returns the errno of the
    // first failure, of a write or of the close, or 0.
    int close();

protected:
    int_type overflow(int_type c) override;
    int sync() override;

private:
    bool write_out();

    int fd_;
    int error_;
    std::array<char, 4096> buffer_;
};

// Closes standard output (out, on descriptor 1) and returns the run's status: `status`,
// or 3 with a message on err if the output failed and the run had gone well; after a
// stop signal 128 + its number.
int close_standard_output(CheckedOutput& out, int status, std::ostream& err);

}  // namespace konvergenz
