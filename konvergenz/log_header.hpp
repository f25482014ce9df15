#pragma once

#include "method.hpp"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace konvergenz {

// One input of a run as its log's header names it.
struct NamedValue {
    std::string_view name;  // "a", "b", "x0" or "x1"
    double value;
};

// What a header adds after the inputs where quarlen ran on typed formulas: each function
// the method used, as typed, and the tolerance. Nullopt where the header names none, and
// the built-in function or tolerance was used.
struct TypedEquation {
    std::optional<std::string> f;
    std::optional<std::string> df;
    std::optional<std::string> g;  // "x + f(x)" where quarlen formed it from f
    std::optional<double> tolerance;

    // How a header names the g quarlen forms from a typed f.
    static constexpr std::string_view g_of_f = "x + f(x)";

    // Whether g is quarlen's own for a typed f, not a formula.
    bool g_formed_from_f() const { return f && g == g_of_f; }
};

struct LogHeader {
    std::vector<NamedValue> inputs;
    TypedEquation equation;
};

// A log's header line: the interval ends a and b from "Ausgangswerte - a= <real>, b= <real>",
// the secant method's starts x0 and x1 from "Startwerte - x0= <real>, x1= <real>", the
// start value x0 from "Startwert= <real>"; then, each at most once, ", f(x) = <formula>",
// ", f'(x) = <formula>", ", g(x) = <formula>" and ", Toleranz= <real>", of these only those
// quarlen writes for the method's log: f for any method, f' beside f for Newton's
// method; for the fixed-point iteration and Steffensen's method g, or f beside
// "g(x) = x + f(x)". Blanks between the items may vary; the reals are read as quarlen
// writes them, "Infinity", "-Infinity" and "NaN" included, and a tolerance must be finite
// and positive. Nullopt if the line does not have the form.
std::optional<LogHeader> parse_header(const Method& method, std::string_view header);

}  // namespace konvergenz
