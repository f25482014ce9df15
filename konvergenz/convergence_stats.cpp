#include "convergence_stats.hpp"

#include <cmath>

namespace konvergenz {
namespace {

bool usable(double value) { return std::isfinite(value) && value > 0.0; }

}  // namespace

std::optional<double> convergence_order(double e0, double e1, double e2)
{
    if (!usable(e0) || !usable(e1) || !usable(e2)) return std::nullopt;
    // Differences of logarithms rather than logarithms of quotients: the
    // quotients of tiny errors could underflow or overflow.
    const double denominator = std::log(e1) - std::log(e0);
    if (denominator == 0.0) return std::nullopt;
    const double p = (std::log(e2) - std::log(e1)) / denominator;
    if (!std::isfinite(p)) return std::nullopt;
    return p;
}

void ConvergenceStats::add(long long step, double x, double residual)
{
    ++steps_;
    last_iterate_ = x;
    last_residual_ = residual;
    if (!std::isfinite(residual)) ++non_finite_;
    if (!usable(residual)) return;

    const Usable value{step, residual};
    if (!first_usable_) first_usable_ = value;
    recent_[0] = recent_[1];
    recent_[1] = recent_[2];
    recent_[2] = value;
    ++usable_count_;
}

std::optional<double> ConvergenceStats::mean_factor() const
{
    if (usable_count_ < 2) return std::nullopt;
    const Usable& first = *first_usable_;
    const Usable& last = recent_[2];
    const double steps_between = static_cast<double>(last.step - first.step);
    return std::exp((std::log(last.value) - std::log(first.value)) / steps_between);
}

std::optional<double> ConvergenceStats::order() const
{
    if (usable_count_ < 3) return std::nullopt;
    return convergence_order(recent_[0].value, recent_[1].value, recent_[2].value);
}

}  // namespace konvergenz
