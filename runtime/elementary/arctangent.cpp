// atan(x) = atan(c) + atan(t),  t = (y - c) / (1 + y c),  c = i/256 nearest y = |x| or 1/|x|,
// correctly rounded to nearest-even.
//
// Reduction: for |x| > 1, atan|x| = pi/2 - atan(y) with y = 1/|x| as a double-double
// (relative error below 2^-104); pi/2 - atan(y) >= pi/4 adds no relative error beyond
// its own rounding. On [0, 1 + 2^-10], c = i/256 is the nearest step to y, h = y.hi - c
// is exact (Sterbenz: c/2 <= y.hi <= 2c, or c = 0) and |h| <= 2^-9 (1 + 2^-40).
//
// Quick evaluation, atan(c) + a_1 h + (a_2 h^2 + ... + a_8 h^8) + y.lo (a_1 + 2 a_2 h),
// with the Taylor coefficients a_k at c from the table (|a_k| <= 1): a_1 is a 26-bit
// double and the double nearest its rest (2^-79), and the 26-bit one times either half of
// h is exact, the rest of a_1 h within 2^-79; the rest, at most 2^-18 of the sum, is formed in
// doubles within 2^-51 of itself; the terms left out (h^9, y.lo h^2) are below 2^-72 of
// the sum; for c >= 2^-8 the sum is at least atan(c)/2, for c = 0 it is h itself with no
// h^2 term. The quick result is within 2^-66 relatively; its test allows QUICK_ERROR.
//
// Careful evaluation, for what the quick test leaves open: atan(c) + atan(t), t as a
// double-double formed without error but for c * y.lo (2^-106) and the quotient (2^-103):
// t within 2^-102. atan(t) = t - t^3/3 + t^5 (1/5 - t^2/7 + t^4/9 - t^6/11) leaves out
// less than t^13/13 < 2^-111 |t|; the cube is a double-double within 2^-101, divided by 3
// within 2^-103 more; the tail is at most 2^-38.3 |t| and within 2^-47 of itself in doubles:
// 2^-85.3 |t|. atan(c) comes from the table within 2^-105. When t < 0 the sum loses at
// most one bit (atan(y) >= atan(c)/2 for c >= 2^-8), and the final additions add 2^-103:
// the careful result is within 2^-84.9; its test allows 2^-80. (MPFR measures 2^-89.)
//
// Each result goes through the rounding test with its bound (rounding.hpp); what neither
// test settles, about one argument in 2^25, is evaluated again in WideFloat
// (wide_arctangent.cpp, within 2^-245) and rounded once. atan(x) of a non-zero double is
// transcendental, never a double or a midpoint between two.
//
// Special values: atan(+-0) = +-0; |x| < 2^-27 gives x itself, since x^3/3 is below a
// quarter of the spacing of the doubles next to x; |x| > 2^60 gives pi/2 rounded, as
// pi/2 lies 2^-53.9 above that double and 1/|x| cannot reach the next midpoint;
// atan(+-inf) = +-pi/2 rounded; NaN gives NaN.
#include "runtime/elementary/correctly_rounded.hpp"

#include "runtime/elementary/arctangent_kernel.hpp"

#include "runtime/elementary/rounding.hpp"
#include "runtime/elementary/slow_path.hpp"
#include "runtime/elementary/wide_arctangent.hpp"

#include <cmath>

