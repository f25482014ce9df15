// asin(x) = asin(c) + sum_k b_k (x - c)^k on [0, 1/2],  asin(x) = pi/2 - 2 asin(sqrt((1 - x)/2))
// above,  acos(x) = pi/2 - asin(x),  correctly rounded to nearest-even.
//
// Quick evaluation: asin is tabulated with its Taylor coefficients b_1 ... b_8 (|b_k| <= 4)
// at the steps c = i/512 of [0, 1/2], h = a - c exact and |h| <= 2^-10; the terms left out
// are below 2^-76 of the sum and the terms past b_1 h, at most 2^-19 of it, are formed in
// doubles within 2^-51: within 2^-69. For 1/2 <= a <= 1, (1 - a)/2 is exact (Sterbenz)
// and its double-double root within 2^-104; pi/2 - 2 asin(w) >= pi/6 >= asin(w) and
// acos(x) = 2 asin(w), pi - 2 asin(w) or pi/2 -+ asin|x| >= pi/3 lose at most a bit; the
// turn plus or minus (twice) asin(c) comes from a table summed at compile time (2^-104),
// the rest is added to it or taken from it: the quick result is within 2^-66 (MPFR
// measures 2^-70.6); its test allows 2^-63.
//
// Careful evaluation, for what the quick test leaves open (about 0.15%): asin and acos
// through atan's careful evaluation (arctangent.cpp, 2^-84.9), s = sqrt(1 - x^2):
//   asin|x| = atan(|x|/s)          for |x| < 0.7071,
//           = pi/2 - atan(s/|x|)   above, the difference at least pi/4;
//   acos x  = atan(s/x)            for x >= 0.7071,
//           = pi/2 -+ atan(|x|/s)  for |x| < 0.7071, at least pi/4,
//           = pi - atan(s/|x|)     for x <= -0.7071.
// 1 - x^2 is formed exactly from x^2 as a double-double: 1 - (x^2).hi is exact (Sterbenz)
// once x^2 >= 1/2, where everything cancels; below that, it is at least 1/2 and the one
// rounding costs 2^-106. Its double-double root is within 2^-104 and the quotient, kept in
// [0, 1 + 2^-15], within 2^-101 more; atan's relative condition y / ((1 + y^2) atan y) is
// at most 1, so the careful result stays within 2^-84.9; its test allows 2^-80.
//
// Slow path, for what neither test settles: the same folds in WideFloat, 1 - x^2 within
// 2^-254 (x^2 is exact in 256 bits), its root within 2^-249 and the quotient within
// 2^-247 before atan's own evaluation (2^-245): within 2^-244, rounded once. asin and acos
// of a double other than 0 and 1 are transcendental, never a double or a midpoint.
//
// Special values: asin(+-0) = +-0, and |x| < 2^-27 gives x itself (x^3/6 is below a
// quarter of the spacing there); acos(x) for |x| < 2^-27 is pi/2 - x within x^3/6 <
// 2^-83 relatively; acos(1) = +0, acos(-1) = pi and asin(+-1) = +-pi/2 rounded;
// |x| > 1 and NaN give NaN.
#include "runtime/elementary/correctly_rounded.hpp"

#include "runtime/elementary/arctangent_kernel.hpp"
#include "runtime/elementary/rounding.hpp"
#include "runtime/elementary/slow_path.hpp"
#include "runtime/elementary/wide_arctangent.hpp"

#include <array>
#include <cmath>
#include <limits>

