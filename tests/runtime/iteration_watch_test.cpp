#include "runtime/iteration_watch.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <gtest/gtest.h>
#include <limits>

namespace {

using runtime::IterationWatch;
using runtime::Verdict;

struct Outcome {
    Verdict verdict = Verdict::go;
    std::int32_t steps = 0;  // the step count the watch stopped at
};

// Feeds x0, f(x0), f(f(x0)), ... to a watch as an iteration does.
Outcome watch(double x, const std::function<double(double)>& f, std::int32_t max_steps,
              std::int32_t limit = IterationWatch<double>::STEP_LIMIT)
{
    IterationWatch<double> w(limit);
    for (std::int32_t steps = 0; steps < max_steps; ++steps, x = f(x)) {
        const Verdict v = w.check(x, steps);
        if (v != Verdict::go) return {v, steps};
    }
    return {Verdict::go, max_steps};
}

struct Case {
    const char* name;
    double start;
    std::function<double(double)> step;
    std::int32_t tail;    // steps before the cycle is entered
    std::int32_t length;  // length of the cycle, 0 for none
};

const Case CASES[] = {
    {"fixed_point", 3.0, [](double) { return 3.0; }, 0, 1},
    {"fixed_point_after_tail", 0.0, [](double x) { return x < 5 ? x + 1 : x; }, 5, 1},
    {"two_cycle", 1.0, [](double x) { return -x; }, 0, 2},
    {"cycle_of_seven_after_long_tail", 0.0,
     [](double x) { return x < 1000 ? x + 1 : 1000 + std::fmod(x - 1000 + 1, 7.0); }, 1000, 7},
    {"long_cycle", 0.0, [](double x) { return std::fmod(x + 1, 5000.0); }, 0, 5000},
    {"signed_zeros_alternate", 0.0, [](double x) { return -x; }, 0, 2},
    {"never_repeats", 0.0, [](double x) { return x + 1; }, 0, 0},
    {"slowly_growing", 1.0, [](double x) { return x * 1.0001; }, 0, 0},
};

TEST(IterationWatch, FindsEveryCycleAndNoOther)
{
    constexpr std::int32_t RUN = 100000;
    for (const Case& c : CASES) {
        SCOPED_TRACE(c.name);
        const Outcome got = watch(c.start, c.step, RUN);
        if (c.length == 0) {
            EXPECT_EQ(got.verdict, Verdict::go) << "false alarm at step " << got.steps;
            continue;
        }
        EXPECT_EQ(got.verdict, Verdict::cycle);
        // Not before the state has come round, and within Brent's bound.
        EXPECT_GE(got.steps, c.tail + c.length);
        EXPECT_LE(got.steps, 2 * std::max(c.tail, c.length) + 2 * c.length + 2);
    }
}

TEST(IterationWatch, ComparesBitsNotValues)
{
    IterationWatch<double> w;
    EXPECT_EQ(w.check(0.0, 0), Verdict::go);
    EXPECT_EQ(w.check(-0.0, 1), Verdict::go);  // equal values, different states

    IterationWatch<double> nan_watch;  // a NaN state repeats, though NaN != NaN
    const double nan = std::nan("");
    EXPECT_EQ(nan_watch.check(nan, 0), Verdict::go);
    EXPECT_EQ(nan_watch.check(nan, 1), Verdict::cycle);

    IterationWatch<std::array<double, 2>> pair_watch;  // the whole state counts
    EXPECT_EQ(pair_watch.check({1.0, 2.0}, 0), Verdict::go);
    EXPECT_EQ(pair_watch.check({1.0, 3.0}, 1), Verdict::go);
    EXPECT_EQ(pair_watch.check({1.0, 3.0}, 2), Verdict::cycle);
}

TEST(IterationWatch, StepLimit)
{
    const Outcome got = watch(0.0, [](double x) { return x + 1; }, 1000, 17);
    EXPECT_EQ(got.verdict, Verdict::step_limit);
    EXPECT_EQ(got.steps, 17);
    EXPECT_EQ(IterationWatch<double>::STEP_LIMIT, std::numeric_limits<std::int32_t>::max());
}

}  // namespace
