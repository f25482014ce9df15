#include "log_reader.hpp"

#include "interrupt.hpp"
#include "runtime/real_reading.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <system_error>

namespace konvergenz {
namespace {

constexpr std::string_view blanks = " \t";

// Large enough that reading costs few system calls; every block read is also a look
// at the stop signal.
constexpr std::size_t buffer_size = std::size_t{1} << 16;

bool parse_whole(std::string_view token, long long& value)
{
    const char* end = token.data() + token.size();
    const auto [ptr, ec] = std::from_chars(token.data(), end, value);
    return ec == std::errc{} && ptr == end;
}

bool parse_whole(std::string_view token, double& value)
{
    const char* end = token.data() + token.size();
    const auto [ptr, error] = runtime::read_real(token.data(), end, value);
    return error == std::errc{} && ptr == end;
}

bool is_blank(char c) { return c == ' ' || c == '\t'; }

// Splits line into exactly N blank-separated tokens; false if there are more or fewer.
// Each character is compared with the two blanks directly: find_first_of would search
// the set of blanks once for every character of every record.
template <std::size_t N>
bool split_exactly(std::string_view line, std::array<std::string_view, N>& tokens)
{
    std::size_t count = 0;
    auto pos = std::find_if_not(line.begin(), line.end(), is_blank);
    while (pos != line.end()) {
        if (count == N) return false;
        const auto end = std::find_if(pos, line.end(), is_blank);
        tokens[count++] = line.substr(static_cast<std::size_t>(pos - line.begin()),
                                      static_cast<std::size_t>(end - pos));
        pos = std::find_if_not(end, line.end(), is_blank);
    }
    return count == N;
}

bool has_carriage_return(std::string_view text)
{
    return text.find('\r') != std::string_view::npos;
}

constexpr std::string_view carriage_return_only =
    "Zeilenende nur aus CR (\\r); gelesen werden Zeilenenden LF oder CR LF";

}  // namespace

std::optional<LogRecord> parse_record(std::string_view line)
{
    std::array<std::string_view, 3> tokens;
    if (!split_exactly(line, tokens)) return std::nullopt;
    LogRecord record;
    if (!parse_whole(tokens[0], record.step) || !parse_whole(tokens[1], record.x) ||
        !parse_whole(tokens[2], record.third_item)) {
        return std::nullopt;
    }
    return record;
}

LogReader::LogReader(std::filesystem::path path, std::string_view header_keyword)
    : path_(std::move(path)), buffer_(new char[buffer_size])
{
    // Looked at before opening: opening a FIFO waits for a writer, and opening a
    // device can set it going.
    struct stat before;
    if (::stat(path_.c_str(), &before) != 0) {
        throw LogError(quoted_path(path_) + " lässt sich nicht lesen: " + system_reason(errno));
    }
    const auto refuse = [this](mode_t mode) {
        throw LogError(quoted_path(path_) + " ist " + std::string(file_type_name(mode)) +
                       ", keine Protokolldatei; gelesen werden nur gewöhnliche Dateien");
    };
    if (!S_ISREG(before.st_mode)) refuse(before.st_mode);

    int fd;
    do {
        throw_if_interrupted();
        fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        throw LogError(quoted_path(path_) + " lässt sich nicht öffnen: " + system_reason(errno));
    }
    file_.reset(fd);
    // The name may have been given to another file in the meantime.
    struct stat opened;
    if (::fstat(fd, &opened) != 0) {
        throw LogError(quoted_path(path_) + " lässt sich nicht lesen: " + system_reason(errno));
    }
    if (!S_ISREG(opened.st_mode)) refuse(opened.st_mode);
    // A run of quarlen holds an exclusive lock on the log it writes, and takes it before it
    // empties the log. The shared lock is held while the log is read, so that a run
    // starting meanwhile is refused rather than emptying the log under the reader.
    if (::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        throw LogError(quoted_path(path_) +
                       " wird noch geschrieben: ein Lauf von quarlen ist nicht fertig");
    }
    opened_ = opened;

    std::string_view header;
    if (!read_line(header, max_header)) {
        if (cut_) fail("die Kopfzeile hat kein Zeilenende, das Protokoll ist abgeschnitten");
        check_unchanged();
        throw LogError(quoted_path(path_) + " ist leer, die Kopfzeile fehlt");
    }
    header_ = header;
    const std::size_t start = header.find_first_not_of(blanks);
    if (start == std::string_view::npos || !header.substr(start).starts_with(header_keyword)) {
        fail("unerwartete Kopfzeile, sie sollte mit \"" + std::string(header_keyword) +
             "\" beginnen");
    }
}

std::size_t LogReader::fill()
{
    for (;;) {
        const ssize_t n = ::read(file_.get(), buffer_.get() + end_, buffer_size - end_);
        throw_if_interrupted();
        if (n >= 0) {
            end_ += static_cast<std::size_t>(n);
            return static_cast<std::size_t>(n);
        }
        if (errno != EINTR) {
            throw LogError(quoted_path(path_) + ": Lesefehler nach Zeile " +
                           std::to_string(line_number_) + ": " + system_reason(errno));
        }
    }
}

bool LogReader::read_line(std::string_view& line, std::size_t limit)
{
    for (;;) {
        const char* const pending = buffer_.get() + begin_;
        const std::size_t size = end_ - begin_;
        if (const void* found = std::memchr(pending, '\n', size)) {
            const auto length = static_cast<std::size_t>(static_cast<const char*>(found) - pending);
            ++line_number_;
            if (length > limit) fail_on_long_line({pending, length}, limit);
            begin_ += length + 1;
            line = {pending, length};
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);  // CR LF
            return true;
        }
        if (size > limit) {
            ++line_number_;
            fail_on_long_line({pending, size}, limit);
        }
        std::memmove(buffer_.get(), pending, size);
        begin_ = 0;
        end_ = size;
        if (fill() > 0) continue;

        if (size == 0) return false;
        // The file ends inside a line: what a run killed while writing leaves behind.
        ++line_number_;
        const std::string_view tail(buffer_.get(), size);
        if (has_carriage_return(tail.substr(0, size - 1))) fail(carriage_return_only);
        begin_ = end_;
        cut_ = true;
        warnings_.push_back(quoted_path(path_) + ", Zeile " + std::to_string(line_number_) +
                            ": ohne Zeilenende, wohl abgeschnitten; die Zeile wird ausgelassen");
        return false;
    }
}

