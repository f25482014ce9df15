#pragma once

#include "log_analysis.hpp"

#include <string>
#include <string_view>
#include <vector>

namespace konvergenz {

// What the table says of a function or tolerance that a header konvergenz does not
// understand leaves unknown.
inline constexpr std::string_view unknown = "unbekannt (Kopfzeile nicht verstanden)";

// The function a method ran on, as a formula in x alone: f for the methods that solve
// f(x) = 0, g for the fixed-point iteration and Steffensen's method; as typed, or
// quarlen's own as the README writes it. A g that quarlen formed from a typed f is
// written out with it: "x + (x^2 - 2)". Empty where the header is not understood.
std::string function_text(const MethodSummary& summary);

// A function named for the reader: "f(x)", "f'(x)" or "g(x)", and what it is.
struct NamedFunction {
    std::string_view name;
    std::string text;
    bool formula = true;  // the text is a formula, not words about one
};

// The functions of a method's run as the table and the chart name them, in that order:
// f where the method solves f(x) = 0 or its g is formed from f; f' for Newton's method
// where f was typed (as typed, or said to be exact from f); g where the method iterates
// it ("x + f(x)" where formed from f). Where the header is not understood, the function
// the method ran on, said to be unknown.
std::vector<NamedFunction> named_functions(const MethodSummary& summary);

// Whether two logs may come from one run: the tolerances, and the functions f and g
// wherever both headers say what they are, agree (formulas compared without blanks).
// A log the header of which is not understood agrees with any.
bool same_equation(const MethodSummary& one, const MethodSummary& other);

}  // namespace konvergenz
