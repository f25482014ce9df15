// tan x = (T + tau) / (1 - T tau), x = a + s from a table's point a, T = tan a, tau = tan s.
//
// Direct path, 2^-27 <= |x| < 1.5, on ax = |x| (tan(-x) = -tan x): ax = m/512 + s with m =
// round(512 ax) <= 768 (read from the low bits of ax + 1.5 2^43), s exact, |s| <= 2^-10;
// T = tan(m/512) = t_hi + t_lo from a table (within 2^-105 |T|; |T| < 2^3.82), and tau = s +
// tau_rest, tau_rest = s^3 (1/3 + 2/15 s^2 + 17/315 s^4): the series left out 2^-85.5 |s|,
// tau_rest (below 2^-21.58 |s|) within 4u of itself, so tau within 2^-72.5 |s|. tan ax =
// N / D with N = T + tau and D = 1 - delta, delta = T tau, |delta| < 2^-6.18.
//   How errors move the quotient y = N / D: one in tau by (1 + T^2) / (D N) times it, where
// |s| <= |N| (|T| > 2 |tau| unless T = 0) and T^2 |s| / |N| < 2^-6.1: tau's error moves y
// by 2^-72.45 |y|. N = n_hi + n_lo: the heads add exactly, and the two sums of n_lo (below
// 2^-21.5 |N|) round by 2^-73.5 |N|. delta = delta_h + delta_l: t_head, T to 13 bits from
// the table, times s_head, s on the grid of 2^-23 (14 bits), is exact; delta_l = t_head (ds
// + tau_rest) + t_rest (s + tau_rest), ds = s - s_head exact, t_rest the double nearest T -
// t_head (below 2^-9.18) from the table too: delta_l is below 2^-18.6, within 2^-69.7 (five
// roundings and that of t_rest).
//   The one division: a = 1 - t_hi s (1 + s^2/3) is within 2^-48.98 of D (the s^5 term of
// tau times T 2^-49.1, four roundings), inverse = 1/a within eta = 2^-48.87 of 1/D. q1 =
// n_hi inverse rounded to 26 bits is within 2^-21.4 |y| of y (n_lo left out, 2^-26 for
// the rounding), so r = N - q1 D is below 2^-21.38 |y|, and is summed as (n_hi - q1) + q1
// delta_h, n_hi - q1 exact (Sterbenz) and q1 delta_h too (26 + 27 bits), plus n_lo + q1
// delta_l (below 2^-18.4 |y|): three roundings of partial sums below 2^-18.2 |y| and one of
// q1 delta_l, 2^-69.74 |y|; q1 times delta_l's error 2^-69.7 |y|. y = q1 + r inverse, r
// inverse below 2^-21.3 |q1|: eta |r| = 2^-70.25 |y| and its rounding 2^-74.4. Over 1/D
// (D > 0.986), all together within 2^-68.1 |y|.
//
// From 1.5 on, the table of tan(m h), h = pi/1024. Reduction: x = k h + s, taken signed
// (tan(-x) = -tan x), m = k modulo 1024 (tan has the period pi = 1024 h), s = sh + sl. For
// |x| < 2^17, k = round(x/h) < 2^26 from a rounded product, and h = H1 + H2 + H3 + d, H1
// and H2 of 27 bits ending at 2^-35 and 2^-62, |d| < 2^-116: k H1 and k H2 are exact, x - k
// H1 too (Sterbenz), and x - k H1 - k H2 lies on the grid of ulp(x) or 2^-62 while below
// both |x| (1 + 2^-40) and 2^-9, so it is exact as well: sh is that, and sl = -k H3, not
// normalized (|sl| < 2^-37.6): s within 2^-89.8, |s| < 2^-9.34. Where m is 0 or 512 and
// |sh| < 2^-16, s is taken from reduce_quadrant (2^-74 relatively); larger arguments from
// reduce_to_grid (within 2^-100).
//   T from a table (a 26-bit head and a rest, within 2^-80 |T|; |T| <= cot h < 2^8.35);
// only m = 512 is a pole, where tan x = -1/tau.
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
// Rounding test. With y = yh + yl and the true value within eps |yh| of it, eps = 2^-67 on
// the direct path and 2^-69 beyond it, yh + (yl - e) and yh + (yl + e) with e = eps |yh|
// round like every value between them, as rounding is monotone; if they agree, that is the
// correctly rounded result (rounded() and rounded_relative() widen e for the rounding of
// yl +- e). A value within eps of a midpoint, about one argument in 2^13 on the direct path
// and in 2^15 beyond it, goes to the exact path.
//
// Small arguments: for |x| < 2^-27, x^3/3 is below a quarter of the spacing next to x, so
// tan x rounds to x; the sign of a zero is kept.
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

