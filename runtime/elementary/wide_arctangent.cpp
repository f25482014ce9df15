// atan(y) = atan(c) + atan(t),  t = (y - c) / (1 + y c),  c = i/256 nearest y,  in WideFloat,
// with y = |x| or 1/|x| for atan, y = |x|/s or s/|x|, s = sqrt(1 - x^2), for asin and acos.
//
// c is exact and |t| <= 2^-9 (1 + 2^-40). Every operation is within 2^-252 of its exact
// result (wide_float.hpp): t within 2^-250 of its value. The series
// t - t^3/3 + ... - t^27/27 leaves out less than t^29/29 < 2^-256 |t| and its Horner
// steps add 2^-250 each, shrinking by t^2 on the way; atan(c) and pi/2 come from the table
// within 2^-256. The sum of atan(c) and atan(t) loses at most one bit when t < 0
// (atan(y) >= atan(c)/2): within 2^-245 relatively. 1/|x| adds 2^-252; pi/2 - atan(y) for
// y <= 1 (at least pi/4) and pi - atan(y) lose nothing more. For asin and acos, 1 - x^2
// is within 2^-254 (x^2 is exact in 256 bits), s within 2^-249 and the quotient, which
// stays in [0, 1 + 2^-15] for the fold at 0.7071, within 2^-247; atan's relative condition
// is at most 1, and pi/2 - asin(x) for |x| < 0.7071 is at least pi/4: within 2^-242.
//
// sqrt by Newton's steps for 1/sqrt(x), u <- u + u (1 - x u^2) / 2, from the double
// 1/sqrt(x.hi) good to 2^-52: four steps give 2^-256 and more before the operations' own
// errors, which leave sqrt(x) = x u within 2^-249.
#include "runtime/elementary/wide_arctangent.hpp"

#include "runtime/elementary/arctangent_kernel.hpp"

#include <cmath>
#include <cstdint>

namespace runtime::correctly_rounded::wide {

namespace {

#include "runtime/elementary/wide_arctangent_table.inc"

constexpr std::uint32_t ATAN_SERIES_TERMS = 13;  // t^27/27 is the last term
constexpr int STEPS = 256;
constexpr double FOLD = 0.7071;  // below 1/sqrt(2): |x|/s < 1 under it, s/|x| < 1 + 2^-15 above

// atan(y) for 0 <= y <= 1 + 2^-10.
WideFloat atan_reduced(const WideFloat& y)
{
    const int i = nearest_step<STEPS>(y.to_double()).i;
    const WideFloat one = WideFloat::integer(1);
    const WideFloat c = scaled(WideFloat::integer(i), -8);  // i / STEPS
    const WideFloat t = (y - c) / (one + y * c);
    const WideFloat t2 = t * t;
    WideFloat series = one / (2 * ATAN_SERIES_TERMS + 1);
    for (std::uint32_t n = ATAN_SERIES_TERMS; n-- > 0;)
        series = one / (2 * n + 1) - t2 * series;
    return WIDE_ATAN_TABLE[i] + t * series;
}

}  // namespace

WideFloat half_pi() { return WIDE_HALF_PI; }

WideFloat atan(const WideFloat& x)
{
    const WideFloat a = abs(x);
    const WideFloat one = WideFloat::integer(1);
    const WideFloat angle = a <= one ? atan_reduced(a) : WIDE_HALF_PI - atan_reduced(reciprocal(a));
    return x.is_negative() ? -angle : angle;
}

WideFloat asin(const WideFloat& x)
{
    const WideFloat a = abs(x);
    const WideFloat s = sqrt(WideFloat::integer(1) - a * a);
    const WideFloat angle = a.to_double() < FOLD ? atan_reduced(a / s) : WIDE_HALF_PI - atan_reduced(s / a);
    return x.is_negative() ? -angle : angle;
}

WideFloat acos(const WideFloat& x)
{
    const WideFloat a = abs(x);
    if (a.to_double() < FOLD)
        return WIDE_HALF_PI - asin(x);
    const WideFloat angle = atan_reduced(sqrt(WideFloat::integer(1) - a * a) / a);
    return x.is_negative() ? WIDE_HALF_PI * 2u - angle : angle;
}

WideFloat sqrt(const WideFloat& x)
{
    if (x.is_zero())
        return x;
    const WideFloat one = WideFloat::integer(1);
    WideFloat u(1.0 / std::sqrt(x.to_double()));
    for (int step = 0; step < 4; ++step)
        u = u + scaled(u * (one - x * u * u), -1);
    return x * u;
}

}  // namespace runtime::correctly_rounded::wide
