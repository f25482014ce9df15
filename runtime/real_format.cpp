#include "runtime/real_format.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "runtime/real_reading.hpp"

namespace runtime {
namespace {

// |value| = 0.d1 d2 d3 ... × 10^(exponent + 1), or 0 where `digits` is empty. The digits
// carry no trailing zeros.
struct Decimal {
    std::string digits;
    int exponent = 0;

    char digit(int i) const
    {
        return i >= 0 && i < static_cast<int>(digits.size()) ? digits[static_cast<std::size_t>(i)]
                                                             : '0';
    }
    int length() const { return static_cast<int>(digits.size()); }
};

void drop_trailing_zeros(std::string& digits)
{
    while (!digits.empty() && digits.back() == '0') digits.pop_back();
}

// A natural number in base 2^32, least significant limb first.
class Natural {
public:
    explicit Natural(std::uint64_t n)
        : limbs_{static_cast<std::uint32_t>(n), static_cast<std::uint32_t>(n >> 32)}
    {
    }

    void multiply(std::uint32_t factor)
    {
        std::uint64_t carry = 0;
        for (std::uint32_t& limb : limbs_) {
            carry += std::uint64_t{limb} * factor;
            limb = static_cast<std::uint32_t>(carry);
            carry >>= 32;
        }
        if (carry != 0) limbs_.push_back(static_cast<std::uint32_t>(carry));
    }

    void shift_left(int bits)
    {
        limbs_.insert(limbs_.begin(), static_cast<std::size_t>(bits / 32), 0);
        for (int i = 0; i < bits % 32; ++i) multiply(2);
    }

