// The dialogue of a run: the chosen stages in their order, each value asked for once,
// right before the first stage that needs it.
#pragma once

#include <vector>

#include "quarlen/stages.hpp"
#include "rootfinding/equation.hpp"

namespace DRIVER {

// Bisection, regula falsi and Illinois share the interval; each starts from it as typed.
// Newton's method and the secant method have starts of their own; the fixed-point
// iteration and Steffensen's method share one. The bracketing stages write a result line
// after their steps. Where standard output is a terminal and ORDER is not the default,
// each stage's output begins with the method's name and every stage ends with a result
// line, with a word for how it ended if not by converging. Each method runs on E's
// functions with E's settings for it.
void RUN(const std::vector<STAGES::STAGE>& ORDER, const EQUATION::TYPED& E);

}  // namespace DRIVER
