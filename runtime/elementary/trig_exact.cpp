// The exact path: r = x - k pi/2 and sin r, cos r, tan r in WideFloat.
//
// Error bounds, relative, with eps = 2^-254 for one WideFloat operation:
//  r: the reduction's fraction f is within 2^-230 of ax 2/pi - k (large arguments; exact
//    for ax <= pi/4, where r = ax) and |f| >= 2^-62, so f is relatively within 2^-168;
//    pi/2 within 2^-256 and the product one eps more: r within 2^-167.9.
//  sin r, cos r for |r| <= pi/4 + 2^-30: the Taylor series, stopped once a term falls
//    below 2^-260 of the first, alternate with falling terms, so the sum is at least
//    0.7 of its first term and each of its 2 operations per term adds at most 2 eps:
//    below 2^-240 from the series, and r's error passes to sin r and cos r at most
//    unchanged (|r cot r| <= 1, |r tan r| <= 0.82): below 2^-167.8.
//  tan r: the quotient adds the errors of both and 4 eps: below 2^-166.8.
// The hardest doubles known lie relatively about 2^-(53 + 65) from a midpoint, so
// rounding once gives the correctly rounded double.
#include "runtime/elementary/trig_exact.hpp"

#include <bit>
#include <cstdint>

#include "runtime/elementary/trig_reduction.hpp"
#include "runtime/elementary/trig_tables.hpp"
#include "runtime/elementary/wide_float.hpp"

namespace runtime::correctly_rounded {
namespace {

constexpr WideFloat WIDE_PIO2{false, 1, {PIO4_LIMBS[0], PIO4_LIMBS[1], PIO4_LIMBS[2], PIO4_LIMBS[3],
                                         PIO4_LIMBS[4], PIO4_LIMBS[5], PIO4_LIMBS[6], PIO4_LIMBS[7]}};

struct ExactReduced {
    int k;
    WideFloat r;  // may be negative
};

// |f| = words * 2^-256, the first word highest, normalized into a WideFloat.
WideFloat from_fraction(const std::uint32_t* words, bool negative)
{
    int skip = 0;
    while (skip < FRACTION_WORDS && words[skip] == 0)
        ++skip;
    if (skip == FRACTION_WORDS)
        return WideFloat();
    const int shift = std::countl_zero(words[skip]);
    WideFloat::Limbs limbs{};
    for (int i = 0; i < WideFloat::LIMBS; ++i) {
        const int from = skip + i;  // limb LIMBS-1-i takes words[from] << shift | words[from+1] >> ...
        const std::uint64_t pair = (std::uint64_t{from < FRACTION_WORDS ? words[from] : 0u} << 32) |
                                   (from + 1 < FRACTION_WORDS ? words[from + 1] : 0u);
        limbs[static_cast<std::size_t>(WideFloat::LIMBS - 1 - i)] = static_cast<std::uint32_t>(pair >> (32 - shift));
    }
    return WideFloat(negative, -32 * skip - shift, limbs);
}

ExactReduced reduce(double ax)
{
    if (ax <= 0x1.921fb54442d18p-1)
        return {0, WideFloat(ax)};
    const QuadrantFraction q = reduce_quadrant_exactly(ax);
    return {q.k, from_fraction(q.words, q.negative) * WIDE_PIO2};
}

// first - first r^2 / (n (n+1)) + ..., n = start, start + 2, ...
WideFloat alternating_series(WideFloat term, const WideFloat& r2, std::uint32_t n)
{
    WideFloat sum = term;
    const int last = term.exponent() - 260;
    for (bool minus = true; !term.is_zero() && term.exponent() > last; minus = !minus, n += 2) {
        term = term * r2 / (n * (n + 1));
        sum = minus ? sum - term : sum + term;
    }
    return sum;
}

WideFloat sin_of(const WideFloat& r) { return alternating_series(r, r * r, 2); }
WideFloat cos_of(const WideFloat& r) { return alternating_series(WideFloat(1.0), r * r, 1); }

}  // namespace

// sin(k pi/2 + r) = sin r, cos r, -sin r, -cos r for k = 0 .. 3; cos(x) = sin(x + pi/2).
double sine_exactly(double ax)
{
    const ExactReduced q = reduce(ax);
    const WideFloat y = q.k & 1 ? cos_of(q.r) : sin_of(q.r);
    return (q.k & 2 ? -y : y).to_double();
}

double cosine_exactly(double ax)
{
    const ExactReduced q = reduce(ax);
    const WideFloat y = q.k & 1 ? sin_of(q.r) : cos_of(q.r);
    return ((q.k + 1) & 2 ? -y : y).to_double();
}

// tan(r) = sin r / cos r, tan(r + pi/2) = -cos r / sin r.
double tangent_exactly(double ax)
{
    const ExactReduced q = reduce(ax);
    const WideFloat s = sin_of(q.r);
    const WideFloat c = cos_of(q.r);
    return (q.k & 1 ? -(c / s) : s / c).to_double();
}

}  // namespace runtime::correctly_rounded