// A step record read straight from the buffer, each character looked at once: the
// blanks are passed over, the numbers read where they stand, and the line end is found
// where the last number ends. Only a line that is plainly well formed and lies wholly in
// the buffer is taken; anything else (a line over the buffer's end, a bad item, a CR
// that is not part of CR LF, a step out of turn) is left for the careful reading below,
// which accepts the same lines and words what is wrong.
bool LogReader::read_record_in_one_pass(LogRecord& record)
{
    const char* const first = buffer_.get() + begin_;
    const char* const last = buffer_.get() + end_;
    const auto past_blanks = [last](const char* p) {
        while (p != last && is_blank(*p)) ++p;
        return p;
    };
    // Each item must end at a blank or at the line end.
    const auto item_ends = [last](const char* p) {
        return p != last && (is_blank(*p) || *p == '\n' || *p == '\r');
    };
    // The step number: digits alone, at most as many as max_step has, so that no sum
    // overflows; a sign or a longer number is the careful reading's.
    const char* const step_first = past_blanks(first);
    const char* after_step = step_first;
    long long step = 0;
    while (after_step != last && *after_step >= '0' && *after_step <= '9' &&
           after_step - step_first < 10) {
        step = step * 10 + (*after_step++ - '0');
    }
    if (after_step == step_first || !item_ends(after_step) || step != next_step_ || step > max_step)
        return false;
    const char* p = past_blanks(after_step);
    const auto [after_x, x_error] = runtime::read_real(p, last, record.x);
    if (x_error != std::errc{} || after_x == p || !item_ends(after_x)) return false;
    p = past_blanks(after_x);
    const auto [after_third, third_error] = runtime::read_real(p, last, record.third_item);
    if (third_error != std::errc{} || after_third == p || !item_ends(after_third)) return false;
    p = past_blanks(after_third);
    if (p != last && *p == '\r') ++p;
    if (p == last || *p != '\n' || static_cast<std::size_t>(p - first) > max_line) return false;
    record.step = step;
    begin_ += static_cast<std::size_t>(p + 1 - first);
    ++line_number_;
    ++next_step_;
    return true;
}

bool LogReader::next(LogRecord& record)
{
    if (read_record_in_one_pass(record)) return true;
    std::string_view line;
    if (!read_line(line)) {
        check_unchanged();
        return false;
    }
    const auto parsed = parse_record(line);
    if (!parsed) {
        if (has_carriage_return(line)) fail(carriage_return_only);
        fail("keine Schrittzeile (erwartet: ganze Zahl, zwei reelle Zahlen)");
    }
    if (parsed->step < 0 || parsed->step > max_step) {
        fail("Schrittnummer " + std::to_string(parsed->step) + " außerhalb von 0 bis " +
             std::to_string(max_step));
    }
    if (parsed->step != next_step_) {
        fail("Schrittnummer " + std::to_string(parsed->step) + ", erwartet " +
             std::to_string(next_step_) + " (die Schritte zählen von 0 an um 1 weiter)");
    }
    ++next_step_;
    record = *parsed;
    return true;
}

void LogReader::fail_on_long_line(std::string_view head, std::size_t limit) const
{
    if (has_carriage_return(head)) fail(carriage_return_only);
    fail("länger als " + std::to_string(limit) +
         " Zeichen; die Zeilen eines Protokolls von quarlen sind kürzer");
}

void LogReader::check_unchanged() const
{
    // Where the file system has no locks, or a writer takes none, a log may still change
    // while it is read: its size or time of change then differ from those it was opened
    // with, or its name has been given to another file.
    struct stat now, named;
    const bool same = ::fstat(file_.get(), &now) == 0 && ::stat(path_.c_str(), &named) == 0 &&
                      now.st_size == opened_.st_size &&
                      now.st_mtim.tv_sec == opened_.st_mtim.tv_sec &&
                      now.st_mtim.tv_nsec == opened_.st_mtim.tv_nsec &&
                      named.st_dev == opened_.st_dev && named.st_ino == opened_.st_ino;
    if (!same) {
        throw LogError(quoted_path(path_) +
                       " wird noch geschrieben: es hat sich geändert, während es gelesen wurde");
    }
}

void LogReader::fail(std::string_view what) const
{
    // A line broken by a change made while the log was read is that change's doing.
    check_unchanged();
    throw LogError(quoted_path(path_) + ", Zeile " + std::to_string(line_number_) + ": " +
                   std::string(what));
}

}  // namespace konvergenz
