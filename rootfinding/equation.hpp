// The equation a run solves: the built-in functions F1, DF1 and GF2, or formulas typed
// by the user, compiled once; and for each method its stopping test and what its log's
// header adds.
#pragma once

#include <algorithm>
#include <cmath>
#include <string>

#include "rootfinding/functions.hpp"
#include "rootfinding/methods.hpp"
#include "runtime/expression.hpp"

namespace EQUATION {

// g(x) = x + f(x), the fixed-point form of a typed f.
struct X_PLUS {
    RealFunction F;
    double operator()(const double& X) const { return X + F(X); }
};

// The largest addend lost whole in x + f(x): f(x) itself where the sum is x, or one lost
// inside f.
struct X_PLUS_DROPPED {
    RealFunction F;
    METHODS::DropTest F_DROPPED;
    double operator()(const double& X) const
    {
        const double FX = F(X);
        const double OWN = X + FX == X && FX != 0 && std::isfinite(X) ? std::abs(FX) : 0;
        return std::max(OWN, F_DROPPED(X));
    }
};

// Its functions and settings refer to its own members, so it stays where it was made.
struct TYPED {
    TYPED() = default;
    TYPED(const TYPED&) = delete;
    TYPED& operator=(const TYPED&) = delete;

    RealFunction F = FUNCTIONS::F1;
    RealFunction DF = FUNCTIONS::DF1;
    RealFunction G = FUNCTIONS::GF2;
    METHODS::UnderflowTest F_UNDERFLOWS = FUNCTIONS::F1_UNDERFLOWS;
    METHODS::UnderflowTest G_UNDERFLOWS = FUNCTIONS::GF2_UNDERFLOWS;
    METHODS::DropTest G_DROPPED = FUNCTIONS::GF2_DROPPED;
    METHODS::SETTINGS ON_F;     // a method on f: the bracketing ones and the secant
    METHODS::SETTINGS ON_F_DF;  // on f and f': Newton
    METHODS::SETTINGS ON_G;     // on g: the fixed-point iteration and Steffensen

    runtime::Expression<double> F_FORMULA, DF_FORMULA, G_FORMULA;
    runtime::ValueOf<double> F_VALUE{&F_FORMULA}, DF_VALUE{&DF_FORMULA}, G_VALUE{&G_FORMULA};
    runtime::DerivativeOf<double> F_DERIVATIVE{&F_FORMULA};  // exact, from f's formula
    runtime::UnderflowOf<double> F_TRACKED{&F_FORMULA}, G_TRACKED{&G_FORMULA};
    runtime::DroppedOf<double> F_DROPPED{&F_FORMULA}, G_FORMULA_DROPPED{&G_FORMULA};
    X_PLUS G_FROM_F{F_VALUE};
    X_PLUS_DROPPED G_FROM_F_DROPPED{F_VALUE, F_DROPPED};
    std::string F_HEADER, F_DF_HEADER, G_HEADER;
};

// Points E's functions at the formulas compiled into it, where F, DF, G say that f, f'
// or g was typed: a typed f gives f, its exact derivative and g = x + f(x); a typed f'
// or g takes the place of those. The tests for underflow follow f and g; that of
// x + f(x) is f's, since an addition never underflows. quarlen sets up the equation it was given
// so, and konvergenz the equation a log's header names.
void USE_FORMULAS(TYPED& E, bool F, bool DF, bool G);

}  // namespace EQUATION
