#include "convergence_stats.hpp"

#include "runtime/elementary/correctly_rounded.hpp"

#include <algorithm>
#include <cmath>

namespace konvergenz {

// Our own functions, correctly rounded, so that the printed values are the same on every
// machine.
namespace cr = runtime::correctly_rounded;

namespace {

bool usable(double value) { return std::isfinite(value) && value > 0.0; }

}  // namespace

std::optional<double> convergence_order(double e0, double e1, double e2)
{
    if (!usable(e0) || !usable(e1) || !usable(e2)) return std::nullopt;
    // Differences of logarithms rather than logarithms of quotients: the
    // quotients of tiny errors could underflow or overflow.
    const double denominator = cr::log(e1) - cr::log(e0);
    if (denominator == 0.0) return std::nullopt;
    const double p = (cr::log(e2) - cr::log(e1)) / denominator;
    if (!std::isfinite(p)) return std::nullopt;
    return p;
}

void ConvergenceStats::add(long long step, double x, double f)
{
    ++steps_;
    const Sample sample{step, x, f};
    if (last_ && !(f == last_->f)) previous_ = last_;
    last_ = sample;

    const double residual = std::fabs(f);
    // An iterate that is no finite number has run off: its f tells nothing of a root.
    if (!std::isfinite(residual) || !std::isfinite(x)) ++non_finite_;
    if (!usable(residual) || !std::isfinite(x)) return;
    if (usable_count_ == 0) first_usable_ = residual;
    recent_[usable_count_ % recent_.size()] = {step, residual};
    ++usable_count_;
}

bool ConvergenceStats::not_below_the_first() const
{
    return usable_count_ > 0 && recent(0).value >= first_usable_;
}

std::optional<double> ConvergenceStats::last_iterate() const
{
    if (!last_) return std::nullopt;
    return last_->x;
}

bool ConvergenceStats::ran_off() const
{
    return usable_count_ > 0 && std::isinf(last_->x);
}

std::optional<double> ConvergenceStats::last_residual() const
{
    if (!last_) return std::nullopt;
    return std::fabs(last_->f);
}

const ConvergenceStats::Usable& ConvergenceStats::recent(std::size_t i) const
{
    return recent_[(usable_count_ - 1 - i) % recent_.size()];
}

std::optional<double> ConvergenceStats::final_factor() const
{
    const std::size_t values = std::min(usable_count_, recent_.size());
    if (values < 2 || ran_off()) return std::nullopt;
    const std::size_t ratios = values - 1;
    // Logarithms per step: a ratio across a gap of zeros or NaNs counts once
    // per step it spans, and the quotient of extreme values cannot overflow.
    std::array<double, factor_window> logs;
    for (std::size_t i = 0; i < ratios; ++i) {
        const Usable& later = recent(i);
        const Usable& earlier = recent(i + 1);
        logs[i] = (cr::log(later.value) - cr::log(earlier.value)) /
                  static_cast<double>(later.step - earlier.step);
    }
    const auto end = logs.begin() + static_cast<std::ptrdiff_t>(ratios);
    const auto middle = logs.begin() + static_cast<std::ptrdiff_t>(ratios / 2);
    std::nth_element(logs.begin(), middle, end);
    double median = *middle;
    if (ratios % 2 == 0) median = (median + *std::max_element(logs.begin(), middle)) / 2;
    return cr::exp(median);
}

std::optional<double> ConvergenceStats::order() const
{
    if (usable_count_ < 3 || ran_off() || !(recent(0).value < recent(1).value) ||
        !(recent(1).value < recent(2).value))
        return std::nullopt;
    const auto p = convergence_order(recent(2).value, recent(1).value, recent(0).value);
    if (!p || *p < min_order || *p > max_order) return std::nullopt;
    return p;
}

bool ConvergenceStats::diverging() const
{
    if (ran_off()) return true;
    // It takes two ratios: one is a single step's chance (a first step that overshoots,
    // or a step replayed from the start of a run that took none).
    if (usable_count_ < 3) return false;
    if (const auto q = final_factor(); q && *q >= 1.0) return true;
    return recent(0).value > recent(1).value && recent(1).value > recent(2).value;
}

}  // namespace konvergenz
