// Differentiation rules: a value with its derivative (a dual number), and each
// operation of a formula on such pairs. Evaluated alongside the value, they give the
// derivative exactly, never by a finite difference. Every operation rounds to Real as
// the value's own operations do; the value part is the same bits as a plain evaluation.
#pragma once

#include <cstdint>

#include "runtime/elementary.hpp"

namespace runtime {

template <class Real> struct Dual {
    Real value;
    Real derivative;
};

template <class Real> Dual<Real> operator-(Dual<Real> a) { return {-a.value, -a.derivative}; }

template <class Real> Dual<Real> operator+(Dual<Real> a, Dual<Real> b)
{
    return {a.value + b.value, a.derivative + b.derivative};
}

template <class Real> Dual<Real> operator-(Dual<Real> a, Dual<Real> b)
{
    return {a.value - b.value, a.derivative - b.derivative};
}

// (ab)' = a'b + ab'
template <class Real> Dual<Real> operator*(Dual<Real> a, Dual<Real> b)
{
    return {a.value * b.value, a.derivative * b.value + a.value * b.derivative};
}

// (a/b)' = (a' - (a/b) b') / b, which overflows later than (a'b - ab') / b^2.
template <class Real> Dual<Real> operator/(Dual<Real> a, Dual<Real> b)
{
    const Real quotient = a.value / b.value;
    return {quotient, (a.derivative - quotient * b.derivative) / b.value};
}

// a^n as the product a * a * ... * a; (a^n)' = n a^(n-1) a', with a^(n-1) the product
// one factor short. For n < 0, with m = -n and v = 1/a^m: (a^n)' = -(m a') v / a.
template <class Real> Real integer_power(Real base, std::int32_t exponent)
{
    const std::int32_t factors = exponent < 0 ? -exponent : exponent;
    Real product = 1;
    if (factors > 0) product = base;
    for (std::int32_t k = 1; k < factors; ++k) product = product * base;
    return exponent < 0 ? Real(1) / product : product;
}

template <class Real> Dual<Real> integer_power(Dual<Real> a, std::int32_t exponent)
{
    const std::int32_t factors = exponent < 0 ? -exponent : exponent;
    if (factors == 0) return {Real(1), Real(0)};
    Real shorter = 1;  // a^(factors - 1)
    Real product = a.value;
    for (std::int32_t k = 1; k < factors; ++k) {
        shorter = product;
        product = product * a.value;
    }
    const Real n = static_cast<Real>(factors);
    if (exponent > 0) return {product, n * shorter * a.derivative};
    const Real inverse = Real(1) / product;
    return {inverse, -(n * a.derivative) * inverse / a.value};
}

// (a^b)' = b a^(b-1) a' + a^b log(a) b'. A term whose factor a' or b' is 0 is left out,
// so that x^2.5 at a negative x, or 2^x, do not take a NaN from a logarithm or a power
// they do not need.
template <class Real> Dual<Real> power(Dual<Real> a, Dual<Real> b)
{
    const Real value = power(a.value, b.value);
    Real derivative = 0;
    if (a.derivative != 0) derivative = b.value * power(a.value, b.value - Real(1)) * a.derivative;
    if (b.derivative != 0)
        derivative = derivative + value * elementary(Elementary::log, a.value) * b.derivative;
    return {value, derivative};
}

template <class Real> Dual<Real> elementary(Elementary function, Dual<Real> a)
{
    const Real u = a.value;
    const Real du = a.derivative;
    const Real value = elementary(function, u);
    const auto of = [](Elementary f, Real v) { return elementary(f, v); };
    switch (function) {
    case Elementary::exp:
        return {value, value * du};
    case Elementary::log:
        return {value, du / u};
    case Elementary::sqrt:
        return {value, du / (Real(2) * value)};
    case Elementary::sin:
        return {value, of(Elementary::cos, u) * du};
    case Elementary::cos:
        return {value, -of(Elementary::sin, u) * du};
    case Elementary::tan:
        return {value, (Real(1) + value * value) * du};
    case Elementary::asin:
        return {value, du / of(Elementary::sqrt, Real(1) - u * u)};
    case Elementary::acos:
        return {value, -du / of(Elementary::sqrt, Real(1) - u * u)};
    case Elementary::atan:
        return {value, du / (Real(1) + u * u)};
    case Elementary::sinh:
        return {value, of(Elementary::cosh, u) * du};
    case Elementary::cosh:
        return {value, of(Elementary::sinh, u) * du};
    case Elementary::tanh:
        return {value, (Real(1) - value * value) * du};
    case Elementary::abs:
        // No derivative at 0: 0 there, the middle of the one-sided ones.
        return {value, u > 0 ? du : u < 0 ? -du : u * du};
    }
    return {value, du};
}

}  // namespace runtime
