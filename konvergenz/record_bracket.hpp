#pragma once

#include <optional>

namespace konvergenz {

// The bracket around a root that a bracketing method's records establish, kept in
// constant memory as the records stream by. A record's point replaces the end of the
// bracket whose F has its sign (quarlen's sign rule: 0 counts as positive, NaN as
// negative), so after the last step the root lies between the last point and the latest
// point with the other sign; before any point has that sign, the other end is an end of
// the interval [a, b] that no point has replaced.
class RecordBracket {
public:
    void add(double x, double f);

    // How far the last point lies from the other end of the bracket: a bound on its
    // distance to the root, given that F changes sign in [a, b]. Where every point has
    // one sign, the other end is the end of [a, b] the points move towards, or for a
    // single point the farther end. Nullopt without a point, for a bound that is not
    // finite, and where a point lies outside [a, b]: the chord then met the axis beyond
    // the interval, and F does not change sign in it.
    std::optional<double> bound(double a, double b) const;

private:
    std::optional<double> first_, last_;
    bool last_nonnegative_ = false;
    std::optional<double> latest_nonnegative_, latest_negative_;
    double lowest_ = 0.0, highest_ = 0.0;  // of the points, once there is one
};

}  // namespace konvergenz
