// sin(x) and cos(x) from the table of sin and cos at multiples of pi/1024.
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
//
// Rounding test. With y = yh + yl and the true value within eps |yh| of it, eps = 2^-67,
// yh + (yl - e) and yh + (yl + e) with e = eps |yh| round like every value between them, as
// rounding is monotone; if they agree, that is the correctly rounded result (rounded_relative()
// widens e for the rounding of yl +- e; as |yl| may reach 2^-17 |yh|, e takes 2^-70 |yh| more
// for it). A value within eps of a midpoint, about one argument in 2^13, goes to the exact
// path.
//
// Small arguments: for |x| < 2^-27, x^3/3 and x^2/2 are below a quarter of the spacing
// next to x and next to 1, so sin x rounds to x and cos x to 1; the sign of a zero
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

constexpr double EPS_SIN_COS = 0x1p-67;
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
    if (ax < TRIG_SMALL)
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
    constexpr auto low = runtime::bit_cast<std::uint64_t>(TRIG_SMALL);
    constexpr auto high = runtime::bit_cast<std::uint64_t>(QUICK_REDUCTION_LIMIT);
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
    const auto [k, r2, tail] = reduce_near(x);
    const double hi = r2 + tail;
    const unsigned sine_row = F == Function::sin ? 0 : ROWS;
    if (k % (2 * ROWS) == sine_row && k != 0 && std::abs(hi) < RELATIVE_REDUCTION_LIMIT) [[unlikely]]
        return sine_cosine_near_axis<F>(x);
    const DoubleDouble ab = split(r2);
    return sine_or_cosine<F>(x, k, hi, ab.hi, ab.lo + tail);
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

}  // namespace runtime::correctly_rounded
