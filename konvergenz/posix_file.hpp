#pragma once

#include "runtime/messages.hpp"

#include <cerrno>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace konvergenz {

// An open file descriptor, closed when its owner goes.
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

// What a file that is not a regular one is, as a message names it.
inline std::string_view file_type_name(mode_t mode)
{
    if (S_ISDIR(mode)) return "ein Ordner";
    if (S_ISFIFO(mode)) return "eine benannte Pipe (FIFO)";
    if (S_ISSOCK(mode)) return "ein Socket";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "ein Gerät";
    if (S_ISLNK(mode)) return "eine symbolische Verknüpfung";
    return "eine Datei unbekannter Art";
}

// The system's reason for a failed call, in German like the rest of the dialogue.
inline std::string system_reason(int error)
{
    return runtime::system_reason(runtime::Language::german, error);
}

}  // namespace konvergenz
