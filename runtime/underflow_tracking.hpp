// A real that remembers whether an operation on the way to it underflowed: its exact
// result was not 0, yet it came out as 0, or as a subnormal number that lost digits.
// Evaluated on such numbers, a formula or a built-in function tells a value of 0 that
// only underflow made from one that is 0. Found by value, not by the floating-point
// exception flags, which not every platform has and not every function raises.
//
// + and - never underflow: a sum or difference that small is exact, so 4 - 4 at a root
// is a true 0. A product or quotient underflows when its result is 0 or subnormal and
// differs from the same operation on operands scaled into the normal range. exp, pow,
// sin, tan, asin, atan, sinh and tanh underflow when they give 0 or a subnormal for a
// finite argument at which their exact value is not 0; the other functions never come
// out that small but exactly (log(1) = 0, sqrt and abs of a subnormal).
//
// It also remembers an overflow: an operation on finite operands whose result is
// infinite, where the exact one is finite (a pole such as 1/0 or log(0) is no overflow).
// A value that comes out 0 after one, as 1/exp(1000) does, is as little a root as one
// that underflowed.
//
// And it remembers the largest operand that an addition or subtraction lost whole: a
// nonzero finite addend whose sum is the other addend, as 1e17 + 1 is 1e17. Near a fixed
// point that is how x + f(x) comes out as x for a tiny f(x); where the addend lost exceeds
// the tolerance, g(x) = x is rounding, not a fixed point.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "runtime/elementary.hpp"

namespace runtime {

// What an evaluation lost on the way to its value; an overflow counts above an underflow.
enum class Loss { none, underflow, overflow };

// 0 or subnormal.
template <class Real> bool tiny(Real value)
{
    return std::abs(value) < std::numeric_limits<Real>::min();
}

template <class Real> struct Tracked {
    Real value;
    Loss loss;
    Real dropped;  // the largest addend lost whole, or 0

    Tracked(Real v = 0, Loss l = Loss::none, Real d = 0) : value(v), loss(l), dropped(d) {}

    // A power of two that lifts any nonzero product or quotient that rounds to a
    // subnormal into the normal range, where it is rounded to full precision.
    static constexpr Real SCALE = Real(std::uint64_t(1) << (std::numeric_limits<Real>::digits + 2));

    // R = a op b, with an exact result that is not 0; SCALED is (a * SCALE) op b.
    static bool lost(Real r, Real scaled) { return tiny(r) && (r == 0 || r * SCALE != scaled); }

    // The loss of R = a op b on operands carrying A and B, where UNDERFLOWED is whether
    // this operation underflowed; R overflowed where it is infinite but a and b are not.
    static Loss after(Tracked a, Tracked b, Real r, bool underflowed)
    {
        const bool overflowed = std::isinf(r) && std::isfinite(a.value) && std::isfinite(b.value);
        return std::max({a.loss, b.loss,
                         overflowed    ? Loss::overflow
                         : underflowed ? Loss::underflow
                                       : Loss::none});
    }

    static Real dropped_by(Tracked a, Tracked b) { return std::max(a.dropped, b.dropped); }
    // The sum R of a and b (b negated for a difference) lost one of them whole.
    static Real dropped_by_sum(Tracked a, Real b, Real r, Real before)
    {
        if (!std::isfinite(r)) return before;
        if (r == a.value && b != 0) return std::max(before, std::abs(b));
        if (r == b && a.value != 0) return std::max(before, std::abs(a.value));
        return before;
    }

    friend Tracked operator-(Tracked a) { return {-a.value, a.loss, a.dropped}; }
    friend Tracked operator+(Tracked a, Tracked b)
    {
        const Real r = a.value + b.value;
        return {r, after(a, b, r, false), dropped_by_sum(a, b.value, r, dropped_by(a, b))};
    }
    friend Tracked operator-(Tracked a, Tracked b)
    {
        const Real r = a.value - b.value;
        return {r, after(a, b, r, false), dropped_by_sum(a, -b.value, r, dropped_by(a, b))};
    }
    friend Tracked operator*(Tracked a, Tracked b)
    {
        const Real r = a.value * b.value;
        const bool exact_zero = a.value == 0 || b.value == 0;
        return {r, after(a, b, r, !exact_zero && lost(r, a.value * SCALE * b.value)),
                dropped_by(a, b)};
    }
    // a/b is exactly 0 for a = 0, and in the limit for an infinite b; a/0 is a pole.
    friend Tracked operator/(Tracked a, Tracked b)
    {
        const Real r = a.value / b.value;
        const bool exact_zero = a.value == 0 || std::isinf(b.value);
        if (b.value == 0) return {r, std::max(a.loss, b.loss), dropped_by(a, b)};
        return {r, after(a, b, r, !exact_zero && lost(r, a.value * SCALE / b.value)),
                dropped_by(a, b)};
    }
};

template <class Real> Tracked<Real> power(Tracked<Real> a, Tracked<Real> b)
{
    const Real r = power(a.value, b.value);
    const bool finite = std::isfinite(a.value) && std::isfinite(b.value);
    const Real dropped = Tracked<Real>::dropped_by(a, b);
    if (a.value == 0) return {r, std::max(a.loss, b.loss), dropped};  // 0^b: 0, 1 or a pole
    return {r, Tracked<Real>::after(a, b, r, tiny(r) && finite), dropped};
}

template <class Real> Tracked<Real> elementary(Elementary function, Tracked<Real> a)
{
    const Real r = elementary(function, a.value);
    bool tiny_only_by_underflow = false;
    switch (function) {
    case Elementary::exp:
    case Elementary::sin:
    case Elementary::tan:
    case Elementary::asin:
    case Elementary::atan:
    case Elementary::sinh:
    case Elementary::tanh:
        tiny_only_by_underflow = true;
        break;
    default:
        break;
    }
    const bool finite = std::isfinite(a.value);
    const bool lost = tiny_only_by_underflow && tiny(r) && a.value != 0 && finite;
    // Only exp, sinh and cosh grow without bound at finite arguments; log(0) is a pole.
    const bool overflowed = std::isinf(r) && finite && function != Elementary::log;
    return {r,
            std::max({a.loss, overflowed ? Loss::overflow : Loss::none,
                      lost ? Loss::underflow : Loss::none}),
            a.dropped};
}

template <class Real> Tracked<Real> exponential(Tracked<Real> x)
{
    return elementary(Elementary::exp, x);
}
template <class Real> Tracked<Real> square(Tracked<Real> x) { return x * x; }
template <class Real> Tracked<Real> cube(Tracked<Real> x) { return x * x * x; }

}  // namespace runtime
