#pragma once

#include "method.hpp"

#include <optional>
#include <string_view>
#include <vector>

namespace konvergenz {

// One input of a run as its log's header names it.
struct NamedValue {
    std::string_view name;  // "a", "b", "x0" or "x1"
    double value;
};

// The run's inputs from a log's header line: the interval ends a and b from
// "Ausgangswerte - a= <real>, b= <real>", the secant method's starts x0 and x1 from
// "Startwerte - x0= <real>, x1= <real>", the start value x0 from "Startwert= <real>".
// Blanks between the items may vary; the reals are read as quarlen writes them,
// "Infinity", "-Infinity" and "NaN" included. Nullopt if the line does not have the form.
std::optional<std::vector<NamedValue>> parse_start_values(HeaderInputs inputs,
                                                          std::string_view header);

}  // namespace konvergenz
