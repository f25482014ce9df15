// A 64-bit real in exponent form with 17 significant digits, "-1.6562500000000000e+02",
// byte for byte as std::to_chars(first, last, value, std::chars_format::scientific, 16)
// writes it, about four times as fast: one 64 x 128-bit multiply by a power of ten from a
// table, rounded once, ties to even. The few values the product's bits cannot round (a
// window about 2^-63 wide) are left to the exact formatter (real_format) and counted.
#pragma once

#include <cstddef>
#include <cstdint>

namespace runtime {

// The longest text: sign, 17 digits, the point, 'e', the exponent's sign and 3 digits.
inline constexpr std::size_t SCIENTIFIC17_MAX_LENGTH = 24;

// Writes the finite `value` at `first`, which has room for SCIENTIFIC17_MAX_LENGTH
// characters; returns the end.
char* scientific17(char* first, double value);

// The same text right-aligned in `width` >= SCIENTIFIC17_MAX_LENGTH characters at
// `first`, blanks before it; returns first + width. Written in place, without a copy.
char* scientific17_field(char* first, std::size_t width, double value);

// How many values, in all threads since the program started, fell in the window the
// product's bits cannot round and were written by the exact formatter.
std::uint64_t scientific17_fallbacks();

}  // namespace runtime
