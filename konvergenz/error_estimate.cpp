#include "error_estimate.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace konvergenz {

std::optional<SecantEstimate> secant_estimate(const Sample& earlier, const Sample& later)
{
    const double slope = (later.f - earlier.f) / (later.x - earlier.x);
    // A slope of 0 gives an infinite correction, caught below.
    if (!std::isfinite(slope)) return std::nullopt;
    const double correction = later.f / slope;
    const SecantEstimate estimate{std::fabs(correction), later.x - correction};
    if (!std::isfinite(estimate.error) || !std::isfinite(estimate.limit)) return std::nullopt;
    return estimate;
}

std::optional<double> bisection_bound(double a, double b, long long n, double x_n)
{
    const double width = std::fabs(b - a);
    if (!std::isfinite(width) || !std::isfinite(x_n)) return std::nullopt;
    // Beyond some 2100 halvings any double interval has shrunk to nothing.
    const int halvings = static_cast<int>(std::clamp(n, 0LL, 2100LL)) + 1;
    const double spacing =
        std::nextafter(std::fabs(x_n), std::numeric_limits<double>::infinity()) - std::fabs(x_n);
    return std::max(std::ldexp(width, -halvings), spacing);
}

ErrorEstimate estimate_error(const Method& method,
                             const std::optional<std::vector<NamedValue>>& start_values,
                             const ConvergenceStats& stats, const RecordBracket& bracket,
                             const std::optional<Sample>& after, bool at_root)
{
    ErrorEstimate result;
    const auto& last = stats.last();
    if (!last) return result;
    std::optional<SecantEstimate> secant;
    if (after) {
        secant = secant_estimate(*after, *last);
    } else if (stats.previous()) {
        secant = secant_estimate(*stats.previous(), *last);
    }
    const bool diverging =
        !at_root && (stats.diverging() || (after && std::fabs(after->f) > std::fabs(last->f)));
    const bool interval = start_values && start_values->size() == 2;

    std::optional<double> bound;
    switch (method.error_rule) {
    case ErrorRule::next_iterate:
        result.diverging = diverging;
        if (diverging) return result;
        // The record's f is the step to the next iterate.
        if (std::isfinite(last->f) && std::isfinite(last->x + last->f)) {
            result.error = std::fabs(last->f);
            result.limit = last->x + last->f;
        }
        return result;
    case ErrorRule::halving_bound:
        if (interval) {
            bound = bisection_bound((*start_values)[0].value, (*start_values)[1].value, last->step,
                                    last->x);
        }
        break;
    case ErrorRule::bracket_bound:
        if (interval) bound = bracket.bound((*start_values)[0].value, (*start_values)[1].value);
        // Without a bracket the points are judged as those of an open method.
        if (bound) break;
        [[fallthrough]];
    case ErrorRule::secant:
        result.diverging = diverging;
        if (diverging) return result;
        if (at_root) {
            // No secant runs through the root and the point beside it at the same place.
            result.error = 0.0;
            result.limit = last->x;
        } else if (secant) {
            result.error = secant->error;
            result.limit = secant->limit;
        }
        return result;
    }

    // A bracket closing on a pole or a jump: |f| is not finite at its last point, or it
    // does not shrink as the bracket does and ends no smaller than it began (at a root it
    // can stall too, at the rounding level, far below). The bound sizes the distance to
    // no root.
    if (const auto q = stats.final_factor();
        bound && (!std::isfinite(last->f) ||
                  (((q && *q >= 1.0) || diverging) && stats.not_below_the_first()))) {
        result.diverging = diverging;
        return result;
    }
    // A point where F is exactly 0 is a root: no bracket is left around it.
    if (bound && last->f == 0.0) bound = 0.0;
    result.error = bound;
    result.is_bound = bound.has_value();
    if (!secant) return result;
    if (bound && secant->error > bound_contradiction_factor * *bound) {
        // The points do not close in on a root; where F's tangent would
        // cross zero is no estimate of anything they approach.
        result.contradicting_estimate = secant->error;
        return result;
    }
    result.limit = secant->limit;
    return result;
}

bool far_beyond_tolerance(std::optional<double> error, double tolerance)
{
    return error && *error > 10 * tolerance;
}

}  // namespace konvergenz
