#include "record_bracket.hpp"

#include "rootfinding/sign.hpp"

#include <algorithm>
#include <cmath>

namespace konvergenz {

void RecordBracket::add(double x, double f)
{
    if (!first_) lowest_ = highest_ = *(first_ = x);
    last_ = x;
    last_nonnegative_ = METHODS::SIGN(f) > 0;
    (last_nonnegative_ ? latest_nonnegative_ : latest_negative_) = x;
    // A NaN point, which ends a run and so is its last, compares false; the bound fails on it.
    if (x < lowest_) lowest_ = x;
    if (x > highest_) highest_ = x;
}

std::optional<double> RecordBracket::bound(double a, double b) const
{
    if (!last_) return std::nullopt;
    const double low = std::min(a, b), high = std::max(a, b);
    if (lowest_ < low || highest_ > high) return std::nullopt;
    const double x = *last_;
    double other;
    if (const auto& latest = last_nonnegative_ ? latest_negative_ : latest_nonnegative_) {
        other = *latest;
    } else if (x != *first_) {
        other = x > *first_ ? high : low;
    } else {
        other = x - low > high - x ? low : high;
    }
    const double bound = std::fabs(x - other);
    if (!std::isfinite(bound)) return std::nullopt;
    return bound;
}

}  // namespace konvergenz
