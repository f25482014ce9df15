#include "runtime/output_path.hpp"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace runtime {
namespace {

// As many links as the kernel follows before it reports a loop.
constexpr int MAX_LINKS = 40;

// Replaces `target.path`, a symbolic link, by the path it points to, if the caller owns
// it. False, with the error or refusal set, when it may not or cannot be followed. The
// link is opened itself (O_PATH), so that its owner and its text come from one link.
bool follow_link(OutputPath& target)
{
    const FileDescriptor link(::open(target.path.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    struct stat status {};
    if (link.get() < 0 || ::fstat(link.get(), &status) != 0) {
        target.error = errno;
        return false;
    }
    if (!S_ISLNK(status.st_mode)) return true;  // no longer a link: look again
    if (status.st_uid != ::geteuid()) {
        target.refusal = Refusal::foreign_link;
        target.owner = status.st_uid;
        return false;
    }
    char text[PATH_MAX];
    const ssize_t n = ::readlinkat(link.get(), "", text, sizeof text);
    if (n < 0 || n == static_cast<ssize_t>(sizeof text)) {
        target.error = n < 0 ? errno : ENAMETOOLONG;
        return false;
    }
    // A relative link is relative to the folder it lies in.
    const std::filesystem::path to(std::string(text, static_cast<std::size_t>(n)));
    target.path = to.is_absolute()
                      ? to.string()
                      : (std::filesystem::path(target.path).parent_path() / to).string();
    return true;
}

// Whether the existing file described by `target.status` is another user's in a sticky
// folder that others may write; the refusal is then set.
bool refused_in_shared_folder(OutputPath& target)
{
    if (target.status.st_uid == ::geteuid()) return false;
    const std::filesystem::path parent = std::filesystem::path(target.path).parent_path();
    struct stat folder {};
    if (::stat(parent.empty() ? "." : parent.c_str(), &folder) != 0) return false;
    const bool shared =
        (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & (S_IWGRP | S_IWOTH)) != 0;
    if (!shared || target.status.st_uid == folder.st_uid) return false;
    target.refusal = Refusal::foreign_file;
    target.owner = target.status.st_uid;
    return true;
}

}  // namespace

OutputPath open_to_write(const std::string& path)
{
    OutputPath target;
    target.path = path;
    // O_NOFOLLOW: a link at the name fails with ELOOP instead of being followed, and is
    // then looked at by follow_link().
    constexpr int FLAGS = O_WRONLY | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK | O_CLOEXEC;
    for (int links = 0; links <= MAX_LINKS;) {
        int fd = ::open(target.path.c_str(), FLAGS);
        const bool created =
            fd < 0 && errno == ENOENT &&
            (fd = ::open(target.path.c_str(), FLAGS | O_CREAT | O_EXCL, 0666)) >= 0;
        if (fd >= 0) {
            target.file.reset(fd);
            if (::fstat(fd, &target.status) != 0) target.error = errno;
            target.exists = !created;
            if (!created && refused_in_shared_folder(target)) target.file.reset();
            return target;
        }
        if (errno == EINTR || errno == EEXIST) continue;  // made meanwhile: look again
        if (errno == ELOOP) {
            if (!follow_link(target)) return target;
            ++links;
            continue;
        }
        target.error = errno;
        // A FIFO waits for a reader; the rules hold before the wait begins.
        if (errno == ENXIO && ::lstat(target.path.c_str(), &target.status) == 0) {
            target.exists = true;
            refused_in_shared_folder(target);
        }
        return target;
    }
    target.error = ELOOP;
    return target;
}

OutputPath find_to_replace(const std::string& path)
{
    OutputPath target;
    target.path = path;
    for (int links = 0; links <= MAX_LINKS;) {
        if (::lstat(target.path.c_str(), &target.status) != 0) {
            if (errno != ENOENT) target.error = errno;  // else a new file, or a link to one
            return target;
        }
        if (!S_ISLNK(target.status.st_mode)) {
            target.exists = true;
            refused_in_shared_folder(target);
            return target;
        }
        if (!follow_link(target)) return target;
        ++links;
    }
    target.error = ELOOP;
    return target;
}

std::string refusal_reason(const Phrases& say, const OutputPath& refused)
{
    std::string reason(refused.refusal == Refusal::foreign_link ? say.foreign_link
                                                                : say.foreign_file);
    const std::string uid = "(uid " + std::to_string(refused.owner) + ")";
    return reason.replace(reason.find("(uid)"), 5, uid);
}

}  // namespace runtime
