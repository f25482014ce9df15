#include "run_equation.hpp"

#include "runtime/expression.hpp"

namespace konvergenz {
namespace {

// Compiles a formula the header names; false where it names none.
bool compiled(std::string_view name, const std::optional<std::string>& text,
              runtime::Expression<double>& into)
{
    if (!text) return false;
    if (const runtime::FormulaError error = runtime::compile(*text, into))
        throw FormulaInHeader(runtime::describe(error, name, *text, runtime::Language::german));
    return true;
}

}  // namespace

RunEquation::RunEquation(const TypedEquation& typed)
{
    const bool f = compiled("f(x)", typed.f, typed_.F_FORMULA);
    const bool df = compiled("f'(x)", typed.df, typed_.DF_FORMULA);
    const bool g = !typed.g_formed_from_f() && compiled("g(x)", typed.g, typed_.G_FORMULA);
    EQUATION::USE_FORMULAS(typed_, f, df, g);
}

}  // namespace konvergenz
