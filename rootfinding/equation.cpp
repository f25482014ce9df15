#include "rootfinding/equation.hpp"

namespace EQUATION {

void USE_FORMULAS(TYPED& E, bool F, bool DF, bool G)
{
    if (F) {
        E.F = E.F_VALUE;
        E.DF = E.F_DERIVATIVE;
        E.G = E.G_FROM_F;
        E.F_UNDERFLOWS = E.F_TRACKED;
        E.G_UNDERFLOWS = E.F_TRACKED;
        E.G_DROPPED = E.G_FROM_F_DROPPED;
    }
    if (DF) E.DF = E.DF_VALUE;
    if (G) {
        E.G = E.G_VALUE;
        E.G_UNDERFLOWS = E.G_TRACKED;
        E.G_DROPPED = E.G_FORMULA_DROPPED;
    }
}

}  // namespace EQUATION
