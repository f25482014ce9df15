#include "log_reader.hpp"

#include "interrupt.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <system_error>

namespace konvergenz {
namespace {

constexpr std::string_view blanks = " \t";

// Checking for Ctrl-C on every line would cost more than the parsing.
constexpr std::size_t lines_between_interrupt_checks = 1 << 16;

template <typename Number> bool parse_whole(std::string_view token, Number& value)
{
    const char* end = token.data() + token.size();
    const auto [ptr, ec] = std::from_chars(token.data(), end, value);
    return ec == std::errc{} && ptr == end;
}

// Splits line into exactly N blank-separated tokens; false if there are more or fewer.
template <std::size_t N>
bool split_exactly(std::string_view line, std::array<std::string_view, N>& tokens)
{
    std::size_t count = 0;
    std::size_t pos = line.find_first_not_of(blanks);
    while (pos != std::string_view::npos) {
        if (count == N) return false;
        const std::size_t end = std::min(line.find_first_of(blanks, pos), line.size());
        tokens[count++] = line.substr(pos, end - pos);
        pos = line.find_first_not_of(blanks, end);
    }
    return count == N;
}

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
    : path_(std::move(path)), in_(path_, std::ios::binary)
{
    std::error_code ec;
    if (!in_ || std::filesystem::is_directory(path_, ec)) {
        throw LogError(path_.string() + " lässt sich nicht lesen");
    }
    if (!read_line()) throw LogError(path_.string() + " ist leer, die Kopfzeile fehlt");
    header_ = line_;
    const std::string_view header = line_;
    const std::size_t start = header.find_first_not_of(blanks);
    if (start == std::string_view::npos || !header.substr(start).starts_with(header_keyword)) {
        fail("unerwartete Kopfzeile, sie sollte mit \"" + std::string(header_keyword) +
             "\" beginnen");
    }
}

bool LogReader::read_line()
{
    if (!std::getline(in_, line_)) {
        if (in_.bad())
            throw LogError(path_.string() + ": Lesefehler nach Zeile " +
                           std::to_string(line_number_));
        return false;
    }
    ++line_number_;
    if (!line_.empty() && line_.back() == '\r') line_.pop_back();  // tolerate CRLF
    if (line_number_ % lines_between_interrupt_checks == 0) throw_if_interrupted();
    return true;
}

bool LogReader::next(LogRecord& record)
{
    if (!read_line()) return false;
    const auto parsed = parse_record(line_);
    if (!parsed) fail("keine Schrittzeile (erwartet: ganze Zahl, zwei reelle Zahlen)");
    if (line_number_ > 2 && parsed->step <= previous_step_) {
        fail("Schrittnummer " + std::to_string(parsed->step) + " folgt nicht auf " +
             std::to_string(previous_step_));
    }
    previous_step_ = parsed->step;
    record = *parsed;
    return true;
}

void LogReader::fail(std::string_view what) const
{
    throw LogError(path_.string() + ", Zeile " + std::to_string(line_number_) + ": " +
                   std::string(what));
}

}  // namespace konvergenz
