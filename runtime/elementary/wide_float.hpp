// WideFloat: a binary floating-point number with a 256-bit significand, the arithmetic of
// the slow paths. When a fast path cannot prove how its result rounds, the function is
// evaluated again in WideFloat, to a relative error near 2^-240, far below the distance
// of any hard case from a midpoint, and rounded once to a double.
//
// value = (-1)^negative * m * 2^exponent, m = sum of limbs[i] 2^(32 i - 256) in [1/2, 1),
// or zero (every limb 0, not negative, exponent 0). The limbs are 32 bits wide, least
// significant first, and every product is formed in 64 bits: plain C++ that computes the
// same bits on 64-bit machines and in 32-bit WebAssembly. There is no infinity, NaN or
// negative zero; the exponent is an int, far beyond a double's range.
//
// Every operation keeps 256 bits of its result, cut off rather than rounded. One unit in
// the last place is at most 2^-255 of the value, so, relative to the exact result of the
// operation on the exact operands:
//   +, -, * (also by a small integer), / by a small integer   below 2^-254
//   / and reciprocal                                           below 2^-252
//   conversions from double, DoubleDouble and integers, scaled  exact
#pragma once

#include <array>
#include <compare>
#include <cstdint>

#include "runtime/elementary/double_double.hpp"

namespace runtime::correctly_rounded {

class WideFloat {
public:
    static constexpr int LIMBS = 8;
    static constexpr int PRECISION = 32 * LIMBS;
    using Limbs = std::array<std::uint32_t, LIMBS>;

    constexpr WideFloat() = default;
    // From parts already normalized as above (the generated constants).
    constexpr WideFloat(bool negative, int exponent, const Limbs& limbs)
        : limbs_(limbs), exponent_(exponent), negative_(negative)
    {
    }
    explicit WideFloat(double x);  // finite x
    explicit WideFloat(DoubleDouble x);  // exact when hi and lo span at most 256 bits
    static WideFloat integer(std::int64_t n);

    bool is_zero() const { return limbs_[LIMBS - 1] == 0; }
    bool is_negative() const { return negative_; }
    // |value| is in [2^(exponent - 1), 2^exponent).
    int exponent() const { return exponent_; }
    const Limbs& limbs() const { return limbs_; }

    // Rounded to nearest, ties to even, as IEEE rounds an exact result: subnormal results
    // at their own last place, results beyond the largest double to infinity. Zero is +0.
    double to_double() const;
    // The double nearest the value, and the double nearest what it leaves.
    DoubleDouble to_double_double() const;
    // The nearest integer, halves away from zero; |value| < 2^62.
    std::int64_t nearest_integer() const;

    friend WideFloat operator-(WideFloat x);
    friend WideFloat operator+(const WideFloat& a, const WideFloat& b);
    friend WideFloat operator-(const WideFloat& a, const WideFloat& b);
    friend WideFloat operator*(const WideFloat& a, const WideFloat& b);
    friend WideFloat operator/(const WideFloat& a, const WideFloat& b);
    friend WideFloat operator*(const WideFloat& a, std::uint32_t n);
    friend WideFloat operator/(const WideFloat& a, std::uint32_t n);  // n >= 1
    friend WideFloat reciprocal(const WideFloat& x);                  // x != 0
    friend WideFloat abs(WideFloat x);
    // x 2^n, exact.
    friend WideFloat scaled(WideFloat x, int n);
    friend std::strong_ordering operator<=>(const WideFloat& a, const WideFloat& b);
    friend bool operator==(const WideFloat& a, const WideFloat& b) = default;

private:
    // 0.digits[count - 1] ... digits[0] in base 2^32, times 2^exponent, cut to 256 bits.
    static WideFloat normalized(bool negative, int exponent, const std::uint32_t* digits,
                                int count);
    static std::strong_ordering compare_magnitudes(const WideFloat& a, const WideFloat& b);
    // |a| + |b| or |a| - |b| with a's sign, for |a| >= |b|.
    static WideFloat add_magnitudes(const WideFloat& a, const WideFloat& b, bool subtract);

    Limbs limbs_{};
    int exponent_ = 0;
    bool negative_ = false;
};

WideFloat reciprocal(const WideFloat& x);
WideFloat abs(WideFloat x);
WideFloat scaled(WideFloat x, int n);

}  // namespace runtime::correctly_rounded
