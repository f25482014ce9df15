#include "rootfinding/equation.hpp"

namespace EQUATION {

void USE_FORMULAS(TYPED& E, bool F, bool DF, bool G)
{
    if (F) {
        E.F = E.F_VALUE;
        E.DF = E.F_DERIVATIVE;
        E.G = E.G_FROM_F;
    }
    if (DF) E.DF = E.DF_VALUE;
    if (G) E.G = E.G_VALUE;
}

}  // namespace EQUATION
