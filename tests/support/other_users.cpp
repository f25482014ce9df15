#include "tests/support/other_users.hpp"

#include <cstdio>
#include <fcntl.h>
#include <stdexcept>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace test_support {

bool give_to_another_user(const std::filesystem::path& path)
{
    return ::geteuid() == 0 && ::lchown(path.c_str(), OTHER_USER, OTHER_USER) == 0;
}

HeldLock::HeldLock(const std::filesystem::path& path, bool shared)
    : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC))
{
    if (fd_ < 0 || ::flock(fd_, (shared ? LOCK_SH : LOCK_EX) | LOCK_NB) != 0)
        throw std::runtime_error("cannot lock " + path.string());
}

HeldLock::~HeldLock() { ::close(fd_); }

void make_socket(const std::filesystem::path& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    if (!bound) throw std::runtime_error("cannot bind a socket at " + path.string());
}

}  // namespace test_support
