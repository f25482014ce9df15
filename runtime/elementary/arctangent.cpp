// atan(x) = atan(c) + atan(t),  t = (y - c) / (1 + y c),  c a step nearest y = |x| or 1/|x|,
// correctly rounded to nearest-even.
//
// Reduction: on [1, 16), c = 2^e (1 + j/128) is the step nearest |x| (e = 0 ... 3, c = 16
// at the top), h = |x| - c is exact (Sterbenz) and |h| <= 2^(e-8), at most 2^-8 |c - i|
// (|c - i| = sqrt(1 + c^2) >= 2^e). Beyond, and in the careful evaluation for all |x| > 1,
// atan|x| = pi/2 - atan(y) with y = 1/|x|. On [0, 1 + 2^-10], c = i/256 is the nearest step
// to y, h = y.hi - c is exact (Sterbenz: c/2 <= y.hi <= 2c, or c = 0) and |h| <= 2^-9
// (1 + 2^-40).
//
// Quick evaluation, atan(c) + a_1 h + (a_2 h^2 + ... + a_8 h^8) + y.lo (a_1 + 2 a_2 h),
// with the Taylor coefficients a_k at c from the table, a_k = (-1)^(k-1) Im (c - i)^-k / k,
// so |a_k| <= 1 and |a_k h^k| <= 2^-8k at the steps of [1, 16). a_1 is a 26-bit double
// and the double nearest its rest (2^-79), and the 26-bit one times either half of h is
// exact, the rest of a_1 h within 2^-79. On [0, 1]: the rest, at most 2^-18 of the sum, is
// formed in doubles within 2^-51 of itself; the terms left out (h^9, y.lo h^2) are below
// 2^-72 of the sum; for c >= 2^-8 the sum is at least atan(c)/2, for c = 0 it is h itself
// with no h^2 term. So atan(y) is within 2^-66 relatively. On [1, 16) the sum is at least
// pi/4 (atan 2 from 2 on), the rest at most 2^-16.6 of it and within 2^-51 of itself, the
// terms left out below 2^-74.8 of it: atan|x| within 2^-67.5. Above 16, pi/2 - atan(y) is
// summed as (pi/2 - atan(c)) - (a_1 h + ...), the first from a table made at compile time
// within 2^-104, and y = r + y.lo with r = 1/|x| rounded and y.lo within 2^-105 r (from the
// integer product of the significands of r and |x|), which costs pi/2 - atan(y) >= pi/4 no
// more than 2^-104 relatively: the quick result is within 2^-65.9 everywhere; its test
// allows 2^-63.
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
#include "runtime/bit_cast.hpp"
#include "runtime/elementary/correctly_rounded.hpp"

#include "runtime/elementary/arctangent_kernel.hpp"

#include "runtime/elementary/rounding.hpp"
#include "runtime/elementary/slow_path.hpp"
#include "runtime/elementary/wide_arctangent.hpp"

#include <array>
#include <cmath>
#include <cstdint>

