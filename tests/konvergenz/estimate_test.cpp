// How far the last iterate lies from the root, and where the root lies: checked on logs of
// iterations whose root is known exactly, written the way quarlen's methods write them.
#include "error_estimate.hpp"
#include "log_analysis.hpp"
#include "log_header.hpp"
#include "quarlen_log.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace konvergenz {
namespace {

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double nan = std::numeric_limits<double>::quiet_NaN();

using test::bisection_header;
using test::bisection_run;
using test::fixed_point_run;
using test::map_linearly;
using test::newton_run;
using test::Records;
using test::start_header;

// The logs here come from functions other than quarlen's, so nothing is replayed.
MethodSummary analyse(MethodKind kind, const std::string& header, const Records& records)
{
    const Method& method = all_methods[static_cast<std::size_t>(kind)];
    const test_support::TempDir dir;
    test::write_log(dir / std::string(method.log_file), header, records);
    return analyse_log(dir / std::string(method.log_file), method, std::nullopt);
}

struct KnownRootCase {
    const char* name;
    MethodKind kind;
    std::string header;
    Records records;
    double root;
    double error_factor;  // the estimate lies within this factor of the true error
    double limit_error;   // the estimated limit lies at most this far from the root
    std::optional<double> q;
};

TEST(ErrorEstimate, ComesCloseToTheTrueErrorOnRunsWithKnownRoots)
{
    const double slow_fixed_point = 3.889720169867429;  // that of g(x) = x + e^-x - 0.1/(x+1)
    const KnownRootCase cases[] = {
        {"fixed point of a map contracting by 0.5", MethodKind::fixed_point, start_header(10),
         fixed_point_run([](double x) { return map_linearly(x, 2, 0.5); }, 10), 2, 1.000001, 1e-13,
         0.5},
        {"slow fixed point, contracting by 0.984", MethodKind::fixed_point, start_header(4),
         fixed_point_run([&](double x) { return map_linearly(x, slow_fixed_point, 0.984); }, 4),
         slow_fixed_point, 1.000001, 1e-12, 0.984},
        {"fixed point approached from both sides", MethodKind::fixed_point, start_header(3),
         fixed_point_run([](double x) { return map_linearly(x, -1.25, -0.7); }, 3), -1.25, 1.000001,
         1e-13, 0.7},
        {"Newton on (x - 3)(x + 1) from 10", MethodKind::newton, start_header(10),
         newton_run([](double x) { return x * x - 2 * x - 3; }, [](double x) { return 2 * x - 2; },
                    10),
         3, 1.01, 1e-8, std::nullopt},
        {"Newton on x^3 - 8 from 1", MethodKind::newton, start_header(1),
         newton_run([](double x) { return x * x * x - 8; }, [](double x) { return 3 * x * x; }, 1),
         2, 1.01, 1e-8, std::nullopt},
        // The bound is never below the true error and, for these roots, at most 4 times it.
        {"bisection of x - 1/3 in [0, 1]", MethodKind::bisection, bisection_header(0, 1),
         bisection_run([](double x) { return x - 1.0 / 3; }, 0, 1), 1.0 / 3, 4, 1e-15,
         std::nullopt},
        {"bisection of 2.7 - x in [10, 0]", MethodKind::bisection, bisection_header(10, 0),
         bisection_run([](double x) { return 2.7 - x; }, 10, 0), 2.7, 4, 1e-15, std::nullopt},
    };
    for (const KnownRootCase& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_GE(c.records.size(), 3u);
        const MethodSummary summary = analyse(c.kind, c.header, c.records);
        const double true_error = std::fabs(c.records.back().x - c.root);
        ASSERT_TRUE(summary.estimate.error && summary.estimate.limit);
        const double error = *summary.estimate.error;
        if (c.kind == MethodKind::bisection) {
            EXPECT_GE(error, true_error);
        } else {
            EXPECT_GE(error, true_error / c.error_factor);
        }
        EXPECT_LE(error, true_error * c.error_factor);
        EXPECT_NEAR(*summary.estimate.limit, c.root, c.limit_error);
        EXPECT_LT(std::fabs(*summary.estimate.limit - c.root),
                  true_error / 100);  // far better than x_last
        EXPECT_FALSE(summary.estimate.contradicting_estimate);
        if (c.q) {
            EXPECT_NEAR(summary.stats.final_factor().value_or(0), *c.q, 1e-9);
        }
    }
}

TEST(ErrorEstimate, BisectionWithoutSignChangeContradictsItsBound)
{
    // F(x) = x + 1 is positive on [0, 1]: the midpoints run into 1 and stop there.
    const Records records = bisection_run([](double x) { return x + 1; }, 0, 1, 60);
    ASSERT_EQ(records.back().x, 1.0);
    const MethodSummary summary = analyse(MethodKind::bisection, bisection_header(0, 1), records);
    const ErrorEstimate& e = summary.estimate;
    ASSERT_TRUE(e.error && e.contradicting_estimate);
    EXPECT_EQ(*e.error,
              std::nextafter(1.0, 2.0) - 1.0);  // the bound cannot shrink below a double's spacing
    EXPECT_NEAR(*e.contradicting_estimate, 2.0, 0.01);  // F(1) over a slope of 1
    EXPECT_FALSE(e.limit);
}

struct UnknowableCase {
    const char* name;
    MethodKind kind;
    std::string header;
    Records records;
    std::optional<double> error, limit;
};

TEST(ErrorEstimate, IsLeftOutWhereTheLogCannotTellOrGivenWhereItCan)
{
    const double step = std::nextafter(1.0, 2.0) - 1.0;
    const UnknowableCase cases[] = {
        {"no records", MethodKind::newton, "Startwert= 1e20\n", {}, std::nullopt, std::nullopt},
        {"one record",
         MethodKind::newton,
         "Startwert= 4\n",
         {{0, 4, -16}},
         std::nullopt,
         std::nullopt},
        {"one bisection record: the bound alone",
         MethodKind::bisection,
         bisection_header(0, 10),
         {{0, 5, 100}},
         5.0,
         std::nullopt},
        {"bisection header without values",
         MethodKind::bisection,
         "Ausgangswerte\n",
         {{0, 5, 100}, {1, 2.5, -150}},
         std::nullopt,
         4.0},
        {"infinite interval",
         MethodKind::bisection,
         bisection_header(0, inf),
         {{0, inf, nan}},
         std::nullopt,
         std::nullopt},
        {"NaN midpoint",
         MethodKind::bisection,
         bisection_header(0, 1),
         {{0, 0.5, 1}, {1, nan, nan}},
         std::nullopt,
         std::nullopt},
        {"equal values: slope 0",
         MethodKind::newton,
         "Startwert= 1\n",
         {{0, 1, 5}, {1, 2, 5}},
         std::nullopt,
         std::nullopt},
        {"last value NaN",
         MethodKind::newton,
         "Startwert= 1\n",
         {{0, 1, 1}, {1, 2, nan}},
         std::nullopt,
         std::nullopt},
        {"slope beyond the range of doubles",
         MethodKind::newton,
         "Startwert= 1\n",
         {{0, 1, 1e300}, {1, 1 + step, -1e300}},
         std::nullopt,
         std::nullopt},
        {"correction beyond the range of doubles",
         MethodKind::newton,
         "Startwert= 0\n",
         {{0, 0, 1e10}, {1, 1e300, std::nextafter(1e10, 2e10)}},
         std::nullopt,
         std::nullopt},
        {"standstill: the secant through the last two different iterates",
         MethodKind::fixed_point,
         "Startwert= 1\n",
         {{0, 1, 1.5}, {1, 1.5, 1.5}, {2, 1.5, 1.5}},
         0.0,
         1.5},
    };
    for (const UnknowableCase& c : cases) {
        SCOPED_TRACE(c.name);
        const ErrorEstimate e = analyse(c.kind, c.header, c.records).estimate;
        EXPECT_EQ(e.error, c.error);
        EXPECT_EQ(e.limit, c.limit);
    }
}

TEST(BisectionBound, HalvesPerStepButNeverBelowTheSpacingOfDoubles)
{
    const double spacing_at_4 = std::ldexp(1.0, -50);
    EXPECT_EQ(bisection_bound(0, 10, 20, 4.1), std::ldexp(10.0, -21));
    EXPECT_EQ(bisection_bound(10, 0, 20, 4.1), std::ldexp(10.0, -21));
    EXPECT_EQ(bisection_bound(0, 10, 70, 4.1), spacing_at_4);
    EXPECT_EQ(bisection_bound(0, 10, 2147483647, -4.1), spacing_at_4);
    EXPECT_EQ(bisection_bound(-1e308, 1e308, 0, 0), std::nullopt);  // b - a overflows
}

struct HeaderCase {
    const char* name;
    MethodKind kind;
    std::string header;
    std::vector<double> values;  // empty: not understood
};

TEST(LogHeader, ReadsTheRunsInputsAsQuarlenWritesThem)
{
    const HeaderCase cases[] = {
        {"bisection",
         MethodKind::bisection,
         "Ausgangswerte - a= " + test::real(0) + ", b= " + test::real(10),
         {0, 10}},
        {"start value",
         MethodKind::newton,
         "Startwert= " + test::real(-1.2345678901234567e-300),
         {-1.2345678901234567e-300}},
        {"blanks squeezed and added",
         MethodKind::bisection,
         "  Ausgangswerte -a=2.5 ,b=   -3e2  ",
         {2.5, -300}},
        {"non-finite values",
         MethodKind::bisection,
         "Ausgangswerte - a= -Infinity, b= NaN",
         {-inf, nan}},
        {"start value infinite",
         MethodKind::fixed_point,
         "Startwert=                 Infinity",
         {inf}},
        {"nothing after the keyword", MethodKind::newton, "Startwert=", {}},
        {"a word for the value", MethodKind::newton, "Startwert= vier", {}},
        {"more after the value", MethodKind::fixed_point, "Startwert= 4 5", {}},
        {"b missing", MethodKind::bisection, "Ausgangswerte - a= 0", {}},
        {"more after b", MethodKind::bisection, "Ausgangswerte - a= 0, b= 10, c= 1", {}},
        {"tabs as blanks", MethodKind::bisection, "Ausgangswerte\t-\ta=\t2.5\t,\tb=\t-3e2\t",
         {2.5, -300}},
        {"values without the keyword", MethodKind::bisection, "a= 0, b= 10", {}},
        {"a value without the keyword", MethodKind::newton, "4", {}},
        {"a and b swapped", MethodKind::bisection, "Ausgangswerte - b= 0, a= 10", {}},
        {"decimal comma", MethodKind::bisection, "Ausgangswerte - a= 0,5, b= 10", {}},
        {"other method's header", MethodKind::newton, "Ausgangswerte - a= 0, b= 10", {}},
    };
    for (const HeaderCase& c : cases) {
        SCOPED_TRACE(c.name);
        const auto parsed = parse_start_values(c.kind, c.header);
        ASSERT_EQ(parsed.has_value(), !c.values.empty());
        if (!parsed) continue;
        ASSERT_EQ(parsed->size(), c.values.size());
        for (std::size_t i = 0; i < c.values.size(); ++i) {
            const double got = (*parsed)[i].value;
            EXPECT_TRUE(got == c.values[i] || (std::isnan(got) && std::isnan(c.values[i]))) << i;
            EXPECT_EQ((*parsed)[i].name,
                      c.kind == MethodKind::bisection ? (i == 0 ? "a" : "b") : "x0");
        }
    }
}

}  // namespace
}  // namespace konvergenz
