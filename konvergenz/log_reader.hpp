#pragma once

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace konvergenz {

// One step record of a quarlen log: "step real real".
struct LogRecord {
    long long step = 0;
    double x = 0.0;
    double third_item = 0.0;  // F(x) or, in the fixed-point log, g(x)
};

// A log that cannot be used. The message names the file and, where it
// applies, the line, ready to be shown to the user.
struct LogError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Parses one record line. Items may be separated by any run of blanks or
// tabs; anything but exactly "integer real real" gives nullopt. Reals are
// read with std::from_chars, so "Infinity", "-Infinity" and "NaN" parse too.
std::optional<LogRecord> parse_record(std::string_view line);

// Reads a log one record at a time, so that a log of millions of records
// needs no more memory than one line. The header is checked on opening.
class LogReader {
public:
    // Throws LogError if the file cannot be opened, is empty, or its first
    // line does not start with header_keyword.
    LogReader(std::filesystem::path path, std::string_view header_keyword);

    // Stores the next record and returns true, or returns false at the end.
    // Throws LogError on a malformed line or a read error, Interrupted on Ctrl-C.
    bool next(LogRecord& record);

    const std::filesystem::path& path() const { return path_; }

    // The header line as read, without its line end.
    std::string_view header() const { return header_; }

private:
    [[noreturn]] void fail(std::string_view what) const;
    bool read_line();

    std::filesystem::path path_;
    std::ifstream in_;
    std::string line_;
    std::string header_;
    std::size_t line_number_ = 0;
    long long previous_step_ = 0;
};

}  // namespace konvergenz
