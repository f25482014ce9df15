#include "quarlen/equation_setup.hpp"

#include "runtime/option_values.hpp"
#include "runtime/record.hpp"

namespace EQUATION {
namespace {

// A typed function in a log header, as the dialogue shows it.
std::string ITEM(std::string_view NAME, std::string_view TEXT)
{
    return std::string(", ").append(NAME).append(" = ").append(runtime::without_blanks(TEXT));
}

}  // namespace

void SET_UP(const OPTIONS::CHOICES& CHOSEN, TYPED& E)
{
    if (CHOSEN.F) runtime::formula_option("f(x)", *CHOSEN.F, E.F_FORMULA);
    if (CHOSEN.DF) runtime::formula_option("f'(x)", *CHOSEN.DF, E.DF_FORMULA);
    if (CHOSEN.G) runtime::formula_option("g(x)", *CHOSEN.G, E.G_FORMULA);

    USE_FORMULAS(E, CHOSEN.F.has_value(), CHOSEN.DF.has_value(), CHOSEN.G.has_value());

    std::string F_ITEM, DF_ITEM, G_ITEM, TOLERANCE_ITEM;
    if (CHOSEN.F) {
        F_ITEM = ITEM("f(x)", *CHOSEN.F);
        G_ITEM = F_ITEM + ", g(x) = x + f(x)";
        runtime::show_formula("f(x)", *CHOSEN.F);
    }
    if (CHOSEN.DF) {
        DF_ITEM = ITEM("f'(x)", *CHOSEN.DF);
        runtime::show_formula("f'(x)", *CHOSEN.DF);
    }
    if (CHOSEN.G) {
        G_ITEM = ITEM("g(x)", *CHOSEN.G);
        runtime::show_formula("g(x)", *CHOSEN.G);
    } else if (CHOSEN.F) {
        runtime::show_formula("g(x)", "x + f(x)");
    }

    const double TOLERANCE = CHOSEN.TOLERANCE.value_or(METHODS::TOLERANCE);
    if (TOLERANCE != METHODS::TOLERANCE)
        TOLERANCE_ITEM = ", Toleranz= " + runtime::shortest(TOLERANCE);
    E.F_HEADER = F_ITEM + TOLERANCE_ITEM;
    E.F_DF_HEADER = F_ITEM + DF_ITEM + TOLERANCE_ITEM;
    E.G_HEADER = G_ITEM + TOLERANCE_ITEM;
    E.ON_F = {TOLERANCE, CHOSEN.MAX_STEPS, E.F_HEADER, E.F_UNDERFLOWS};
    E.ON_F_DF = {TOLERANCE, CHOSEN.MAX_STEPS, E.F_DF_HEADER, E.F_UNDERFLOWS};
    E.ON_G = {TOLERANCE, CHOSEN.MAX_STEPS, E.G_HEADER, E.G_UNDERFLOWS, E.G_DROPPED};
}

}  // namespace EQUATION
