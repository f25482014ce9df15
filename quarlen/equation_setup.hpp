// The equation quarlen's command line names, set up for the run.
#pragma once

#include "quarlen/options.hpp"
#include "rootfinding/equation.hpp"

namespace EQUATION {

// Compiles the formulas CHOSEN (a bad one ends the program with status 2), points the
// functions and settings at them, and writes a line "f(x) = ..." for every function
// that is not the built-in one, before the dialogue's first prompt.
void SET_UP(const OPTIONS::CHOICES& CHOSEN, TYPED& E);

}  // namespace EQUATION
