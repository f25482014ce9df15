#pragma once

#include <array>
#include <cstddef>
#include <optional>

namespace konvergenz {

// Estimated order of convergence p from three successive errors:
// p = log(e2/e1) / log(e1/e0). Nullopt where it is undefined (an error that
// is not finite and positive, or e1 == e0).
std::optional<double> convergence_order(double e0, double e1, double e2);

// One step record: the iterate x_k and f(x_k) with its sign.
struct Sample {
    long long step = 0;
    double x = 0.0;
    double f = 0.0;
};

// Running figures of one method's log, kept in constant memory. "Usable"
// values of |f| are those that are finite and positive: only they carry
// information on how fast the error shrinks, and only at a finite iterate.
class ConvergenceStats {
public:
    // How many of the last ratios of usable values the factor q is taken from.
    static constexpr std::size_t factor_window = 10;

    void add(long long step, double x, double f);

    std::size_t steps() const { return steps_; }
    std::size_t non_finite() const { return non_finite_; }
    std::optional<double> last_iterate() const;
    std::optional<double> last_residual() const;

    // The factor |f(x_k+1)| / |f(x_k)| per step as the iteration ends: the
    // median of the last ratios of successive usable values. A long run may
    // first climb or crawl for millions of steps; only its end tells how fast
    // it converges, and the median ignores a stray step.
    std::optional<double> final_factor() const;

    // Order of convergence estimated from the last three usable values, where they
    // decrease as an order implies: each ratio no larger than the one before, up to the
    // scatter of a linear iteration, and no order beyond max_order. Nullopt elsewhere: a
    // last value at the rounding level, or a step that barely shrank before a jump, makes
    // no order.
    std::optional<double> order() const;
    static constexpr double min_order = 0.9, max_order = 10;

    // After usable values, the last iterate is infinite: the run went off to infinity, and
    // it has no factor or order. (One that broke down on a NaN is judged by the values
    // before; one without a usable value is said to have none.)
    bool ran_off() const;

    // Whether the last usable |f| is no smaller than the first: a bracket closing on a pole
    // or a jump. One closing on a root may stall too, but at the rounding level, far below
    // where |f| began.
    bool not_below_the_first() const;

    // The ratios show no convergence as the iteration ends: of two or more, the final
    // factor is 1 or more, or the last three usable values grow; or the run ran off.
    bool diverging() const;

    // The last record, and the latest record before it with another value of
    // f: the two points a secant through f is laid through. A method that has
    // come to a standstill repeats its iterate, and near a double's resolution
    // f may round to the same value at neighbouring iterates; a secant through
    // such points would have no slope.
    const std::optional<Sample>& last() const { return last_; }
    const std::optional<Sample>& previous() const { return previous_; }

private:
    struct Usable {
        long long step;
        double value;
    };

    // The usable value i places before the newest (0: the newest).
    const Usable& recent(std::size_t i) const;

    std::size_t steps_ = 0;
    std::size_t non_finite_ = 0;
    std::optional<Sample> last_;
    std::optional<Sample> previous_;
    std::array<Usable, factor_window + 1> recent_{};  // ring of the last usable values
    std::size_t usable_count_ = 0;
    double first_usable_ = 0;  // the first usable value, 0 before there is one
};

}  // namespace konvergenz
