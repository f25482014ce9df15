// sin(x) and cos(x) from the table of sin and cos at multiples of pi/1024.
//
// Reduction: ax = k h + r modulo 2 pi with h = pi/1024, k modulo 2048 and |r| <= h/2 (1 +
// 2^-25) (k from a rounded product), k = 512 q + i: ax = q pi/2 + i h + r, and the table
// row i holds S = sin(i h), C = cos(i h). For ax < 2^17, k = round(ax/h) < 2^26 and h = H1 +
// H2 + H3 + d, H1 and H2 of 27 bits ending at 2^-35 and 2^-62, |d| < 2^-116: k H1 and k H2
// are exact, ax - k H1 too (Sterbenz: ax >= (k - 1/2)(1 - 2^-52) h >= k H1 / 2), and
// ax - k H1 - k H2 lies on the grid of ulp(ax) or 2^-62 while below both ax (1 + 2^-40) and
// 2^-9, so it is exact as well. k H3 (< 2^-37.5) rounds by 2^-91, k d adds 2^-90.6, and the
// last fast_two_sum is exact but where |r| < 2^-35.9, when it errs by 2^-88.9: r = rh + rl
// within 2^-88.3. Larger arguments take reduce_to_grid (within 2^-100).
//
// Evaluation, with (P, Q) = (S, C) for sin(i h + r) and (C, -S) for cos(i h + r):
//   y = P + Q r + P pc + Q r ps,  pc = cos r - 1 = t2 (-1/2 + t2 (1/24 - t2/720)),
//                                 ps = sin r / r - 1 = t2 (-1/6 + t2 (1/120 - t2/5040)),
// t2 = rh^2 <= 2^-18.7, the series cut off below 2^-90 of P and of Q r. Either i > 0,
// and then y is sin or cos of i h + r >= h/2 - 2^-35 and |P| < 2.001 |y|, |Q r| < 1.001 |y|
// (the extreme at i = 1, r = -h/2); or i = 0 and y is cos r (Q = 0) or sin r (P = 0).
// The table gives P and Q as a 26-bit head and a rest (within 2^-79 relatively); rh = a +
// b is split (Veltkamp) to a 26-bit a, so P_head + Q_head a is exact (fast_two_sum: P_head
// = 0, or |P_head| > |Q_head a|), and the rest is summed in double, in an order that waits
// least for s_lo:
//   low = ((Q rh ps + P pc) + ((P_rest + Q_head (b + rl)) + Q_rest rh)) + s_lo.
// Relative to y: the table 2^-77.4; the reduction 2^-88.3 / sin(h/2) = 2^-77.9 for i > 0 or
// cos r, and for sin r its relative error, kept below 2^-72.3 by taking r from
// reduce_quadrant (2^-74) where |r| < 2^-16; pc, from t2 within 2^-51.4 and three roundings,
// within 2^-50.2 of its size, P pc <= 2^-18.7 |y|: 2^-68.9; Q rh ps (<= 2^-21.3 |y|) in the
// same way 2^-71.1; the sum's roundings 2^-69.9 (three of partial sums below 2^-18.4 |y|,
// two below 2^-24 |y|); the terms left out (Q_rest rl, the roundings of b + rl and of the
// 2^-26 terms) 2^-77. In all, y = yh + yl (yh = s_hi and yl = low, |yl| < 2^-17 |yh|, as
// the rounding test takes them) within 2^-68.07 for i > 0; for i = 0, without P pc or
// with Q = 0, within 2^-69.5.
//
// Rounding test. With y = yh + yl and the true value within eps |yh| of it, eps = 2^-67,
// yh + (yl - e) and yh + (yl + e) with e = eps |yh| round like every value between them, as
// rounding is monotone; if they agree, that is the correctly rounded result (rounded()
// widens e for the rounding of yl +- e). A value within eps of a midpoint, about one
// argument in 2^13, goes to the exact path.
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

constexpr double SMALL = 0x1p-27;
constexpr double GRID_MODERATE_LIMIT = 0x1p17;
constexpr double RELATIVE_LIMIT = 0x1p-16;
constexpr double EPS_SIN_COS = 0x1p-67;
constexpr unsigned ROWS = 1u << (GRID_BITS - 1);

enum class Function { sin, cos };

// ax = k h + r modulo 2 pi, r = hi + lo.
struct Reduced {
    unsigned k;
    double hi;
    double lo;
};

// Where y is sin r (row 0 in a quadrant where f takes the sine), r must be accurate
// relatively, not only absolutely: ax close to a multiple of pi/2 takes the reduction
// modulo pi/2, which is.
template <Function F>
bool needs_relative(unsigned k)
{
    const unsigned sine_quadrant = F == Function::sin ? 0 : ROWS;
    return k % (2 * ROWS) == sine_quadrant;
}

