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
//
// Beside the loss it carries a bound, `hidden`, on how far the exact value can lie from
// the computed one through the underflows and overflows on the way; ordinary rounding is
// not counted, so without a loss it is 0. A value that is small but not tiny can be so
// only by a loss: 5e-5 - x*1e-200*1e-200*1e200*1e200 is 5e-5 at x = 1, its exact value
// about -1. The rules:
// - a result rounded to 0 or to a subnormal is off by at most the least subnormal;
// - a + b and a - b add the bounds, a * b gives |a| hb + |b| ha + ha hb, and a / b gives
//   (ha + |a/b| hb)/(|b| - hb), unbounded where hb >= |b|;
// - a result that overflowed from operands without a bound is exactly at least the
//   largest finite number in size (`huge`): a finite a divided by it is 0, off by at most
//   |a| + ha over that number (and the least subnormal); anything else done with an overflowed
//   infinity, and with an infinite bound, stays unbounded;
// - a function and a power of bounded arguments deviate at most as much as at the ends
//   of the arguments' ranges where they are monotone there, sin and cos at most by the
//   bound of their argument (and 2), and are unbounded where that cannot be told.
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

// Four units in the last place of X: steps that short are rounding, not a method's.
template <class Real> Real rounding_level(Real x)
{
    const Real at = std::abs(x);
    return 4 * (std::nextafter(at, std::numeric_limits<Real>::infinity()) - at);
}

// What an evaluation lost, and how far that can have moved its value (see above).
struct RangeLoss {
    Loss loss = Loss::none;
    double hidden = 0;
};

namespace tracking {

// A product of bounds, where 0 times an unbounded one is 0: a factor that is exactly 0
// leaves nothing to hide.
template <class Real> Real times(Real a, Real b) { return a == 0 || b == 0 ? Real(0) : a * b; }

// How far R may be off where a and b lie within HA and HB of A and B, and f is monotone
// in each of them: as far as F at the corners of that range, or unbounded.
template <class Real, class F> Real corners(Real r, Real a, Real ha, Real b, Real hb, F f)
{
    constexpr Real INF = std::numeric_limits<Real>::infinity();
    if (!std::isfinite(r)) return INF;
    Real most = 0;
    for (const Real at : {a - ha, a + ha})
        for (const Real by : {b - hb, b + hb}) {
            const Real off = std::abs(f(at, by) - r);
            if (!(off <= std::numeric_limits<Real>::max())) return INF;  // also NaN
            most = std::max(most, off);
        }
    return most + std::numeric_limits<Real>::denorm_min();  // the ends may underflow
}

}  // namespace tracking

