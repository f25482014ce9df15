// sinh a = (e^a - e^-a)/2, cosh a = (e^a + e^-a)/2, tanh a = sinh a / cosh a; a = |x|
//
// Fast path, u = 2^-53, ε = EXP_APPROXIMATION_ERROR = 2^-69.91 (relative):
//  e^a = (v + v') 2^k and e^-a = (w + w') 2^k, both from exp_kernel.hpp, each within ε
//    relative; the kernel gives e^-a in units of its own 2^k', which the factor 2^(k' - k)
//    >= 2^-120 brings to 2^k exactly (nothing comes near the subnormals). v and w 2^(k - k')
//    lie in [0.99, 2), v' and w' 2^(k - k') below 2^-19. Where k' - k < -120, e^-a is below
//    2^-120 of e^a and is left out.
//  e^a -+ e^-a = (v -+ w) + ((v' -+ w') + r), v -+ w = s + r exactly (two_sum): the two sums,
//    each below 2^-18.98 (v + w), round by 2^-70.98 (v + w) together, less than 2^-70.97 S,
//    S = (e^a + e^-a) 2^-k. With the exponentials' own errors the result is within
//    E = ε + 2^-70.97 + 2^-120 < 2^-69.34 of S, absolutely; SUM_ERROR = 0x1.ap-70 covers E S
//    when taken times the rounded v + w or the sum s.
//  cosh: E S is E relative. sinh for a >= 1/4: the same absolute bound, against a
//    difference no smaller than S/coth(1/4) = S/4.083, so the rounding test seldom fails.
//  sinh for a < 1/4: x + x^3 P(x^2), P(s) = 1/3! + s/5! + ... + s^6/15!, s < 2^-4. Left
//    out s^7/17! < 2^-76.3; s = sh + sl exactly (two_prod). The tail s^2 (1/7! + ... +
//    s^4/15!) (< 2^-20.3) in double is within 5u of itself, its sum into the low part
//    rounds by 2^-73.3, the rest is double-double: P is within 2^-70.6 of itself, 2^-68
//    relative. x^3 P is at most 2^-6.58 |x|, so its error is below 2^-74.5 |sinh x|; the
//    products and the last sum add 13u^2: SERIES_ERROR = 2^-74.
//  tanh for a >= 1/4: (e^a - e^-a)/(e^a + e^-a), both normalized (fast_two_sum, exact), the
//    numerator within E S, the denominator within E relative, and the quotient 12u^2: the
//    result, below 1, is within 2E + 12u^2 < 2^-68.34, absolutely: TANH_ERROR = 0x1.ap-69.
//  tanh for a < 1/4: the series' sinh over half the sum above (k = 0 here), 2^-74 + E +
//    12u^2 < 0x1.bp-70 relative.
//
// Tiny and huge arguments: for |x| < 2^-26, sinh x = x (1 + x^2/6 + ...) lies within
// x^2/6 < 2^-54.58 |x| of x, less than half its gap; cosh x = 1 + x^2/2 + ... is below the
// midpoint 1 + 2^-53; for |x| < 2^-27, tanh x is within x^2/3 < 2^-55.5 |x| below x, less
// than half the gap below even at a power of two. tanh x rounds to +-1 from |x| = 19.07
// on; beyond 22 it is returned at once. sinh and cosh are finite up to
// SINH_COSH_OVERFLOW_ABOVE and infinite beyond it. Each is transcendental for rational
// x != 0, so no result but those at 0 is a double or a midpoint, and the rounding test
// decides all others.
//
// Slow path, in WideFloat, with expm1(a) (2^-240.3) and exp(a) (2^-241.6): sinh a = (m +
// m/(m + 1))/2, m = expm1(a); cosh a = (E + 1/E)/2, E = e^a; tanh a = m2/(m2 + 2), m2 =
// expm1(2a). No step cancels; each is within 2^-239 relative, and is rounded once.
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

#include "runtime/elementary/correctly_rounded.hpp"
#include "runtime/elementary/exp_kernel.hpp"
#include "runtime/elementary/rounding.hpp"
#include "runtime/elementary/slow_path.hpp"
#include "runtime/elementary/wide_functions.hpp"

