// atan(y) = atan(c) + atan(t),  t = (y - c) / (1 + y c),  c = i/256 nearest y,  in WideFloat.
//
// c is exact and |t| <= 2^-9 (1 + 2^-40). Every operation is within 2^-252 of its exact
// result (wide_float.hpp): t within 2^-250 of its value. The series
// t - t^3/3 + ... - t^27/27 leaves out less than t^29/29 < 2^-256 |t| and its Horner
// steps add 2^-250 each, shrinking by t^2 on the way; atan(c) and pi/2 come from the table
// within 2^-256. The sum of atan(c) and atan(t) loses at most one bit when t < 0
// (atan(y) >= atan(c)/2), the quarter turns none: within 2^-245 relatively.
//
// sqrt by Newton's steps for 1/sqrt(x), u <- u + u (1 - x u^2) / 2, from the double
// 1/sqrt(x.hi) good to 2^-52: four steps give 2^-256 and more before the operations' own
// errors, which leave sqrt(x) = x u within 2^-249.
#include "runtime/elementary/wide_arctangent.hpp"

#include <cmath>
#include <cstdint>

namespace runtime::correctly_rounded::wide {

namespace {

#include "runtime/elementary/wide_arctangent_table.inc"

constexpr std::uint32_t TERMS = 13;  // t^27/27 is the last term
constexpr int STEPS = 256;

}  // namespace

WideFloat quarter_turns_plus_atan(int k, int sign, const WideFloat& y)
{
    int i = static_cast<int>(y.to_double() * STEPS + 0.5);
    if (i > STEPS)
        i = STEPS;
    const WideFloat one = WideFloat::integer(1);
    const WideFloat c = scaled(WideFloat::integer(i), -8);  // i / STEPS
    const WideFloat t = (y - c) / (one + y * c);
    const WideFloat t2 = t * t;
    WideFloat series = one / (2 * TERMS + 1);
    for (std::uint32_t n = TERMS; n-- > 0;)
        series = one / (2 * n + 1) - t2 * series;
    const WideFloat angle = WIDE_ATAN_TABLE[i] + t * series;
    if (k == 0)
        return sign > 0 ? angle : -angle;
    const WideFloat turns = WIDE_HALF_PI * static_cast<std::uint32_t>(k);
    return sign > 0 ? turns + angle : turns - angle;
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