#include "runtime/elementary/tangent_table.inc"

constexpr double EPS_TAN = 0x1p-69;
constexpr unsigned TAN_POLE_ROW = 1u << (GRID_BITS - 1);

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

constexpr double TAN_DIRECT_LIMIT = 1.5;
constexpr double EPS_TAN_DIRECT = 0x1p-67;
constexpr double TAN_ROW_ROUNDER = 0x1.8p43;  // ax + it: ax to a multiple of 2^-9, the row in the low bits
constexpr double TAN_GRID_23 = 0x1.8p29;      // adding and taking it away rounds |s| < 2^28 to a multiple of 2^-23

// tan x for 2^-27 <= |x| = ax < 1.5: ax = m/512 + s, T = tan(m/512) from the table, tau =
// tan s, tan ax = N / D with N = T + tau and D = 1 - delta, delta = T tau.
[[gnu::always_inline]] inline double tangent_direct(double x, double ax)
{
    const double shifted = ax + TAN_ROW_ROUNDER;
    const double s = ax - (shifted - TAN_ROW_ROUNDER);
    const auto m = static_cast<unsigned>(runtime::bit_cast<std::uint64_t>(shifted)) & 0x3ffu;
    const double t_hi = TANGENT_TABLE[m][0];
    const double t_lo = TANGENT_TABLE[m][1];
    const double t_head = TANGENT_TABLE[m][2];
    const double t_rest = TANGENT_TABLE[m][3];
    const double s2 = s * s;
    const double tau_rest = (s * s2) * ((1.0 / 3 + s2 * (2.0 / 15)) + (s2 * s2) * (17.0 / 315));
    // N: the heads add exactly, as |T| > 2|s| unless T = 0.
    const double n_hi = t_hi + s;
    const double n_lo = ((s - (n_hi - t_hi)) + t_lo) + tau_rest;
    // The one division, of 1 by D as near as a few products give it.
    const double inverse = 1.0 / (1.0 - (t_hi * s) * (1.0 + s2 * (1.0 / 3)));
    // delta = delta_h + delta_l, delta_h the exact product of T's 13-bit head and s on the
    // grid of 2^-23 (14 bits).
    const double s_head = (s + TAN_GRID_23) - TAN_GRID_23;
    const double delta_h = t_head * s_head;
    const double delta_l = t_head * ((s - s_head) + tau_rest) + t_rest * (s + tau_rest);
    // q1 = N / D to 26 bits, so that q1 delta_h is exact; the remainder N - q1 D divided too.
    const double q1 = split(n_hi * inverse).hi;
    const double rest = ((n_hi - q1) + q1 * delta_h) + (n_lo + q1 * delta_l);
    const std::optional<double> out = rounded_relative(q1, rest * inverse, EPS_TAN_DIRECT);
    if (!out) [[unlikely]]
        return tangent_exactly_signed(x);
    return std::copysign(*out, x);  // tan ax > 0
}

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
    const unsigned m = k % (2 * TAN_POLE_ROW);
    if (m == TAN_POLE_ROW) [[unlikely]]
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
    if (ax >= QUICK_REDUCTION_LIMIT) {
        g = reduce_to_grid(ax);
        k = static_cast<unsigned>(g.k);
    } else {
        g = reduce_quadrant(ax);
        k = static_cast<unsigned>(g.k) * TAN_POLE_ROW;
    }
    // tan(-x) = tan(-k h - r).
    return x < 0 ? tangent(x, -k, -g.hi, -g.lo) : tangent(x, k, g.hi, g.lo);
}

}  // namespace

double tan(double x)
{
    const double ax = std::abs(x);
    if (ax < TAN_DIRECT_LIMIT) {
        if (ax < TRIG_SMALL)
            return x;
        return tangent_direct(x, ax);
    }
    if (!(ax < QUICK_REDUCTION_LIMIT))
        return tangent_far(x);
    // x = k h + r, k signed: the reduction of sin and cos, for either sign.
    const auto [k, r2, tail] = reduce_near(x);
    if (k % TAN_POLE_ROW == 0 && k != 0 && std::abs(r2) < RELATIVE_REDUCTION_LIMIT) [[unlikely]]
        return tangent_far(x);
    return tangent(x, k, r2, tail);
}

}  // namespace runtime::correctly_rounded
