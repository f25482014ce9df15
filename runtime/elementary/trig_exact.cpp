// The exact path: r = x - k pi/2 and sin r, cos r in fixed point with 256 fraction bits.
//
// The reduction's fraction is good to 2^-230 (large arguments) and |r| >= 2^-62, so r
// carries at least 160 correct bits. Each truncated product or quotient below costs at
// most 2^-254; the Taylor series of sin and cos for |r| <= pi/4 + 2^-30 stop when a term
// drops below 2^-256, about 60 terms, leaving under 2^-248 in all. tan takes 1/den by
// three Newton steps from a double (53, 106, 212 bits and more) on den scaled to [1/2, 1).
// So every value is relatively within 2^-150 of the truth. The known hardest doubles for
// sin, cos and tan lie relatively about 2^-120 from a midpoint, so rounding the value
// minus and plus 2^-140 of itself gives the same double; that is the correctly rounded
// result.
#include "runtime/elementary/trig_exact.hpp"

#include <bit>
#include <cstdint>

#include "runtime/elementary/trig_reduction.hpp"

namespace runtime::correctly_rounded {
namespace {

#include "runtime/elementary/trig_tables.inc"

constexpr int LIMBS = 9;         // 32 integer bits, 256 fraction bits, least significant first
constexpr int FRACTION_BITS = 256;

struct Fixed {
    std::uint32_t w[LIMBS] = {};
};

Fixed add(const Fixed& a, const Fixed& b)
{
    Fixed s;
    std::uint64_t carry = 0;
    for (int i = 0; i < LIMBS; ++i) {
        const std::uint64_t t = std::uint64_t{a.w[i]} + b.w[i] + carry;
        s.w[i] = static_cast<std::uint32_t>(t);
        carry = t >> 32;
    }
    return s;
}

// a - b for a >= b.
Fixed subtract(const Fixed& a, const Fixed& b)
{
    Fixed d;
    std::uint64_t borrow = 0;
    for (int i = 0; i < LIMBS; ++i) {
        const std::uint64_t t = std::uint64_t{a.w[i]} - b.w[i] - borrow;
        d.w[i] = static_cast<std::uint32_t>(t);
        borrow = (t >> 32) & 1;
    }
    return d;
}

// a * b truncated to 256 fraction bits.
Fixed multiply(const Fixed& a, const Fixed& b)
{
    std::uint32_t p[2 * LIMBS] = {};
    for (int i = 0; i < LIMBS; ++i) {
        std::uint64_t carry = 0;
        for (int j = 0; j < LIMBS; ++j) {
            const std::uint64_t t = std::uint64_t{a.w[i]} * b.w[j] + p[i + j] + carry;
            p[i + j] = static_cast<std::uint32_t>(t);
            carry = t >> 32;
        }
        p[i + LIMBS] = static_cast<std::uint32_t>(carry);
    }
    Fixed r;
    for (int i = 0; i < LIMBS; ++i)
        r.w[i] = p[i + LIMBS - 1];
    return r;
}

Fixed divide(const Fixed& a, std::uint32_t d)
{
    Fixed q;
    std::uint64_t rest = 0;
    for (int i = LIMBS - 1; i >= 0; --i) {
        const std::uint64_t t = (rest << 32) | a.w[i];
        q.w[i] = static_cast<std::uint32_t>(t / d);
        rest = t % d;
    }
    return q;
}

bool is_zero(const Fixed& a)
{
    for (std::uint32_t w : a.w)
        if (w != 0)
            return false;
    return true;
}

// Index of the highest set bit, -1 for zero.
int top_bit(const Fixed& a)
{
    for (int i = LIMBS - 1; i >= 0; --i)
        if (a.w[i] != 0)
            return 32 * i + 31 - std::countl_zero(a.w[i]);
    return -1;
}

std::uint64_t bits64(const Fixed& a, int pos)
{
    std::uint64_t v = 0;
    for (int b = 0; b < 64; ++b) {
        const int at = pos + b;
        if (at >= 0 && at < 32 * LIMBS && ((a.w[at / 32] >> (at % 32)) & 1))
            v |= std::uint64_t{1} << b;
    }
    return v;
}

// a shifted by s bits, left for s > 0.
Fixed shifted(const Fixed& a, int s)
{
    Fixed r;
    for (int at = 0; at < 32 * LIMBS; ++at) {
        const int from = at - s;
        if (from >= 0 && from < 32 * LIMBS && ((a.w[from / 32] >> (from % 32)) & 1))
            r.w[at / 32] |= std::uint32_t{1} << (at % 32);
    }
    return r;
}

double power_of_two(int e)
{
    return std::bit_cast<double>(static_cast<std::uint64_t>(e + 1023) << 52);
}

// a * 2^(scale - 256) rounded to nearest-even, for a != 0 and a result in the normal range.
double to_double(const Fixed& a, int scale)
{
    const int top = top_bit(a);
    const std::uint64_t u = bits64(a, top - 63);
    bool sticky = false;
    for (int at = 0; at < top - 63 && !sticky; ++at)
        sticky = (a.w[at / 32] >> (at % 32)) & 1;
    std::uint64_t keep = u >> 11;
    const std::uint64_t rest = u & 0x7FF;
    if (rest > 0x400 || (rest == 0x400 && (sticky || (keep & 1))))
        ++keep;
    return static_cast<double>(keep) * power_of_two(top - 52 - FRACTION_BITS + scale);
}

// The correctly rounded double of a * 2^(scale - 256), a accurate to 2^-150 relatively.
double rounded(const Fixed& a, int scale)
{
    const Fixed margin = shifted(a, -140);
    const double low = to_double(subtract(a, margin), scale);
    const double high = to_double(add(a, margin), scale);
    return low == high ? low : to_double(a, scale);
}

Fixed from_words(const std::uint32_t* words, int count)
{
    Fixed f;
    for (int i = 0; i < count; ++i)
        f.w[count - 1 - i] = words[i];
    return f;
}

// ax as a fixed-point number, for 2^-27 <= ax < 2^31.
Fixed from_double(double ax)
{
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(ax);
    const std::uint64_t m = (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
    const int e = static_cast<int>(bits >> 52) - 1075;
    Fixed f;
    f.w[0] = static_cast<std::uint32_t>(m);
    f.w[1] = static_cast<std::uint32_t>(m >> 32);
    return shifted(f, e + FRACTION_BITS);
}

Fixed one()
{
    Fixed f;
    f.w[LIMBS - 1] = 1;
    return f;
}

// Sum of the alternating series first - first r2 / (n (n+1)) + ..., n = start, start + 2, ...
Fixed alternating_series(Fixed term, const Fixed& r2, std::uint32_t n)
{
    Fixed sum = term;
    for (bool minus = true; !is_zero(term); minus = !minus, n += 2) {
        term = divide(divide(multiply(term, r2), n), n + 1);
        sum = minus ? subtract(sum, term) : add(sum, term);
    }
    return sum;
}

struct Reduced {
    int k;
    bool negative;
    Fixed r;
};

Reduced reduce(double ax)
{
    if (ax <= 0x1.921fb54442d18p-1)
        return {0, false, from_double(ax)};
    const QuadrantFraction q = reduce_quadrant_exactly(ax);
    const Fixed f = from_words(q.words, FRACTION_WORDS);
    return {q.k, q.negative, multiply(f, from_words(PIO2_FIXED, LIMBS))};
}

Fixed sin_of(const Fixed& r) { return alternating_series(r, multiply(r, r), 2); }
Fixed cos_of(const Fixed& r) { return alternating_series(one(), multiply(r, r), 1); }

// 1/d for d in [1/2, 1), by Newton's y (2 - d y) from a double.
Fixed reciprocal(const Fixed& d)
{
    Fixed y = from_double(1.0 / to_double(d, 0));
    Fixed two = one();
    two.w[LIMBS - 1] = 2;
    for (int i = 0; i < 3; ++i)
        y = multiply(y, subtract(two, multiply(d, y)));
    return y;
}

}  // namespace

double sine_exactly(double ax)
{
    const Reduced q = reduce(ax);
    const bool use_cos = q.k & 1;
    const double y = rounded(use_cos ? cos_of(q.r) : sin_of(q.r), 0);
    bool negate = (q.k & 2) != 0;
    if (!use_cos && q.negative)
        negate = !negate;
    return negate ? -y : y;
}

double cosine_exactly(double ax)
{
    const Reduced q = reduce(ax);
    const bool use_cos = (q.k & 1) == 0;
    const double y = rounded(use_cos ? cos_of(q.r) : sin_of(q.r), 0);
    bool negate = ((q.k + 1) & 2) != 0;
    if (!use_cos && q.negative)
        negate = !negate;
    return negate ? -y : y;
}

double tangent_exactly(double ax)
{
    const Reduced q = reduce(ax);
    const Fixed s = sin_of(q.r);
    const Fixed c = cos_of(q.r);
    const Fixed& num = q.k & 1 ? c : s;
    const Fixed& den = q.k & 1 ? s : c;
    // den * 2^shift lies in [1/2, 1).
    const int shift = FRACTION_BITS - 1 - top_bit(den);
    const double y = rounded(multiply(num, reciprocal(shifted(den, shift))), shift);
    // tan(r) = s/c changes sign with r, -c/s against it.
    const bool negate = (q.k & 1) != 0 ? !q.negative : q.negative;
    return negate ? -y : y;
}

}  // namespace runtime::correctly_rounded
