// What other users and other runs leave in a shared folder: files and links that belong
// to someone else, a log another run holds locked or reads, a UNIX socket.
#pragma once

#include <filesystem>
#include <sys/types.h>

namespace test_support {

// "nobody": the user who owns what give_to_another_user() hands over.
inline constexpr uid_t OTHER_USER = 65534;

// Makes another user the owner of `path` (a link itself, not its target). Only root can;
// false otherwise, and the caller skips what needs it. CI runs as root.
bool give_to_another_user(const std::filesystem::path& path);

// Holds an exclusive flock on `path`, as a run writing that log does, or a shared one,
// as a reader of it does, until destroyed.
class HeldLock {
public:
    explicit HeldLock(const std::filesystem::path& path, bool shared = false);
    HeldLock(const HeldLock&) = delete;
    HeldLock& operator=(const HeldLock&) = delete;
    ~HeldLock();

private:
    int fd_;
};

// A UNIX socket bound at `path` (and closed: the name stays).
void make_socket(const std::filesystem::path& path);

}  // namespace test_support
