#include "mirtova/options.hpp"

#include <array>

#include "mirtova/help.hpp"
#include "runtime/command_line.hpp"
#include "runtime/option_values.hpp"
#include "runtime/program.hpp"

namespace OPTIONS {
namespace {

enum OPTION : std::size_t { FUNCTION, DERIVATIVE, TOLERANCE, MAX_STEPS };

constexpr std::array<runtime::OptionDefinition, 4> TABLE{{
    {"function", 'f'},
    {"derivative", 0},
    {"tolerance", 't'},
    {"max-steps", 'n'},
}};

}  // namespace

void READ(int ARGC, char* ARGV[], CHOICES& CHOSEN)
{
    for (const auto& [WHICH, VALUE] : runtime::command_line(ARGC, ARGV, HELP, TABLE)) {
        switch (WHICH) {
        case FUNCTION:
            CHOSEN.F = VALUE;
            break;
        case DERIVATIVE:
            CHOSEN.FDOT = VALUE;
            break;
        case TOLERANCE:
            CHOSEN.TOLERANCE = runtime::tolerance_option<float>(VALUE);
            break;
        case MAX_STEPS:
            CHOSEN.MAX_STEPS = runtime::step_limit_option(VALUE);
            break;
        }
    }
    if (CHOSEN.FDOT && !CHOSEN.F)
        runtime::fail(runtime::ExitStatus::bad_input,
                      "--derivative without -f/--function: a derivative needs its function");
}

}  // namespace OPTIONS
