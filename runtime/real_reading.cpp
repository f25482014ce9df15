#include "runtime/real_reading.hpp"

#include <cmath>
#include <cstdint>
#include <fast_float/fast_float.h>

namespace runtime {
namespace {

// fast_float rounds a number outside the type's range to infinity or zero without a
// word; the digits it read tell whether that was the number's own value. Kept out of line,
// so that the quick way below needs none of its registers and stack.
template <class Real>
[[gnu::noinline]] RealReading read(const char* first, const char* last, Real& value)
{
    Real parsed{};
    const auto result = fast_float::from_chars(first, last, parsed);
    if (result.ec != std::errc{}) return {result.ptr, result.ec};
    const char* digit = first + (*first == '-');
    const bool numeral = *digit == '.' || is_digit(*digit);
    if (numeral && std::isinf(parsed)) return {result.ptr, std::errc::result_out_of_range};
    if (parsed == 0) {
        for (; digit != result.ptr && *digit != 'e' && *digit != 'E'; ++digit)
            if (*digit >= '1' && *digit <= '9') return {result.ptr, std::errc::result_out_of_range};
    }
    value = parsed;
    return {result.ptr, std::errc{}};
}

// The logs write every 64-bit real as "-d.dddddddddddddddde-dd": 17 significant digits,
// an exponent of two or three digits. Such a text is taken apart in a few wide steps,
// eight digits at once, and its digits and exponent go straight to fast_float's exact
// conversion, the one its general reading uses, so the bits are the same. Returns past
// the number, or nullptr for any other text and for a value the general reading must
// judge: out of range, or one of the rare products the fast conversion cannot round.
const char* read_seventeen_digits(const char* first, const char* last, double& value)
{
    const bool negative = first != last && *first == '-';
    const char* const p = first + negative;
    if (last - p < 22 || !is_digit(p[0]) || p[1] != '.' ||
        !fast_float::is_made_of_eight_digits_fast(p + 2) ||
        !fast_float::is_made_of_eight_digits_fast(p + 10) || (p[18] != 'e' && p[18] != 'E') ||
        (p[19] != '+' && p[19] != '-') || !is_digit(p[20]) || !is_digit(p[21]))
        return nullptr;
    int exponent = (p[20] - '0') * 10 + (p[21] - '0');
    const char* end = p + 22;
    if (end != last && is_digit(*end)) {
        exponent = exponent * 10 + (*end++ - '0');
        if (end != last && is_digit(*end)) return nullptr;
    }
    if (p[19] == '-') exponent = -exponent;
    const std::uint64_t digits =
        std::uint64_t(p[0] - '0') * 10000000000000000 +
        std::uint64_t{fast_float::parse_eight_digits_unrolled(p + 2)} * 100000000 +
        fast_float::parse_eight_digits_unrolled(p + 10);
    using Format = fast_float::binary_format<double>;
    const fast_float::adjusted_mantissa binary =
        fast_float::compute_float<Format>(exponent - 16, digits);
    const bool rounded_to_zero = binary.power2 == 0 && binary.mantissa == 0 && digits != 0;
    if (binary.power2 < 0 || binary.power2 == Format::infinite_power() || rounded_to_zero)
        return nullptr;
    fast_float::to_float(negative, binary, value);
    return end;
}

}  // namespace

RealReading read_real(const char* first, const char* last, double& value)
{
    if (const char* end = read_seventeen_digits(first, last, value)) return {end, std::errc{}};
    return read(first, last, value);
}

RealReading read_real(const char* first, const char* last, float& value)
{
    return read(first, last, value);
}

}  // namespace runtime
