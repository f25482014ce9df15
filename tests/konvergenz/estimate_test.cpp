// How far the last iterate lies from the root, and where the root lies: checked on logs of
// iterations whose root is known exactly, written the way quarlen's methods write them.
#include "error_estimate.hpp"
#include "log_analysis.hpp"
#include "log_header.hpp"
#include "quarlen_log.hpp"
#include "runtime/record.hpp"

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
    const Method& method = method_of(kind);
    const test_support::TempDir dir;
    test::write_log(dir / std::string(method.log_file), header, records);
    return analyse_log(dir / std::string(method.log_file), method, Judging::none);
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
    // F(x) = (1 - x)^0.005 + 0.001 is positive on [0, 1]: the midpoints run towards 1,
    // and |F| shrinks by 2^-0.005 a step, so slowly that a secant says 288 bounds.
    const Records records = bisection_run(test::slowly_shrinking_without_root, 0, 1, 40);
    ASSERT_EQ(records.back().x, 1 - std::ldexp(1.0, -40));
    const MethodSummary summary = analyse(MethodKind::bisection, bisection_header(0, 1), records);
    const ErrorEstimate& e = summary.estimate;
    ASSERT_TRUE(e.error && e.contradicting_estimate);
    EXPECT_EQ(*e.error, std::ldexp(1.0, -40));
    EXPECT_NEAR(*e.contradicting_estimate, 2.6227113926841951e-10, 1e-19);
    EXPECT_FALSE(e.limit);
    EXPECT_FALSE(e.diverging);
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
        // The bracket from the records' signs: the other end is the latest point with the
        // other sign, or the end of [a, b] the points move towards, or for one the farther.
        {"regula falsi: the end 4 never moved",
         MethodKind::regula_falsi,
         bisection_header(0, 4),
         {{0, 1, -1}, {1, 1.5, -0.5}},
         2.5,
         2.0},
        {"regula falsi: points of both signs",
         MethodKind::regula_falsi,
         bisection_header(4, 0),
         {{0, 1, -1}, {1, 3, 1}, {2, 2, 0.5}},
         1.0,
         1.0},
        {"Illinois: one point, the farther end",
         MethodKind::illinois,
         bisection_header(0, 4),
         {{0, 1, -1}},
         3.0,
         std::nullopt},
        // Chords that meet the axis outside [a, b] bracket nothing: the secant estimate,
        // where |F| shrinks.
        {"regula falsi beyond the interval",
         MethodKind::regula_falsi,
         bisection_header(0, 4),
         {{0, -1, 3}, {1, -2, 1}},
         0.5,
         -2.5},
        {"regula falsi beyond the interval, |F| growing",
         MethodKind::regula_falsi,
         bisection_header(0, 4),
         {{0, -1, 1}, {1, -2, 3}, {2, -3, 9}},
         std::nullopt,
         std::nullopt},
        // A bracket closing on a pole or a jump rather than a root: the last |F| is not
        // finite, or it does not shrink.
        {"bisection: the last |F| infinite",
         MethodKind::bisection,
         bisection_header(0, 1),
         {{0, 0.5, 2}, {1, 0.25, 1}, {2, 0.125, inf}},
         std::nullopt,
         std::nullopt},
        {"regula falsi: |F| growing",
         MethodKind::regula_falsi,
         bisection_header(0, 4),
         {{0, 1, -1}, {1, 1.5, -2}},
         std::nullopt,
         std::nullopt},
        {"regula falsi at a point where F is exactly 0: no bracket left",
         MethodKind::regula_falsi,
         bisection_header(0, 4),
         {{0, 1, -1}, {1, 2, 0}},
         0.0,
         2.0},
        {"bisection at a midpoint where F is exactly 0",
         MethodKind::bisection,
         bisection_header(0, 4),
         {{0, 2, 0}},
         0.0,
         std::nullopt},
        // Where |f| does not shrink, the points approach nothing a step could size.
        {"a fixed point running off: q > 1",
         MethodKind::fixed_point,
         "Startwert= 1\n",
         {{0, 1, 1.5}, {1, 1.5, 2.5}, {2, 2.5, 4.5}},
         std::nullopt,
         std::nullopt},
        {"Steffensen running off",
         MethodKind::steffensen,
         "Startwert= 1\n",
         {{0, 1, 2}, {1, 2, 4}, {2, 4, 8}},
         std::nullopt,
         std::nullopt},
        // One step that grows is no trend: the first step may overshoot.
        {"Steffensen after one growing step",
         MethodKind::steffensen,
         "Startwert= 1\n",
         {{0, 1, 2}, {1, 2, 4}},
         2.0,
         4.0},
        {"regula falsi: a NaN point",
         MethodKind::regula_falsi,
         bisection_header(0, 4),
         {{0, 1, -1}, {1, nan, nan}},
         std::nullopt,
         std::nullopt},
        {"Steffensen: the next iterate",
         MethodKind::steffensen,
         "Startwert= 1\n",
         {{0, 1, 1.5}, {1, 1.5, 1.625}},
         0.125,
         1.625},
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
    std::string typed = "";      // the items after them, "|" between
};

