// An open file descriptor, closed when its owner goes.
#pragma once

#include <cerrno>
#include <unistd.h>
#include <utility>

namespace runtime {

class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept
    {
        reset(std::exchange(other.fd_, -1));
        return *this;
    }
    ~FileDescriptor() { reset(); }

    int get() const { return fd_; }

    // Hands the descriptor over; this owner no longer closes it.
    int release() { return std::exchange(fd_, -1); }

    void reset(int fd = -1)
    {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }

    // Closes it now. Returns the errno of a failed close, which can be the first news
    // of a failed write (a full disk over NFS), or 0. On Linux the descriptor is gone
    // even when close reports EINTR, so that is not a failure to retry.
    int close()
    {
        const int fd = std::exchange(fd_, -1);
        if (fd < 0 || ::close(fd) == 0 || errno == EINTR) return 0;
        return errno;
    }

private:
    int fd_ = -1;
};

}  // namespace runtime
