// Double-double arithmetic: a real held as hi + lo, the error-free transformations the
// fast paths are built from, with IEEE additions and multiplications only (no fused
// multiply-add): two_sum, fast_two_sum and two_prod are exact, the latter for products
// far from overflow and underflow.
#pragma once

namespace runtime::correctly_rounded {

struct DoubleDouble {
    double hi;
    double lo;
};

// a + b = hi + lo exactly (Knuth).
inline DoubleDouble two_sum(double a, double b)
{
    const double s = a + b;
    const double b_part = s - a;
    const double a_part = s - b_part;
    return {s, (a - a_part) + (b - b_part)};
}

// a + b = hi + lo exactly when a = 0 or |a| >= |b| (Dekker).
inline DoubleDouble fast_two_sum(double a, double b)
{
    const double s = a + b;
    return {s, b - (s - a)};
}

// a = hi + lo with 26 and 27 significant bits (Veltkamp).
inline DoubleDouble split(double a)
{
    const double gamma = 134217729.0 * a;  // 2^27 + 1
    const double hi = gamma - (gamma - a);
    return {hi, a - hi};
}

// a b = hi + lo exactly (Dekker).
inline DoubleDouble two_prod(double a, double b)
{
    const double p = a * b;
    const DoubleDouble x = split(a);
    const DoubleDouble y = split(b);
    return {p, ((x.hi * y.hi - p) + x.hi * y.lo + x.lo * y.hi) + x.lo * y.lo};
}

}  // namespace runtime::correctly_rounded
