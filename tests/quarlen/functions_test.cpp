#include "rootfinding/functions.hpp"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

#include "runtime/elementary.hpp"
#include "tests/quarlen/exact_values.hpp"

namespace {

using namespace FUNCTIONS;

// Equal to the last bit; any NaN equals any NaN (the sign of a NaN is not specified).
testing::AssertionResult same_bits(double got, double want)
{
    if ((std::isnan(got) && std::isnan(want)) || std::memcmp(&got, &want, sizeof got) == 0)
        return testing::AssertionSuccess();
    char text[96];
    std::snprintf(text, sizeof text, "got %a (%.17g), want %a (%.17g)", got, got, want, want);
    return testing::AssertionFailure() << text;
}

// The expected values come from exact_reference.py: every operation done exactly in
// rational arithmetic and rounded to binary64, in the documented order.
TEST(Functions, BitForBitAtAwkwardPoints)
{
    for (const auto& p : exact_values::F1_POINTS) {
        SCOPED_TRACE(p.text);
        EXPECT_TRUE(same_bits(F1(p.x), p.f1)) << "F1";
        EXPECT_TRUE(same_bits(DF1(p.x), p.df1)) << "DF1";
    }
    for (const auto& p : exact_values::GF2_POINTS) {
        SCOPED_TRACE(p.text);
        // GF2 takes e^-x from the correctly rounded exp, so a difference below is GF2's own.
        ASSERT_TRUE(same_bits(runtime::exponential(-p.x), p.exp_minus_x)) << "exp";
        EXPECT_TRUE(same_bits(GF2(p.x), p.gf2)) << "GF2";
    }
}

TEST(Functions, KnownValues)
{
    EXPECT_EQ(F1(4), -16);
    EXPECT_EQ(F1(5), 100);
    EXPECT_EQ(F1(0), -400);
    EXPECT_EQ(DF1(4), 108);
    EXPECT_EQ(DF1(0), 100);
    EXPECT_EQ(GF1(4), -12);
    EXPECT_DOUBLE_EQ(F2(0), 0.9);
    EXPECT_DOUBLE_EQ(GF2(0), 0.9);
    EXPECT_LT(GF2(4), 4);
    EXPECT_GT(GF2(4), 3.99);
    // At -1 the test functions 2 divide by zero.
    EXPECT_TRUE(std::isinf(F2(-1)));
    EXPECT_TRUE(std::isinf(GF2(-1)));
    EXPECT_TRUE(std::isinf(DF2(-1)));
    // Their twins on tracked reals see the same operations underflow: x^3 below about
    // 1e-103, e^-x beyond about 708; and x^3 overflow beyond about 5.6e102.
    using runtime::Loss;
    EXPECT_EQ(F1_UNDERFLOWS(4.1467).loss, Loss::none);
    EXPECT_EQ(F1_UNDERFLOWS(1e-110).loss, Loss::underflow);
    EXPECT_EQ(F1_UNDERFLOWS(1e110).loss, Loss::overflow);
    EXPECT_EQ(GF2_UNDERFLOWS(4).loss, Loss::none);
    EXPECT_EQ(GF2_UNDERFLOWS(800).loss, Loss::underflow);
}

TEST(Functions, RelationsAndDerivatives)
{
    double previous = F1(-50);
    for (double x = -50; x <= 50; x += 0.125) {
        SCOPED_TRACE(x);
        const double h = 1e-5 * std::max(1.0, std::abs(x));
        // DF1 and DF2 against a central difference.
        EXPECT_NEAR(DF1(x), (F1(x + h) - F1(x - h)) / (2 * h), 1e-6 * std::abs(DF1(x)) + 1e-4);
        if (x > -0.9) {
            EXPECT_NEAR(DF2(x), (F2(x + h) - F2(x - h)) / (2 * h), 1e-6 * std::abs(DF2(x)) + 1e-9);
            EXPECT_NEAR(GF2(x), x + F2(x), 1e-12 * std::max(1.0, std::abs(x)));
        }
        EXPECT_NEAR(GF1(x), x + F1(x), 1e-12 * std::max(1.0, std::abs(F1(x))));
        if (x > -50) {
            EXPECT_GT(F1(x), previous) << "F1 increases strictly";
        }
        previous = F1(x);
    }
    // Its one real root lies near 4.15.
    EXPECT_LT(F1(4.14), 0);
    EXPECT_GT(F1(4.15), 0);
}

}  // namespace
