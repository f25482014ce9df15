// e^x = 2^(k/256) e^r, k the integer nearest x 256/ln 2, r = x - k ln 2/256, |r| <= ln 2/512
//
// Our own exp, correctly rounded, so that every machine gives the same bits (see
// correctly_rounded.hpp).
//
// Fast path: exp_kernel.hpp, within EXP_APPROXIMATION_ERROR (2^-69.91) relative.
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
#include "runtime/elementary/exp_kernel.hpp"
#include "runtime/elementary/rounding.hpp"
#include "runtime/elementary/slow_path.hpp"
#include "runtime/elementary/wide_functions.hpp"

namespace runtime::correctly_rounded {
namespace {

constexpr std::uint64_t SIGN = std::uint64_t{1} << 63;
constexpr std::uint64_t LIMITS_FROM = 0x4086200000000000;  // |x| >= 708
constexpr std::uint64_t ONE_BELOW = 0x3c90000000000000;    // |x| < 2^-54

// e^x for |x| >= 708, infinities and NaN.
[[gnu::noinline]] double exp_near_limits(double x)
{
    if (x != x) return x + x;
    if (x > EXP_OVERFLOW_ABOVE) return std::numeric_limits<double>::infinity();
    if (x < EXP_ZERO_BELOW) return 0.0;
    int scale;
    const DoubleDouble y = fast_two_sum(exp_kernel(x, scale));
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
    result.value = fast_two_sum(exp_kernel(x, result.scale));
    return result;
}

double exp(double x)
{
    const std::uint64_t magnitude = runtime::bit_cast<std::uint64_t>(x) & ~SIGN;
    if (magnitude - ONE_BELOW >= LIMITS_FROM - ONE_BELOW) [[unlikely]]
        return magnitude < ONE_BELOW ? 1.0 : exp_near_limits(x);
    int scale;
    const DoubleDouble y = exp_kernel(x, scale);
    // The result is normal, hi + lo below 2, and ERROR covers 2 EXP_APPROXIMATION_ERROR
    // and the roundings of lo -+ ERROR (below 2^-19, by 2^-73 at most): rounded()'s test.
    constexpr double ERROR = 2 * EXP_APPROXIMATION_ERROR + 0x1p-72;
    // hi + lo lies between the two ends, so its own rounding is the same, and is formed
    // beside them rather than after; e^x is normal, so the scaling by 2^scale is exact.
    if (y.hi + (y.lo + ERROR) == y.hi + (y.lo - ERROR)) [[likely]]
        return (y.hi + y.lo) * power_of_two(scale);
    return exp_slow(x);
}

}  // namespace runtime::correctly_rounded
