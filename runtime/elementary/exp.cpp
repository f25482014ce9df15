// e^x = 2^(k/256) e^r, k the integer nearest x 256/ln 2, r = x - k ln 2/256, |r| <= ln 2/512
//
// Our own exp, correctly rounded, so that every machine gives the same bits (see
// correctly_rounded.hpp).
//
// Fast path, u = 2^-53, bounds absolute unless said:
//  r = rh + rl: k STEP_HIGH is exact and within a factor 2 of x, so x - k STEP_HIGH is
//    exact; k STEP_LOW rounds by 2^-77.9 and ln 2/256's split leaves |k| 2^-96 < 2^-77.9;
//    the fast_two_sum is exact, or else |r| < 2^-23.3 and it errs by 2u |k STEP_LOW| <
//    2^-76.9: |r - rh - rl| < 2^-75.4, |rh| <= 0.0013539 < 2^-9.52, |rl| <= 2^-63.
//  e^r - 1 = r26 + rest, r26 = rh cut to 26 bits, rest = (rh - r26) + rl + rh^2/2 + ... +
//    rh^6/720: the terms from r^7/7! on are below 2^-78.9, rh rl (2^-72.52) and smaller
//    cross terms are left out; rh^2 < 2^-19 rounds by 2^-73 (2^-74 once halved),
//    1/2 + rh/6 by 2^-54 (2^-73.06 once times rh^2), and the product and the two sums,
//    each below 2^-20, by 2^-74: |e^r - 1 - r26 - rest| < 2^-70.81.
//  T = 2^(j/256) = high + low + 2^-80 T, high with 27 bits: high r26 is exact, and so is
//    high + high r26 (fast_two_sum); T rest is formed with T's double, within 2^-53 of T,
//    so that it errs by 2^-73.05, rounds by 2^-73 (below 2^-19), and so does the tail's last
//    sum; its other terms, below 2^-25, round by 2^-80.
//  Relative to T e^r >= 0.99865 T, hi + lo is within (2^-70.81 + 2^-71.4 + 2^-78) / 0.99865
//  < 2^-70.07; EXP_APPROXIMATION_ERROR, 2^-69.91, covers that and the rounding of the test.
//
// Special values: NaN gives NaN; e^x overflows to +inf above 709.782712893384 (whose e^x is
// the largest below 2^1024 - 2^970, where rounding goes to infinity), +inf included; it is
// +0 below -745.2 (e^x < 2^-1075, -inf included) and subnormal from -708.39 on down, where
// rounded_scaled rounds at 2^-1074. For |x| < 2^-54, e^x rounds to 1, as at +-0 and for
// subnormal x. e^x is never a double or a midpoint but at 0 (Lindemann: e^x is
// transcendental for rational x != 0), so the rounding test settles every other case.
//
// Slow path: WideFloat's e^x (error below 2^-241.6), rounded once.
#include <cmath>
#include <cstdint>
#include <limits>

#include "runtime/bit_cast.hpp"
#include "runtime/elementary/correctly_rounded.hpp"
#include "runtime/elementary/rounding.hpp"
#include "runtime/elementary/slow_path.hpp"
#include "runtime/elementary/wide_functions.hpp"

