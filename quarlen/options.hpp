// quarlen's command line: the functions typed as formulas, the tolerance and the step
// limit. Without options every value is the built-in one.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

namespace OPTIONS {

struct CHOICES {
    std::optional<std::string_view> F;   // -f, --funktion: f(x) for bisection and Newton
    std::optional<std::string_view> DF;  // --ableitung: f'(x) for Newton
    std::optional<std::string_view> G;   // -g, --fixpunkt: g(x) for the fixed-point iteration
    std::optional<double> TOLERANCE;     // -t, --toleranz: all three stopping tests
    std::int32_t MAX_STEPS = std::numeric_limits<std::int32_t>::max();  // -n, --max-schritte
};

// Reads the command line into CHOSEN; answers --help and --version. A bad option or
// value, or --ableitung without -f, ends the program with a message and status 2.
void READ(int ARGC, char* ARGV[], CHOICES& CHOSEN);

}  // namespace OPTIONS
