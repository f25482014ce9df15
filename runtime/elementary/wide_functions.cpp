// e^x = 2^k (1 + expm1(r)), r = x - k ln 2; log x = e ln 2 + y + log1p(m e^-y - 1)
//
// Error bounds, relative, with ε = 2^-254 for one WideFloat operation:
//  expm1 for |r| <= 0.3466: the series at t = r 2^-8 (|t| < 2^-9.52, the terms left out
//    below 2^-256 of the sum) has error about 2ε, the product t (1 + ...) one more; each of
//    the eight doublings E(1 + ...) multiplies the error so far by (2E + 2)/(E + 2) <= 1.18
//    and adds 2ε: below 17ε < 2^-249.9 in all.
//  exp: 1 + E (E in [-0.293, 0.415]) keeps that below 2^-249.7; r = x - k ln 2 carries
//    |k| ln 2 (2^-256 + ε) + ε |r|, below 2^-241.7 for |k| < 2^12 (|x| < 2^11). In all
//    below 2^-241.6.
//  expm1 beyond 0.3466: e^x - 1 is at least 0.29 e^x in size, so 2.42 times exp's error:
//    below 2^-240.3.
//  log: with m in [0.707, 1.415) and y the double log of m's double, c = m e^-y - 1 is
//    below 2^-51; m - 1 is exact and m expm1(-y) is within 2^-248.9 of itself, at most 1.2
//    |log m| in size, so c and log m = y + log1p(c) are within 2^-248.5 |log m|. Adding
//    e ln 2 (error 2^-253.7 |e| ln 2) to |log m| <= ln 2/2 at most doubles the relative
//    error: below 2^-248 in all.
#include "runtime/elementary/wide_functions.hpp"

#include <cstdint>

#include "runtime/elementary/correctly_rounded.hpp"

namespace runtime::correctly_rounded::wide {
namespace {

#include "runtime/elementary/wide_constants.inc"

constexpr int HALVINGS = 8;
constexpr std::uint32_t EXPM1_SERIES_TERMS = 22;
constexpr double REDUCED_LIMIT = 0.3466;  // just above ln 2 / 2 = 0.34657...

WideFloat expm1_reduced(const WideFloat& r)
{
    const WideFloat one(1.0);
    const WideFloat two(2.0);
    const WideFloat t = scaled(r, -HALVINGS);
    WideFloat sum = one;  // 1 + t/2 (1 + t/3 (1 + ... (1 + t/EXPM1_SERIES_TERMS)))
    for (std::uint32_t n = EXPM1_SERIES_TERMS; n >= 2; --n) sum = one + (sum * t) / n;
    WideFloat e = t * sum;
    for (int i = 0; i < HALVINGS; ++i) e = e * (e + two);  // expm1(2t) = expm1(t) (expm1(t) + 2)
    return e;
}

}  // namespace

WideFloat ln2() { return WIDE_LN2; }

WideFloat exp(const WideFloat& x)
{
    const double quotient = x.to_double() * 0x1.71547652b82fep0;  // x / ln 2, |.| < 2^12
    const auto k = static_cast<std::int64_t>(quotient + (quotient < 0 ? -0.5 : 0.5));
    const WideFloat r = x - WIDE_LN2 * WideFloat::integer(k);
    return scaled(WideFloat(1.0) + expm1_reduced(r), static_cast<int>(k));
}

WideFloat expm1(const WideFloat& x)
{
    if (abs(x) <= WideFloat(REDUCED_LIMIT)) return expm1_reduced(x);
    return exp(x) - WideFloat(1.0);
}

WideFloat log(const WideFloat& x)
{
    int e = x.exponent();
    WideFloat m = scaled(x, -e);  // in [1/2, 1), then in [sqrt(1/2), sqrt(2))
    if (m < WideFloat(0x1.6a09e667f3bcdp-1)) {
        m = scaled(m, 1);
        --e;
    }
    const WideFloat one(1.0);
    const WideFloat y(log_approximation(m.to_double()).hi);
    const WideFloat c = (m - one) + m * expm1(-y);
    // log1p(c) = c - c^2/2 + c^3/3 - ..., until the terms fall below 2^-260 of c.
    WideFloat sum = c;
    WideFloat power = c;
    for (std::uint32_t n = 2; !power.is_zero() && power.exponent() > c.exponent() - 260; ++n) {
        power = power * c;
        const WideFloat term = power / n;
        sum = n % 2 == 0 ? sum - term : sum + term;
    }
    return WideFloat::integer(e) * WIDE_LN2 + (y + sum);
}

}  // namespace runtime::correctly_rounded::wide
