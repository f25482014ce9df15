// mirtova's command line: the function and its derivative typed as formulas, the
// tolerance and the step limit. Without options every value is the built-in one.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

namespace OPTIONS {

struct CHOICES {
    std::optional<std::string_view> F;     // -f, --function
    std::optional<std::string_view> FDOT;  // --derivative
    std::optional<float> TOLERANCE;        // -t, --tolerance, rounded to 32 bits
    std::int32_t MAX_STEPS = std::numeric_limits<std::int32_t>::max();  // -n, --max-steps
};

// Reads the command line into CHOSEN; answers --help and --version. A bad option or
// value, or --derivative without -f, ends the program with a message and status 2.
void READ(int ARGC, char* ARGV[], CHOICES& CHOSEN);

}  // namespace OPTIONS
