#pragma once

#include <charconv>
#include <string>
#include <string_view>

namespace konvergenz {

inline constexpr std::string_view minus_sign = "\xE2\x88\x92";  // U+2212, typographic minus

// A real in the given style and precision; non-finite values as quarlen
// writes them: "Infinity", "-Infinity", "NaN". No locale is involved.
std::string format_real(double value, std::chars_format style, int precision);

// The shortest text in that style that reads back as the same value: 0.0001, 1e-10.
std::string format_real(double value, std::chars_format style);

// For German readers of the chart: decimal comma, typographic minus, and a
// power of ten with raised digits: with two significant digits "6,2·10⁻³" and
// "5,9", with 0 the shortest form ("900", "2,5", "10²⁰").
std::string german_real(double value, int significant_digits = 0);

}  // namespace konvergenz
