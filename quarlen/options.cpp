#include "quarlen/options.hpp"

#include <array>
#include <string>

#include "quarlen/help.hpp"
#include "runtime/command_line.hpp"
#include "runtime/option_values.hpp"
#include "runtime/program.hpp"

namespace OPTIONS {
namespace {

enum OPTION : std::size_t { VERFAHREN, FUNKTION, ABLEITUNG, FIXPUNKT, TOLERANZ, MAX_SCHRITTE };

constexpr std::array<runtime::OptionDefinition, 6> TABLE{{
    {"verfahren", 'm'},
    {"funktion", 'f'},
    {"ableitung", 0},
    {"fixpunkt", 'g'},
    {"toleranz", 't'},
    {"max-schritte", 'n'},
}};

void STAGES_NAMED(std::string_view LISTE, CHOICES& CHOSEN)
{
    if (const std::string WHY = STAGES::PARSE(LISTE, CHOSEN.ORDER); !WHY.empty())
        runtime::fail(runtime::ExitStatus::bad_input, WHY);
}

}  // namespace

void READ(int ARGC, char* ARGV[], CHOICES& CHOSEN)
{
    STAGES_NAMED(STAGES::DEFAULT, CHOSEN);
    for (const auto& [WHICH, VALUE] : runtime::command_line(ARGC, ARGV, HELP, TABLE)) {
        switch (WHICH) {
        case VERFAHREN:
            STAGES_NAMED(VALUE, CHOSEN);
            break;
        case FUNKTION:
            CHOSEN.F = VALUE;
            break;
        case ABLEITUNG:
            CHOSEN.DF = VALUE;
            break;
        case FIXPUNKT:
            CHOSEN.G = VALUE;
            break;
        case TOLERANZ:
            CHOSEN.TOLERANCE = runtime::tolerance_option<double>(VALUE);
            break;
        case MAX_SCHRITTE:
            CHOSEN.MAX_STEPS = runtime::step_limit_option(VALUE);
            break;
        }
    }
    if (CHOSEN.DF && !CHOSEN.F)
        runtime::fail(runtime::ExitStatus::bad_input,
                      "--ableitung ohne -f/--funktion: eine Ableitung braucht ihre Funktion");
}

}  // namespace OPTIONS
