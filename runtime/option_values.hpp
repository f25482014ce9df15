// The values of the options quarlen and mirtova share: a tolerance, a step limit and a
// formula. A value that cannot be used ends the program with a message on stderr and
// status 2, before anything is read or written.
#pragma once

#include <cstdint>
#include <string_view>

#include "runtime/expression.hpp"

namespace runtime {

// A number as the dialogue reads it, finite and greater than 0, rounded once to Real.
template <class Real> Real tolerance_option(std::string_view value);

// Decimal digits only, from 1 to 2^31 - 1.
std::int32_t step_limit_option(std::string_view value);

// Compiles the formula `value`, named `name` ("f(x)") in a message if it cannot be.
template <class Real>
void formula_option(std::string_view name, std::string_view value, Expression<Real>& expression);

// `value` without the blanks around it: a formula as the dialogue and a log show it.
std::string_view without_blanks(std::string_view value);

// The line "<name> = <formula>" on the console, before the dialogue's first prompt, so
// that a typo shows before any number is asked for.
void show_formula(std::string_view name, std::string_view value);

}  // namespace runtime
