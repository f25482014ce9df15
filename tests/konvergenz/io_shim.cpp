// Preloaded into konvergenz by the robustness tests (LD_PRELOAD), so that the calls on
// its files behave as a slow, changing or failing file system would, without root.
// IO_SHIM names what happens:
//   block-open    open() of a log (*.dat) waits for a signal, then fails with EINTR
//   block-read    read() from a log does the same
//   fifo-on-open  just before a log is opened, a FIFO takes its name
//   fail-open-log, fail-read-log  open() or read() of a log fails (EACCES, EIO)
//   block-second-stdout-write  the second write() to standard output (the first is the
//                 table, the second the chart's name) waits for a signal likewise
//   fail-<call>   <call> (write, fsync, close, rename, fchmod) on the temporary chart
//                 file (*.tmp) fails with ENOSPC, as on a full disk
//   fail-stdout-close  closing standard output fails likewise, as it can over NFS
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace {

template <typename Function> Function* next(const char* name)
{
    return reinterpret_cast<Function*>(::dlsym(RTLD_NEXT, name));
}

bool mode_is(std::string_view mode)
{
    const char* value = std::getenv("IO_SHIM");
    return value != nullptr && mode == value;
}

bool ends_with(const char* text, std::string_view suffix)
{
    return text != nullptr && std::string_view(text).ends_with(suffix);
}

bool descriptor_ends_with(int fd, std::string_view suffix)
{
    char link[64];
    char target[4096];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = ::readlink(link, target, sizeof target - 1);
    if (n < 0) return false;
    target[n] = '\0';
    return ends_with(target, suffix);
}

int wait_for_signal()
{
    ::pause();
    errno = EINTR;
    return -1;
}

// Whether IO_SHIM asks `call` on fd to fail; if so, errno is set.
bool fails(std::string_view call, int fd)
{
    const char* value = std::getenv("IO_SHIM");
    const std::string_view mode = value != nullptr ? value : "";
    if (!mode.starts_with("fail-") || mode.substr(5) != call) return false;
    if (!descriptor_ends_with(fd, ".tmp")) return false;
    errno = ENOSPC;
    return true;
}

int open_file(const char* name, const char* path, int flags, mode_t mode)
{
    if (ends_with(path, ".dat")) {
        if (mode_is("block-open")) return wait_for_signal();
        if (mode_is("fail-open-log")) {
            errno = EACCES;
            return -1;
        }
        if (mode_is("fifo-on-open")) {
            ::unlink(path);
            ::mkfifo(path, 0600);
        }
    }
    return next<int(const char*, int, ...)>(name)(path, flags, mode);
}

mode_t mode_argument(int flags, va_list arguments)
{
    return (flags & (O_CREAT | O_TMPFILE)) != 0 ? static_cast<mode_t>(va_arg(arguments, int)) : 0;
}

}  // namespace

extern "C" {

int open(const char* path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = mode_argument(flags, arguments);
    va_end(arguments);
    return open_file("open", path, flags, mode);
}

int open64(const char* path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = mode_argument(flags, arguments);
    va_end(arguments);
    return open_file("open64", path, flags, mode);
}

ssize_t read(int fd, void* buffer, size_t size)
{
    if (mode_is("block-read") && descriptor_ends_with(fd, ".dat")) return wait_for_signal();
    if (mode_is("fail-read-log") && descriptor_ends_with(fd, ".dat")) {
        errno = EIO;
        return -1;
    }
    return next<ssize_t(int, void*, size_t)>("read")(fd, buffer, size);
}

ssize_t write(int fd, const void* buffer, size_t size)
{
    static int stdout_writes = 0;
    if (fd == 1) ++stdout_writes;
    if (fd == 1 && mode_is("block-second-stdout-write") && stdout_writes == 2) {
        return wait_for_signal();
    }
    if (fails("write", fd)) return -1;
    return next<ssize_t(int, const void*, size_t)>("write")(fd, buffer, size);
}

int fsync(int fd)
{
    if (fails("fsync", fd)) return -1;
    return next<int(int)>("fsync")(fd);
}

int fchmod(int fd, mode_t mode)
{
    if (fails("fchmod", fd)) return -1;
    return next<int(int, mode_t)>("fchmod")(fd, mode);
}

int close(int fd)
{
    if (!fails("close", fd) && !(fd == 1 && mode_is("fail-stdout-close"))) {
        return next<int(int)>("close")(fd);
    }
    next<int(int)>("close")(fd);  // closed all the same, as Linux does
    errno = ENOSPC;
    return -1;
}

int renameat(int from_folder, const char* from, int to_folder, const char* to)
{
    if (mode_is("fail-rename") && ends_with(from, ".tmp")) {
        errno = ENOSPC;
        return -1;
    }
    return next<int(int, const char*, int, const char*)>("renameat")(from_folder, from, to_folder,
                                                                     to);
}

}  // extern "C"
