#pragma once

#include "method.hpp"

#include <optional>
#include <string_view>
#include <vector>

namespace konvergenz {

// One input of a run as its log's header names it.
struct NamedValue {
    std::string_view name;  // "a", "b" or "x0"
    double value;
};

// The run's inputs from a log's header line: the interval ends a and b from
// "Ausgangswerte - a= <real>, b= <real>", the start value x0 from
// "Startwert= <real>". Blanks between the items may vary; the reals are read
// as quarlen writes them, "Infinity", "-Infinity" and "NaN" included.
// Nullopt if the line does not have that form.
std::optional<std::vector<NamedValue>> parse_start_values(MethodKind kind, std::string_view header);

}  // namespace konvergenz
