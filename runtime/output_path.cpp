#include "runtime/output_path.hpp"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <deque>
#include <fcntl.h>
#include <unistd.h>

namespace runtime {
namespace {

// As many links as the kernel follows before it reports a loop.
constexpr int MAX_LINKS = 40;

// A path on its way to the file at its end: the folder reached so far and the parts
// still to go, of which the last is the file's name.
struct Walk {
    FileDescriptor folder;
    std::string shown;  // the folder as a path, "" for the working folder, else ending in '/'
    std::deque<std::string> rest;
    int links = 0;
    bool followed = false;  // whether a link was met, so that the path reads otherwise
};

// The parts of `path` in front of `rest`. A path ending in '/' names a folder, whose
// last part is then ".".
void put_before(std::deque<std::string>& rest, std::string_view path)
{
    std::deque<std::string> parts;
    for (std::size_t at = 0; at < path.size();) {
        const std::size_t end = std::min(path.find('/', at), path.size());
        if (end > at) parts.emplace_back(path.substr(at, end - at));
        at = end + 1;
    }
    if (path.ends_with('/')) parts.emplace_back(".");
    rest.insert(rest.begin(), parts.begin(), parts.end());
}

// Starts `walk` at the root for an absolute path, else at the working folder.
bool start_at(Walk& walk, std::string_view path, OutputPath& target)
{
    const bool absolute = path.starts_with('/');
    walk.folder.reset(::open(absolute ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
    walk.shown.assign(absolute ? 1 : 0, '/');
    if (walk.folder.get() < 0) target.error = errno;
    return walk.folder.get() >= 0;
}

bool shared(const struct stat& folder)
{
    return (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & (S_IWGRP | S_IWOTH)) != 0;
}

enum class Link { followed, none, refused };

// The next part of `walk`, looked at without following it: its status, then its text if
// it is a link. The link is opened itself (O_PATH), so that its owner and its text come
// from one link. Node's file system, under WebAssembly, opens no link itself (ELOOP);
// there the link is looked at by its name in the folder, twice.
class NextPart {
public:
#ifdef __EMSCRIPTEN__
    explicit NextPart(const Walk& walk) : walk_(walk) {}
#else
    explicit NextPart(const Walk& walk)
    {
        self_.reset(::openat(walk.folder.get(), walk.rest.front().c_str(),
                             O_PATH | O_NOFOLLOW | O_CLOEXEC));
    }
#endif

    bool look(struct stat& status) const
    {
#ifdef __EMSCRIPTEN__
        return ::fstatat(walk_.folder.get(), walk_.rest.front().c_str(), &status,
                         AT_SYMLINK_NOFOLLOW) == 0;
#else
        return self_.get() >= 0 && ::fstat(self_.get(), &status) == 0;
#endif
    }

    ssize_t read_link(char* text, std::size_t size) const
    {
#ifdef __EMSCRIPTEN__
        return ::readlinkat(walk_.folder.get(), walk_.rest.front().c_str(), text, size);
#else
        return ::readlinkat(self_.get(), "", text, size);
#endif
    }

private:
#ifdef __EMSCRIPTEN__
    const Walk& walk_;
#else
    FileDescriptor self_;
#endif
};

// If the next part of `walk` is a symbolic link that may be followed, puts the parts of
// its text in its place.
Link follow_link(Walk& walk, OutputPath& target)
{
    const NextPart link(walk);
    struct stat status {};
    struct stat folder {};
    if (!link.look(status) || ::fstat(walk.folder.get(), &folder) != 0) {
        target.error = errno;
        return Link::refused;
    }
    if (!S_ISLNK(status.st_mode)) return Link::none;
    const uid_t owner = status.st_uid;
    if (owner != ::geteuid() && owner != 0 && !(shared(folder) && owner == folder.st_uid)) {
        target.refusal = Refusal::foreign_link;
        target.owner = owner;
        target.link = walk.shown + walk.rest.front();
        return Link::refused;
    }
    if (++walk.links > MAX_LINKS) {
        target.error = ELOOP;
        return Link::refused;
    }
    char text[PATH_MAX];
    const ssize_t n = link.read_link(text, sizeof text);
    if (n < 0 || n == static_cast<ssize_t>(sizeof text)) {
        target.error = n < 0 ? errno : ENAMETOOLONG;
        return Link::refused;
    }
    const std::string_view to(text, static_cast<std::size_t>(n));
    walk.rest.pop_front();
    // A relative link is relative to the folder it lies in.
    if (to.starts_with('/') && !start_at(walk, to, target)) return Link::refused;
    put_before(walk.rest, to);
    walk.followed = true;
    return Link::followed;
}

// Walks the folders of the path, following the links met, until only the file's name is
// left. False, with the error or refusal set, where it cannot or may not go on.
bool walk_to_last_part(Walk& walk, OutputPath& target)
{
    while (walk.rest.size() > 1) {
        const std::string& part = walk.rest.front();
        const int next = ::openat(walk.folder.get(), part.c_str(),
                                  O_PATH | O_NOFOLLOW | O_DIRECTORY | O_CLOEXEC);
        if (next >= 0) {
            walk.folder.reset(next);
            walk.shown.append(part).append("/");
            walk.rest.pop_front();
            continue;
        }
        // A link, or something that is no folder.
        if (errno != ENOTDIR) {
            target.error = errno;
            return false;
        }
        const Link link = follow_link(walk, target);
        if (link == Link::refused) return false;
        if (link == Link::none) {
            target.error = ENOTDIR;
            return false;
        }
    }
    if (walk.rest.empty()) target.error = ENOENT;  // an empty path
    return !walk.rest.empty();
}

// Begins the walk of `path`; false, with the error set, if it cannot begin.
bool begin(Walk& walk, const std::string& path, OutputPath& target)
{
    target.path = path;
    if (!start_at(walk, path, target)) return false;
    put_before(walk.rest, path);
    return true;
}

// Hands over where the walk ended: the folder and the name of the file.
void arrive(Walk& walk, OutputPath& target)
{
    target.name = walk.rest.front();
    if (walk.followed) target.path = walk.shown + target.name;
    target.folder = std::move(walk.folder);
}

// Whether the existing file described by `target.status` is another user's in a sticky
// folder that others may write; the refusal is then set.
bool refused_in_shared_folder(OutputPath& target)
{
    if (target.status.st_uid == ::geteuid()) return false;
    struct stat folder {};
    if (::fstat(target.folder.get(), &folder) != 0) return false;
    if (!shared(folder) || target.status.st_uid == folder.st_uid) return false;
    target.refusal = Refusal::foreign_file;
    target.owner = target.status.st_uid;
    return true;
}

}  // namespace

OutputPath open_to_write(const std::string& path)
{
    OutputPath target;
    Walk walk;
    if (!begin(walk, path, target)) return target;
    // O_NOFOLLOW: a link at the name fails with ELOOP instead of being followed, and is
    // then looked at by follow_link().
    constexpr int FLAGS = O_WRONLY | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK | O_CLOEXEC;
    for (;;) {
        if (!walk_to_last_part(walk, target)) return target;
        const int folder = walk.folder.get();
        const char* name = walk.rest.front().c_str();
        int fd = ::openat(folder, name, FLAGS);
        const bool created = fd < 0 && errno == ENOENT &&
                             (fd = ::openat(folder, name, FLAGS | O_CREAT | O_EXCL, 0666)) >= 0;
        if (fd >= 0) {
            arrive(walk, target);
            target.file.reset(fd);
            if (::fstat(fd, &target.status) != 0) target.error = errno;
            target.exists = !created;
            if (!created && refused_in_shared_folder(target)) target.file.reset();
            return target;
        }
        if (errno == EINTR || errno == EEXIST) continue;  // made meanwhile: look again
        const int error = errno;
        if (error == ELOOP) {
            if (follow_link(walk, target) == Link::refused) return target;
            continue;  // followed, or no longer a link: look again
        }
        arrive(walk, target);
        target.error = error;
        // A FIFO waits for a reader; the rules hold before the wait begins.
        if (error == ENXIO &&
            ::fstatat(target.folder.get(), target.name.c_str(), &target.status,
                      AT_SYMLINK_NOFOLLOW) == 0) {
            target.exists = true;
            refused_in_shared_folder(target);
        }
        return target;
    }
}

OutputPath find_to_replace(const std::string& path)
{
    OutputPath target;
    Walk walk;
    if (!begin(walk, path, target)) return target;
    for (;;) {
        if (!walk_to_last_part(walk, target)) return target;
        struct stat status {};
        if (::fstatat(walk.folder.get(), walk.rest.front().c_str(), &status,
                      AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT) target.error = errno;  // else a new file, or a link to one
            arrive(walk, target);
            return target;
        }
        if (!S_ISLNK(status.st_mode)) {
            arrive(walk, target);
            target.status = status;
            target.exists = true;
            refused_in_shared_folder(target);
            return target;
        }
        if (follow_link(walk, target) == Link::refused) return target;
    }
}

std::string refusal_reason(const Phrases& say, const OutputPath& refused)
{
    std::string reason(refused.refusal == Refusal::foreign_link ? say.foreign_link
                                                                : say.foreign_file);
    const std::string uid = "(uid " + std::to_string(refused.owner) + ")";
    reason.replace(reason.find("(uid)"), 5, uid);
    if (refused.refusal != Refusal::foreign_link || refused.link == refused.path) return reason;
    return quoted(refused.link) + ": " + reason;
}

}  // namespace runtime
