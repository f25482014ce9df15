#pragma once

#include "convergence_stats.hpp"
#include "log_header.hpp"
#include "method.hpp"

#include <optional>
#include <vector>

namespace konvergenz {

// How far the last iterate a log shows lies from the root x*, and where x* lies.
//
// Secant step on f through the last two records (x0, f0), (x1, f1):
//
//     s = (f1 - f0) / (x1 - x0),    x* ~ x1 - f1 / s,    |x1 - x*| ~ |f1 / s|
//
// In the fixed-point log f(x_k) = g(x_k) - x_k = x_k+1 - x_k, and the step is
// Aitken's extrapolation x* ~ x_k - (x_k - x_k-1)(x_k+1 - x_k) / (x_k+1 - 2 x_k + x_k-1).
//
// Bisection: the midpoint x_n of step n lies within
//
//     |b - a| / 2^(n+1)
//
// of a root, provided F changes sign in [a, b].

struct SecantEstimate {
    double error;  // |x1 - x*|
    double limit;  // x*
};

// Nullopt where the slope is 0 or either result is not finite.
std::optional<SecantEstimate> secant_estimate(const Sample& earlier, const Sample& later);

// The bisection bound for the midpoint x_n of step n. It is never below the
// spacing of doubles at x_n: once a and b are neighbours, halving stops
// shrinking the interval. Nullopt for a non-finite interval or midpoint.
std::optional<double> bisection_bound(double a, double b, long long n, double x_n);

// A secant estimate this many times the bisection bound says that the bound
// does not hold: F does not change sign in [a, b].
inline constexpr double bound_contradiction_factor = 100;

// The figures of one row of the table.
struct ErrorEstimate {
    std::optional<double> error;  // |x_last - x*|; for bisection the bound
    std::optional<double> limit;  // x*
    // Bisection: the secant estimate, where it contradicts the bound.
    std::optional<double> contradicting_estimate;
};

ErrorEstimate estimate_error(MethodKind kind,
                             const std::optional<std::vector<NamedValue>>& start_values,
                             const ConvergenceStats& stats);

// True when an estimated error exceeds the stopping tolerance more than tenfold:
// the iteration stopped, but its result is still that far from the root.
bool far_beyond_tolerance(std::optional<double> error, double tolerance);

}  // namespace konvergenz
