#include "runtime/output_channel.hpp"

#include <cerrno>
#include <cstring>
#include <unistd.h>

#include "runtime/program.hpp"

namespace runtime {

OutputChannel::OutputChannel(int fd, std::string name, bool flush_each_record)
    : fd_(fd), name_(std::move(name)), flush_each_record_(flush_each_record),
      buffer_(std::make_unique_for_overwrite<char[]>(CAPACITY))
{
}

void OutputChannel::write(std::string_view bytes)
{
    // Fill the buffer to the brim before writing it out, so blocks go out whole.
    while (bytes.size() > CAPACITY - used_) {
        const std::size_t room = CAPACITY - used_;
        std::memcpy(buffer_.get() + used_, bytes.data(), room);
        used_ = CAPACITY;
        bytes.remove_prefix(room);
        flush();
    }
    std::memcpy(buffer_.get() + used_, bytes.data(), bytes.size());
    used_ += bytes.size();
    if (flush_each_record_) flush();
}

void OutputChannel::flush()
{
    if (const int error = write_out(); error != 0)
        fail_output(name_, phrases().cannot_write, error);
}

void OutputChannel::flush_quietly() { write_out(); }

int OutputChannel::write_out()
{
    std::size_t done = 0;
    int error = 0;
    while (done < used_) {
        const ssize_t n = ::write(fd_, buffer_.get() + done, used_ - done);
        if (n < 0 && errno == EINTR) continue;  // Ctrl-C while writing: finish the block
        if (n <= 0) {
            error = n < 0 ? errno : EIO;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    // On failure the rest is dropped: trying it again on the way out would fail again.
    used_ = 0;
    return error;
}

void fail_output(const std::string& name, std::string_view what, int error)
{
    std::string message = name;
    message.append(": ").append(what).append(": ").append(system_reason(error));
    fail(ExitStatus::output_failed, message);
}

}  // namespace runtime
