#include "runtime/record.hpp"

#include <algorithm>
#include <cassert>
#include <charconv>
#include <cmath>
#include <cstring>

#include "runtime/digit_pairs.hpp"
#include "runtime/real_format.hpp"
#include "runtime/scientific17.hpp"

namespace runtime {
namespace {

// Digits after the point that make a real read back bit for bit: 17 and 9 significant.
// scientific17 has the 64-bit one built in; the to_chars yardstick build names it here.
[[maybe_unused]] constexpr int REAL64_PRECISION = 16;
constexpr int REAL32_PRECISION = 8;

template <class Real> std::string_view non_finite_name(Real value)
{
    if (std::isnan(value)) return "NaN";
    return value > 0 ? "Infinity" : "-Infinity";
}

// Right-aligns `digits` in a field of `width` at `out`; returns the end.
char* right_aligned(char* out, std::size_t width, std::string_view digits)
{
    const std::size_t blanks = width - std::min(digits.size(), width);
    std::memset(out, ' ', blanks);
    std::memcpy(out + blanks, digits.data(), digits.size());
    return out + blanks + digits.size();
}

char* put_real32(char* out, float value)
{
    if (!std::isfinite(value)) return right_aligned(out, REAL32_WIDTH, non_finite_name(value));
    return right_aligned(out, REAL32_WIDTH,
                         real_text(value, std::chars_format::scientific, REAL32_PRECISION));
}

// 64-bit reals by scientific17, unless the build asks for std::to_chars (the yardstick of
// the whole-run benchmark, built natively only).
char* put_real64(char* out, double value)
{
#ifdef QUARLEN_REAL64_TO_CHARS
    if (!std::isfinite(value)) return right_aligned(out, REAL64_WIDTH, non_finite_name(value));
    char digits[32];
    const auto result = std::to_chars(digits, digits + sizeof digits, value,
                                      std::chars_format::scientific, REAL64_PRECISION);
    return right_aligned(out, REAL64_WIDTH,
                         {digits, static_cast<std::size_t>(result.ptr - digits)});
#else
    if (!std::isfinite(value)) return right_aligned(out, REAL64_WIDTH, non_finite_name(value));
    return scientific17_field(out, REAL64_WIDTH, value);
#endif
}

template <class Real> std::string shortest_text(Real value)
{
    if (!std::isfinite(value)) return std::string(non_finite_name(value));
    return real_text(value);
}

}  // namespace

void Record::end_at(char* end)
{
    length_ = static_cast<std::size_t>(end - buffer_.data());
    buffer_[length_] = '\n';
}

Record& Record::text(std::string_view text)
{
    assert(length_ + text.size() <= CAPACITY && "record texts are short program constants");
    const std::size_t n = std::min(text.size(), CAPACITY - length_);
    std::memcpy(buffer_.data() + length_, text.data(), n);
    end_at(buffer_.data() + length_ + n);
    return *this;
}

// The digits from the field's right end leftwards, two at a time, after blanks over the
// whole field.
char* integer_field(char* out, std::int32_t value)
{
    std::memset(out, ' ', INTEGER_WIDTH);
    char* digit = out + INTEGER_WIDTH;
    // In unsigned arithmetic, where -2^31 has a magnitude too.
    auto magnitude = static_cast<std::uint32_t>(value);
    if (value < 0) magnitude = 0u - magnitude;
    for (; magnitude >= 100; magnitude /= 100) put_pair(digit -= 2, magnitude % 100);
    if (magnitude >= 10)
        put_pair(digit -= 2, magnitude);
    else
        *--digit = static_cast<char>('0' + magnitude);
    if (value < 0) *--digit = '-';
    return out + INTEGER_WIDTH;
}

Record& Record::integer(std::int32_t value)
{
    assert(length_ + INTEGER_WIDTH <= CAPACITY);
    end_at(integer_field(buffer_.data() + length_, value));
    return *this;
}

Record& Record::real(double value)
{
    assert(length_ + REAL64_WIDTH <= CAPACITY);
    end_at(put_real64(buffer_.data() + length_, value));
    return *this;
}

Record& Record::real(float value)
{
    assert(length_ + REAL32_WIDTH <= CAPACITY);
    end_at(put_real32(buffer_.data() + length_, value));
    return *this;
}

char* real64_field(char* out, double value) { return put_real64(out, value); }

std::string Record::line_with(std::string_view tail) const
{
    return std::string(buffer_.data(), length_).append(tail).append("\n");
}

std::string shortest(double value) { return shortest_text(value); }
std::string shortest(float value) { return shortest_text(value); }

}  // namespace runtime