namespace runtime::correctly_rounded {

namespace {

#include "runtime/elementary/arctangent_table.inc"

constexpr double QUICK_ERROR = 0x1p-63;
constexpr double CAREFUL_ERROR = 0x1p-80;

// 1/a as a double-double within 2^-104: r a = p exactly, 1 - p.hi is exact (Sterbenz)
// and the rest 1 - r a, at most 2^-53, is divided by a through r.
DoubleDouble one_over(double a)
{
    const double r = 1.0 / a;
    const DoubleDouble p = two_prod(r, a);
    return {r, ((1.0 - p.hi) - p.lo) * r};
}

int step(double y)
{
    const int i = static_cast<int>(y * ATAN_STEPS + 0.5);
    return i > ATAN_STEPS ? ATAN_STEPS : i;
}

DoubleDouble arctangent_quick(DoubleDouble y)
{
    const int i = step(y.hi);
    return taylor_sum(ATAN_TABLE[i], TAYLOR[i], y.hi - static_cast<double>(i) / ATAN_STEPS, y.lo);
}

DoubleDouble arctangent_careful(DoubleDouble y)
{
    const int i = step(y.hi);
    const double c = static_cast<double>(i) / ATAN_STEPS;
    const DoubleDouble numerator = two_sum(y.hi - c, y.lo);
    const DoubleDouble cy = two_prod(c, y.hi);
    DoubleDouble denominator = fast_two_sum(1.0, cy.hi);
    denominator.lo += cy.lo + c * y.lo;
    const DoubleDouble t = divide(numerator, denominator);

    const DoubleDouble square = two_prod(t.hi, t.hi);
    DoubleDouble cube = two_prod(square.hi, t.hi);
    cube.lo += square.lo * t.hi + 3.0 * square.hi * t.lo;
    const DoubleDouble third = divide(cube, {3.0, 0.0});
    const double z = square.hi;
    const double tail = cube.hi * z * (1.0 / 5 - z * (1.0 / 7 - z * (1.0 / 9 - z * (1.0 / 11))));

    DoubleDouble small = two_sum(t.hi, -third.hi);
    small.lo += (t.lo - third.lo) + tail;
    const DoubleDouble& base = ATAN_TABLE[i];
    DoubleDouble sum = two_sum(base.hi, small.hi);
    sum.lo += base.lo + small.lo;
    return fast_two_sum(sum.hi, sum.lo);
}

bool round_arctangent(int k, double sign, DoubleDouble y, double& result)
{
    return round_quick(quarter_turns_plus(k, sign, arctangent_quick(y)), result)
        || round_careful_arctangent(k, sign, y, result);
}

bool round_if_certain(DoubleDouble sum, double error, double& result)
{
    const auto rounded_sum = rounded(sum.hi, sum.lo, error * std::fabs(sum.hi));
    result = rounded_sum.value_or(0.0);
    return rounded_sum.has_value();
}

}  // namespace

DoubleDouble taylor_sum(const DoubleDouble& base, const Taylor& p, double h, double lo)
{
    const double h2 = h * h;
    const double h4 = h2 * h2;
    const double low = (p.a[0] + h * p.a[1]) + h2 * (p.a[2] + h * p.a[3]);
    const double high = (p.a[4] + h * p.a[5]) + h2 * p.a[6];
    const double rest = h2 * (low + h4 * high);
    // slope_hi and the halves of h have 26 bits each: both products are exact.
    const DoubleDouble halves = split(h);
    const double linear_hi = p.slope_hi * halves.hi;
    const double linear_lo = p.slope_hi * halves.lo + p.slope_lo * h;
    DoubleDouble sum = two_sum(base.hi, linear_hi);
    sum.lo += ((base.lo + linear_lo) + lo * (p.slope_hi + 2.0 * h * p.a[0])) + rest;
    return fast_two_sum(sum.hi, sum.lo);
}

DoubleDouble quarter_turns_plus(int k, double sign, DoubleDouble angle)
{
    if (k == 0 && sign > 0)
        return angle;
    DoubleDouble sum = two_sum(k * HALF_PI.hi, sign * angle.hi);
    sum.lo += k * HALF_PI.lo + sign * angle.lo;
    return fast_two_sum(sum.hi, sum.lo);
}

bool round_quick(DoubleDouble sum, double& result) { return round_if_certain(sum, QUICK_ERROR, result); }

bool round_careful_arctangent(int k, double sign, DoubleDouble y, double& result)
{
    return round_if_certain(quarter_turns_plus(k, sign, arctangent_careful(y)), CAREFUL_ERROR, result);
}

double atan(double x)
{
    const double a = std::fabs(x);
    if (!(a <= 0x1p60))
        return std::isnan(x) ? x + x : std::copysign(HALF_PI.hi, x);
    if (a < 0x1p-27)
        return x;
    double result;
    if (a <= 1.0 ? round_arctangent(0, 1.0, {a, 0.0}, result) : round_arctangent(1, -1.0, one_over(a), result))
        return std::copysign(result, x);
    SLOW_PATH_TAKEN("atan");
    return wide::atan(WideFloat(x)).to_double();
}

}  // namespace runtime::correctly_rounded
