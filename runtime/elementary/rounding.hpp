// The rounding test of the fast paths: when an approximation hi + lo is known to lie
// within `error` of the exact value, is the double nearest the exact value certain? It is
// when both ends of [hi + lo - error, hi + lo + error] round to the same double: rounding
// is monotone, so every value between them, the exact one too, rounds there as well. The
// ends are formed as hi + (lo -+ e), e a little above error, so that the rounding of lo -+ e
// only widens the interval; each sum is then rounded once, to what IEEE addition gives.
// Otherwise the caller takes its slow path. Results that are exactly a double or a
// midpoint never pass, so callers settle those before.
#pragma once

#include <cmath>
#include <cstdint>
#include <optional>

#include "runtime/bit_cast.hpp"

namespace runtime::correctly_rounded {

// (x + INTEGER_ROUNDER) - INTEGER_ROUNDER is x rounded to an integer, for |x| < 2^51; the
// sum's low bits hold that integer.
inline constexpr double INTEGER_ROUNDER = 0x1.8p52;

// 2^n, for n from -1022 to 1023.
constexpr double power_of_two(int n)
{
    return runtime::bit_cast<double>(static_cast<std::uint64_t>(n + 1023) << 52);
}

// x 2^n, rounded once; exact whenever the result is a double, subnormal ones included.
inline double scaled(double x, int n)
{
    // The steps keep x normal until the last product, as the last one alone may round.
    if (n > 1023) {
        x *= 0x1p1023;
        n -= 1023;
        if (n > 1023) {
            x *= 0x1p1023;
            n = n - 1023 > 1023 ? 1023 : n - 1023;
        }
    } else if (n < -1022) {
        x *= 0x1p-1022 * 0x1p53;
        n += 1022 - 53;
        if (n < -1022) {
            x *= 0x1p-1022 * 0x1p53;
            n = n + 1022 - 53 < -1022 ? -1022 : n + 1022 - 53;
        }
    }
    return x * power_of_two(n);
}

// Half the distance from the normal double hi (|hi| >= 2^-969) to its neighbours, the
// nearer one where they differ: below a power of two the gap is half as wide.
inline double half_gap(double hi)
{
    constexpr std::uint64_t EXPONENT = 0x7ff0000000000000;
    constexpr std::uint64_t SIGNIFICAND = 0x000fffffffffffff;
    const std::uint64_t bits = runtime::bit_cast<std::uint64_t>(hi);
    const std::uint64_t steps = (bits & SIGNIFICAND) == 0 ? 54 : 53;
    return runtime::bit_cast<double>((bits & EXPONENT) - (steps << 52));
}

// The double nearest the exact value, if certain. hi + lo need not be normalized; the
// result may be subnormal. lo -+ e rounds by at most 2^-53 |lo -+ e|, which the 2^-51 below
// covers even after its own roundings.
inline std::optional<double> rounded(double hi, double lo, double error)
{
    const double e = error + (std::abs(lo) + error) * 0x1p-51;
    const double upper = hi + (lo + e);
    if (upper == hi + (lo - e)) return upper;
    return std::nullopt;
}

// The same for a sum hi + lo known within `relative` |hi| of the exact value (at most
// 2^-60), where |lo| <= 2^-20 |hi|: lo -+ e then rounds by less than 2^-72 |hi|, which e =
// (relative + 2^-72) |hi| covers, without waiting for lo.
inline std::optional<double> rounded_relative(double hi, double lo, double relative)
{
    const double e = std::abs(hi) * (relative + 0x1p-72);
    const double upper = hi + (lo + e);
    if (upper == hi + (lo - e)) return upper;
    return std::nullopt;
}

// The same for (hi + lo) 2^scale, hi normal and scale >= -2000, with the result anywhere
// from the subnormal range to the largest double. Results that would overflow are left
// to the caller (nothing is returned).
inline std::optional<double> rounded_scaled(double hi, double lo, double error, int scale)
{
    const auto biased = static_cast<int>((runtime::bit_cast<std::uint64_t>(hi) >> 52) & 0x7ff);
    if (biased + scale > 2046) return std::nullopt;
    if (biased + scale >= 2) {  // normal also once rounded, which moves hi by one binade at most
        const std::optional<double> result = rounded(hi, lo, error);
        if (!result) return std::nullopt;
        return runtime::bit_cast<double>(runtime::bit_cast<std::uint64_t>(*result) +
                                         (static_cast<std::uint64_t>(scale) << 52));
    }
    // Near or below 2^-1022: the result is a multiple of 2^-1074, that is of quantum =
    // 2^(-1074 - scale) before the scaling, hi's own last place or a multiple of it. Beside
    // 2^52 quantum, which then exceeds |hi|, the sum's last place is the quantum, so adding
    // and taking it away rounds hi to a multiple of it; the exact rest (hi - nearest) + lo
    // must then stay within half a quantum.
    const double quantum = power_of_two(-1074 - scale);
    const double shift = std::copysign(power_of_two(-1022 - scale), hi);
    const double nearest = biased + scale == 1 ? hi : (hi + shift) - shift;
    if (std::abs((hi - nearest) + lo) + error >= 0.5 * quantum) return std::nullopt;
    return scaled(nearest, scale);
}

}  // namespace runtime::correctly_rounded
