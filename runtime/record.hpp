// One line of console or log output, formatted once and then copied to every sink.
//
// Items are appended in call order. Texts are copied as they stand (trailing blanks
// included); numbers go into fixed-width, right-aligned fields so that step records
// line up as a table:
//   integer       11 characters (room for -2147483648)
//   64-bit real   25 characters, 17 significant digits   "   5.0000000000000000e+00"
//   32-bit real   16 characters,  9 significant digits   "  -7.03467178e-01"
// That many digits read back to the identical value. Non-finite reals are written
// "Infinity", "-Infinity" and "NaN". No locale is involved anywhere.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace runtime {

inline constexpr std::size_t INTEGER_WIDTH = 11;
inline constexpr std::size_t REAL64_WIDTH = 25;
inline constexpr std::size_t REAL32_WIDTH = 16;

class Record {
public:
    Record() { buffer_[0] = '\n'; }
    // A record is built and copied once per step: both touch the line alone, not the
    // unused rest of the buffer.
    Record(const Record& other) : length_(other.length_)
    {
        std::memcpy(buffer_.data(), other.buffer_.data(), length_ + 1);
    }
    Record& operator=(const Record& other)
    {
        length_ = other.length_;
        std::memmove(buffer_.data(), other.buffer_.data(), length_ + 1);
        return *this;
    }

    Record& text(std::string_view text);
    Record& integer(std::int32_t value);
    Record& real(double value);
    Record& real(float value);

    // The finished line, '\n' included.
    std::string_view line() const { return {buffer_.data(), length_ + 1}; }
    // The line with `tail` before its '\n': a text of any length after the items.
    std::string line_with(std::string_view tail) const;

private:
    void end_at(char* end);

    // Longest record the programs write: a header of two texts and two reals.
    static constexpr std::size_t CAPACITY = 254;

    // One spare byte past the items always holds the line's '\n'; nothing past it is read.
    std::array<char, CAPACITY + 1> buffer_;
    std::size_t length_ = 0;
};

// An integer as a record writes it: right-aligned in INTEGER_WIDTH characters at `out`;
// returns out + INTEGER_WIDTH.
char* integer_field(char* out, std::int32_t value);

// A 64-bit real as a record writes it: right-aligned in REAL64_WIDTH characters at `out`,
// which have room for them; returns out + REAL64_WIDTH.
char* real64_field(char* out, double value);

// The digits of a real alone, without the padding of a record field: the shortest
// text that reads back to the same value ("5", "-1.5e+300", "NaN"). For messages.
std::string shortest(double value);
std::string shortest(float value);

}  // namespace runtime
