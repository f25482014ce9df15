// e^x = 2^(k/256) e^r, k the integer nearest x 256/ln 2, r = x - k ln 2/256, |r| <= ln 2/512
//
// The fast path of exp, inline, so that the hyperbolic functions take e^a and e^-a side by
// side with no call and no division. For finite x in [-746, 711] it gives (hi + lo) 2^scale
// within EXP_APPROXIMATION_ERROR relative, hi in [0.99, 2), |lo| < 2^-19 (not normalized).
//
// Error, u = 2^-53, bounds absolute unless said:
//  r = rh - rl - k d, d = ln 2/256 - STEP_HIGH - STEP_LOW, |k| < 2^18.07 (|x| < 746):
//    k STEP_HIGH is exact and within a factor 2 of x, so rh = x - k STEP_HIGH is exact;
//    rl = k STEP_LOW, below 2^-25.76, rounds by 2^-78.76, and |k d| < |k| 2^-96 < 2^-77.93.
//    rd = rh - rl is below 0.0013539 < 2^-9.52 and rounds by 2^-63.
//  e^r - 1 = r26 + rest, r26 = rh cut to 26 bits, rest = ((rh - r26) - rl) + rd^2/2 + ... +
//    rd^6/720: rh - r26 is exact, the sum with rl (below 2^-25.7) rounds by 2^-79, so the
//    linear term errs by less than 2^-76.8; the higher terms taken at rd rather than at r
//    err by |rd - r| |r| (1 + |r|) < 2^-72.52; the terms from r^7/7! on are below 2^-78.9;
//    rd^2 < 2^-19 rounds by 2^-73 (2^-74 once halved), 1/2 + rd/6 by 2^-54 (2^-73.06 once
//    times rd^2), and the product and the two sums, each below 2^-20, by 2^-74:
//    |e^r - 1 - r26 - rest| < 2^-70.81.
//  T = 2^(j/256) = high + low + 2^-80 T, high with 27 bits: high r26 is exact, and so is
//    high + high r26 (fast_two_sum); T rest is formed with T's double, within 2^-53 of T,
//    so that it errs by 2^-73.05, rounds by 2^-73 (below 2^-19), and so does the tail's last
//    sum; its other terms, below 2^-25, round by 2^-80.
//  Relative to T e^r >= 0.99865 T, hi + lo is within (2^-70.81 + 2^-71.4 + 2^-78) / 0.99865
//  < 2^-70.07 of e^x 2^-scale; EXP_APPROXIMATION_ERROR, 2^-69.91, covers it.
#pragma once

#include <cstdint>

#include "runtime/bit_cast.hpp"
#include "runtime/elementary/correctly_rounded.hpp"

namespace runtime::correctly_rounded {

struct ExpCell {
    double high;
    double low;
};

#include "runtime/elementary/exp_table.inc"

inline DoubleDouble exp_kernel(double x, int& scale)
{
    constexpr double ROUNDING_SHIFT = 0x1.8p52;  // x + it - it rounds x to an integer
    constexpr std::uint64_t LOW_27_BITS = (std::uint64_t{1} << 27) - 1;
    const double shifted = x * EXP_INVERSE_STEP + ROUNDING_SHIFT;
    const double kd = shifted - ROUNDING_SHIFT;
    const auto k = static_cast<int>(runtime::bit_cast<std::int64_t>(shifted) -
                                    runtime::bit_cast<std::int64_t>(ROUNDING_SHIFT));
    const double rh = x - kd * EXP_STEP_HIGH;
    const double rl = kd * EXP_STEP_LOW;
    const double rd = rh - rl;
    const double r26 = runtime::bit_cast<double>(runtime::bit_cast<std::uint64_t>(rh) & ~LOW_27_BITS);
    const double square = rd * rd;
    const double rest =  // e^r - 1 - r26
        ((rh - r26) - rl) +
        (square * (0.5 + rd * 0x1.5555555555555p-3) +
         (square * square) * ((0x1.5555555555555p-5 + rd * 0x1.1111111111111p-7) +
                              square * 0x1.6c16c16c16c17p-10));
    // T (1 + r26 + rest) = high + high r26 + T rest + low (1 + r26), T rest with T's double.
    const ExpCell& t = EXP2_CELLS[k & 255];
    const DoubleDouble head = fast_two_sum(t.high, t.high * r26);
    const double tail = (t.high + t.low) * rest + (head.lo + (t.low + t.low * r26));
    scale = k >> 8;
    return {head.hi, tail};
}

}  // namespace runtime::correctly_rounded
