// x^y = e^t, t = y log x, for x > 0; the sign from y's parity where x < 0
//
// Two evaluations, u = 2^-53, each followed by the rounding test; both share this:
//  t = y log x is a double-double product (3u^2) of the logarithm with y, and e^t =
//    e^th (1 + tl), |tl| <= 2^-44, tl^2/2 < 2^-89 left out; e^th is exp_approximation,
//    within EXP_APPROXIMATION_ERROR = 0x1.1p-70; the product by (1 + tl) rounds by 2^-97.
//    An absolute error d in t is a relative one of e^d - 1 <= d (1 + 2^-50) in e^t.
//  Beyond |t| = 750 (judged from y log x in double, within 2^-50 of t) x^y is 0 or
//  infinite; below |t| = 2^-60 it rounds to 1 (1 + t lies within 2^-60 of 1).
// Quick: log x by log_approximation, within LOG_APPROXIMATION_ERROR = 2^-68 relative, so t
//    is within |t| (2^-68 + 2^-104) + 2^-106 |t| of th + tl: below 0x1.01p-68 |th|. With
//    the exp part, the relative error stays below 0x1.2p-70 + 0x1.01p-68 |th|
//    (QUICK_ERROR_BASE, QUICK_ERROR_PER_T), small enough for all but about 2^-9 of the
//    arguments where |t| reaches 20, and fewer where it is smaller.
// Precise, for what the quick test leaves open: log x by precise_log, within
//    PRECISE_LOG_ERROR = 2^-86 relative, since t may reach 745 and its absolute error is
//    e^t's relative one: |t - th - tl| < 2^-86 |t| + 2^-104 |t|, below 2^-76.4 where
//    |t| <= 746. In all below 0x1.1p-70 + 2^-76.4 + 2^-88 < POW_ERROR = 0x1.2p-70 relative.
//
// Exact results: x^y is a double or a midpoint between two only when it is m 2^E with an
// odd integer m < 2^54, since x and y are dyadic: x = mx 2^ex, y = n/2^k (mx, n odd) need
// mx a 2^k-th power and ex divisible by 2^k, and then n < 0 needs mx = 1. These are found
// by integer arithmetic where the rounding test fails, before the slow path, and rounded
// once from their exact value: the rounding test never passes for a midpoint, and no
// evaluation to any precision can tell on which side of one it lies.
//
// Slow path: e^(y log x) in WideFloat, log within 2^-248 relative and exp within 2^-241.6,
// so within 2^-238 relative; no x^y that is not exact is known to lie closer than that to
// a midpoint (the hardest cases found lie about 2^-(53 + 65) from one), and it is rounded
// once.
//
// Special values as C says: x^+-0 = 1 for every x, NaN too; 1^y = 1 for every y; otherwise
// NaN in gives NaN; a negative finite x with a y that is not an integer gives NaN; for the
// zeros, the infinities and y = +-inf the results of C's pow, the sign of an odd integer y
// kept.
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

#include "runtime/bit_cast.hpp"
#include "runtime/elementary/correctly_rounded.hpp"
#include "runtime/elementary/rounding.hpp"
#include "runtime/elementary/slow_path.hpp"
#include "runtime/elementary/wide_functions.hpp"

