// Writing a real in decimal, the same on every platform and with no help from the
// library: the texts std::to_chars writes for the same arguments, in the "C" locale.
//
// Every text starts from the value's exact decimal expansion (a double is a dyadic
// fraction, so it has one), rounded once to the digits asked for, ties to even. The
// shortest forms take the fewest significant digits that read back as the same value,
// and of those the ones nearest to it.
#pragma once

#include <charconv>
#include <string>

namespace runtime {

// The shortest text, fixed or exponent form, whichever is shorter (fixed where both
// are as long): "5", "0.001", "1e-10", "-1.5e+300". "inf", "-inf", "nan" where not finite.
std::string real_text(double value);
std::string real_text(float value);

// The shortest digits in a given style: scientific "1e-04", fixed "0.0001", general (fixed
// for exponents from -4 to 5, otherwise scientific).
std::string real_text(double value, std::chars_format style);

// With `precision` digits after the point (fixed, scientific) or significant digits
// (general, without trailing zeros), as printf's %.*f, %.*e and %.*g write them.
std::string real_text(double value, std::chars_format style, int precision);
std::string real_text(float value, std::chars_format style, int precision);

}  // namespace runtime
