// Watches an iteration for the three reasons it may have to stop before its own test
// lets it: Ctrl-C, a step counter about to overflow, and a state that repeats exactly.
//
// A step is a pure function of the state, so once a state comes round again the loop
// would run for ever. Brent's cycle check notices this in constant memory: it keeps one
// saved state, compares every new state with it bit for bit, and saves afresh after
// 1, 2, 4, 8, ... steps. A cycle of length L entered after M steps is caught within
// about 2 * max(M, L) + L steps.
#pragma once

#include <cstdint>
#include <cstring>
#include <limits>
#include <type_traits>

#include "runtime/program.hpp"

namespace runtime {

enum class Verdict { go, interrupted, step_limit, cycle };

template <class State> class IterationWatch {
    static_assert(std::is_trivially_copyable_v<State>, "the state is compared byte for byte");

public:
    static constexpr std::int32_t STEP_LIMIT = std::numeric_limits<std::int32_t>::max();

    explicit IterationWatch(std::int32_t step_limit = STEP_LIMIT) : step_limit_(step_limit) {}

    // Called at the top of each iteration, before the step that would make `steps` + 1.
    Verdict check(const State& state, std::int32_t steps)
    {
        if (interrupted()) return Verdict::interrupted;
        if (steps >= step_limit_) return Verdict::step_limit;
        if (period_ > 0 && std::memcmp(&state, &saved_, sizeof(State)) == 0) return Verdict::cycle;
        if (period_ == power_) {
            saved_ = state;
            power_ = power_ == 0 ? 1 : 2 * power_;
            period_ = 0;
        }
        ++period_;
        return Verdict::go;
    }

private:
    std::int32_t step_limit_;
    State saved_{};
    std::int64_t power_ = 0;   // steps between two saves of the state
    std::int64_t period_ = 0;  // steps since the last save
};

}  // namespace runtime
