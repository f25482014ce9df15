// The log channel: one text file in the working directory, created or rewritten from
// its beginning when opened, so that afterwards it holds only this run's lines.
// At most one is open at a time; each iteration opens its own and closes it before
// returning.
#pragma once

#include <optional>
#include <string_view>

#include "runtime/output_channel.hpp"
#include "runtime/record.hpp"

namespace runtime {

class LogFile {
public:
    // Opens `name`; a file that cannot be created ends the program with status 3.
    explicit LogFile(std::string_view name);
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;
    ~LogFile();

    void write(const Record& record) { channel_->write(record.line()); }

    // Writes out and closes the file; a failure ends the program with status 3, so a
    // run never ends well over a truncated log.
    void close();

private:
    std::optional<OutputChannel> channel_;
};

}  // namespace runtime