namespace runtime::correctly_rounded {

namespace {

#include "runtime/elementary/arctangent_table.inc"

constexpr double CAREFUL_ERROR = 0x1p-80;

// 1/a as a double-double within 2^-104: r a = p exactly, 1 - p.hi is exact (Sterbenz)
// and the rest 1 - r a, at most 2^-53, is divided by a through r.
DoubleDouble one_over(double a)
{
    const double r = 1.0 / a;
    const DoubleDouble p = two_prod(r, a);
    return {r, ((1.0 - p.hi) - p.lo) * r};
}

static_assert(QUARTER_TURN.hi == HALF_PI.hi && QUARTER_TURN.lo == HALF_PI.lo);

// pi/2 - atan(i / ATAN_STEPS) within 2^-104.
constexpr auto ATAN_COMPLEMENT = [] {
    std::array<DoubleDouble, ATAN_STEPS + 1> table{};
    for (int i = 0; i <= ATAN_STEPS; ++i) table[i] = add(HALF_PI, negate(ATAN_TABLE[i]));
    return table;
}();

// atan(a) for 2^-27 <= a <= 1 into `result` where the quick test passes.
inline bool arctangent_quick(double a, double& result)
{
    const Step s = nearest_step<ATAN_STEPS>(a);
    return round_quick(taylor_sum<true>(ATAN_TABLE[s.i], TAYLOR[s.i], s.h, 0.0, 1.0), result);
}

// 1/a - r for r = 1/a rounded, 16 <= a <= 2^60, within 2^-105 r. With a = A 2^ea and r = R
// 2^er, A and R integers below 2^53, A R = 2^k (1 - delta), k = 104 or 105 and delta = 1 -
// r a at most 2^-53: A R - 2^k is below 2^52 and is the product modulo 2^64 as a signed
// integer, exact as a double. 1/a - r = r (delta + delta^2 + ...) with delta r rounded.
inline double reciprocal_rest(double a, double r)
{
    constexpr std::uint64_t SIGNIFICAND = (std::uint64_t{1} << 52) - 1;
    constexpr std::uint64_t IMPLICIT_BIT = std::uint64_t{1} << 52;
    const auto a_bits = runtime::bit_cast<std::uint64_t>(a);
    const auto r_bits = runtime::bit_cast<std::uint64_t>(r);
    const std::uint64_t product = ((a_bits & SIGNIFICAND) | IMPLICIT_BIT) * ((r_bits & SIGNIFICAND) | IMPLICIT_BIT);
    // 2^(ea + er) = 2^-k from the biased exponents, each 1075 above ea and er.
    // -2^(ea + er), the sign bit set with the exponent.
    const double power = runtime::bit_cast<double>((((a_bits >> 52) + (r_bits >> 52) - 2150 + 1023) << 52) |
                                                   (std::uint64_t{1} << 63));
    return static_cast<double>(static_cast<std::int64_t>(product)) * power * r;
}

// atan(a) for 1 <= a < 16 into `result` where the quick test passes, from the step c =
// 2^e (1 + j/128) nearest a: adding half a step to the bits of a and clearing the 45 bits
// below the step gives c (the next binade's first at the top of one) and its index.
inline bool arctangent_far_quick(std::uint64_t bits, double a, double& result)
{
    constexpr int STEP_SHIFT = 45;
    constexpr std::uint64_t FIRST = runtime::bit_cast<std::uint64_t>(1.0) >> STEP_SHIFT;
    const std::uint64_t rounded_bits = bits + (std::uint64_t{1} << (STEP_SHIFT - 1));
    const auto j = static_cast<int>((rounded_bits >> STEP_SHIFT) - FIRST);
    const double c = runtime::bit_cast<double>(rounded_bits >> STEP_SHIFT << STEP_SHIFT);
    return round_quick(taylor_sum<true>(ATAN_FAR_TABLE[j], ATAN_FAR_TAYLOR[j], a - c, 0.0, 1.0),
                       result);
}

// pi/2 - atan(1/a) for 16 <= a <= 2^60 into `result` where the quick test passes.
inline bool arctangent_complement_quick(double a, double& result)
{
    const double r = 1.0 / a;
    const Step s = nearest_step<ATAN_STEPS>(r);
    return round_quick(taylor_sum(ATAN_COMPLEMENT[s.i], TAYLOR[s.i], s.h, reciprocal_rest(a, r), -1.0),
                       result);
}

DoubleDouble arctangent_careful(DoubleDouble y)
{
    const auto [i, h] = nearest_step<ATAN_STEPS>(y.hi);
    const double c = static_cast<double>(i) / ATAN_STEPS;
    const DoubleDouble numerator = two_sum(h, y.lo);
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

bool round_if_certain(DoubleDouble sum, double error, double& result)
{
    const auto rounded_sum = rounded(sum.hi, sum.lo, error * std::fabs(sum.hi));
    result = rounded_sum.value_or(0.0);
    return rounded_sum.has_value();
}

}  // namespace

DoubleDouble quarter_turns_plus(int k, double sign, DoubleDouble angle)
{
    if (k == 0 && sign > 0)
        return angle;
    DoubleDouble sum = two_sum(k * HALF_PI.hi, sign * angle.hi);
    sum.lo += k * HALF_PI.lo + sign * angle.lo;
    return fast_two_sum(sum.hi, sum.lo);
}

bool round_careful_arctangent(int k, double sign, DoubleDouble y, double& result)
{
    return round_if_certain(quarter_turns_plus(k, sign, arctangent_careful(y)), CAREFUL_ERROR, result);
}

// The careful evaluation and the slow path, where the quick test fails.
[[gnu::noinline]] double atan_careful(double x)
{
    const double a = std::fabs(x);
    double result;
    if (a <= 1.0 ? round_careful_arctangent(0, 1.0, {a, 0.0}, result)
                 : round_careful_arctangent(1, -1.0, one_over(a), result))
        return std::copysign(result, x);
    SLOW_PATH_TAKEN("atan");
    return wide::atan(WideFloat(x)).to_double();
}

double atan(double x)
{
    constexpr std::uint64_t ONE_BITS = runtime::bit_cast<std::uint64_t>(1.0);
    constexpr std::uint64_t FAR_END_BITS = runtime::bit_cast<std::uint64_t>(16.0);
    static_assert(16.0 == (1 << ATAN_FAR_BINADES) && ATAN_FAR_STEPS == 128);
    const double a = std::fabs(x);
    const auto bits = runtime::bit_cast<std::uint64_t>(a);
    double result;
    if (bits - ONE_BITS < FAR_END_BITS - ONE_BITS) [[likely]] {
        if (arctangent_far_quick(bits, a, result))
            return std::copysign(result, x);
        return atan_careful(x);
    }
    if (!(a <= 0x1p60))
        return std::isnan(x) ? x + x : std::copysign(HALF_PI.hi, x);
    if (a < 0x1p-27)
        return x;
    if (a <= 1.0 ? arctangent_quick(a, result) : arctangent_complement_quick(a, result))
        return std::copysign(result, x);
    return atan_careful(x);
}

}  // namespace runtime::correctly_rounded