namespace runtime::correctly_rounded {

namespace {

#include "runtime/elementary/arcsine_table.inc"

constexpr double FOLD = 0.7071;  // below 1/sqrt(2): |x|/s < 1 under it, s/|x| < 1 + 2^-15 above

// sqrt(1 - a^2) for 2^-27 <= a <= 1 as a double-double.
DoubleDouble cosine_of_arcsine(double a)
{
    const DoubleDouble square = two_prod(a, a);
    const DoubleDouble first = two_sum(1.0, -square.hi);
    const DoubleDouble d = two_sum(first.hi, first.lo - square.lo);
    if (d.hi == 0.0)
        return {0.0, 0.0};
    const double root = std::sqrt(d.hi);
    const DoubleDouble root_square = two_prod(root, root);
    const double r = ((d.hi - root_square.hi) - root_square.lo) + d.lo;
    return fast_two_sum(root, r / (2.0 * root));
}

// n / d within 2^-103, cheaper than the general divide: n.hi - q1 d.hi is exact
// (Sterbenz), and the low parts enter only the rest, at most 2^-52 of n.
DoubleDouble quotient(DoubleDouble n, DoubleDouble d)
{
    const double q1 = n.hi / d.hi;
    const DoubleDouble p = two_prod(q1, d.hi);
    const double rest = (((n.hi - p.hi) - p.lo) + n.lo) - q1 * d.lo;
    return fast_two_sum(q1, rest / d.hi);
}

// The arctangent to take for |x| = a and the quarter turns it is added to (k) or taken
// from (sign -1): k pi/2 + sign atan(y) is asin(a) or, with `cosine`, acos(x).
struct Fold {
    int k;
    int sign;
    bool over_root;  // y = a/s; otherwise y = s/a
};

Fold fold(double x, bool cosine)
{
    const bool small = std::fabs(x) < FOLD;
    if (!cosine)
        return small ? Fold{0, 1, true} : Fold{1, -1, false};
    if (small)
        return x < 0 ? Fold{1, 1, true} : Fold{1, -1, true};
    return x < 0 ? Fold{2, -1, false} : Fold{0, 1, false};
}

// turn + scale asin(i / ASIN_STEPS) for each step, within 2^-104.
constexpr auto arcsine_table_plus(DoubleDouble turn, double scale)
{
    std::array<DoubleDouble, ASIN_STEPS / 2 + 1> table{};
    for (int i = 0; i <= ASIN_STEPS / 2; ++i)
        table[i] = add(turn, {scale * ASIN_TABLE[i].hi, scale * ASIN_TABLE[i].lo});
    return table;
}

constexpr DoubleDouble PI = {2 * QUARTER_TURN.hi, 2 * QUARTER_TURN.lo};
constexpr auto HALF_PI_PLUS = arcsine_table_plus(QUARTER_TURN, 1.0);
constexpr auto HALF_PI_MINUS = arcsine_table_plus(QUARTER_TURN, -1.0);
constexpr auto HALF_PI_MINUS_TWICE = arcsine_table_plus(QUARTER_TURN, -2.0);
constexpr auto PI_MINUS_TWICE = arcsine_table_plus(PI, -2.0);
constexpr auto TWICE = arcsine_table_plus({0.0, 0.0}, 2.0);

// base + scale (asin(y) - asin(c)) for 0 <= y.hi <= 1/2 and base the turn plus scale
// asin(c) at the nearest step c, from the Taylor coefficients there; with NO_LO, y.lo is 0.
template <bool NO_LO = false, typename Table>
inline DoubleDouble arcsine_quick(const Table& bases, DoubleDouble y, double scale)
{
    const Step s = nearest_step<ASIN_STEPS>(y.hi);
    return taylor_sum<NO_LO>(bases[s.i], ASIN_TAYLOR[s.i], s.h, y.lo, scale);
}

// sqrt((1 - a) / 2) for 1/2 <= a <= 1 as a double-double: (1 - a) / 2 is exact. The
// correction (z - root^2) / (2 root), below 2^-53 root, takes 1/(2 root) rounded, which
// waits only for root, as the square does: within 2^-51 of itself, 2^-104 of the root.
inline DoubleDouble half_angle_sine(double a)
{
    const double z = (1.0 - a) * 0.5;
    if (z == 0.0)
        return {0.0, 0.0};
    const double root = std::sqrt(z);
    const double half_inverse = 0.5 / root;
    const DoubleDouble square = two_prod(root, root);
    return {root, ((z - square.hi) - square.lo) * half_inverse};
}

// asin(a), or acos(x) with `cosine`, from the table of asin on [0, 1/2]: a turn plus or
// minus asin or twice asin, the sum formed at the steps at compile time.
[[gnu::always_inline]] inline DoubleDouble quick(double x, bool cosine)
{
    const double a = std::fabs(x);
    if (a < 0.5) {
        if (!cosine) return arcsine_quick<true>(ASIN_TABLE, {a, 0.0}, 1.0);
        return x < 0 ? arcsine_quick<true>(HALF_PI_PLUS, {a, 0.0}, 1.0)
                     : arcsine_quick<true>(HALF_PI_MINUS, {a, 0.0}, -1.0);
    }
    const DoubleDouble w = half_angle_sine(a);
    if (!cosine) return arcsine_quick(HALF_PI_MINUS_TWICE, w, -2.0);
    return x < 0 ? arcsine_quick(PI_MINUS_TWICE, w, -2.0) : arcsine_quick(TWICE, w, 2.0);
}

// The careful evaluation and the slow path, where the quick test fails.
[[gnu::noinline]] double inverse_sine_or_cosine_careful(double x, bool cosine)
{
    double result;
    const double a = std::fabs(x);
    const Fold f = fold(x, cosine);
    const DoubleDouble s = cosine_of_arcsine(a);
    const DoubleDouble y = f.over_root ? quotient({a, 0.0}, s) : quotient(s, {a, 0.0});
    if (round_careful_arctangent(f.k, f.sign, y, result))
        return result;
    SLOW_PATH_TAKEN(cosine ? "acos" : "asin");
    return (cosine ? wide::acos(WideFloat(x)) : wide::asin(WideFloat(x))).to_double();
}

[[gnu::always_inline]] inline double inverse_sine_or_cosine(double x, bool cosine)
{
    double result;
    if (round_quick(quick(x, cosine), result)) [[likely]]
        return result;
    return inverse_sine_or_cosine_careful(x, cosine);
}

}  // namespace

double asin(double x)
{
    if (!(std::fabs(x) <= 1.0))
        return std::numeric_limits<double>::quiet_NaN();
    if (std::fabs(x) < 0x1p-27)
        return x;
    return std::copysign(inverse_sine_or_cosine(std::fabs(x), false), x);
}

double acos(double x)
{
    const double a = std::fabs(x);
    if (!(a <= 1.0))
        return std::numeric_limits<double>::quiet_NaN();
    if (x == 1.0)
        return 0.0;
    if (a < 0x1p-27) {
        const DoubleDouble result = quarter_turns_plus(1, -1.0, {x, 0.0});
        if (const auto r = rounded(result.hi, result.lo, 0x1p-80 * result.hi))
            return *r;
        SLOW_PATH_TAKEN("acos");
        return wide::acos(WideFloat(x)).to_double();
    }
    return inverse_sine_or_cosine(x, true);
}

}  // namespace runtime::correctly_rounded
