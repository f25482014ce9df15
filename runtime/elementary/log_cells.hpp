// The table both logarithms start from, made by tables.py: for each of 512 cells of
// [1, 2) a 10-bit 1/c, -log(1/c) in two parts and c, and ln 2 split so that e ln 2 is exact.
// One copy serves log and the precise logarithm pow and log10 stand on.
#pragma once

#include <cstdint>

namespace runtime::correctly_rounded {

struct LogCell {
    double inverse;
    double minus_log_hi;
    double minus_log_lo;
    double centre;
    double centre_z;  // centre * inverse - 1
};

#include "runtime/elementary/log_table.inc"

// Added to a double's bits, carries them to the nearest cell centre (cells are 2^43 wide).
inline constexpr std::uint64_t HALF_CELL = std::uint64_t{1} << 42;
// Cleared from a significand's bits, leaves its 26-bit head, exact in products with 1/c.
inline constexpr std::uint64_t LOW_27_BITS = (std::uint64_t{1} << 27) - 1;

}  // namespace runtime::correctly_rounded
