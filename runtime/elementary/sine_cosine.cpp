// sin(x) and cos(x) from the table of sin and cos at multiples of pi/1024, tan(x) from one of tan.
//
// Reduction: x = k h + r modulo 2 pi with h = pi/1024, k modulo 2048 and |r| <= h/2 (1 +
// 2^-25) (k from a rounded product), k = 512 q + i: x = q pi/2 + i h + r, and the table
// row i holds S = sin(i h), C = cos(i h). For |x| < 2^17, k = round(x/h), |k| < 2^26, is
// taken signed (modulo 2048 as an unsigned integer) and h = H1 + H2 + H3 + d, H1 and H2 of
// 27 bits ending at 2^-35 and 2^-62, |d| < 2^-116: k H1 and k H2 are exact, x - k H1 too
// (Sterbenz: |x| >= (|k| - 1/2)(1 - 2^-52) h >= |k| H1 / 2), and r2 = x - k H1 - k H2 lies
// on the grid of ulp(x) or 2^-62 while below both |x| (1 + 2^-40) and 2^-9, so it is exact
// as well. k H3 (< 2^-37.5) rounds by 2^-91 and k d adds 2^-90.6: r = r2 - k H3 within
// 2^-90.2. r2 is split (Veltkamp) to a 26-bit a and b, and b_lo = b - k H3 (below 2^-35.9)
// rounds by 2^-88.9: r = a + b_lo within 2^-88.3; rh = r2 - k H3 rounded, within 2^-53 |r|,
// serves the series. Larger arguments take reduce_to_grid (within 2^-100) and split rh.
//
// Evaluation, with (P, Q) = (S, C) for sin(i h + r) and (C, -S) for cos(i h + r):
//   y = P + Q r + P pc + Q r ps,  pc = cos r - 1 = t2 (-1/2 + t2 (1/24 - t2/720)),
//                                 ps = sin r / r - 1 = t2 (-1/6 + t2 (1/120 - t2/5040)),
// t2 = rh^2 <= 2^-18.7, the series cut off below 2^-90 of P and of Q r. Either i > 0,
// and then y is sin or cos of i h + r >= h/2 - 2^-35 and |P| < 2.001 |y|, |Q r| < 1.001 |y|
// (the extreme at i = 1, r = -h/2); or i = 0 and y is cos r (Q = 0) or sin r (P = 0).
// The table gives P and Q as a 26-bit head and a rest (within 2^-79 relatively), so
// P_head + Q_head a is exact (fast_two_sum: P_head = 0, or |P_head| > |Q_head a|), and the
// rest is summed in double, in an order that waits least for s_lo:
//   low = ((Q rh ps + P pc) + ((P_rest + Q_head b_lo) + Q_rest rh)) + s_lo.
// Relative to y: the table 2^-77.4; the reduction 2^-88.3 / sin(h/2) = 2^-77.9 for i > 0 or
// cos r, and for sin r its relative error, kept below 2^-72.3 by taking r from
// reduce_quadrant (2^-74) where |r| < 2^-16; pc, from t2 within 2^-51.4 and three roundings,
// within 2^-50.2 of its size, P pc <= 2^-18.7 |y|: 2^-68.9; Q rh ps (<= 2^-21.3 |y|) in the
// same way 2^-71.1; the sum's roundings 2^-69.9 (three of partial sums below 2^-18.4 |y|,
// two below 2^-24 |y|); the terms left out (Q_rest (r - rh), the roundings of the 2^-26
// terms) 2^-77: 2^-68.07 in all, and with the series left out (1.001 2^-68.39), y = yh + yl
// (yh = s_hi and yl = low, |yl| < 2^-17 |yh|, as the rounding test takes them) within
// 2^-67.22 for i > 0; for i = 0, without P pc, 2^-69.5 and the series left out: within
// 2^-67.84 for sin r and 2^-69.5 for cos r (Q = 0).
// tan takes its own route, modulo pi = 1024 h: x = m h + s with m = k modulo 1024 and s =
// sh + sl, taken signed (tan(-x) = -tan x), and tan x = (T + tau) / (1 - T tau) with T =
// tan(m h) from a table (a 26-bit head and a rest, within 2^-80 |T|; |T| <= cot h < 2^8.35)
// and tau = tan s; only m = 512 is a pole, where tan x = -1/tau. Below 2^17, sh = x - k H1 -
// k H2 (exact as above) and sl = -k H3, not normalized (|sl| < 2^-37.6): s within 2^-89.8,
// |s| < 2^-9.34; where m is 0 or 512 and |sh| < 2^-16, s is taken from reduce_quadrant
// (2^-74 relatively); larger arguments from reduce_to_grid.
//   tau = sh + tau_lo, tau_lo = sl + s2 (sh (1/3 + s2 (2/15 + s2 17/315)) + sl), s2 = sh^2:
// the series left out 2^-80.3 |s|, the s^3 terms (below 2^-20.26 |s|) within 6.25u =
// 2^-50.36 of themselves, the last sum 2^-73.1 |s|: tau within 2^-70.3 |s|.
//   T + tau: the heads add exactly (|t_head| >= tan h > |s| unless T = 0), the low parts
// round by 2^-73.2 of the sum, which is left unnormalized (|lo| < 2^-20 |hi|). 1 - T tau:
// t_head times sh rounded to the grid of 2^-36 (27 bits) is exact and so is 1 less that
// (|T tau| < 1/2 + 2^-25); the rest, T (sh - head) + t_rest sh + T tau_lo, rounds by 2^-72.6
// and carries tau's error times |T|. Over the rows, with |T + tau| >= |T| - |tau| and
// 1 - T tau >= 0.4999, both together are within 2^-69.82 of the quotient (at m = 511).
//   The quotient, with the one division: q1 = (n.hi + n.lo) / d.hi rounded to 26 bits is
// within 2^-25.99 of it; q1 times the halves of d.hi is exact, n.hi less that too
// (Sterbenz), n.lo less q1 times the rest of d rounds by 2^-73 of n, and the remainder,
// below 2^-25.9 |n|, is summed and divided within 2^-77 more: y = q1 + rest / d.hi within
// 2^-69.63, |rest / d.hi| < 2^-24 |q1|. At the pole, -1/tau from divide() (12u^2):
// 2^-70.2.
//
// Rounding test. With y = yh + yl and the true value within eps |yh| of it, eps = 2^-67
// for sin and cos and 2^-69 for tan, yh + (yl - e) and yh + (yl + e) with e = eps |yh|
// round like every value between them, as rounding is monotone; if they agree, that is
// the correctly rounded result (rounded() and rounded_relative() widen e for the rounding
// of yl +- e; for sin and cos, whose |yl| may reach 2^-17 |yh|, e takes 2^-70 |yh| more for
// it). A value within eps of a midpoint, about one argument in 2^13 for sin and cos
// and in 2^15 for tan, goes to the exact path.
//
// Small arguments: for |x| < 2^-27, x^3/3 and x^2/2 are below a quarter of the spacing
// next to x and next to 1, so sin x and tan x round to x and cos x to 1; the sign of a zero
// is kept.
#include <cmath>
#include <cstdint>
#include <optional>

