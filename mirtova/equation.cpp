#include "mirtova/equation.hpp"

#include "runtime/option_values.hpp"

namespace EQUATION {

void SET_UP(const OPTIONS::CHOICES& CHOSEN, TYPED& E)
{
    if (CHOSEN.F) runtime::formula_option("f(x)", *CHOSEN.F, E.F_FORMULA);
    if (CHOSEN.FDOT) runtime::formula_option("f'(x)", *CHOSEN.FDOT, E.FDOT_FORMULA);
    if (CHOSEN.F) {
        E.F = E.F_VALUE;
        E.FDOT = E.F_DERIVATIVE;
        E.RUN.BUILT_IN = false;
        E.RUN.UNDERFLOWS = E.F_TRACKED;
        runtime::show_formula("f(x)", *CHOSEN.F);
    }
    if (CHOSEN.FDOT) {
        E.FDOT = E.FDOT_VALUE;
        runtime::show_formula("f'(x)", *CHOSEN.FDOT);
    }
    E.RUN.TOLERANCE = CHOSEN.TOLERANCE.value_or(NEWTON::ZERO_TOLERANCE);
    E.RUN.MAX_STEPS = CHOSEN.MAX_STEPS;
}

}  // namespace EQUATION
