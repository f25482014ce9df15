// libFuzzer target for typed formulas: any bytes are compiled in both precisions; a
// refusal must name a position inside the formula or just past its end, and a formula
// that compiles must evaluate, for its value and for its derivative, without a fault,
// the value the same both ways.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string_view>

#include "runtime/expression.hpp"

namespace {

template <class Real> bool same(Real a, Real b)
{
    return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0;
}

template <class Real> void check(std::string_view text)
{
    runtime::Expression<Real> f;
    const runtime::FormulaError error = runtime::compile(text, f);
    if (error) {
        std::size_t characters = 0;
        for (const char c : text) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
        const bool located = error.problem == runtime::FormulaProblem::too_long ||
                             (error.position >= 1 && error.position <= characters + 1);
        if (!located || runtime::describe(error, "f(x)", text, runtime::Language::german).empty())
            __builtin_trap();
        return;
    }
    constexpr Real INF = std::numeric_limits<Real>::infinity();
    for (const Real x :
         {Real(0), Real(1), Real(-1), Real(0.5), Real(-3.75), Real(1e30), -INF,
          std::numeric_limits<Real>::denorm_min(), std::numeric_limits<Real>::quiet_NaN()}) {
        const Real value = f.value(x);
        const runtime::Dual<Real> both = f.value_and_derivative(x);
        if (!same(value, both.value)) __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    check<double>(text);
    check<float>(text);
    return 0;
}
