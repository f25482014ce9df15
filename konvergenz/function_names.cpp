#include "function_names.hpp"

#include "run_equation.hpp"

namespace konvergenz {
namespace {

bool g_formed_from_f(const TypedEquation& typed) { return typed.f && typed.g == g_from_f; }

}  // namespace

std::string function_text(const MethodSummary& summary)
{
    const TypedEquation& typed = summary.equation;
    if (!summary.method->on_g) return typed.f.value_or(std::string(builtin_f));
    if (g_formed_from_f(typed)) return "x + (" + *typed.f + ")";
    return typed.g.value_or(std::string(builtin_g));
}

std::vector<NamedFunction> named_functions(const MethodSummary& summary)
{
    const TypedEquation& typed = summary.equation;
    const bool on_g = summary.method->on_g;
    std::vector<NamedFunction> named;
    if (!on_g || g_formed_from_f(typed))
        named.push_back({"f(x)", typed.f.value_or(std::string(builtin_f))});
    if (summary.method->kind == MethodKind::newton && typed.f) {
        named.push_back(
            {"f'(x)", typed.df.value_or("exakt aus f(x) abgeleitet"), typed.df.has_value()});
    }
    if (on_g) named.push_back({"g(x)", typed.g.value_or(std::string(builtin_g))});
    return named;
}

}  // namespace konvergenz