namespace runtime::correctly_rounded {
namespace {

struct ExpCell {
    double high;
    double low;
};

#include "runtime/elementary/exp_table.inc"

constexpr double OVERFLOW_ABOVE = 0x1.62e42fefa39efp+9;
constexpr double ZERO_BELOW = -745.2;
constexpr std::uint64_t SIGN = std::uint64_t{1} << 63;
constexpr std::uint64_t LIMITS_FROM = 0x4086200000000000;  // |x| >= 708
constexpr std::uint64_t ONE_BELOW = 0x3c90000000000000;    // |x| < 2^-54
constexpr std::uint64_t LOW_27_BITS = (std::uint64_t{1} << 27) - 1;
constexpr double ROUNDING_SHIFT = 0x1.8p52;  // x + it - it rounds x to an integer

// (hi + lo) 2^scale, hi in [0.99, 2), |lo| < 2^-19 (not normalized).
inline DoubleDouble exp_fast(double x, int& scale)
{
    const double shifted = x * EXP_INVERSE_STEP + ROUNDING_SHIFT;
    const double kd = shifted - ROUNDING_SHIFT;
    const auto k = static_cast<int>(runtime::bit_cast<std::int64_t>(shifted) -
                                    runtime::bit_cast<std::int64_t>(ROUNDING_SHIFT));
    const DoubleDouble r = fast_two_sum(x - kd * EXP_STEP_HIGH, -(kd * EXP_STEP_LOW));
    const double rh = r.hi;
    const double r26 =
        runtime::bit_cast<double>(runtime::bit_cast<std::uint64_t>(rh) & ~LOW_27_BITS);
    const double square = rh * rh;
    const double rest =  // e^r - 1 - r26
        ((rh - r26) + r.lo) +
        (square * (0.5 + rh * 0x1.5555555555555p-3) +
         (square * square) * ((0x1.5555555555555p-5 + rh * 0x1.1111111111111p-7) +
                              square * 0x1.6c16c16c16c17p-10));
    // T (1 + r26 + rest) = high + high r26 + T rest + low (1 + r26), T rest with T's double.
    const ExpCell& t = EXP2_CELLS[k & 255];
    const DoubleDouble head = fast_two_sum(t.high, t.high * r26);
    const double tail = (t.high + t.low) * rest + (head.lo + (t.low + t.low * r26));
    scale = k >> 8;
    return {head.hi, tail};
}

// e^x for |x| >= 708, infinities and NaN.
[[gnu::noinline]] double exp_near_limits(double x)
{
    if (x != x) return x + x;
    if (x > OVERFLOW_ABOVE) return std::numeric_limits<double>::infinity();
    if (x < ZERO_BELOW) return 0.0;
    int scale;
    const DoubleDouble y = fast_two_sum(exp_fast(x, scale));
    if (const auto result = rounded_scaled(y.hi, y.lo, y.hi * EXP_APPROXIMATION_ERROR, scale))
        return *result;
    SLOW_PATH_TAKEN("exp");
    return wide::exp(WideFloat(x)).to_double();
}

[[gnu::noinline]] double exp_slow(double x)
{
    SLOW_PATH_TAKEN("exp");
    return wide::exp(WideFloat(x)).to_double();
}

}  // namespace

ScaledDoubleDouble exp_approximation(double x)
{
    ScaledDoubleDouble result;
    result.value = fast_two_sum(exp_fast(x, result.scale));
    return result;
}

double exp(double x)
{
    const std::uint64_t magnitude = runtime::bit_cast<std::uint64_t>(x) & ~SIGN;
    if (magnitude - ONE_BELOW >= LIMITS_FROM - ONE_BELOW) [[unlikely]]
        return magnitude < ONE_BELOW ? 1.0 : exp_near_limits(x);
    int scale;
    const DoubleDouble y = exp_fast(x, scale);
    // The result is normal, hi + lo below 2, and ERROR covers 2 EXP_APPROXIMATION_ERROR
    // and the roundings of lo -+ ERROR (below 2^-19, by 2^-73 at most): rounded()'s test.
    constexpr double ERROR = 2 * EXP_APPROXIMATION_ERROR + 0x1p-72;
    // hi + lo lies between the two ends, so its own rounding is the same, and is formed
    // beside them rather than after.
    if (y.hi + (y.lo + ERROR) == y.hi + (y.lo - ERROR)) [[likely]]
        return runtime::bit_cast<double>(runtime::bit_cast<std::uint64_t>(y.hi + y.lo) +
                                         (static_cast<std::uint64_t>(scale) << 52));
    return exp_slow(x);
}

}  // namespace runtime::correctly_rounded
