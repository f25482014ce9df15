#include "function_names.hpp"

#include "run_equation.hpp"

#include <algorithm>
#include <optional>

namespace konvergenz {
namespace {

// f and g of a run as far as a log's header tells them. quarlen names in a header the
// formulas its method uses: a log on g names f only where g was formed from it, and
// names nothing only where neither was typed; a log on f never tells g.
struct KnownFunctions {
    std::optional<std::string> f, g;
};

KnownFunctions known_functions(const MethodSummary& summary)
{
    const TypedEquation& typed = summary.equation;
    if (!summary.method->on_g) return {typed.f.value_or(std::string(builtin_f)), std::nullopt};
    if (typed.f || typed.g) return {typed.f, function_text(summary)};
    return {std::string(builtin_f), std::string(builtin_g)};
}

std::string without_blanks(std::string text)
{
    std::erase_if(text, [](char c) { return c == ' ' || c == '\t'; });
    return text;
}

bool agree(const std::optional<std::string>& one, const std::optional<std::string>& other)
{
    return !one || !other || without_blanks(*one) == without_blanks(*other);
}

}  // namespace

std::string function_text(const MethodSummary& summary)
{
    const TypedEquation& typed = summary.equation;
    if (!summary.header_read()) return "";
    if (!summary.method->on_g) return typed.f.value_or(std::string(builtin_f));
    if (typed.g_formed_from_f()) return "x + (" + *typed.f + ")";
    return typed.g.value_or(std::string(builtin_g));
}

std::vector<NamedFunction> named_functions(const MethodSummary& summary)
{
    const TypedEquation& typed = summary.equation;
    const bool on_g = summary.method->on_g;
    if (!summary.header_read()) return {{on_g ? "g(x)" : "f(x)", std::string(unknown), false}};
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

bool same_equation(const MethodSummary& one, const MethodSummary& other)
{
    if (!one.header_read() || !other.header_read()) return true;
    const KnownFunctions a = known_functions(one), b = known_functions(other);
    return one.tolerance == other.tolerance && agree(a.f, b.f) && agree(a.g, b.g);
}

}  // namespace konvergenz
