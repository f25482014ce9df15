#pragma once

#include <array>
#include <cstddef>
#include <optional>

namespace konvergenz {

// Estimated order of convergence p from three successive errors:
// p = log(e2/e1) / log(e1/e0). Nullopt where it is undefined (an error that
// is not finite and positive, or e1 == e0).
std::optional<double> convergence_order(double e0, double e1, double e2);

// Running figures of one method's log, kept in constant memory. "Usable"
// values of |f| are those that are finite and positive: only they carry
// information on how fast the error shrinks.
class ConvergenceStats {
public:
    void add(long long step, double x, double residual);

    std::size_t steps() const { return steps_; }
    std::size_t non_finite() const { return non_finite_; }
    std::optional<double> last_iterate() const { return last_iterate_; }
    std::optional<double> last_residual() const { return last_residual_; }

    // Geometric mean of |f(x_k+1)| / |f(x_k)| per step between the first and
    // the last usable value: below 1 while |f| shrinks.
    std::optional<double> mean_factor() const;

    // Order of convergence estimated from the last three usable values.
    std::optional<double> order() const;

private:
    struct Usable {
        long long step;
        double value;
    };

    std::size_t steps_ = 0;
    std::size_t non_finite_ = 0;
    std::optional<double> last_iterate_;
    std::optional<double> last_residual_;
    std::optional<Usable> first_usable_;
    std::array<Usable, 3> recent_{};  // the last three usable values, oldest first
    std::size_t usable_count_ = 0;
};

}  // namespace konvergenz
