#include "runtime/log_file.hpp"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <unistd.h>

#include "runtime/messages.hpp"
#include "runtime/program.hpp"

namespace runtime {

LogFile::LogFile(std::string_view name)
{
    const std::string path(name);
    int fd;
    do {
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) fail_output(quoted(name), phrases().cannot_create, errno);
    channel_.emplace(fd, quoted(name), false);
}

LogFile::~LogFile()
{
    if (channel_) close();
}

void LogFile::close()
{
    channel_->flush();
    // A failed close can be the first news of a failed write (NFS, quotas). On Linux the
    // descriptor is gone either way, so EINTR is not retried.
    if (::close(channel_->fd()) != 0 && errno != EINTR) {
        const int error = errno;
        const std::string name = channel_->name();
        channel_.reset();
        fail_output(name, phrases().cannot_close, error);
    }
    channel_.reset();
}

}  // namespace runtime
