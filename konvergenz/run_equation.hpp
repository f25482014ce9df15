#pragma once

#include "log_header.hpp"
#include "replay.hpp"

#include "rootfinding/equation.hpp"

#include <stdexcept>
#include <string_view>

namespace konvergenz {

// A formula in a log's header that does not compile; the message says where and why.
struct FormulaInHeader : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// quarlen's own functions as the README writes them.
inline constexpr std::string_view builtin_f = "x\u00B3 \u2212 5x\u00B2 + 100x \u2212 400";
inline constexpr std::string_view builtin_g = "x + e^(\u2212x) \u2212 0.1/(x + 1)";

// The functions of the run a log comes from, as its header names them: the formulas
// compiled once with quarlen's evaluator and set up as quarlen sets them up (a typed f
// also gives f' exactly and g = x + f(x)), quarlen's own functions where the header
// names none. It stays where it was made: the functions refer to its members.
class RunEquation {
public:
    // Throws FormulaInHeader.
    explicit RunEquation(const TypedEquation& typed);
    RunEquation(const RunEquation&) = delete;
    RunEquation& operator=(const RunEquation&) = delete;

    RunSetting setting(double tolerance) const
    {
        return {typed_.F,           typed_.DF,           typed_.G,        tolerance,
                typed_.F_UNDERFLOWS, typed_.G_UNDERFLOWS, typed_.G_DROPPED};
    }

private:
    EQUATION::TYPED typed_;
};

}  // namespace konvergenz
