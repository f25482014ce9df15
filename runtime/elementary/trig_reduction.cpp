// Reduction modulo pi/2, and to the sine table's grid of multiples of pi/1024.
//
// Over all doubles, the one closest to a multiple of pi/2 is 6381956970095103 * 2^797, at
// about 2^-60.9 from it; every r != 0 is therefore at least 2^-61 in magnitude, and an
// absolute error e in r is a relative error of at most 2^61 * e.
//
// Moderate arguments, ax < 2^20 (Cody and Waite): k = round(ax * 2/pi) < 2^20 and
// pi/2 = C1 + C2 + C3 + C4 + d, where C1..C3 carry 33 bits, so k*C1, k*C2 and k*C3 are
// exact, and |d| < 2^-157. ax - k*C1 is exact (Sterbenz). The two following subtractions
// go through two_sum; where they cancel, both operands lie on a grid of 2^-66 (then 2^-97)
// and the difference is small enough to be exact, so rounding errors only arise at the
// size of r itself: |error| < 2^-135 + 2^-103 |r|, relatively below 2^-74.
//
// Most of them take a quicker form of it, pi/2 = Q1 + Q2 + Q3 + d' with |d'| < 2^-107:
// where the result is at least 2^-10, an absolute error below 2^-87 is relatively below
// 2^-76.9. Smaller results are made again as above.
//
// Large arguments, ax >= 2^20 (Payne and Hanek): ax = m * 2^E with m < 2^53. The words
// of 2/pi worth less than 4 / (m 2^E) contribute multiples of 4 and are skipped; the
// next N words are multiplied by m in integers, giving ax * 2/pi modulo 4 with at least
// 32N - 33 fraction bits; the words left off add less than 2^(53 - (32N - 33)). N = 8
// gives an error below 2^-170 in the fraction, N = 10 (the exact path) below 2^-234. The
// fraction's leading 128 bits, times pi/2 in double-double, give r to 2^-104 relatively.
//
// The grid: ax * 1024/pi = 512 (ax * 2/pi) is the same product with its point 9 bits
// further down, so modulo 2048 it keeps 32N - 42 fraction bits: an error below 2^-161 in
// the fraction, and r = fraction * pi/1024 within 2^-104 relatively plus 2^-168. The
// fraction may come closer to 0 than 2^-62 there (only its multiples of 512 are multiples
// of pi/2), so its leading one is looked for in all 192 bits read.
#include "runtime/elementary/trig_reduction.hpp"

#include <bit>
#include <cstring>

#include "runtime/bit_cast.hpp"
#include "runtime/elementary/double_double.hpp"
#include "runtime/elementary/rounding.hpp"
#include "runtime/elementary/trig_tables.hpp"

