#include "tests/support/fd_capture.hpp"

#include <cstdio>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

namespace test_support {

FdCapture::FdCapture(int fd, bool discard) : fd_(fd)
{
    std::fflush(nullptr);
    if (!discard) dir_.emplace();
    const std::string file = discard ? "/dev/null" : (*dir_ / "captured").string();
    const int target = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    saved_ = ::dup(fd_);
    if (target < 0 || saved_ < 0 || ::dup2(target, fd_) < 0)
        throw std::runtime_error("cannot capture descriptor");
    ::close(target);
}

FdCapture::~FdCapture() { finish(); }

std::string FdCapture::finish()
{
    if (saved_ < 0) return {};
    std::fflush(nullptr);
    ::dup2(saved_, fd_);
    ::close(saved_);
    saved_ = -1;
    return dir_ ? read_file(*dir_ / "captured") : std::string();
}

}  // namespace test_support
