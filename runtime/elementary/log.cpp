// log x = e ln 2 - log r + log(1 + z), x = m 2^e, r a 10-bit 1/c for the cell c of m, z = m r - 1
//
// Our own log, correctly rounded, so that every machine gives the same bits (see
// correctly_rounded.hpp).
//
// The significand m in [1 - 2^-10, 2 - 2^-10) lies within 2^-10 of the centre c = 1 + i/512
// of its cell; the cell of 1 spans both sides of it and has r = 1, so near x = 1 nothing
// cancels.
//
// The reduction, u = 2^-53, |z| <= 1.5 2^-10 = rho (tables.py checks every cell): z is
//  exact: a multiple of 2^-62 below 2^-9.4 is a double. The quick path takes it as
//  (m - c) r + (c r - 1), c the centre and c r - 1 from the table: m - c is exact
//  (Sterbenz), a multiple of 2^-53 of at most 2^-10, so its product with the 10-bit r is
//  exact, and their sum is z. The careful path takes it as t + v: m_hi (26 bits) times r is
//  exact, minus 1 too (Sterbenz), (m - m_hi) r is exact, and so is their sum. e LN2_HIGH +
//  hi = a is exact (multiples of 2^-43 below 2^10) and is at least 2^-10 beside the z part
//  (tables.py), so the fast_two_sum of a and z is exact. Outside the cell of 1 (a = 0
//  there) |log x| >= 2^-11.
//
// Quick path: log x = (a + z) + lo, lo = ((e LN2_LOW + lo of the cell) + the error of a + z)
//  + s, s = z^2 (-1/2 + z/3 - z^2/4 + z^3/5 - z^4/6) in doubles. What grows with z^2: the
//  terms from z^7/7 on, below rho^5/7 (1 + rho) z^2 = 2^-49.88 z^2; s within 3.01u of itself
//  (z^2 and the product rounded by u each, the bracket, at least 0.499, within 2^-54 +
//  2^-63), so within 1.51u z^2; the last sum by u |lo| <= u (0.501 z^2 + |the sum before|),
//  the rounding test's own roundings of lo -+ error by as much again: 2^-49.51 z^2 in all,
//  below the test's 2^-49 z^2. The rest: the table (2^-97), ln 2's split and e LN2_LOW's
//  rounding (2^-96 |e|), the sums before s (2^-97 (1 + |e|) + u^2 |hi|): below 2^-83.8
//  |log x| next to 1 (e = 0, -1; nothing in the cell of 1), 2^-93 |log x| further out,
//  and |log x| <= 1.003 |hi|: far below the test's 2^-72 |hi|. The test fails about one
//  argument in 2^17 of [0.01, 100], one in 2^6 within 2^-10 of 1; x = 1 gives +0 + +0 with
//  error 0, exactly log 1.
// Careful path, for what the quick test leaves open:
//  log(1 + z) = z - z^2/2 + ...: z^2 = t^2 + v (t + z) with t = m_hi r - 1 of 26 bits, so
//    t^2/2 is exact and z - t^2/2 an exact fast_two_sum; |v| < 2^-25 and |t| <= 1.04 |z|,
//    so that v (t + z) stays below 2^-23.9 |z|. That needs |z| >= 2^-20: below, where t
//    and v may cancel, z^2 comes from two_prod instead (log_near_centre), and the terms
//    of the series from z^5/5 on are below 2^-82 of z.
//    The cubic part z^3 (1/3 - z/4 + ... - z^5/8) leaves out z^9/9 and beyond (2^-78.5 |z|)
//    and is within 5.65u = 2^-50.5 of itself, below 2^-29.83: 2^-70.9 |z|; it is added last
//    to the low parts, the sums before it below 2^-34: roundings below 2^-83 (2^-73.6 |z|)
//    and 2^-87: within 2^-70.7 |z| in all, and that is the relative error in the cell of 1.
//  Elsewhere the low parts add with roundings below 2^-86 next to 1 (e = 0, -1) and the
//    table and ln 2's split leave 2^-87 at most. Next to 1 |log x| >= 2^-11 while |z| <= 3
//    |log x|: below 2^-68.8 relative; further out much less.
//  LOG_APPROXIMATION_ERROR, 2^-68, covers that and the rounding of the test.
//
// Special values: NaN gives NaN, a negative x (-inf included) NaN, +-0 gives -inf, +inf
// gives +inf; subnormal x are scaled by 2^52 first. log 1 = +0 exactly, the one double or
// midpoint log can give (log x is transcendental for rational x != 1), settled by the
// quick path.
//
// Slow path: WideFloat's log (error below 2^-248), rounded once.
#include <cmath>
#include <cstdint>
#include <limits>