namespace runtime::correctly_rounded {
namespace {

constexpr double POW_ERROR = 0x1.2p-70;
constexpr double QUICK_ERROR_BASE = 0x1.2p-70;
constexpr double QUICK_ERROR_PER_T = 0x1.01p-68;
constexpr double INF = std::numeric_limits<double>::infinity();
constexpr double FAR = 750.0;
constexpr double NEAR_ZERO = 0x1p-60;

struct Parts {
    std::uint64_t odd;  // the odd integer m of m 2^exponent
    std::int64_t exponent;
};

// A finite nonzero |x| as an odd integer times a power of two.
Parts parts(double x)
{
    const std::uint64_t bits = runtime::bit_cast<std::uint64_t>(x) & ~(std::uint64_t{1} << 63);
    const auto biased = static_cast<std::int64_t>(bits >> 52);
    std::uint64_t m = bits & ((std::uint64_t{1} << 52) - 1);
    std::int64_t e = -1074;
    if (biased > 0) {
        m |= std::uint64_t{1} << 52;
        e = biased - 1075;
    }
    const int zeros = std::countr_zero(m);
    return {m >> zeros, e + zeros};
}

// x^y for finite x > 0 and y != 0, where it is m 2^E with an odd m < 2^54.
std::optional<double> exact_power(double x, double y)
{
    constexpr std::uint64_t LIMIT = std::uint64_t{1} << 54;
    Parts base = parts(x);
    const Parts exponent = parts(y);
    if (exponent.exponent < -10 || exponent.odd >= LIMIT) return std::nullopt;
    // y = n 2^-k with n odd, or an integer n when k = 0.
    const int k = exponent.exponent < 0 ? static_cast<int>(-exponent.exponent) : 0;
    std::int64_t n = static_cast<std::int64_t>(exponent.odd);
    if (exponent.exponent > 0) {
        if (exponent.exponent > 10) return std::nullopt;  // |y| >= 2^11: 0, infinite or inexact
        n <<= exponent.exponent;
    }
    // Beyond 4096, x^y is 0 or infinite where mx = 1 (x != 1) and inexact otherwise.
    if (n > 4096) return std::nullopt;
    if (y < 0) n = -n;
    for (int i = 0; i < k; ++i) {
        if (base.exponent % 2 != 0) return std::nullopt;
        base.exponent /= 2;
        const auto root = static_cast<std::uint64_t>(std::sqrt(static_cast<double>(base.odd)));
        if (root * root != base.odd) return std::nullopt;
        base.odd = root;
    }
    if (n < 0 && base.odd != 1) return std::nullopt;
    std::uint64_t power = 1;
    if (base.odd != 1) {
        if (n > 34) return std::nullopt;  // 3^35 > 2^54
        for (std::int64_t i = 0; i < n; ++i) {
            if (power > LIMIT / base.odd) return std::nullopt;
            power *= base.odd;
        }
    }
    const std::int64_t scale = base.exponent * n;
    if (scale > 1100) return INF;
    if (scale < -1200) return 0.0;
    return scaled(WideFloat::integer(static_cast<std::int64_t>(power)), static_cast<int>(scale))
        .to_double();
}

[[gnu::noinline]] double pow_slow(double x, double y)
{
    if (const auto exact = exact_power(x, y)) return *exact;
    SLOW_PATH_TAKEN("pow");
    return wide::exp(WideFloat(y) * wide::log(WideFloat(x))).to_double();
}

// e^(t.hi + t.lo) rounded, into `result`, when the test allows it for a relative error of
// `error` (exp_approximation's included); false where it does not.
inline bool round_exponential(DoubleDouble t, double error, double& result)
{
    if (t.hi > EXP_OVERFLOW_ABOVE + 0.01) {
        result = INF;
        return true;
    }
    if (t.hi < EXP_ZERO_BELOW) {
        result = 0.0;
        return true;
    }
    const ScaledDoubleDouble e = exp_approximation(t.hi);
    const DoubleDouble value = fast_two_sum(e.value.hi, e.value.lo + e.value.hi * t.lo);
    const std::optional<double> rounded_value =
        rounded_scaled(value.hi, value.lo, value.hi * error, e.scale);
    result = rounded_value.value_or(0.0);
    return rounded_value.has_value();
}

// The precise evaluation, then the slow path.
[[gnu::noinline]] double positive_power_precise(double x, double y)
{
    double result;
    if (round_exponential(multiply(precise_log(x), y), POW_ERROR, result)) return result;
    return pow_slow(x, y);
}

// x^y for finite x > 0 and finite y != 0, x != 1.
double positive_power(double x, double y)
{
    const DoubleDouble log = log_approximation(x);
    const double estimate = y * log.hi;
    if (!(std::abs(estimate) <= FAR)) return estimate > 0 ? INF : 0.0;
    if (std::abs(estimate) < NEAR_ZERO) return 1.0;
    const DoubleDouble t = multiply(log, y);
    double result;
    if (round_exponential(t, QUICK_ERROR_BASE + std::abs(t.hi) * QUICK_ERROR_PER_T, result))
        return result;
    return positive_power_precise(x, y);
}

// 0 for a y that is not an integer, 1 for an even one, -1 for an odd one.
int integer_kind(double y)
{
    const Parts p = parts(y);
    if (p.exponent < 0) return 0;
    return p.exponent == 0 ? -1 : 1;
}

// x or y zero, infinite or NaN, or x = 1.
[[gnu::noinline]] double special_power(double x, double y)
{
    if (y == 0 || x == 1) return 1.0;
    if (x != x || y != y) return x + y;
    if (std::isinf(y)) {
        if (x == -1) return 1.0;
        return (std::abs(x) < 1) == (y < 0) ? INF : 0.0;
    }
    const bool odd = integer_kind(y) == -1;
    const double sign = odd ? std::copysign(1.0, x) : 1.0;
    if (x == 0) return (y < 0 ? INF : 0.0) * sign;
    return (y < 0 ? 0.0 : INF) * sign;  // x infinite
}

}  // namespace

double pow(double x, double y)
{
    if (!std::isfinite(x) || !std::isfinite(y) || x == 0 || y == 0 || x == 1) [[unlikely]]
        return special_power(x, y);
    if (x > 0) return positive_power(x, y);
    const int kind = integer_kind(y);
    if (kind == 0) return std::numeric_limits<double>::quiet_NaN();
    const double magnitude = positive_power(-x, y);
    return kind < 0 ? -magnitude : magnitude;
}

}  // namespace runtime::correctly_rounded
