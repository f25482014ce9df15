// sin(k pi/2 + r), cos(k pi/2 + r), tan(k pi/2 + r) from sin r and cos r, |r| <= pi/4.
//
// Fast path. r = a + t with a = j/512 and |t| <= 2^-10 (plus 2^-31 where k came from a
// rounded product); the table holds sin a and cos a to 2^-107. With t^2 = th^2 rounded
// (relatively within 2^-51.4 of the true t^2, as |tl| <= 2^-53 |th|),
//   pc = t2 (-1/2 + t2 (1/24 - t2/720))          cos t - 1, |pc| <= 2^-21
//   ps = t2 (-1/6 + t2 (1/120 - t2/5040))        (sin t - t) / t, |ps| <= 2^-22.6
// whose truncations are below 2^-95, and
//   sin(a + t) = S + C th + [S pc + C th ps + C tl + ...]
//   cos(a + t) = C - S th + [C pc - S th ps - S tl + ...]
// The leading sum and product are exact (fast_two_sum, two_prod); the bracket, at most
// 2^-20 of the result, is summed in double, the small terms first: its rounding errors
// stay below 2^-72, those of pc and ps (from t2) below 2^-71.4 and 2^-72.5, the terms left
// out (S_lo pc, C_lo tl, tl ps) below 2^-73 each, all relative to the result (S <= 2
// sin(a + t) for j >= 1, and S = 0, C = 1 for j = 0). Hence sin r and cos r come out
// within 2^-69 relatively; with the reduction's 2^-74 (whose effect on sin r is at most
// its relative error, on cos r less), within 2^-68.9. tan r = sin r / cos r (or -cos r /
// sin r for odd k) adds both errors and a double-double division's 2^-100: 2^-67.8.
//
// Rounding test. With y = yh + yl and the true value within eps |yh| of it, eps = 2^-67
// for sin and cos and 2^-66 for tan, yh + (yl - e) and yh + (yl + e) with e = eps |yh|
// round like every value between them, as rounding is monotone; if they agree, that is
// the correctly rounded result. (Rounding yl +- e costs 2^-106 |yh|, far inside the
// margin.) A value within eps of a midpoint, about one argument in 2^13, goes to the
// exact path.
//
// Small arguments: for |x| < 2^-27, x^3/3 and x^2/2 are below a quarter of the spacing
// next to x and next to 1, so sin x and tan x round to x and cos x to 1; the sign of a zero
// is kept.
#include <cmath>
#include <optional>

#include "runtime/elementary/correctly_rounded.hpp"

#include "runtime/elementary/double_double.hpp"
#include "runtime/elementary/rounding.hpp"
#include "runtime/elementary/slow_path.hpp"
#include "runtime/elementary/trig_exact.hpp"
#include "runtime/elementary/trig_reduction.hpp"

