// The log channel: one text file in the working directory, created or rewritten from
// its beginning when opened, so that afterwards it holds only this run's lines.
// At most one is open at a time; each iteration opens its own and closes it before
// returning.
//
// Each log is opened under the owner and link rules of output_path.hpp, and a regular
// file is locked (flock) while it is open, so that two runs in one folder never write
// one log at once: the second one stops with status 3 and leaves it alone. So does a run
// that finds the log being read (konvergenz holds a shared lock while it reads), and
// it says so.
//
// The log holds whole records only, whatever happens: a write that fails part-way cuts
// the file back to its last whole record, and a program that ends on a failure
// elsewhere, or on a reader of standard output that has gone, writes the open log out
// first.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/output_channel.hpp"
#include "runtime/record.hpp"

namespace runtime {

class LogFile {
public:
    // Opens `name`, locks it and empties it; a file that cannot be created, may not be
    // written, is locked by another run or is being read ends the program with status 3.
    // A FIFO is waited on until a reader opens it, or until a stop signal ends the
    // program. After a stop signal nothing is opened: the program ends with 128 + its
    // number.
    explicit LogFile(std::string_view name);
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;
    ~LogFile();

    void write(const Record& record) { channel_->write(record.line()); }
    // A finished line, '\n' included.
    void write(std::string_view line) { channel_->write(line); }

    // The record with `tail` added to its line: a header with items of any length.
    void write(const Record& record, std::string_view tail)
    {
        channel_->write(record.line_with(tail));
    }

    // Writes out and closes the file; a failure ends the program with status 3, so a
    // run never ends well over a truncated log.
    void close();

    // The name as messages show it, in double quotes.
    const std::string& name() const { return channel_->name(); }

private:
    friend void close_open_log_on_the_way_out();
    // Writes out and closes the file; returns "", or the message for what failed.
    std::string finish();

    std::optional<OutputChannel> channel_;
};

// The lines the log closed last never gave its reader: after a stop signal, a FIFO whose
// reader took no more. 0 for a file.
std::uint64_t lines_dropped_from_last_log();

// Writes out and closes the log that is open, if one is, reporting a failure as a
// message only: for the way out after a failure elsewhere.
void close_open_log_on_the_way_out();

}  // namespace runtime
