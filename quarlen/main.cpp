// quarlen: runs root-finding methods (by default bisection, Newton's method and the
// fixed-point iteration) on the cubic F1 and the fixed-point form GF2, or on the
// functions typed on the command line, showing every step on the console and in a log
// file per method.
#include "quarlen/driver.hpp"
#include "quarlen/equation_setup.hpp"
#include "quarlen/options.hpp"
#include "runtime/program.hpp"

int main(int argc, char* argv[])
{
    runtime::start("quarlen", runtime::Language::german);
    OPTIONS::CHOICES CHOSEN;
    OPTIONS::READ(argc, argv, CHOSEN);
    EQUATION::TYPED E;
    EQUATION::SET_UP(CHOSEN, E);
    DRIVER::RUN(CHOSEN.ORDER, E);

    return runtime::end();
}
