// The exponential function and the integer powers the test functions are built from,
// and the other elementary functions a typed formula may use. Powers are products, so
// they are defined for negative arguments and round exactly as the written product
// does: cube(x) is (x * x) * x.
//
// exp, log, sin, cos, tan, asin, acos, atan, sinh, cosh, tanh and the real power are our
// own and correctly rounded (elementary/correctly_rounded.hpp), as sqrt and abs are by
// IEEE, so they give the same bits on every machine.
//
// In 32 bits every function is formed in 64 bits and rounded once to 32, as the
// exponential of the built-in 32-bit function is: closer to the true value than the
// 32-bit library functions.
#pragma once

#include <cmath>

#include "runtime/elementary/correctly_rounded.hpp"

namespace runtime {

inline double exponential(double x) { return correctly_rounded::exp(x); }
inline float exponential(float x)
{
    return static_cast<float>(correctly_rounded::exp(static_cast<double>(x)));
}

inline double square(double x) { return x * x; }
inline float square(float x) { return x * x; }
inline double cube(double x) { return x * x * x; }

enum class Elementary { exp, log, sqrt, sin, cos, tan, asin, acos, atan, sinh, cosh, tanh, abs };

// `log` is the natural logarithm.
inline double elementary(Elementary function, double x)
{
    switch (function) {
    case Elementary::exp:
        return exponential(x);
    case Elementary::log:
        return correctly_rounded::log(x);
    case Elementary::sqrt:
        return std::sqrt(x);
    case Elementary::sin:
        return correctly_rounded::sin(x);
    case Elementary::cos:
        return correctly_rounded::cos(x);
    case Elementary::tan:
        return correctly_rounded::tan(x);
    case Elementary::asin:
        return correctly_rounded::asin(x);
    case Elementary::acos:
        return correctly_rounded::acos(x);
    case Elementary::atan:
        return correctly_rounded::atan(x);
    case Elementary::sinh:
        return correctly_rounded::sinh(x);
    case Elementary::cosh:
        return correctly_rounded::cosh(x);
    case Elementary::tanh:
        return correctly_rounded::tanh(x);
    case Elementary::abs:
        return std::abs(x);
    }
    return x;
}

inline float elementary(Elementary function, float x)
{
    return static_cast<float>(elementary(function, static_cast<double>(x)));
}

inline double power(double base, double exponent) { return correctly_rounded::pow(base, exponent); }
inline float power(float base, float exponent)
{
    return static_cast<float>(
        correctly_rounded::pow(static_cast<double>(base), static_cast<double>(exponent)));
}

}  // namespace runtime