#include "runtime/bit_cast.hpp"
#include "runtime/elementary/correctly_rounded.hpp"

#include "runtime/elementary/double_double.hpp"
#include "runtime/elementary/rounding.hpp"
#include "runtime/elementary/slow_path.hpp"
#include "runtime/elementary/trig_exact.hpp"
#include "runtime/elementary/trig_reduction.hpp"
#include "runtime/elementary/trig_tables.hpp"

namespace runtime::correctly_rounded {
namespace {

constexpr double SMALL = 0x1p-27;
constexpr double GRID_MODERATE_LIMIT = 0x1p17;
constexpr double RELATIVE_LIMIT = 0x1p-16;
constexpr double EPS_SIN_COS = 0x1p-67;
constexpr double EPS_TAN = 0x1p-69;
constexpr unsigned ROWS = 1u << (GRID_BITS - 1);

enum class Function { sin, cos };

// -x where negative is 1, x where it is 0, without a branch: the sign of the results
// follows the quadrant, which a processor cannot predict.
double negated_if(double x, unsigned negative)
{
    return runtime::bit_cast<double>(runtime::bit_cast<std::uint64_t>(x) ^ (std::uint64_t{negative} << 63));
}

[[gnu::noinline, gnu::cold]] double sine_cosine_exactly(Function f, double x)
{
    const double ax = std::abs(x);
    if (f == Function::cos) {
        SLOW_PATH_TAKEN("cos");
        return cosine_exactly(ax);
    }
    SLOW_PATH_TAKEN("sin");
    return negated_if(sine_exactly(ax), x < 0);
}

// The sine table over half a period, rows j = 0 .. 1023: sin(j h + r) = P cos r + Q sin r
// with (P, Q) = (S, C) of row j for j < 512 and (C, -S) of row j - 512 above; each of P and
// Q a head and a rest.
struct HalfPeriodTable {
    double rows[2 * ROWS][4];
};

constexpr HalfPeriodTable half_period_table()
{
    HalfPeriodTable table{};
    for (unsigned j = 0; j < ROWS; ++j) {
        const double* t = SIN_COS_TABLE[j];
        const double quarter_on[4] = {t[2], t[3], -t[0], -t[1]};
        for (unsigned c = 0; c < 4; ++c) {
            table.rows[j][c] = t[c];
            table.rows[j + ROWS][c] = quarter_on[c];
        }
    }
    return table;
}

constexpr HalfPeriodTable HALF_PERIOD = half_period_table();

// sin x (F = sin) or cos x for x = k h + r modulo 2 pi, k taken modulo 2048, r = a + b_lo
// with a of 26 bits, hi = r rounded: from the fast path when the rounding test decides.
// With j = k, or k + 512 for cos (cos x = sin(x + pi/2)), sin(j h + r) is the half-period
// table's row j modulo 1024, negated in the second half of the period.
template <Function F>
[[gnu::always_inline]] inline double sine_or_cosine(double x, unsigned k, double hi, double a, double b_lo)
{
    const unsigned j = k + (F == Function::cos ? ROWS : 0);
    const double* t = HALF_PERIOD.rows[j % (2 * ROWS)];
    const double p_head = t[0];
    const double p_rest = t[1];
    const double q_head = t[2];
    const double q_rest = t[3];
    const double t2 = hi * hi;
    const double pc = t2 * (-0.5 + t2 * (1.0 / 24 - t2 * (1.0 / 720)));
    const double ps = t2 * (-1.0 / 6 + t2 * (1.0 / 120));
    const DoubleDouble s = fast_two_sum(p_head, q_head * a);
    const double series = (q_head + q_rest) * (hi * ps) + (p_head + p_rest) * pc;
    const double rests = (p_rest + q_head * b_lo) + q_rest * hi;
    const double low = (series + rests) + s.lo;
    // |low| < 2^-17 |s.hi|, so low -+ e rounds by less than 2^-70 |s.hi|.
    const std::optional<double> out = rounded_relative(s.hi, low, EPS_SIN_COS + 0x1p-70);
    if (!out) [[unlikely]]
        return sine_cosine_exactly(F, x);
    return negated_if(*out, (j / (2 * ROWS)) & 1);
}

// sin(-x) = sin((-k) h - r), and cos likewise: k counts modulo 2048, unsigned.
template <Function F>
[[gnu::always_inline]] inline double signed_sine_or_cosine(double x, unsigned k, double hi, double lo)
{
    const DoubleDouble ab = split(hi);
    if (x < 0)
        return sine_or_cosine<F>(x, 0u - k, -hi, -ab.hi, -(ab.lo + lo));
    return sine_or_cosine<F>(x, k, hi, ab.hi, ab.lo + lo);
}

// sin x or cos x where the quick reduction does not serve: |x| < 2^-27, |x| >= 2^17,
// infinities and NaN.
template <Function F>
[[gnu::noinline]] double sine_cosine_outside(double x)
{
    const double ax = std::abs(x);
    if (ax < SMALL)
        return F == Function::sin ? x : 1.0;
    if (!(ax <= 0x1.fffffffffffffp1023))
        return x - x;
    const Quadrant g = reduce_to_grid(ax);
    return signed_sine_or_cosine<F>(x, static_cast<unsigned>(g.k), g.hi, g.lo);
}

// 2^-27 <= |x| < 2^17, the range of the quick reduction, compared as integers (false for
// infinities and NaN too).
bool within_quick_reduction(double x)
{
    constexpr auto low = runtime::bit_cast<std::uint64_t>(SMALL);
    constexpr auto high = runtime::bit_cast<std::uint64_t>(GRID_MODERATE_LIMIT);
    const std::uint64_t magnitude = runtime::bit_cast<std::uint64_t>(x) & ~(std::uint64_t{1} << 63);
    return magnitude - low < high - low;
}

// Where y is sin r (row 0 in a quadrant where F takes the sine), r must be accurate
// relatively, not only absolutely: x close to a multiple of pi/2 takes the reduction
// modulo pi/2, which is; |x| = k h + r with k = 512 q for its quadrant q.
template <Function F>
[[gnu::noinline]] double sine_cosine_near_axis(double x)
{
    const Quadrant q = reduce_quadrant(std::abs(x));
    return signed_sine_or_cosine<F>(x, static_cast<unsigned>(q.k) * ROWS, q.hi, q.lo);
}

// sin x or cos x for 2^-27 <= |x| < 2^17: x = k h + r2 + tail, k signed and r2 exact.
template <Function F>
[[gnu::always_inline]] inline double sine_cosine_near(double x)
{
    const double kd = (x * INVERSE_GRID_STEP + INTEGER_ROUNDER) - INTEGER_ROUNDER;
    const double r2 = (x - kd * GRID_STEP[0]) - kd * GRID_STEP[1];
    const double tail = kd * -GRID_STEP[2];
    const double hi = r2 + tail;
    const auto k = static_cast<unsigned>(static_cast<int>(kd));
    const unsigned sine_row = F == Function::sin ? 0 : ROWS;
    if (k % (2 * ROWS) == sine_row && k != 0 && std::abs(hi) < RELATIVE_LIMIT) [[unlikely]]
        return sine_cosine_near_axis<F>(x);
    const DoubleDouble ab = split(r2);
    return sine_or_cosine<F>(x, k, hi, ab.hi, ab.lo + tail);
}

// tan s - sh for s = sh + sl, |s| < 2^-9.34: the series of tan cut off after its s^7 term,
// with sl taken to first order.
[[gnu::always_inline]] inline double tangent_rest(double sh, double sl)
{
    const double s2 = sh * sh;
    const double p = 1.0 / 3 + s2 * (2.0 / 15 + s2 * (17.0 / 315));
    return sl + s2 * (sh * p + sl);
}

[[gnu::noinline, gnu::cold]] double tangent_exactly_signed(double x)
{
    SLOW_PATH_TAKEN("tan");
    const double y = tangent_exactly(std::abs(x));
    return x < 0 ? -y : y;
}

constexpr double MINUS_H3 = -GRID_STEP[2];
constexpr double GRID_36 = 0x1.8p16;  // adding and taking it away rounds |s| < 2^15 to a multiple of 2^-36

// tan(pi/2 + s) = -1/tau for s = sh + sl, tau = tan s, x the argument: the row of the pole.
[[gnu::noinline]] double tangent_pole(double x, double sh, double sl)
{
    const DoubleDouble y = divide({-1.0, 0.0}, fast_two_sum(sh, tangent_rest(sh, sl)));
    if (const std::optional<double> out = rounded(y.hi, y.lo, EPS_TAN * std::abs(y.hi)))
        return *out;
    return tangent_exactly_signed(x);
}

// tan x for x = k h + sh + sl, k modulo 1024 (tan has the period pi): with m = k modulo
// 1024, T = tan(m h) from the table and tau = tan s, tan x = (T + tau) / (1 - T tau). Only
// the row m = 512 is a pole.
[[gnu::always_inline]] inline double tangent(double x, unsigned k, double sh, double sl)
{
    const unsigned m = k % (2 * ROWS);
    if (m == ROWS) [[unlikely]]
        return tangent_pole(x, sh, sl);
    const double t_head = TAN_TABLE[m][0];
    const double t_rest = TAN_TABLE[m][1];
    const double tau_lo = tangent_rest(sh, sl);
    // T + tau: the heads add exactly, as |T| >= tan h > |tau| unless T = 0; not normalized.
    const DoubleDouble n_head = fast_two_sum(t_head, sh);
    const DoubleDouble n = {n_head.hi, (n_head.lo + t_rest) + tau_lo};
    // 1 - T tau: the 26-bit T head times the head of s, on the grid of 2^-36, is exact, and
    // so is 1 less the product (at most 1/2), a fast_two_sum.
    const double s_head = (sh + GRID_36) - GRID_36;
    const double product = t_head * s_head;
    const double d_hi = 1.0 - product;
    const double d_rest = (((1.0 - d_hi) - product) - t_head * (sh - s_head)) - t_rest * sh;
    const DoubleDouble d = fast_two_sum(d_hi, d_rest - (t_head + t_rest) * tau_lo);
    // The one division: q1 = n / d rounded to 26 bits; q1 times the halves of d.hi is exact,
    // and the remainder n - q1 d is divided too.
    const double inverse = 1.0 / d.hi;
    const DoubleDouble d_halves = split(d.hi);
    const double q1 = split((n.hi + n.lo) * inverse).hi;
    const double rest = (n.hi - q1 * d_halves.hi) + (n.lo - q1 * (d_halves.lo + d.lo));
    const std::optional<double> out = rounded_relative(q1, rest * inverse, EPS_TAN);
    if (!out) [[unlikely]]
        return tangent_exactly_signed(x);
    return *out;
}

// tan x where the quick reduction does not serve: |x| >= 2^17, or x so close to a multiple
// of pi/2 that r must be formed relatively; and infinities and NaN.
[[gnu::noinline]] double tangent_far(double x)
{
    const double ax = std::abs(x);
    if (!(ax <= 0x1.fffffffffffffp1023))
        return x - x;
    unsigned k;
    Quadrant g;
    if (ax >= GRID_MODERATE_LIMIT) {
        g = reduce_to_grid(ax);
        k = static_cast<unsigned>(g.k);
    } else {
        g = reduce_quadrant(ax);
        k = static_cast<unsigned>(g.k) * ROWS;
    }
    // tan(-x) = tan(-k h - r).
    return x < 0 ? tangent(x, -k, -g.hi, -g.lo) : tangent(x, k, g.hi, g.lo);
}

}  // namespace

double sin(double x)
{
    if (!within_quick_reduction(x)) [[unlikely]]
        return sine_cosine_outside<Function::sin>(x);
    return sine_cosine_near<Function::sin>(x);
}

double cos(double x)
{
    if (!within_quick_reduction(x)) [[unlikely]]
        return sine_cosine_outside<Function::cos>(x);
    return sine_cosine_near<Function::cos>(x);
}

double tan(double x)
{
    const double ax = std::abs(x);
    if (!(ax < GRID_MODERATE_LIMIT))
        return tangent_far(x);
    if (ax < SMALL)
        return x;
    // x = k h + r, k now signed: the reduction is the one above, for either sign.
    const double kd = (x * INVERSE_GRID_STEP + INTEGER_ROUNDER) - INTEGER_ROUNDER;
    const double r2 = (x - kd * GRID_STEP[0]) - kd * GRID_STEP[1];
    const auto k = static_cast<unsigned>(static_cast<int>(kd));
    if (k % ROWS == 0 && k != 0 && std::abs(r2) < RELATIVE_LIMIT) [[unlikely]]
        return tangent_far(x);
    return tangent(x, k, r2, kd * MINUS_H3);
}

}  // namespace runtime::correctly_rounded
