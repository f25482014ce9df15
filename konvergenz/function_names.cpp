#include "function_names.hpp"

#include "run_equation.hpp"

namespace konvergenz {

std::string function_text(const MethodSummary& summary)
{
    const TypedEquation& typed = summary.equation;
    if (!summary.method->on_g) return typed.f.value_or(std::string(builtin_f));
    if (typed.g_formed_from_f()) return "x + (" + *typed.f + ")";
    return typed.g.value_or(std::string(builtin_g));
}

std::vector<NamedFunction> named_functions(const MethodSummary& summary)
{
    const TypedEquation& typed = summary.equation;
    const bool on_g = summary.method->on_g;
    std::vector<NamedFunction> named;
    if (!on_g || typed.g_formed_from_f())
        named.push_back({"f(x)", typed.f.value_or(std::string(builtin_f))});
    if (summary.method->kind == MethodKind::newton && typed.f) {
        named.push_back(
            {"f'(x)", typed.df.value_or("exakt aus f(x) abgeleitet"), typed.df.has_value()});
    }
    if (on_g) named.push_back({"g(x)", typed.g.value_or(std::string(builtin_g))});
    return named;
}

}  // namespace konvergenz