template <class Real> struct Tracked {
    Real value;
    Loss loss;
    Real dropped;  // the largest addend lost whole, or 0
    Real hidden;   // at most this far from the exact value through underflow or overflow
    bool huge;     // an overflow of an exact value: at least the largest finite in size

    Tracked(Real v = 0, Loss l = Loss::none, Real d = 0, Real h = 0, bool big = false)
        : value(v), loss(l), dropped(d), hidden(h), huge(big)
    {
    }

    RangeLoss range_loss() const { return {loss, static_cast<double>(hidden)}; }

    static constexpr Real INF = std::numeric_limits<Real>::infinity();
    static constexpr Real LEAST = std::numeric_limits<Real>::denorm_min();

    // A power of two that lifts any nonzero product or quotient that rounds to a
    // subnormal into the normal range, where it is rounded to full precision.
    static constexpr Real SCALE = Real(std::uint64_t(1) << (std::numeric_limits<Real>::digits + 2));

    // R = a op b, with an exact result that is not 0; SCALED is (a * SCALE) op b.
    static bool lost(Real r, Real scaled) { return tiny(r) && (r == 0 || r * SCALE != scaled); }

    static bool overflowed(Tracked a, Tracked b, Real r)
    {
        return std::isinf(r) && std::isfinite(a.value) && std::isfinite(b.value);
    }

    // The loss of R = a op b on operands carrying A and B, where UNDERFLOWED is whether
    // this operation underflowed; R overflowed where it is infinite but a and b are not.
    static Loss after(Tracked a, Tracked b, Real r, bool underflowed)
    {
        return std::max({a.loss, b.loss,
                         overflowed(a, b, r) ? Loss::overflow
                         : underflowed       ? Loss::underflow
                                             : Loss::none});
    }

    // R = a op b, where BOUND is how far the operands' bounds move it: the operation's
    // own underflow or overflow added.
    static Tracked result(Tracked a, Tracked b, Real r, bool underflowed, Real bound, Real dropped)
    {
        if (overflowed(a, b, r))
            return {r, Loss::overflow, dropped, INF, a.hidden == 0 && b.hidden == 0};
        return {r, after(a, b, r, underflowed), dropped, underflowed ? bound + LEAST : bound};
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

    friend Tracked operator-(Tracked a) { return {-a.value, a.loss, a.dropped, a.hidden, a.huge}; }
    friend Tracked operator+(Tracked a, Tracked b)
    {
        const Real r = a.value + b.value;
        return result(a, b, r, false, a.hidden + b.hidden,
                      dropped_by_sum(a, b.value, r, dropped_by(a, b)));
    }
    friend Tracked operator-(Tracked a, Tracked b)
    {
        const Real r = a.value - b.value;
        return result(a, b, r, false, a.hidden + b.hidden,
                      dropped_by_sum(a, -b.value, r, dropped_by(a, b)));
    }
    friend Tracked operator*(Tracked a, Tracked b)
    {
        using tracking::times;
        const Real r = a.value * b.value;
        const bool exact_zero = a.value == 0 || b.value == 0;
        const Real bound = times(std::abs(a.value), b.hidden) + times(std::abs(b.value), a.hidden) +
                           times(a.hidden, b.hidden);
        return result(a, b, r, !exact_zero && lost(r, a.value * SCALE * b.value), bound,
                      dropped_by(a, b));
    }
    // a/b is exactly 0 for a = 0, and in the limit for an infinite b; a/0 is a pole.
    friend Tracked operator/(Tracked a, Tracked b)
    {
        const Real r = a.value / b.value;
        const bool exact_zero = a.value == 0 || std::isinf(b.value);
        if (b.value == 0)
            return {r, std::max(a.loss, b.loss), dropped_by(a, b),
                    a.hidden == 0 && b.hidden == 0 ? Real(0) : INF};
        if (b.huge && std::isfinite(a.value))  // 0 for an exact quotient below that bound
            return {r, std::max(a.loss, b.loss), dropped_by(a, b),
                    (std::abs(a.value) + a.hidden) / std::numeric_limits<Real>::max() + LEAST};
        // The exact quotient differs from a/b by (da - (a/b) db)/(b + db).
        const Real above = a.hidden + tracking::times(std::abs(r), b.hidden);
        const Real below = std::abs(b.value) - b.hidden;
        const Real bound = !(b.hidden < std::abs(b.value)) || std::isinf(above) ? INF
                           : std::isinf(below)                                  ? Real(0)
                                                                                : above / below;
        return result(a, b, r, !exact_zero && lost(r, a.value * SCALE / b.value), bound,
                      dropped_by(a, b));
    }
};

template <class Real> Tracked<Real> power(Tracked<Real> a, Tracked<Real> b)
{
    const Real r = power(a.value, b.value);
    const bool finite = std::isfinite(a.value) && std::isfinite(b.value);
    const Real dropped = Tracked<Real>::dropped_by(a, b);
    if (a.value == 0)  // 0^b: 0, 1 or a pole
        return {r, std::max(a.loss, b.loss), dropped,
                a.hidden == 0 && b.hidden == 0 ? Real(0) : Tracked<Real>::INF};
    // a^b is monotone in a and in b for a > 0, and in a for a < 0 and an exact b (which
    // then is an integer, or a^b no number).
    Real bound = 0;
    if (a.hidden > 0 || b.hidden > 0) {
        const bool one_sign =
            a.value > 0 ? a.value - a.hidden > 0 : a.value + a.hidden < 0 && b.hidden == 0;
        bound = one_sign ? tracking::corners(r, a.value, a.hidden, b.value, b.hidden,
                                             [](Real at, Real by) { return power(at, by); })
                         : Tracked<Real>::INF;
    }
    return Tracked<Real>::result(a, b, r, tiny(r) && finite, bound, dropped);
}

// How far F(a) may be off where a lies within HA of A (HA > 0).
template <class Real> Real function_bound(Elementary function, Real r, Real a, Real ha)
{
    constexpr Real INF = std::numeric_limits<Real>::infinity();
    const auto at = [function](Real x, Real) { return elementary(function, x); };
    switch (function) {
    case Elementary::sin:
    case Elementary::cos:  // neither moves by more than its argument, nor by more than 2
        return std::min(ha, Real(2)) + std::numeric_limits<Real>::denorm_min();
    case Elementary::tan: {
        // Rising on each branch: within one where the range is shorter than pi and the
        // ends rise.
        const Real lo = elementary(function, a - ha), hi = elementary(function, a + ha);
        if (!(2 * ha < Real(3.14159) && lo <= hi)) return INF;
        return tracking::corners(r, a, ha, Real(0), Real(0), at);
    }
    case Elementary::cosh:
    case Elementary::abs: {
        // Even, and monotone either side of 0, where they are least.
        const Real ends = tracking::corners(r, a, ha, Real(0), Real(0), at);
        if (a - ha < 0 && a + ha > 0)
            return std::max(ends, std::abs(r - elementary(function, Real(0))));
        return ends;
    }
    default:  // monotone: exp, log, sqrt, asin, acos, atan, sinh, tanh
        return tracking::corners(r, a, ha, Real(0), Real(0), at);
    }
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
    const Loss loss = std::max(
        {a.loss, overflowed ? Loss::overflow : Loss::none, lost ? Loss::underflow : Loss::none});
    if (overflowed) return {r, loss, a.dropped, Tracked<Real>::INF, a.hidden == 0};
    Real bound = a.hidden > 0 ? function_bound(function, r, a.value, a.hidden) : Real(0);
    if (lost) bound += Tracked<Real>::LEAST;
    return {r, loss, a.dropped, bound};
}

template <class Real> Tracked<Real> exponential(Tracked<Real> x)
{
    return elementary(Elementary::exp, x);
}
template <class Real> Tracked<Real> square(Tracked<Real> x) { return x * x; }
template <class Real> Tracked<Real> cube(Tracked<Real> x) { return x * x * x; }

}  // namespace runtime