template <Function F>
[[gnu::always_inline]] inline Reduced reduced(double ax)
{
    if (ax >= GRID_MODERATE_LIMIT) {
        const Quadrant g = reduce_to_grid(ax);
        return {static_cast<unsigned>(g.k), g.hi, g.lo};
    }
    const double kd = (ax * INVERSE_GRID_STEP + INTEGER_ROUNDER) - INTEGER_ROUNDER;
    const double r2 = (ax - kd * GRID_STEP[0]) - kd * GRID_STEP[1];
    const DoubleDouble r = fast_two_sum(r2, -(kd * GRID_STEP[2]));
    const auto k = static_cast<unsigned>(static_cast<int>(kd));
    if (needs_relative<F>(k) && k != 0 && std::abs(r.hi) < RELATIVE_LIMIT) [[unlikely]] {
        const Quadrant q = reduce_quadrant(ax);
        return {k, q.hi, q.lo};
    }
    return {k, r.hi, r.lo};
}

// What sin(i h + r) and cos(i h + r) share: rh = a + b, cos r - 1, sin r - r.
struct Remainder {
    double hi;
    double a;
    double b_lo;  // b + rl
    double pc;
    double rps;
};

[[gnu::always_inline]] inline Remainder remainder(const Reduced& r)
{
    const DoubleDouble ab = split(r.hi);
    const double t2 = r.hi * r.hi;
    const double pc = t2 * (-0.5 + t2 * (1.0 / 24 - t2 * (1.0 / 720)));
    const double ps = t2 * (-1.0 / 6 + t2 * (1.0 / 120 - t2 * (1.0 / 5040)));
    return {r.hi, ab.hi, ab.lo + r.lo, pc, r.hi * ps};
}

// -x where negative is 1, x where it is 0, without a branch: the sign of the results
// follows the quadrant, which a processor cannot predict.
double negated_if(double x, unsigned negative)
{
    return runtime::bit_cast<double>(runtime::bit_cast<std::uint64_t>(x) ^ (std::uint64_t{negative} << 63));
}

// sin(i h + r) (cosine = 0) or cos(i h + r) (cosine = 1), the one chosen by index rather
// than by a branch; as s_hi + low, not normalized.
[[gnu::always_inline]] inline DoubleDouble sin_or_cos(unsigned row, unsigned cosine, const Remainder& r)
{
    const double* t = SIN_COS_TABLE[row];
    const unsigned i = 2 * cosine;
    const double p_head = t[i];
    const double p_rest = t[i + 1];
    const double q_head = negated_if(t[2 - i], cosine);
    const double q_rest = negated_if(t[3 - i], cosine);
    const DoubleDouble s = fast_two_sum(p_head, q_head * r.a);
    const double series = (q_head + q_rest) * r.rps + (p_head + p_rest) * r.pc;
    const double rests = (p_rest + q_head * r.b_lo) + q_rest * r.hi;
    return {s.hi, (series + rests) + s.lo};
}

[[gnu::noinline, gnu::cold]] double exactly(Function f, double ax)
{
    switch (f) {
    case Function::sin:
        SLOW_PATH_TAKEN("sin");
        return sine_exactly(ax);
    case Function::cos:
        SLOW_PATH_TAKEN("cos");
        return cosine_exactly(ax);
    }
    return ax;
}

// sin and cos of ax > 0 finite, from the fast path when the rounding test decides, negated
// where negative is 1.
template <Function F>
[[gnu::always_inline]] inline double sine_or_cosine(double ax, unsigned negative)
{
    const Reduced g = reduced<F>(ax);
    // sin(x) = sin, cos, -sin, -cos of i h + r for the quadrants 0 .. 3; cos(x) = sin(x + pi/2).
    const unsigned quadrant = g.k / ROWS + (F == Function::cos ? 1 : 0);
    const DoubleDouble y = sin_or_cos(g.k % ROWS, quadrant & 1, remainder(g));
    const std::optional<double> out = rounded(y.hi, y.lo, EPS_SIN_COS * std::abs(y.hi));
    if (!out) [[unlikely]]
        return negated_if(exactly(F, ax), negative);
    return negated_if(*out, negative ^ ((quadrant >> 1) & 1));
}

}  // namespace

double sin(double x)
{
    const double ax = x < 0 ? -x : x;
    if (!(ax <= 0x1.fffffffffffffp1023))
        return x - x;
    if (ax < SMALL)
        return x;
    return sine_or_cosine<Function::sin>(ax, runtime::bit_cast<std::uint64_t>(x) >> 63);
}

double cos(double x)
{
    const double ax = x < 0 ? -x : x;
    if (!(ax <= 0x1.fffffffffffffp1023))
        return x - x;
    if (ax < SMALL)
        return 1.0;
    return sine_or_cosine<Function::cos>(ax, 0);
}

}  // namespace runtime::correctly_rounded
