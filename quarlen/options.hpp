// quarlen's command line: the stages to run, the functions typed as formulas, the
// tolerance and the step limit. Without options every value is the built-in one.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>
#include <vector>

#include "quarlen/stages.hpp"

namespace OPTIONS {

struct CHOICES {
    std::vector<STAGES::STAGE> ORDER;    // -m, --verfahren: the stages and their order
    std::optional<std::string_view> F;   // -f, --funktion: f(x) for all but the fixed point
    std::optional<std::string_view> DF;  // --ableitung: f'(x) for Newton
    std::optional<std::string_view> G;   // -g, --fixpunkt: g(x) for fixed point, Steffensen
    std::optional<double> TOLERANCE;     // -t, --toleranz: every stopping test
    std::int32_t MAX_STEPS = std::numeric_limits<std::int32_t>::max();  // -n, --max-schritte
};

// Reads the command line into CHOSEN; answers --help and --version. A bad option or
// value, or --ableitung without -f, ends the program with a message and status 2. Given
// more than once, an option's last value counts.
void READ(int ARGC, char* ARGV[], CHOICES& CHOSEN);

}  // namespace OPTIONS
