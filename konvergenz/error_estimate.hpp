#pragma once

#include "convergence_stats.hpp"
#include "log_header.hpp"
#include "method.hpp"
#include "record_bracket.hpp"

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
// Steffensen's record holds the next iterate, a step of order 2 that lands far nearer
// x* than x_k: x* ~ x_k+1, |x_k - x*| ~ |x_k+1 - x_k|.
//
// Bisection: the midpoint x_n of step n lies within
//
//     |b - a| / 2^(n+1)
//
// of a root, provided F changes sign in [a, b] and is continuous there. Regula falsi and
// Illinois: the last point lies within the bracket the records' signs give (see
// RecordBracket).

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

// A secant estimate this many times a bracketing method's bound says that the bound
// does not hold: F does not change sign in [a, b].
inline constexpr double bound_contradiction_factor = 100;

// The figures of one row of the table.
struct ErrorEstimate {
    std::optional<double> error;  // |x_last - x*|; for a bracketing method the bound
    std::optional<double> limit;  // x*
    // A bracketing method: the secant estimate, where it contradicts the bound.
    std::optional<double> contradicting_estimate;
    bool is_bound = false;  // the error is a bound rather than an estimate
    // A run whose ratios show no convergence (ConvergenceStats::diverging): no error or
    // limit is estimated, since the points approach nothing a step could size. Nor is a
    // bracketing method's bound given where the last |f| is not finite, or its factor q is
    // 1 or more and |f| ends no smaller than it began: its bracket closes on a pole or a
    // jump rather than a root.
    bool diverging = false;
};

// By the method's rule. `bracket` holds the signs of the same records as `stats`. Where
// `after` is a point one step beyond the last, replayed, the secant is laid through the last
// point and it, near together, rather than through the last two; and where |f| is larger
// there, the iteration does not converge at its last point. `at_root`: the run ended where
// its value is exactly 0 and that is a root (quarlen's test, replayed, holds there), so
// ratios of the last values, flat at the rounding level before it, show no divergence.
ErrorEstimate estimate_error(const Method& method,
                             const std::optional<std::vector<NamedValue>>& start_values,
                             const ConvergenceStats& stats, const RecordBracket& bracket,
                             const std::optional<Sample>& after = std::nullopt,
                             bool at_root = false);

// True when an estimated error exceeds the stopping tolerance more than tenfold:
// the iteration stopped, but its result is still that far from the root.
bool far_beyond_tolerance(std::optional<double> error, double tolerance);

}  // namespace konvergenz
