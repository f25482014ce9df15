// log10 x = log x / ln 10
//
// Two evaluations, each log x times 1/ln 10 as a double-double (within 2^-107) by the
// double-double product (8u^2, u = 2^-53), then the rounding test:
//  quick: log x by log_approximation, within LOG_APPROXIMATION_ERROR = 2^-68 relative:
//    below 2^-68 + 2^-102 and the rounding of error * |hi|, so QUICK_ERROR = 0x1.01p-68;
//  precise, for what the quick test leaves open (about 2^-14 of the arguments): log x by
//    precise_log, within PRECISE_LOG_ERROR = 2^-86 relative: below 2^-86 + 2^-102 and the
//    rounding of error * |hi|, so LOG10_ERROR = 0x1.1p-86.
//
// Exact results: log10 x is rational only where x is a power of ten, and 10^k is a double
// for k = 0 to 22; each log10(10^k) = k is a double, never a midpoint. log10 1 = +0 is
// returned before the rounding test (which needs a normal result); the others pass it or
// come out of the slow path exactly, as an exact double lies far inside its rounding
// interval.
//
// Slow path: WideFloat's log x (2^-248) over its ln 10 (2^-248), within 2^-246 relative,
// rounded once.
//
// Special values: NaN gives NaN, a negative x (-inf included) NaN, +-0 gives -inf, +inf
// gives +inf.
#include <cmath>
#include <limits>

#include "runtime/elementary/correctly_rounded.hpp"
#include "runtime/elementary/rounding.hpp"
#include "runtime/elementary/slow_path.hpp"
#include "runtime/elementary/wide_functions.hpp"

namespace runtime::correctly_rounded {
namespace {

constexpr double QUICK_ERROR = 0x1.01p-68;
constexpr double LOG10_ERROR = 0x1.1p-86;
constexpr DoubleDouble INVERSE_LN10 = {0x1.bcb7b1526e50ep-2, 0x1.95355baaafad3p-57};

// The precise evaluation, then the slow path.
[[gnu::noinline]] double log10_precise(double x)
{
    const DoubleDouble y = multiply(precise_log(x), INVERSE_LN10);
    if (const auto result = rounded(y.hi, y.lo, std::abs(y.hi) * LOG10_ERROR)) return *result;
    SLOW_PATH_TAKEN("log10");
    static const WideFloat ln10 = wide::log(WideFloat(10.0));
    return (wide::log(WideFloat(x)) / ln10).to_double();
}

}  // namespace

double log10(double x)
{
    if (!(x > 0) || x == std::numeric_limits<double>::infinity()) [[unlikely]] {
        if (x != x) return x + x;
        if (x == 0) return -std::numeric_limits<double>::infinity();
        return x < 0 ? std::numeric_limits<double>::quiet_NaN() : x;
    }
    if (x == 1) return 0.0;
    const DoubleDouble y = multiply(log_approximation(x), INVERSE_LN10);
    if (const auto result = rounded(y.hi, y.lo, std::abs(y.hi) * QUICK_ERROR)) return *result;
    return log10_precise(x);
}

}  // namespace runtime::correctly_rounded
