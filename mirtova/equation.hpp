// The equation a run solves: the built-in e^x - x^2 with its derivative, or the
// formulas typed on the command line, compiled once for 32-bit reals; and how the
// iteration stops.
#pragma once

#include "mirtova/functions.hpp"
#include "mirtova/newton.hpp"
#include "mirtova/options.hpp"
#include "runtime/expression.hpp"

namespace EQUATION {

// Its functions refer to its own members, so it stays where it was made.
struct TYPED {
    TYPED() = default;
    TYPED(const TYPED&) = delete;
    TYPED& operator=(const TYPED&) = delete;

    NEWTON::RealFunction F = FUNCTIONS::F1;
    NEWTON::RealFunction FDOT = FUNCTIONS::F1DOT;
    NEWTON::SETTINGS RUN{.UNDERFLOWS = FUNCTIONS::F1_UNDERFLOWS};

    runtime::Expression<float> F_FORMULA, FDOT_FORMULA;
    runtime::ValueOf<float> F_VALUE{&F_FORMULA}, FDOT_VALUE{&FDOT_FORMULA};
    runtime::DerivativeOf<float> F_DERIVATIVE{&F_FORMULA};  // exact, from f's formula
    runtime::UnderflowOf<float> F_TRACKED{&F_FORMULA};
};

// Compiles the formulas CHOSEN (a bad one ends the program with status 2), points the
// functions at them, and writes a line "f(x) = ..." for each typed one, before the
// dialogue's first prompt.
void SET_UP(const OPTIONS::CHOICES& CHOSEN, TYPED& E);

}  // namespace EQUATION