namespace runtime::correctly_rounded {
namespace {

constexpr double TWO_OVER_PI_D = 0x1.45f306dc9c883p-1;
constexpr double QUADRANT_MODERATE_LIMIT = 0x1p20;
constexpr double QUICK_LIMIT = 0x1p-10;

// Bits pos .. pos+31 of the little-endian limbs p[0..count), zero outside.
std::uint32_t bits32(const std::uint32_t* p, int count, int pos)
{
    const auto limb = [&](int i) -> std::uint64_t { return i >= 0 && i < count ? p[i] : 0; };
    const int i = pos >= 0 ? pos / 32 : -((31 - pos) / 32);
    const int s = pos - 32 * i;
    const std::uint64_t two = limb(i) | (limb(i + 1) << 32);
    return static_cast<std::uint32_t>(two >> s);
}

// ax * 2^(g+1)/pi modulo 2^(g+2) as k + f, with `count` fraction words written to
// `fraction` (first word highest), f in [0, 1), from N words of 2/pi; g = grid_bits.
template <int N>
int multiply_by_two_over_pi(double ax, std::uint32_t* fraction, int count, int grid_bits)
{
    const std::uint64_t bits = runtime::bit_cast<std::uint64_t>(ax);
    const int biased = static_cast<int>(bits >> 52);
    std::uint64_t m = bits & ((std::uint64_t{1} << 52) - 1);
    int e = biased - 1075;
    if (biased == 0)
        e = -1074;
    else
        m |= std::uint64_t{1} << 52;
    const int j0 = e >= 2 ? (e - 2) / 32 : 0;
    const std::uint32_t mw[2] = {static_cast<std::uint32_t>(m), static_cast<std::uint32_t>(m >> 32)};
    std::uint32_t w[N];
    for (int b = 0; b < N; ++b)
        w[b] = TWO_OVER_PI[j0 + N - 1 - b];
    std::uint32_t p[N + 2] = {};
    for (int a = 0; a < 2; ++a) {
        std::uint64_t carry = 0;
        for (int b = 0; b < N; ++b) {
            const std::uint64_t t = std::uint64_t{mw[a]} * w[b] + p[a + b] + carry;
            p[a + b] = static_cast<std::uint32_t>(t);
            carry = t >> 32;
        }
        p[a + N] = static_cast<std::uint32_t>(carry);
    }
    const int point = 32 * (j0 + N) - e - grid_bits;
    for (int i = 0; i < count; ++i)
        fraction[i] = bits32(p, N + 2, point - 32 * (i + 1));
    return static_cast<int>(bits32(p, N + 2, point) & ((4u << grid_bits) - 1));
}

// f in [0, 1) given by words, rounded to the nearest integer: k moves up (modulo mask + 1)
// when f >= 1/2 and the words become |f - 1|. Returns whether f was negated.
bool round_fraction(std::uint32_t* words, int count, int& k, int mask)
{
    if ((words[0] >> 31) == 0)
        return false;
    k = (k + 1) & mask;
    std::uint64_t borrow = 1;   // two's complement: ~w + 1
    for (int i = count - 1; i >= 0; --i) {
        const std::uint64_t t = std::uint64_t{static_cast<std::uint32_t>(~words[i])} + borrow;
        words[i] = static_cast<std::uint32_t>(t);
        borrow = t >> 32;
    }
    return true;
}

// ax = k (pi/2) 2^-g + r modulo 2 pi, k modulo 2^(g+2), for g = grid_bits.
Quadrant reduce_large(double ax, int grid_bits)
{
    constexpr int WORDS = 6;
    std::uint32_t f[WORDS];
    int k = multiply_by_two_over_pi<8>(ax, f, WORDS, grid_bits);
    const bool negative = round_fraction(f, WORDS, k, (4 << grid_bits) - 1);
    std::uint64_t a = (std::uint64_t{f[0]} << 32) | f[1];
    std::uint64_t b = (std::uint64_t{f[2]} << 32) | f[3];
    std::uint64_t c = (std::uint64_t{f[4]} << 32) | f[5];
    int lz = 0;
    if (a == 0) {  // on the grid only: off it |f| >= 2^-62 puts the leading one in a
        a = b;
        b = c;
        c = 0;
        lz = 64;
        if (a == 0)  // |f| < 2^-128: r is 0 to far better than it needs
            return {k, 0.0, 0.0};
    }
    const int shift = std::countl_zero(a);
    if (shift > 0) {
        a = (a << shift) | (b >> (64 - shift));
        b = (b << shift) | (c >> (64 - shift));
    }
    lz += shift + grid_bits;
    const double hi = static_cast<double>(a >> 11) * power_of_two(-53 - lz);
    const double lo = static_cast<double>((a << 53) | (b >> 11)) * power_of_two(-117 - lz);
    const DoubleDouble fr = fast_two_sum(hi, lo);
    DoubleDouble r = two_prod(fr.hi, PIO2_HI);
    r.lo += fr.hi * PIO2_LO + fr.lo * PIO2_HI;
    r = fast_two_sum(r.hi, r.lo);
    if (negative)
        return {k, -r.hi, -r.lo};
    return {k, r.hi, r.lo};
}

}  // namespace

Quadrant reduce_quadrant(double ax)
{
    if (ax >= QUADRANT_MODERATE_LIMIT)
        return reduce_large(ax, 0);
    const double kd = (ax * TWO_OVER_PI_D + INTEGER_ROUNDER) - INTEGER_ROUNDER;
    const int k = static_cast<int>(kd) & 3;
    // Quick: ax - k Q1 - k Q2 is exact, k Q3 = p + pe exactly (k has at most 20 bits and the
    // halves of Q3 26 and 27), and the tail of pi/2 adds at most 2^-87.
    const double r1 = (ax - kd * PIO2_QUICK[0]) - kd * PIO2_QUICK[1];
    const double p = kd * PIO2_QUICK[2];
    const double pe = (kd * Q3_HIGH - p) + kd * Q3_LOW;
    const DoubleDouble s = two_sum(r1, -p);
    if (s.hi > QUICK_LIMIT || s.hi < -QUICK_LIMIT) {
        const DoubleDouble r = fast_two_sum(s.hi, s.lo - pe);
        return {k, r.hi, r.lo};
    }
    const double a = ax - kd * PIO2_CW[0];
    const DoubleDouble s1 = two_sum(a, -(kd * PIO2_CW[1]));
    const DoubleDouble s2 = two_sum(s1.hi, -(kd * PIO2_CW[2]));
    const double lo = (s1.lo + s2.lo) - kd * PIO2_CW[3];
    const DoubleDouble r = fast_two_sum(s2.hi, lo);
    return {k, r.hi, r.lo};
}

Quadrant reduce_to_grid(double ax)
{
    return reduce_large(ax, GRID_BITS - 1);
}

QuadrantFraction reduce_quadrant_exactly(double ax)
{
    QuadrantFraction q{};
    q.k = multiply_by_two_over_pi<10>(ax, q.words, FRACTION_WORDS, 0);
    q.negative = round_fraction(q.words, FRACTION_WORDS, q.k, 3);
    return q;
}

}  // namespace runtime::correctly_rounded
