// mirtova's function, derivative and Newton loop, in 32-bit reals.
#include <cmath>
#include <csignal>
#include <cstdint>
#include <limits>

#include <gtest/gtest.h>
#include <ostream>

#include "mirtova/functions.hpp"
#include "mirtova/newton.hpp"
#include "runtime/program.hpp"

namespace {

using FUNCTIONS::F1;
using FUNCTIONS::F1DOT;

TEST(MirtovaFunctions, ValuesAtSmallIntegers)
{
    EXPECT_EQ(F1(0.0f), 1.0f);
    EXPECT_EQ(F1DOT(0.0f), 1.0f);
    EXPECT_EQ(F1(1.0f), static_cast<float>(std::exp(1.0)) - 1.0f);
    EXPECT_EQ(F1DOT(1.0f), static_cast<float>(std::exp(1.0)) - 2.0f);
    EXPECT_EQ(F1(-1.0f), static_cast<float>(std::exp(-1.0)) - 1.0f);
    // Its twin on tracked reals sees e^x or x^2 underflow in 32 bits.
    EXPECT_EQ(FUNCTIONS::F1_UNDERFLOWS(-0.7f).loss, runtime::Loss::none);
    EXPECT_EQ(FUNCTIONS::F1_UNDERFLOWS(-200.0f).loss, runtime::Loss::underflow);
    EXPECT_EQ(FUNCTIONS::F1_UNDERFLOWS(1e-30f).loss, runtime::Loss::underflow);
}

TEST(MirtovaFunctions, DerivativeIsPositiveAndMatchesDifferenceQuotient)
{
    for (float x = -20.0f; x <= 20.0f; x += 0.25f) {
        EXPECT_GT(F1DOT(x), 0.0f) << "x = " << x;
        const double h = 1e-3;
        const double quotient =
            (std::exp(x + h) - (x + h) * (x + h) - std::exp(x - h) + (x - h) * (x - h)) / (2 * h);
        EXPECT_NEAR(F1DOT(x), quotient, 1e-5 * std::max(1.0, std::abs(quotient))) << "x = " << x;
    }
}

// Each value rounded as written: x^2 and e^x each to 32 bits, then their difference.
// The reference forms them in 64 bits, which holds a product of two 32-bit reals
// exactly and, for a difference, rounds to the same 32-bit value as a direct rounding.
// A fused multiply-add (x^2 not rounded before the subtraction) fails here; the
// reference keeps its roundings through volatile, whatever the compiler is told.
TEST(MirtovaFunctions, RoundedAsWrittenAtAwkwardPoints)
{
    for (const float x : {-0.70346749f, -0.7f, -0.1f, 0.1f, 0.3f, 1.1f, 1.7f, 2.3f, 3.3f, -2.7f,
                          -5.3f, 7.77f, 10.1f, -12.34f, 19.9f, 33.3f, -99.97f, 1e-3f, -3e4f}) {
        const double x64 = x;
        const volatile float square = static_cast<float>(x64 * x64);
        const volatile float exponential = static_cast<float>(std::exp(x64));
        EXPECT_EQ(F1(x), static_cast<float>(double{exponential} - double{square})) << "x = " << x;
        EXPECT_EQ(F1DOT(x), static_cast<float>(double{exponential} - 2 * x64)) << "x = " << x;
    }
    // e^x formed in 64 bits and rounded once: std::exp(float) is one unit in the last
    // place off here, and would give -0x1.ed81f0p+1.
    EXPECT_EQ(F1(-0x1.ff6f22p+0f), -0x1.ed81f2p+1f);
}

struct StartCase {
    const char* name;
    float start;
    std::int32_t steps;
};

void PrintTo(const StartCase& c, std::ostream* os) { *os << c.name; }

class FindZero : public testing::TestWithParam<StartCase> {};

TEST_P(FindZero, ReachesTheRootInTheKnownNumberOfSteps)
{
    float x = GetParam().start;
    std::int32_t steps = -1;
    NEWTON::FIND_ZERO(x, steps, F1, F1DOT);
    EXPECT_EQ(steps, GetParam().steps);
    EXPECT_NEAR(x, -0.7034674f, 1e-6f);
    EXPECT_LT(std::abs(F1(x)), NEWTON::ZERO_TOLERANCE);
}

INSTANTIATE_TEST_SUITE_P(
    StartValues, FindZero,
    testing::Values(StartCase{"zero", 0.0f, 4}, StartCase{"minus_one", -1.0f, 3},
                    StartCase{"one", 1.0f, 5}, StartCase{"five", 5.0f, 10},
                    StartCase{"ten", 10.0f, 15}, StartCase{"at_the_root", -0.703467429f, 1},
                    StartCase{"just_below_overflow", 88.0f, 93}),
    [](const testing::TestParamInfo<StartCase>& info) { return info.param.name; });

TEST(FindZeroBreakdown, OverflowingStartEndsOnNaNAfterOneStep)
{
    for (const float start : {89.0f, 100.0f, 1e30f}) {
        float x = start;
        std::int32_t steps = 0;
        testing::internal::CaptureStderr();
        NEWTON::FIND_ZERO(x, steps, F1, F1DOT);
        const std::string message = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(std::isnan(x)) << start;
        EXPECT_EQ(steps, 1) << start;
        EXPECT_NE(message.find("e^x overflows"), std::string::npos) << message;
    }
}

TEST(FindZeroBreakdown, HugeNegativeStartEndsOnInfinity)
{
    float x = -2e19f;  // x^2 overflows, the step lands on +Infinity, F there is NaN
    std::int32_t steps = 0;
    testing::internal::CaptureStderr();
    NEWTON::FIND_ZERO(x, steps, F1, F1DOT);
    const std::string message = testing::internal::GetCapturedStderr();
    EXPECT_EQ(x, std::numeric_limits<float>::infinity());
    EXPECT_EQ(steps, 1);
    EXPECT_NE(message.find("broke down in step 1"), std::string::npos) << message;
}

TEST(FindZeroCycle, RepeatingIteratesStopTheLoop)
{
    // f(x) = x^3 - 2x + 2 sends Newton from 0 to 1 and back to 0 for ever.
    const NEWTON::RealFunction f = [](const float& x) { return x * x * x - 2.0f * x + 2.0f; };
    const NEWTON::RealFunction fdot = [](const float& x) { return 3.0f * x * x - 2.0f; };
    float x = 0.0f;
    std::int32_t steps = 0;
    testing::internal::CaptureStderr();
    NEWTON::FIND_ZERO(x, steps, f, fdot);
    const std::string message = testing::internal::GetCapturedStderr();
    EXPECT_LT(steps, 10);
    EXPECT_TRUE(x == 0.0f || x == 1.0f) << x;
    EXPECT_NE(message.find("the iterates repeat"), std::string::npos) << message;
}

// The test comes first: from 0 the fourth step meets it, so a limit of 4 is enough.
// A typed function's breakdown is not put down to e^x.
TEST(FindZero, StepLimitToleranceAndTypedFunctions)
{
    struct Case {
        const char* name;
        float start;
        NEWTON::SETTINGS settings;
        std::int32_t steps;
        const char* message;  // the end of stderr; "" for none
    };
    const Case cases[] = {
        {"converges_at_the_limit", 0.0f, {NEWTON::ZERO_TOLERANCE, 4, true}, 4, ""},
        {"one_step_short",
         0.0f,
         {NEWTON::ZERO_TOLERANCE, 3, true},
         3,
         ": the step limit (-n/--max-steps) is reached\n"},
        {"looser_tolerance", 0.0f, {0.1f, 100, true}, 2, ""},
        {"typed_breakdown",
         89.0f,
         {NEWTON::ZERO_TOLERANCE, 100, false},
         1,
         "mirtova: Newton iteration broke down in step 1: the step from x = 89 gives NaN\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        runtime::start("mirtova", runtime::Language::english);
        float x = c.start;
        std::int32_t steps = 0;
        testing::internal::CaptureStderr();
        NEWTON::FIND_ZERO(x, steps, F1, F1DOT, c.settings);
        const std::string message = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(*c.message == '\0' ? message.empty() : message.ends_with(c.message)) << message;
        EXPECT_EQ(steps, c.steps);
    }
}

// An F1DOT that sends SIGINT on its RAISE_AT-th evaluation, as Ctrl-C would then; it
// is taken once per step, so the step in progress is finished first.
int CALLS = 0;
int RAISE_AT = 0;

float f1dot_then_ctrl_c(const float& x)
{
    if (++CALLS == RAISE_AT) std::raise(SIGINT);
    return F1DOT(x);
}

[[noreturn]] void interrupted_find_zero(int raise_at)
{
    std::signal(SIGINT, SIG_DFL);  // as a program started from a terminal has it
    runtime::start("mirtova", runtime::Language::english);
    RAISE_AT = raise_at;
    if (raise_at == 0) std::raise(SIGINT);
    float x = 10.0f;
    std::int32_t steps = 0;
    NEWTON::FIND_ZERO(x, steps, F1, f1dot_then_ctrl_c);
    std::_Exit(0);
}

TEST(FindZeroDeathTest, CtrlCStopsAfterTheCurrentStep)
{
    EXPECT_EXIT(interrupted_find_zero(0), testing::ExitedWithCode(130),
                "^mirtova: Newton iteration interrupted after 0 steps at x = 10\n$");
    EXPECT_EXIT(interrupted_find_zero(1), testing::ExitedWithCode(130),
                "^mirtova: Newton iteration interrupted after 1 step at x = 9.003635\n$");
    EXPECT_EXIT(interrupted_find_zero(2), testing::ExitedWithCode(130),
                "^mirtova: Newton iteration interrupted after 2 steps at x = ");
}

}  // namespace
