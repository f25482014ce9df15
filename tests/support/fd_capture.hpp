// Sends everything written to one descriptor (1 or 2) into a temporary file until
// finish(), which puts the descriptor back and returns the bytes. For code that writes
// to the descriptor itself rather than through std::cout. Make no test assertion while
// capturing standard output: GoogleTest prints its failures there.
#pragma once

#include <optional>
#include <string>

#include "tests/support/temp_dir.hpp"

namespace test_support {

class FdCapture {
public:
    // `discard`: send the bytes to /dev/null instead, for output too large to keep.
    explicit FdCapture(int fd, bool discard = false);
    FdCapture(const FdCapture&) = delete;
    FdCapture& operator=(const FdCapture&) = delete;
    ~FdCapture();

    std::string finish();

private:
    int fd_;
    int saved_ = -1;
    std::optional<TempDir> dir_;  // none when discarding: a child that exits leaves no folder
};

}  // namespace test_support
