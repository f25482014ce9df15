#pragma once

#include "posix_file.hpp"
#include "runtime/expression.hpp"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

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
// read as std::from_chars reads them, so "Infinity", "-Infinity" and "NaN" parse too.
std::optional<LogRecord> parse_record(std::string_view line);

// Reads a log one record at a time through a fixed buffer, so that a log of
// millions of records, or a file that is no log at all, needs no more memory
// than that buffer. Only a regular file is read: a FIFO or a device could
// block the reader or never end. The header is checked on opening; the step
// numbers must count 0, 1, 2, ... as quarlen's step counter does.
class LogReader {
public:
    // quarlen's step lines have 61 characters. Its headers have fewer than 100 but for
    // the formulas of a run on typed ones: f and f' in Newton's, each up to the formula
    // limit, with a tolerance and their names.
    static constexpr std::size_t max_line = 256;
    static constexpr std::size_t max_header = 2 * runtime::FORMULA_MAX_LENGTH + max_line;
    // quarlen counts its steps in a 32-bit signed integer.
    static constexpr long long max_step = std::numeric_limits<std::int32_t>::max();

    // Throws LogError if the file is missing, not a regular file, cannot be
    // opened, is locked by a run of quarlen writing it, is empty, or its first line
    // does not start with header_keyword; Interrupted on a stop signal. A shared lock
    // on the log is held until the reader goes.
    LogReader(std::filesystem::path path, std::string_view header_keyword);

    // Stores the next record and returns true, or returns false at the end.
    // A last line without a line end, as a run killed mid-write leaves it, is
    // left out and noted in warnings(). Throws LogError on a malformed line, a
    // read error, or a log that changed while it was read, Interrupted on a stop
    // signal.
    bool next(LogRecord& record);

    const std::filesystem::path& path() const { return path_; }

    // The header line as it stands in the file, without its line end.
    std::string_view header() const { return header_; }

    // One line each, ready to be shown to the user.
    const std::vector<std::string>& warnings() const { return warnings_; }

    // Whether a last line without a line end was left out.
    bool cut() const { return cut_; }

private:
    [[noreturn]] void fail(std::string_view what) const;
    void check_unchanged() const;
    [[noreturn]] void fail_on_long_line(std::string_view head, std::size_t limit) const;
    bool read_line(std::string_view& line, std::size_t limit = max_line);
    bool read_record_in_one_pass(LogRecord& record);
    std::size_t fill();

    std::filesystem::path path_;
    FileDescriptor file_;
    struct stat opened_ {};  // the log as it was opened
    std::unique_ptr<char[]> buffer_;
    std::size_t begin_ = 0;  // unread bytes are [begin_, end_)
    std::size_t end_ = 0;
    bool cut_ = false;  // the last line had no line end
    std::size_t line_number_ = 0;
    long long next_step_ = 0;
    std::string header_;
    std::vector<std::string> warnings_;
};

}  // namespace konvergenz