namespace runtime::correctly_rounded {
namespace {

constexpr double SINH_COSH_OVERFLOW_ABOVE = 0x1.633ce8fb9f87dp+9;
constexpr double SERIES_BELOW = 0.25;
constexpr double SINH_TINY_BELOW = 0x1p-26;
constexpr double TANH_TINY_BELOW = 0x1p-27;
constexpr double TANH_ONE_ABOVE = 22.0;

constexpr double SUM_ERROR = 0x1.ap-70;
constexpr double SERIES_ERROR = 0x1p-74;
constexpr double TANH_ERROR = 0x1.ap-69;
constexpr double TANH_SERIES_ERROR = 0x1.bp-70;

constexpr DoubleDouble SIXTH = {0x1.5555555555555p-3, 0x1.5555555555555p-57};
constexpr DoubleDouble ONE_120TH = {0x1.1111111111111p-7, 0x1.1111111111111p-63};

// e^a = (up.hi + up.lo) 2^scale and e^-a = (down.hi + down.lo) 2^scale, a in [0,
// SINH_COSH_OVERFLOW_ABOVE], neither normalized; down is 0 where it is below 2^-120 of up.
struct Exponentials {
    DoubleDouble up;
    DoubleDouble down;
    int scale;
};

Exponentials exponentials(double a)
{
    Exponentials e;
    int below;
    e.up = exp_kernel(a, e.scale);
    const DoubleDouble down = exp_kernel(-a, below);
    const double shrink = e.scale - below > 120 ? 0.0 : power_of_two(below - e.scale);
    e.down = {down.hi * shrink, down.lo * shrink};
    return e;
}

// e^a + sign e^-a in units of 2^scale, hi + lo not normalized.
DoubleDouble combined(const Exponentials& e, double sign)
{
    const DoubleDouble s = two_sum(e.up.hi, sign * e.down.hi);
    return {s.hi, (e.up.lo + sign * e.down.lo) + s.lo};
}

// sinh x for 2^-26 <= |x| < 1/4: x + x^3 P(x^2).
DoubleDouble sinh_series(double x)
{
    const DoubleDouble s = two_prod(x, x);
    const double tail =
        0x1.a01a01a01a01ap-13 +
        s.hi * (0x1.71de3a556c734p-19 +
                s.hi * (0x1.ae64567f544e4p-26 +
                        s.hi * (0x1.6124613a86d09p-33 + s.hi * 0x1.ae7f3e733b81fp-41)));
    DoubleDouble p = two_prod(s.hi, ONE_120TH.hi);
    p.lo += (s.hi * ONE_120TH.lo + s.lo * ONE_120TH.hi) + (s.hi * s.hi) * tail;
    p = add(SIXTH, fast_two_sum(p.hi, p.lo));
    const DoubleDouble cube = multiply(s, x);
    return add(multiply(cube, p), x);
}

[[gnu::noinline]] double sinh_slow(double x)
{
    SLOW_PATH_TAKEN("sinh");
    const WideFloat m = wide::expm1(WideFloat(std::abs(x)));
    const double result = scaled(m + m / (m + WideFloat(1.0)), -1).to_double();
    return std::copysign(result, x);
}

[[gnu::noinline]] double cosh_slow(double x)
{
    SLOW_PATH_TAKEN("cosh");
    const WideFloat e = wide::exp(WideFloat(std::abs(x)));
    return scaled(e + reciprocal(e), -1).to_double();
}

[[gnu::noinline]] double tanh_slow(double x)
{
    SLOW_PATH_TAKEN("tanh");
    const WideFloat m = wide::expm1(WideFloat(2 * std::abs(x)));
    return std::copysign((m / (m + WideFloat(2.0))).to_double(), x);
}

}  // namespace

double sinh(double x)
{
    const double a = std::abs(x);
    if (!(a >= SINH_TINY_BELOW)) return x != x ? x + x : x;
    if (a < SERIES_BELOW) {
        const DoubleDouble y = sinh_series(x);
        if (const auto result = rounded(y.hi, y.lo, std::abs(y.hi) * SERIES_ERROR)) return *result;
        return sinh_slow(x);
    }
    if (a > SINH_COSH_OVERFLOW_ABOVE)
        return std::copysign(std::numeric_limits<double>::infinity(), x);
    const Exponentials e = exponentials(a);
    const DoubleDouble y = combined(e, -1.0);
    const double error = (e.up.hi + e.down.hi) * SUM_ERROR;
    if (const auto result = rounded_scaled(y.hi, y.lo, error, e.scale - 1))
        return std::copysign(*result, x);
    return sinh_slow(x);
}

double cosh(double x)
{
    const double a = std::abs(x);
    if (!(a >= SINH_TINY_BELOW)) return x != x ? x + x : 1.0;
    if (a > SINH_COSH_OVERFLOW_ABOVE) return std::numeric_limits<double>::infinity();
    const Exponentials e = exponentials(a);
    const DoubleDouble y = combined(e, 1.0);
    if (const auto result = rounded_scaled(y.hi, y.lo, y.hi * SUM_ERROR, e.scale - 1))
        return *result;
    return cosh_slow(x);
}

double tanh(double x)
{
    const double a = std::abs(x);
    if (!(a >= TANH_TINY_BELOW)) return x != x ? x + x : x;
    if (a > TANH_ONE_ABOVE) return std::copysign(1.0, x);
    const Exponentials e = exponentials(a);
    const DoubleDouble sum = fast_two_sum(combined(e, 1.0));
    if (a < SERIES_BELOW) {
        const DoubleDouble y = divide(sinh_series(a), sum);
        // cosh is half the sum
        if (const auto result = rounded(2 * y.hi, 2 * y.lo, 2 * y.hi * TANH_SERIES_ERROR))
            return std::copysign(*result, x);
        return tanh_slow(x);
    }
    const DoubleDouble y = divide(fast_two_sum(combined(e, -1.0)), sum);
    if (const auto result = rounded(y.hi, y.lo, TANH_ERROR)) return std::copysign(*result, x);
    return tanh_slow(x);
}

}  // namespace runtime::correctly_rounded
