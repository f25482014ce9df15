// Double-double arithmetic: a real held as the unevaluated sum hi + lo of two doubles,
// |lo| <= ulp(hi)/2, about 106 significant bits. The fast paths of the correctly rounded
// functions compute in it, and only with IEEE additions and multiplications rounded to
// nearest: the error-free transformations below (Knuth's two_sum, Dekker's fast_two_sum
// and his two_prod through Veltkamp's splitting) need no fused multiply-add, so every
// machine computes the same bits (the build keeps -ffp-contract=off).
//
// Error bounds, u = 2^-53, each relative to the exact result of the operation on the
// exact operands, as long as nothing overflows or comes near the subnormal range:
//   two_sum, fast_two_sum, two_prod   exact
//   add(DoubleDouble, double)          2u^2
//   add(DoubleDouble, DoubleDouble)    3u^2 + 13u^3
//   multiply(DoubleDouble, double)     3u^2
//   multiply(DoubleDouble, DoubleDouble) 8u^2
//   divide(DoubleDouble, DoubleDouble)   12u^2
// The two additions are Joldes, Muller and Popescu's algorithms with their proven bounds
// (ACM TOMS 44, 2017); the products and the quotient are argued at each function.
#pragma once

#include <cfloat>
#include <limits>

namespace runtime::correctly_rounded {

static_assert(std::numeric_limits<double>::is_iec559 && FLT_EVAL_METHOD == 0,
              "the correctly rounded functions need IEEE doubles evaluated as doubles");

struct DoubleDouble {
    double hi;
    double lo;
};

// a + b = hi + lo exactly, whatever the magnitudes.
constexpr DoubleDouble two_sum(double a, double b)
{
    const double s = a + b;
    const double b_part = s - a;
    const double a_part = s - b_part;
    return {s, (a - a_part) + (b - b_part)};
}

// a + b = hi + lo exactly when a = 0 or the exponent of a is not below that of b (as when
// |a| >= |b|). Otherwise the error is at most u |a + b|.
constexpr DoubleDouble fast_two_sum(double a, double b)
{
    const double s = a + b;
    return {s, b - (s - a)};
}

inline DoubleDouble fast_two_sum(DoubleDouble x) { return fast_two_sum(x.hi, x.lo); }

// a = hi + lo, hi with at most 26 significant bits and lo with at most 26 (Veltkamp);
// |a| < 2^996.
inline DoubleDouble split(double a)
{
    const double gamma = 134217729.0 * a;  // 2^27 + 1
    const double hi = gamma - (gamma - a);
    return {hi, a - hi};
}

// a b = hi + lo exactly (Dekker), for |a|, |b| < 2^996 and |a b| >= 2^-969 or a b = 0.
inline DoubleDouble two_prod(double a, double b)
{
    const double p = a * b;
    const DoubleDouble x = split(a);
    const DoubleDouble y = split(b);
    return {p, ((x.hi * y.hi - p) + x.hi * y.lo + x.lo * y.hi) + x.lo * y.lo};
}

inline DoubleDouble add(DoubleDouble x, double y)
{
    const DoubleDouble s = two_sum(x.hi, y);
    return fast_two_sum(s.hi, x.lo + s.lo);
}

constexpr DoubleDouble add(DoubleDouble x, DoubleDouble y)
{
    const DoubleDouble s = two_sum(x.hi, y.hi);
    const DoubleDouble t = two_sum(x.lo, y.lo);
    const DoubleDouble v = fast_two_sum(s.hi, s.lo + t.hi);
    return fast_two_sum(v.hi, t.lo + v.lo);
}

constexpr DoubleDouble negate(DoubleDouble x) { return {-x.hi, -x.lo}; }

// x.hi y is exact; x.lo y is rounded (error <= u |x.lo y| <= u^2 |x y|) and so is the sum
// of the two low parts (<= u (u + u) |x y|).
inline DoubleDouble multiply(DoubleDouble x, double y)
{
    const DoubleDouble p = two_prod(x.hi, y);
    return fast_two_sum(p.hi, p.lo + x.lo * y);
}

// x.hi y.hi is exact; x.lo y.lo (<= u^2) is left out; x.hi y.lo and x.lo y.hi are rounded
// (u^2 each), their sum too (2u^2), and so is its sum with the low part of the exact
// product (u (u + 2u)).
inline DoubleDouble multiply(DoubleDouble x, DoubleDouble y)
{
    const DoubleDouble p = two_prod(x.hi, y.hi);
    return fast_two_sum(p.hi, p.lo + (x.hi * y.lo + x.lo * y.hi));
}

// q1 = x.hi / y.hi is within 3u of x/y, so the remainder x - q1 y is at most 3u |x|; it
// is formed to within 3u^2 |x| (the product's bound), and its quotient q2 by y.hi is
// rounded and taken from the high parts (3u of it): q1 + q2 is within 12u^2 of x/y.
inline DoubleDouble divide(DoubleDouble x, DoubleDouble y)
{
    const double q1 = x.hi / y.hi;
    const DoubleDouble remainder = add(x, negate(multiply(y, q1)));
    return fast_two_sum(q1, remainder.hi / y.hi);
}

}  // namespace runtime::correctly_rounded