namespace runtime::correctly_rounded {
namespace {

#include "runtime/elementary/trig_tables.inc"

constexpr double SMALL = 0x1p-27;
constexpr double QUARTER_PI = 0x1.921fb54442d18p-1;
constexpr double EPS_SIN_COS = 0x1p-67;
constexpr double EPS_TAN = 0x1p-66;

// r = j/512 + t, t = th + tl.
struct Split {
    int j;
    double th;
    double tl;
    double t2;
};

Split split_argument(double rh, double rl)
{
    const int j = static_cast<int>(rh * 512.0 + 0.5);
    const double th = rh - j * 0x1p-9;
    const DoubleDouble t = fast_two_sum(th, rl);
    return {j, t.hi, t.lo, t.hi * t.hi};
}

double cos_minus_one(double t2)
{
    return t2 * (-0.5 + t2 * (1.0 / 24 - t2 * (1.0 / 720)));
}

double sin_over_t_minus_one(double t2)
{
    return t2 * (-1.0 / 6 + t2 * (1.0 / 120 - t2 * (1.0 / 5040)));
}

// sin r (cosine = false) or cos r (cosine = true) for r >= 0, the one chosen by index
// rather than by a branch: with (P, Q) = (S, C) or (C, -S),
// P + Q t + P pc + Q t ps.
DoubleDouble sin_or_cos(const Split& a, bool cosine)
{
    const double* row = SIN_COS_TABLE[a.j];
    const int i = cosine ? 2 : 0;
    const double q_sign = cosine ? -1.0 : 1.0;
    const double p_hi = row[i];
    const double q_hi = q_sign * row[2 - i];
    const DoubleDouble p = two_prod(q_hi, a.th);
    const DoubleDouble s = fast_two_sum(p_hi, p.hi);
    double low = s.lo + p.lo + row[i + 1] + q_hi * a.tl + q_sign * row[3 - i] * a.th;
    low += p_hi * cos_minus_one(a.t2);
    low += q_hi * (a.th * sin_over_t_minus_one(a.t2));
    return fast_two_sum(s.hi, low);
}

enum class Function { sin, cos, tan };

Quadrant reduced(double ax)
{
    if (ax <= QUARTER_PI)
        return {0, ax, 0.0};
    return reduce_quadrant(ax);
}

double exactly(Function f, double ax)
{
    switch (f) {
    case Function::sin:
        SLOW_PATH_TAKEN("sin");
        return sine_exactly(ax);
    case Function::cos:
        SLOW_PATH_TAKEN("cos");
        return cosine_exactly(ax);
    case Function::tan:
        SLOW_PATH_TAKEN("tan");
        return tangent_exactly(ax);
    }
    return ax;
}

// f(ax) for ax > 0 finite, from the fast path when the rounding test decides.
double evaluate(Function f, double ax)
{
    const Quadrant q = reduced(ax);
    const double r_sign = q.hi < 0 ? -1.0 : 1.0;
    const Split a = split_argument(r_sign * q.hi, r_sign * q.lo);
    if (f == Function::tan) {
        const DoubleDouble s = sin_or_cos(a, false);
        const DoubleDouble c = sin_or_cos(a, true);
        // tan r = s / c, tan(r + pi/2) = -c / s; the sign follows at the end.
        const bool odd = q.k & 1;
        const DoubleDouble num = odd ? c : s;
        const DoubleDouble den = odd ? s : c;
        const double inverse = 1.0 / den.hi;
        const double q1 = num.hi * inverse;
        const DoubleDouble p = two_prod(q1, den.hi);
        const double rest = (((num.hi - p.hi) - p.lo) + num.lo) - q1 * den.lo;
        const DoubleDouble y = fast_two_sum(q1, rest * inverse);
        const std::optional<double> out = rounded(y.hi, y.lo, EPS_TAN * std::abs(y.hi));
        if (!out)
            return exactly(f, ax);
        return (odd ? -r_sign : r_sign) * *out;
    }
    // sin(x) = sin r, cos r, -sin r, -cos r for k = 0 .. 3; cos(x) = sin(x + pi/2).
    const int k = f == Function::sin ? q.k : q.k + 1;
    const bool cosine = k & 1;
    const DoubleDouble y = sin_or_cos(a, cosine);
    const std::optional<double> out = rounded(y.hi, y.lo, EPS_SIN_COS * std::abs(y.hi));
    if (!out)
        return exactly(f, ax);
    const double sign = (k & 2 ? -1.0 : 1.0) * (cosine ? 1.0 : r_sign);
    return sign * *out;
}

}  // namespace

double sin(double x)
{
    const double ax = x < 0 ? -x : x;
    if (!(ax <= 0x1.fffffffffffffp1023))
        return x - x;
    if (ax < SMALL)
        return x;
    const double y = evaluate(Function::sin, ax);
    return x < 0 ? -y : y;
}

double cos(double x)
{
    const double ax = x < 0 ? -x : x;
    if (!(ax <= 0x1.fffffffffffffp1023))
        return x - x;
    if (ax < SMALL)
        return 1.0;
    return evaluate(Function::cos, ax);
}

double tan(double x)
{
    const double ax = x < 0 ? -x : x;
    if (!(ax <= 0x1.fffffffffffffp1023))
        return x - x;
    if (ax < SMALL)
        return x;
    const double y = evaluate(Function::tan, ax);
    return x < 0 ? -y : y;
}

}  // namespace runtime::correctly_rounded
