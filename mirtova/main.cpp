// mirtova: finds a root of e^x - x^2, or of the function typed on the command line, by
// Newton's method in 32-bit reals and prints it with the number of steps.
#include <cstdint>

#include "mirtova/equation.hpp"
#include "mirtova/newton.hpp"
#include "mirtova/options.hpp"
#include "runtime/console.hpp"
#include "runtime/program.hpp"
#include "runtime/record.hpp"

int main(int argc, char* argv[])
{
    runtime::start("mirtova", runtime::Language::english);
    OPTIONS::CHOICES CHOSEN;
    OPTIONS::READ(argc, argv, CHOSEN);
    EQUATION::TYPED E;
    EQUATION::SET_UP(CHOSEN, E);

    float START = 0;  // the start value as typed, the root afterwards
    std::int32_t STEPS = 0;

    runtime::console::prompt("Please type in the starting value for calculation!");
    runtime::console::read(START);
    // After a breakdown START holds no number that could pass for a root; the message
    // says where the iteration left the reals.
    if (NEWTON::FIND_ZERO(START, STEPS, E.F, E.FDOT, E.RUN)) {
        runtime::console::write(runtime::Record().text("zero, number of steps"));
        runtime::console::write(runtime::Record().real(START).integer(STEPS));
    }

    return runtime::end();
}