#include "runtime/bit_cast.hpp"
#include "runtime/elementary/correctly_rounded.hpp"
#include "runtime/elementary/log_cells.hpp"
#include "runtime/elementary/rounding.hpp"
#include "runtime/elementary/slow_path.hpp"
#include "runtime/elementary/wide_functions.hpp"

namespace runtime::correctly_rounded {
namespace {

constexpr std::uint64_t LEAST_NORMAL = 0x0010000000000000;
constexpr std::uint64_t INFINITE = 0x7ff0000000000000;

// log(1 + z) + e ln 2 - log r for |z| < 2^-20, where t and v below may nearly cancel:
// z^2 by two_prod, exact, and the rest as in log_fast. Normalized.
[[gnu::noinline]] DoubleDouble log_near_centre(double z, double e, const LogCell& cell)
{
    const DoubleDouble square = two_prod(z, z);
    const double cubic = (square.hi * z) * (0x1.5555555555555p-2 - 0.25 * z);  // z^5/5 < 2^-82 z
    const DoubleDouble head = fast_two_sum(z, -0.5 * square.hi);
    const DoubleDouble sum = fast_two_sum(e * LN2_HIGH + cell.minus_log_hi, head.hi);
    const double low = ((sum.lo + head.lo) - 0.5 * square.lo) + (e * LN2_LOW + cell.minus_log_lo);
    return fast_two_sum(sum.hi, low + cubic);
}

// x = 2^exponent m with m within half a cell of the cell's centre, from the bits of a
// normal positive x.
struct Significand {
    const LogCell* cell;
    int exponent;
    double m;
};

inline Significand significand(std::uint64_t bits)
{
    const std::uint64_t nearest = bits + HALF_CELL;  // the nearest cell centre, maybe 2
    const int exponent = static_cast<int>(nearest >> 52) - 1023;
    const std::uint64_t m_bits = bits - (static_cast<std::uint64_t>(exponent) << 52);
    return {&LOG_CELLS[(nearest >> 43) & 511], exponent, runtime::bit_cast<double>(m_bits)};
}

// x = 2^e m, m = (1 + z)/r with r from the cell, z = t + v exactly.
struct Reduction {
    const LogCell* cell;
    double e;
    double t;
    double v;
    double z;
};

// The reduction of the bits of a normal positive x, its exponent plus offset.
inline Reduction reduce(std::uint64_t bits, int offset)
{
    const Significand s = significand(bits);
    const double m_hi =
        runtime::bit_cast<double>(runtime::bit_cast<std::uint64_t>(s.m) & ~LOW_27_BITS);
    const double t = m_hi * s.cell->inverse - 1.0;
    const double v = (s.m - m_hi) * s.cell->inverse;
    return {s.cell, static_cast<double>(s.exponent + offset), t, v, t + v};
}

// The quick path: log x into `result` where its rounding test passes; bits those of a
// normal positive x.
inline bool log_quick(std::uint64_t bits, double& result)
{
    const Significand s = significand(bits);
    const LogCell& cell = *s.cell;
    const double z = (s.m - cell.centre) * cell.inverse + cell.centre_z;
    const double e = s.exponent;
    const double a = e * LN2_HIGH + cell.minus_log_hi;
    const double hi = a + z;
    const double z2 = z * z;
    // z^2 (-1/2 + z/3 - z^2/4 + z^3/5 - z^4/6)
    const double series =
        z2 * ((((z * -0x1.5555555555555p-3 + 0x1.999999999999ap-3) * z - 0.25) * z +
               0x1.5555555555555p-2) * z - 0.5);
    const double lo = ((e * LN2_LOW + cell.minus_log_lo) + (z - (hi - a))) + series;
    const double error = z2 * 0x1p-49 + std::abs(hi) * 0x1p-72;
    // Where both ends round alike, so does hi + lo between them; the upper end is never the
    // smaller.
    result = hi + (lo + error);
    return !(result > hi + (lo - error));
}

// The careful path: log x plus offset ln 2 as hi + lo, not normalized: |lo| <= 2^-18.7
// |hi|.
inline DoubleDouble log_fast(const Reduction& reduction)
{
    const double t = reduction.t;
    const double v = reduction.v;
    const double z = reduction.z;
    const double e = reduction.e;
    const LogCell& cell = *reduction.cell;
    if (std::abs(z) < 0x1p-20) [[unlikely]]
        return log_near_centre(z, e, cell);

    // z^2 = t^2 + v (t + z), t^2 exact.
    const double half_square = 0.5 * (t * t);
    const double square_low = v * (t + z);
    const double z2 = z * z;
    const double cubic =
        (z2 * z) * ((0x1.5555555555555p-2 - 0.25 * z) +
                    z2 * (0x1.999999999999ap-3 - 0x1.5555555555555p-3 * z) +
                    (z2 * z2) * (0x1.2492492492492p-3 - 0.125 * z));
    const DoubleDouble head = fast_two_sum(z, -half_square);

    const DoubleDouble sum = fast_two_sum(e * LN2_HIGH + cell.minus_log_hi, head.hi);
    const double low = ((sum.lo + head.lo) - 0.5 * square_low) + (e * LN2_LOW + cell.minus_log_lo);
    return {sum.hi, low + cubic};
}

// Where the rounding test fails.
[[gnu::noinline]] double log_slow(double x)
{
    SLOW_PATH_TAKEN("log");
    return wide::log(WideFloat(x)).to_double();
}

// rounded()'s test, with ERROR covering LOG_APPROXIMATION_ERROR |log x| <= 2^-68 (1 +
// 2^-18.7) |hi| and the roundings of lo -+ error, at most 2^-53 2^-18.7 |hi|.
inline double log_rounded(double x, DoubleDouble y)
{
    constexpr double ERROR = 0x1.3p-68;
    const double error = std::abs(y.hi) * ERROR;
    // hi + lo lies between the two ends, so its own rounding is the same.
    if (y.hi + (y.lo + error) == y.hi + (y.lo - error)) [[likely]]
        return y.hi + y.lo;
    return log_slow(x);
}

// The careful path where the quick test fails.
[[gnu::noinline]] double log_careful(double x)
{
    return log_rounded(x, log_fast(reduce(runtime::bit_cast<std::uint64_t>(x), 0)));
}

// Zero, negative, subnormal or not finite.
[[gnu::noinline]] double log_special(double x)
{
    if (x != x) return x + x;
    if (x == 0) return -std::numeric_limits<double>::infinity();
    if (x < 0) return std::numeric_limits<double>::quiet_NaN();
    if (x == std::numeric_limits<double>::infinity()) return x;
    return log_rounded(x, log_fast(reduce(runtime::bit_cast<std::uint64_t>(x * 0x1p52), -52)));
}

}  // namespace

DoubleDouble log_approximation(double x)
{
    if (x < 0x1p-1022) return fast_two_sum(log_fast(reduce(runtime::bit_cast<std::uint64_t>(x * 0x1p52), -52)));
    return fast_two_sum(log_fast(reduce(runtime::bit_cast<std::uint64_t>(x), 0)));
}

double log(double x)
{
    const std::uint64_t bits = runtime::bit_cast<std::uint64_t>(x);
    if (bits - LEAST_NORMAL >= INFINITE - LEAST_NORMAL) [[unlikely]]
        return log_special(x);
    double result;
    if (log_quick(bits, result)) [[likely]]
        return result;
    return log_careful(x);
}

}  // namespace runtime::correctly_rounded