std::string items_of(const TypedEquation& typed)
{
    std::string items;
    const auto add = [&items](const std::string& item) {
        items += (items.empty() ? "" : "|") + item;
    };
    if (typed.f) add("f(x) = " + *typed.f);
    if (typed.df) add("f'(x) = " + *typed.df);
    if (typed.g) add("g(x) = " + *typed.g);
    if (typed.tolerance) add("Toleranz= " + runtime::shortest(*typed.tolerance));
    return items;
}

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
        {"secant method",
         MethodKind::secant,
         "Startwerte - x0= " + test::real(0) + ", x1= " + test::real(10),
         {0, 10}},
        {"secant starts for Newton's method", MethodKind::newton, "Startwerte - x0= 0, x1= 10", {}},
        {"one secant start", MethodKind::secant, "Startwerte - x0= 0", {}},
        {"interval for the secant method", MethodKind::secant, "Ausgangswerte - a= 0, b= 10", {}},
        // What quarlen adds for typed formulas, as its equation module writes it.
        {"typed f and a tolerance", MethodKind::bisection,
         "Ausgangswerte - a= " + test::real(0) + ", b= " + test::real(2) +
             ", f(x) = x^2 - 2, Toleranz= 1e-10",
         {0, 2}, "f(x) = x^2 - 2|Toleranz= 1e-10"},
        {"f and f' for Newton's method", MethodKind::newton,
         "Startwert= 1, f(x) = x^2 - 2, f'(x) = 2x", {1}, "f(x) = x^2 - 2|f'(x) = 2x"},
        {"g formed from f", MethodKind::fixed_point,
         "Startwert= 1, f(x) = cos(x) - x, g(x) = x + f(x), Toleranz= 2.5e-07", {1},
         "f(x) = cos(x) - x|g(x) = x + f(x)|Toleranz= 2.5e-07"},
        {"the secant method's starts and f", MethodKind::secant,
         "Startwerte - x0= 0, x1= 1, f(x) = exp(x) - 3x", {0, 1}, "f(x) = exp(x) - 3x"},
        {"g typed for Steffensen's method", MethodKind::steffensen, "Startwert= 1, g(x) = cos(x)",
         {1}, "g(x) = cos(x)"},
        // Items quarlen never writes for the method: replayed on them, the run would be judged
        // on a function it never used.
        {"g for the secant method", MethodKind::secant, "Startwerte - x0= 0, x1= 1, g(x) = x", {}},
        {"f' for the secant method", MethodKind::secant,
         "Startwerte - x0= 0, x1= 1, f(x) = x, f'(x) = 1", {}},
        {"f' without f", MethodKind::newton, "Startwert= 1, f'(x) = 2x", {}},
        {"f' for the fixed point", MethodKind::fixed_point,
         "Startwert= 1, f(x) = x, f'(x) = 1, g(x) = x + f(x)", {}},
        {"f beside a typed g", MethodKind::fixed_point, "Startwert= 1, f(x) = x, g(x) = x", {}},
        {"g formed from no f", MethodKind::steffensen, "Startwert= 1, g(x) = x + f(x)", {}},
        {"an unknown item", MethodKind::newton, "Startwert= 1, h(x) = x", {}},
        {"an item twice", MethodKind::newton, "Startwert= 1, f(x) = x, f(x) = x", {}},
        {"a tolerance of 0", MethodKind::newton, "Startwert= 1, Toleranz= 0", {}},
        {"a tolerance not a number", MethodKind::newton, "Startwert= 1, Toleranz= NaN", {}},
        {"no comma before an item", MethodKind::newton, "Startwert= 1 f(x) = x", {}},
    };
    for (const HeaderCase& c : cases) {
        SCOPED_TRACE(c.name);
        const auto header = parse_header(method_of(c.kind), c.header);
        ASSERT_EQ(header.has_value(), !c.values.empty());
        if (!header) continue;
        const auto& parsed = header->inputs;
        ASSERT_EQ(parsed.size(), c.values.size());
        EXPECT_EQ(items_of(header->equation), c.typed);
        for (std::size_t i = 0; i < c.values.size(); ++i) {
            const double got = parsed[i].value;
            EXPECT_TRUE(got == c.values[i] || (std::isnan(got) && std::isnan(c.values[i]))) << i;
            EXPECT_EQ(parsed[i].name, method_of(c.kind).inputs == HeaderInputs::interval
                                             ? (i == 0 ? "a" : "b")
                                             : (i == 0 ? "x0" : "x1"));
        }
    }
}

}  // namespace
}  // namespace konvergenz