    // The decimal digits, most significant first.
    std::string decimal() &&
    {
        std::string reversed;
        while (!limbs_.empty()) {
            std::uint64_t remainder = 0;
            for (auto limb = limbs_.rbegin(); limb != limbs_.rend(); ++limb) {
                const std::uint64_t part = remainder << 32 | *limb;
                *limb = static_cast<std::uint32_t>(part / BILLION);
                remainder = part % BILLION;
            }
            while (!limbs_.empty() && limbs_.back() == 0) limbs_.pop_back();
            for (int i = 0; i < 9; ++i, remainder /= 10)
                reversed += static_cast<char>('0' + remainder % 10);
        }
        while (reversed.size() > 1 && reversed.back() == '0') reversed.pop_back();
        return {reversed.rbegin(), reversed.rend()};
    }

private:
    static constexpr std::uint64_t BILLION = 1000000000;
    std::vector<std::uint32_t> limbs_;
};

// |value| = m·2^q exactly; for q < 0 that is m·5^-q·10^q.
Decimal exact(double value)
{
    Decimal d;
    if (value == 0) return d;
    int e;
    const double fraction = std::frexp(std::fabs(value), &e);
    auto m = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
    int q = e - 53;
    while (m % 2 == 0 && q < 0) m /= 2, ++q;
    Natural n(m);
    if (q >= 0) {
        n.shift_left(q);
    } else {
        int fives = -q;
        for (; fives >= 13; fives -= 13) n.multiply(1220703125);  // 5^13
        for (; fives > 0; --fives) n.multiply(5);
    }
    d.digits = std::move(n).decimal();
    d.exponent = d.length() - 1 + (q < 0 ? q : 0);
    drop_trailing_zeros(d.digits);
    return d;
}

// The first `keep` digits of d, plus one unit in the last of them where `up`.
Decimal cut(const Decimal& d, int keep, bool up)
{
    Decimal r;
    r.exponent = d.exponent;
    if (keep > 0) r.digits = d.digits.substr(0, static_cast<std::size_t>(keep));
    if (up) {
        int i = keep - 1;
        for (; i >= 0 && r.digits[static_cast<std::size_t>(i)] == '9'; --i)
            r.digits[static_cast<std::size_t>(i)] = '0';
        if (i >= 0) {
            ++r.digits[static_cast<std::size_t>(i)];
        } else {  // 99.9 becomes 100, or a cut before the first digit becomes its unit
            r.digits.assign(1, '1');
            r.exponent = d.exponent + 1;
        }
    }
    drop_trailing_zeros(r.digits);
    return r;
}

// d rounded to `keep` significant digits (none or fewer: to a place before its first).
Decimal rounded(const Decimal& d, int keep)
{
    if (keep >= d.length()) return d;
    if (keep < 0) return {};
    const char next = d.digit(keep);
    const bool beyond = keep + 1 < d.length();  // no trailing zeros: these are not 0
    const bool odd = keep > 0 && (d.digit(keep - 1) - '0') % 2 == 1;
    return cut(d, keep, next > '5' || (next == '5' && (beyond || odd)));
}

template <class Real> bool reads_as(const Decimal& d, Real value)
{
    const std::string text =
        (d.digits.empty() ? "0" : d.digits) + 'e' + std::to_string(d.exponent - (d.length() - 1));
    Real back{};
    return read_real(text.data(), text.data() + text.size(), back).error == std::errc{} &&
           back == std::fabs(value);
}

// The fewest digits that read back as value. Of the two neighbours with that many digits
// the nearer is tried first; the farther can be the only one where the value is a power
// of two, whose interval of reals rounding to it is half as wide below as above.
template <class Real> Decimal shortest_decimal(Real value)
{
    const Decimal d = exact(value);
    for (int keep = 1; keep < d.length(); ++keep) {
        const Decimal nearer = rounded(d, keep);
        if (reads_as(nearer, value)) return nearer;
        const bool nearer_is_up = nearer.exponent > d.exponent || nearer.digits > d.digits;
        const Decimal farther = cut(d, keep, !nearer_is_up);
        if (reads_as(farther, value)) return farther;
    }
    return d;
}

std::string sign(double value) { return std::signbit(value) ? "-" : ""; }

std::string fixed(const std::string& sign, const Decimal& d, int precision)
{
    std::string text = sign;
    if (d.digits.empty() || d.exponent < 0) {
        text += '0';
    } else {
        for (int i = 0; i <= d.exponent; ++i) text += d.digit(i);
    }
    if (precision > 0) text += '.';
    for (int j = 1; j <= precision; ++j) text += d.digit(d.exponent + j);
    return text;
}

std::string scientific(const std::string& sign, const Decimal& d, int precision)
{
    std::string text = sign;
    text += d.digit(0);
    if (precision > 0) text += '.';
    for (int i = 1; i <= precision; ++i) text += d.digit(i);
    const int exponent = d.digits.empty() ? 0 : d.exponent;
    text += exponent < 0 ? "e-" : "e+";
    if (std::abs(exponent) < 10) text += '0';
    return text + std::to_string(std::abs(exponent));
}

// Shortest digits in fixed form; a whole number is written with all its digits exactly.
std::string shortest_fixed(double value, const Decimal& s)
{
    if (s.exponent >= s.length() - 1) return fixed(sign(value), exact(value), 0);
    return fixed(sign(value), s, s.length() - 1 - s.exponent);
}

template <class Real> std::string shortest_either(Real value)
{
    const Decimal s = shortest_decimal(value);
    std::string as_fixed = shortest_fixed(value, s);
    std::string as_scientific = scientific(sign(value), s, s.length() - 1);
    return as_fixed.size() <= as_scientific.size() ? as_fixed : as_scientific;
}

std::string non_finite(double value)
{
    if (std::isnan(value)) return sign(value) + "nan";
    return sign(value) + "inf";
}

}  // namespace

std::string real_text(double value)
{
    return std::isfinite(value) ? shortest_either(value) : non_finite(value);
}

std::string real_text(float value)
{
    return std::isfinite(value) ? shortest_either(value) : non_finite(value);
}

std::string real_text(double value, std::chars_format style)
{
    if (!std::isfinite(value)) return non_finite(value);
    const Decimal s = shortest_decimal(value);
    const bool as_fixed =
        style == std::chars_format::fixed ||
        (style == std::chars_format::general && s.exponent >= -4 && s.exponent < 6);
    return as_fixed ? shortest_fixed(value, s) : scientific(sign(value), s, s.length() - 1);
}

std::string real_text(double value, std::chars_format style, int precision)
{
    if (!std::isfinite(value)) return non_finite(value);
    const Decimal d = exact(value);
    switch (style) {
    case std::chars_format::fixed:
        return fixed(sign(value), rounded(d, d.exponent + 1 + precision), precision);
    case std::chars_format::scientific:
        return scientific(sign(value), rounded(d, precision + 1), precision);
    default: {
        const int significant = precision == 0 ? 1 : precision;
        const Decimal r = rounded(d, significant);
        if (r.exponent >= -4 && r.exponent < significant)
            return fixed(sign(value), r, std::max(0, r.length() - 1 - r.exponent));
        return scientific(sign(value), r, std::max(0, r.length() - 1));
    }
    }
}

std::string real_text(float value, std::chars_format style, int precision)
{
    return real_text(static_cast<double>(value), style, precision);
}

}  // namespace runtime
