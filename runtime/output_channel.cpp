#include "runtime/output_channel.hpp"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <unistd.h>
#include <utility>

#include "runtime/program.hpp"

namespace runtime {

OutputChannel::OutputChannel(int fd, std::string name, bool flush_each_record, Sink sink,
                             bool failure_ends_program)
    : fd_(fd), name_(std::move(name)), flush_each_record_(flush_each_record), sink_(sink),
      failure_ends_program_(failure_ends_program), buffer_(new char[CAPACITY])
{
}

void OutputChannel::write_through(std::string_view bytes)
{
    // A record goes into the buffer whole, so that a block ends at a line end and the
    // rest of a line cut by a stop is always at hand to be finished.
    if (bytes.size() > CAPACITY - used_) {
        flush();
        // Text longer than the buffer goes through it in full blocks.
        while (bytes.size() > CAPACITY) {
            std::memcpy(buffer_.get(), bytes.data(), CAPACITY);
            used_ = CAPACITY;
            bytes.remove_prefix(CAPACITY);
            flush();
        }
    }
    std::memcpy(buffer_.get() + used_, bytes.data(), bytes.size());
    used_ += bytes.size();
    if (flush_each_record_) flush();
}

void OutputChannel::flush()
{
    write_out();
    // The first failure, also one a quiet flush met before.
    if (error_ == 0 || !failure_ends_program_) return;
    // A pipe whose reader has gone is the end the reader asked for, not a failure.
    if (error_ == EPIPE && sink_ != Sink::own_file) end_as_the_reader_has_gone();
    fail_output(name_, phrases().cannot_write, error_);
}

int OutputChannel::flush_quietly() { return write_out(); }

int OutputChannel::write_out()
{
    const std::string_view block(buffer_.get(), std::exchange(used_, 0));
    if (block.empty()) return 0;
    if (given_up_) {
        lines_dropped_ += static_cast<std::uint64_t>(std::count(block.begin(), block.end(), '\n'));
        return 0;
    }
    const Written out = write_all(fd_, block, whole_ != written_);
    if (const auto newline = block.substr(0, out.bytes).rfind('\n');
        newline != std::string_view::npos) {
        whole_ = written_ + newline + 1;
    }
    written_ += out.bytes;
    if (out.error == 0) return 0;

    // Whatever failed, the rest is dropped: trying it again on the way out would fail
    // again, or wait again.
    given_up_ = true;
    const std::string_view rest = block.substr(out.bytes);
    lines_dropped_ += static_cast<std::uint64_t>(std::count(rest.begin(), rest.end(), '\n'));
    int error = out.error;
    if (sink_ == Sink::own_file) {
        // Written from offset 0, so the file's whole lines end at whole_. A pipe or a
        // device cannot be cut; ftruncate then fails, and there is nothing better to do.
        [[maybe_unused]] const int ignored = ::ftruncate(fd_, static_cast<off_t>(whole_));
        if (error == EINTR) error = 0;
    } else {
        if (sink_ == Sink::terminal && error == EIO) std::raise(SIGHUP);  // unless ignored
        // After a stop signal the signal's status tells what happened to the run.
        if (error == EINTR || interrupted()) error = 0;
    }
    if (error_ == 0) error_ = error;
    return error;
}

std::string output_failure(const std::string& name, std::string_view what, int error)
{
    std::string message = name;
    message.append(": ").append(what).append(": ").append(system_reason(error));
    return message;
}

void fail_output(const std::string& name, std::string_view what, int error)
{
    fail(ExitStatus::output_failed, output_failure(name, what, error));
}

}  // namespace runtime
