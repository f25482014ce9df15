// Reading one real from one line of input text, the same in every locale.
//
// Accepted: blanks and tabs around the number (and a '\r' from a DOS line end), an
// optional sign, digits with an optional decimal point or decimal comma ("2,5" is 2.5),
// and an optional exponent written e, E, d or D ("25d-1" is 2.5). Nothing else: no
// second number, no "inf" or "nan", no hexadecimal. The value is rounded once, directly
// to the type asked for.
#pragma once

#include <string_view>

namespace runtime {

enum class NumberError {
    none,
    not_a_number,  // the text is not exactly one number of the accepted forms
    out_of_range,  // a number, but too large for the type, or so small it would be 0
};

NumberError parse_number(std::string_view text, double& value);
NumberError parse_number(std::string_view text, float& value);

}  // namespace runtime
