// quarlen: runs root-finding methods on the cubic F1 and the fixed-point form GF2 (by
// default bisection, Newton's method and the fixed-point iteration), showing every step
// on the console and in a log file per method.
#include <string>
#include <string_view>
#include <vector>

#include "quarlen/driver.hpp"
#include "quarlen/help.hpp"
#include "quarlen/stages.hpp"
#include "runtime/command_line.hpp"
#include "runtime/program.hpp"

int main(int argc, char* argv[])
{
    runtime::start("quarlen", runtime::Language::german);
    std::string_view LISTE = STAGES::DEFAULT;
    const runtime::ValueOption OPTIONS[] = {{'m', "verfahren", &LISTE}};
    runtime::command_line(argc, argv, HELP, OPTIONS);

    std::vector<STAGES::STAGE> ORDER;
    if (const std::string WHY = STAGES::PARSE(LISTE, ORDER); !WHY.empty())
        runtime::fail(runtime::ExitStatus::bad_input, WHY);
    DRIVER::RUN(ORDER);

    return runtime::end();
}
