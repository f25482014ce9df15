// quarlen: finds the root of the cubic F1 by bisection and Newton's method, and a fixed
// point of GF2, or of the functions typed on the command line, showing every step on the
// console and in a log file per method.
#include <cstdint>

#include "quarlen/equation.hpp"
#include "quarlen/methods.hpp"
#include "quarlen/options.hpp"
#include "runtime/console.hpp"
#include "runtime/program.hpp"
#include "runtime/record.hpp"

int main(int argc, char* argv[])
{
    runtime::start("quarlen", runtime::Language::german);
    OPTIONS::CHOICES CHOSEN;
    OPTIONS::READ(argc, argv, CHOSEN);
    EQUATION::TYPED E;
    EQUATION::SET_UP(CHOSEN, E);

    // The run's values: the interval (BISEC narrows it in place), then for bisection,
    // Newton and the fixed-point iteration a result and a step count each. X1N and X1F
    // hold the start values as typed until their method leaves its last iterate there.
    double A = 0, B = 0;
    double X1B = 0, X1N = 0, X1F = 0;
    std::int32_t N1B = 0, N1N = 0, N1F = 0;

    runtime::console::write(runtime::Record().text("Bitte Intervallgrenzen eingeben:"));
    runtime::console::prompt("a= ");
    runtime::console::read(A);
    runtime::console::prompt("b= ");
    runtime::console::read(B);
    METHODS::BISEC(A, B, X1B, E.F, N1B, "bisec_f1.dat", E.ON_F);
    runtime::console::write(runtime::Record().real(X1B).integer(N1B));

    runtime::console::prompt("Bitte Startwert eingeben");
    runtime::console::read(X1N);
    METHODS::NEWTON(X1N, N1N, E.F, E.DF, "newto_f1.dat", E.ON_F_DF);

    runtime::console::prompt("Bitte Startwert eingeben");
    runtime::console::read(X1F);
    METHODS::FIX(X1F, E.G, N1F, "fixpk_f1.dat", E.ON_G);

    return runtime::end();
}
