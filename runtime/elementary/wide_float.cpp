// WideFloat: sign, exponent and eight 32-bit limbs; every result normalized and cut to 256 bits
#include "runtime/elementary/wide_float.hpp"

#include <bit>

#include "runtime/bit_cast.hpp"

namespace runtime::correctly_rounded {
namespace {

constexpr int LIMBS = WideFloat::LIMBS;

std::uint32_t low_half(std::uint64_t x) { return static_cast<std::uint32_t>(x); }
std::uint32_t high_half(std::uint64_t x) { return static_cast<std::uint32_t>(x >> 32); }

}  // namespace

WideFloat WideFloat::normalized(bool negative, int exponent, const std::uint32_t* digits,
                                int count)
{
    int top = count - 1;
    while (top >= 0 && digits[top] == 0) --top;
    if (top < 0) return WideFloat();
    const int zeros = std::countl_zero(digits[top]);
    const auto digit = [&](int i) { return i >= 0 ? digits[i] : std::uint32_t{0}; };
    WideFloat result;
    result.negative_ = negative;
    result.exponent_ = exponent - 32 * (count - 1 - top) - zeros;
    for (int j = 0; j < LIMBS; ++j) {
        const int i = top - j;
        std::uint32_t limb = digit(i) << zeros;
        if (zeros > 0) limb |= digit(i - 1) >> (32 - zeros);
        result.limbs_[LIMBS - 1 - j] = limb;
    }
    return result;
}

WideFloat::WideFloat(double x)
{
    const std::uint64_t bits = runtime::bit_cast<std::uint64_t>(x);
    const int biased = static_cast<int>((bits >> 52) & 0x7ff);
    std::uint64_t significand = bits & 0x000fffffffffffff;
    if (biased == 0 && significand == 0) return;
    int exponent = biased - 1022;  // x = significand 2^-53 2^exponent once it has 53 bits
    if (biased == 0) {
        const int shift = std::countl_zero(significand) - 11;
        significand <<= shift;
        exponent = -1021 - shift;
    } else {
        significand |= std::uint64_t{1} << 52;
    }
    const std::uint32_t digits[2] = {low_half(significand << 11), high_half(significand << 11)};
    *this = normalized(x < 0, exponent, digits, 2);
}

WideFloat::WideFloat(DoubleDouble x) : WideFloat(WideFloat(x.hi) + WideFloat(x.lo)) {}

WideFloat WideFloat::integer(std::int64_t n)
{
    const std::uint64_t magnitude =
        n < 0 ? ~static_cast<std::uint64_t>(n) + 1 : static_cast<std::uint64_t>(n);
    const std::uint32_t digits[2] = {low_half(magnitude), high_half(magnitude)};
    return normalized(n < 0, 64, digits, 2);
}

double WideFloat::to_double() const
{
    if (is_zero()) return 0.0;
    const std::uint64_t sign = negative_ ? std::uint64_t{1} << 63 : 0;
    const int e = exponent_ - 1;  // |value| in [2^e, 2^(e + 1))
    if (e > 1023) return runtime::bit_cast<double>(sign | 0x7ff0000000000000);
    // Kept: 53 bits, or fewer where the result is subnormal (its last place 2^-1074).
    const int keep = e >= -1022 ? 53 : e + 1075;
    if (keep < 0) return runtime::bit_cast<double>(sign);
    const std::uint64_t top = static_cast<std::uint64_t>(limbs_[LIMBS - 1]) << 32 | limbs_[LIMBS - 2];
    bool sticky = false;
    for (int i = 0; i < LIMBS - 2; ++i) sticky = sticky || limbs_[i] != 0;
    std::uint64_t kept = keep == 0 ? 0 : top >> (64 - keep);
    const bool round = (top >> (63 - keep)) & 1;
    sticky = sticky || (top & ((std::uint64_t{1} << (63 - keep)) - 1)) != 0;
    if (round && (sticky || (kept & 1))) ++kept;
    if (keep < 53) return runtime::bit_cast<double>(sign | kept);  // 2^52 is the least normal
    int biased = e + 1023;
    if (kept == std::uint64_t{1} << 53) {
        kept >>= 1;
        ++biased;
        if (biased > 2046) return runtime::bit_cast<double>(sign | 0x7ff0000000000000);
    }
    return runtime::bit_cast<double>(sign |
                                     ((static_cast<std::uint64_t>(biased - 1) << 52) + kept));
}

DoubleDouble WideFloat::to_double_double() const
{
    const double hi = to_double();
    return {hi, (*this - WideFloat(hi)).to_double()};
}

std::int64_t WideFloat::nearest_integer() const
{
    if (is_zero() || exponent_ < 0) return 0;
    const std::uint64_t top = static_cast<std::uint64_t>(limbs_[LIMBS - 1]) << 32 | limbs_[LIMBS - 2];
    std::uint64_t magnitude = exponent_ == 0 ? 0 : top >> (64 - exponent_);
    magnitude += (top >> (63 - exponent_)) & 1;
    const auto n = static_cast<std::int64_t>(magnitude);
    return negative_ ? -n : n;
}

WideFloat operator-(WideFloat x)
{
    if (!x.is_zero()) x.negative_ = !x.negative_;
    return x;
}

WideFloat abs(WideFloat x)
{
    x.negative_ = false;
    return x;
}

WideFloat scaled(WideFloat x, int n)
{
    if (!x.is_zero()) x.exponent_ += n;
    return x;
}

std::strong_ordering WideFloat::compare_magnitudes(const WideFloat& a, const WideFloat& b)
{
    if (a.is_zero() || b.is_zero()) return !a.is_zero() <=> !b.is_zero();
    if (a.exponent_ != b.exponent_) return a.exponent_ <=> b.exponent_;
    for (int i = LIMBS - 1; i >= 0; --i)
        if (a.limbs_[i] != b.limbs_[i]) return a.limbs_[i] <=> b.limbs_[i];
    return std::strong_ordering::equal;
}

std::strong_ordering operator<=>(const WideFloat& a, const WideFloat& b)
{
    if (a.negative_ != b.negative_) return b.negative_ <=> a.negative_;
    return a.negative_ ? WideFloat::compare_magnitudes(b, a) : WideFloat::compare_magnitudes(a, b);
}

WideFloat WideFloat::add_magnitudes(const WideFloat& a, const WideFloat& b, bool subtract)
{
    // a's limbs sit one limb below the top of the window, which leaves a limb for a carry
    // and one below for the bits of b shifted past a's last place.
    constexpr int WINDOW = LIMBS + 2;
    std::uint32_t sum[WINDOW] = {};
    std::uint32_t shifted_b[WINDOW] = {};
    for (int i = 0; i < LIMBS; ++i) sum[i + 1] = a.limbs_[i];
    const int distance = a.exponent_ - b.exponent_;
    const int limb_shift = distance / 32;
    const int bit_shift = distance % 32;
    if (limb_shift < WINDOW) {
        const auto b_digit = [&](int i) {
            return i >= 1 && i <= LIMBS ? b.limbs_[i - 1] : std::uint32_t{0};
        };
        for (int i = 0; i < WINDOW; ++i) {
            const int from = i + limb_shift;
            std::uint32_t digit = b_digit(from) >> bit_shift;
            if (bit_shift > 0) digit |= b_digit(from + 1) << (32 - bit_shift);
            shifted_b[i] = digit;
        }
    }
    std::uint64_t carry = 0;
    for (int i = 0; i < WINDOW; ++i) {
        if (subtract) {
            const std::uint64_t difference =
                static_cast<std::uint64_t>(sum[i]) - shifted_b[i] - carry;
            sum[i] = low_half(difference);
            carry = (difference >> 63) & 1;
        } else {
            const std::uint64_t total = static_cast<std::uint64_t>(sum[i]) + shifted_b[i] + carry;
            sum[i] = low_half(total);
            carry = total >> 32;
        }
    }
    return normalized(a.negative_, a.exponent_ + 32, sum, WINDOW);
}

WideFloat operator+(const WideFloat& a, const WideFloat& b)
{
    if (b.is_zero()) return a;
    if (a.is_zero()) return b;
    if (a.negative_ == b.negative_) {
        return WideFloat::compare_magnitudes(a, b) >= 0 ? WideFloat::add_magnitudes(a, b, false)
                                                        : WideFloat::add_magnitudes(b, a, false);
    }
    const std::strong_ordering order = WideFloat::compare_magnitudes(a, b);
    if (order == 0) return WideFloat();
    return order > 0 ? WideFloat::add_magnitudes(a, b, true) : WideFloat::add_magnitudes(b, a, true);
}

WideFloat operator-(const WideFloat& a, const WideFloat& b) { return a + -b; }

WideFloat operator*(const WideFloat& a, const WideFloat& b)
{
    if (a.is_zero() || b.is_zero()) return WideFloat();
    std::uint32_t product[2 * LIMBS] = {};
    for (int i = 0; i < LIMBS; ++i) {
        std::uint64_t carry = 0;
        for (int j = 0; j < LIMBS; ++j) {
            const std::uint64_t t =
                static_cast<std::uint64_t>(a.limbs_[i]) * b.limbs_[j] + product[i + j] + carry;
            product[i + j] = low_half(t);
            carry = t >> 32;
        }
        product[i + LIMBS] = low_half(carry);
    }
    return WideFloat::normalized(a.negative_ != b.negative_, a.exponent_ + b.exponent_, product,
                                 2 * LIMBS);
}

WideFloat operator*(const WideFloat& a, std::uint32_t n)
{
    std::uint32_t product[LIMBS + 1];
    std::uint64_t carry = 0;
    for (int i = 0; i < LIMBS; ++i) {
        const std::uint64_t t = static_cast<std::uint64_t>(a.limbs_[i]) * n + carry;
        product[i] = low_half(t);
        carry = t >> 32;
    }
    product[LIMBS] = low_half(carry);
    return WideFloat::normalized(a.negative_, a.exponent_ + 32, product, LIMBS + 1);
}

WideFloat operator/(const WideFloat& a, std::uint32_t n)
{
    // Long division, one limb of quotient per step, and one more below a's last limb.
    std::uint32_t quotient[LIMBS + 1];
    std::uint64_t remainder = 0;
    for (int i = LIMBS - 1; i >= -1; --i) {
        const std::uint64_t current = remainder << 32 | (i >= 0 ? a.limbs_[i] : 0);
        quotient[i + 1] = low_half(current / n);
        remainder = current % n;
    }
    return WideFloat::normalized(a.negative_, a.exponent_, quotient, LIMBS + 1);
}

// Newton's iteration y' = y + y (1 - m y) for 1/m, m the significand in [1/2, 1), from the
// double quotient (within 2^-52): the error squares at each step, 2^-104, 2^-208, and after
// the third is the rounding of the last steps alone, below 2^-253.
WideFloat reciprocal(const WideFloat& x)
{
    const WideFloat m = scaled(abs(x), -x.exponent_);
    const WideFloat one(1.0);
    WideFloat y(1.0 / m.to_double());
    for (int step = 0; step < 3; ++step) y = y + y * (one - m * y);
    y = scaled(y, -x.exponent_);
    return x.negative_ ? -y : y;
}

WideFloat operator/(const WideFloat& a, const WideFloat& b) { return a * reciprocal(b); }

}  // namespace runtime::correctly_rounded
