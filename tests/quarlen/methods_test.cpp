// The three methods called directly. They write their step records to fd 1 and their
// messages to fd 2, which each run here captures, and their logs into a fresh folder.
#include "rootfinding/methods.hpp"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "rootfinding/functions.hpp"
#include "rootfinding/end_tests.hpp"
#include "rootfinding/stop_report.hpp"
#include "rootfinding/stopping_tests.hpp"
#include "runtime/console.hpp"
#include "runtime/expression.hpp"
#include "runtime/program.hpp"
#include "tests/support/fd_capture.hpp"
#include "tests/support/temp_dir.hpp"

namespace {

using namespace FUNCTIONS;
using test_support::FdCapture;
using test_support::TempDir;

struct Step {
    int n;
    double x, y;
};

struct Outcome {
    std::string out, err;
    std::string header;
    std::vector<Step> steps;
    std::string problem;  // what was wrong with the records, if anything
};

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Runs `call` with fd 1 and fd 2 captured and checks what every run must satisfy: the
// console shows exactly the log's lines after its header, each a record of the layout
// "step, real, real" with steps 0, 1, 2, ...
Outcome run(const std::function<void(const std::string& log)>& call)
{
    TempDir dir;
    const std::string log = (dir / "log.dat").string();
    Outcome o;
    {
        FdCapture out(1), err(2);
        call(log);
        runtime::console::flush();
        o.err = err.finish();
        o.out = out.finish();
    }
    const std::string file = test_support::read_file(log);
    const auto end_of_header = file.find('\n');
    if (end_of_header == std::string::npos) return o.problem = "log without header", o;
    o.header = file.substr(0, end_of_header);
    if (file.substr(end_of_header + 1) != o.out) o.problem = "console and log differ";
    for (std::size_t at = 0; at < o.out.size();) {
        const std::size_t end = o.out.find('\n', at);
        const std::string line = o.out.substr(at, end - at);
        at = end + 1;
        char* rest = nullptr;
        Step s{static_cast<int>(std::strtol(line.c_str(), &rest, 10)), 0, 0};
        s.x = std::strtod(line.c_str() + 11, nullptr);
        s.y = std::strtod(line.c_str() + 36, nullptr);
        if (line.size() != 61 || rest != line.c_str() + 11 ||
            s.n != static_cast<int>(o.steps.size()))
            o.problem = "bad record \"" + line + "\"";
        o.steps.push_back(s);
    }
    return o;
}

// stderr without the program's name and the line end: one message, or "".
std::string message_of(const Outcome& o)
{
    if (o.err.empty() || o.err.find('\n') != o.err.size() - 1) return o.err;
    return o.err.substr(o.err.find(": ") + 2, o.err.size() - 1 - (o.err.find(": ") + 2));
}

std::string real_field(double x)
{
    return std::string(runtime::Record().real(x).line().substr(0, 25));
}

// A formula typed as quarlen takes it: f, its exact derivative, and its test for
// underflow, for the settings. It stays where it was made.
struct Formula {
    explicit Formula(std::string_view text) { EXPECT_FALSE(runtime::compile(text, expression)); }
    Formula(const Formula&) = delete;
    runtime::Expression<double> expression;
    runtime::ValueOf<double> f{&expression};
    runtime::DerivativeOf<double> df{&expression};
    runtime::UnderflowOf<double> underflows{&expression};
    METHODS::SETTINGS settings(double tolerance = METHODS::TOLERANCE) const
    {
        return {tolerance, std::numeric_limits<std::int32_t>::max(), "", underflows};
    }
};

// Only underflow makes these 0 or subnormal: a line through 1, scaled down so far that
// it is 0 everywhere, or subnormal between -3 and 3, and a fixed-point form of the first.
const Formula VANISHING("(x - 1)*1e-300*1e-300");
const Formula SUBNORMAL("(x - 1)*1e-300*1e-10");
const Formula VANISHING_G("x + (x - 1)*1e-300*1e-300");
// Subnormal exactly, by subtraction alone: no underflow.
const Formula EXACTLY_SUBNORMAL("x - 1e-310");
// What a method says after stopping on such a value.
const std::string BY_UNDERFLOW = " ist nur durch Unterlauf 0; ob x nahe einer Nullstelle liegt, "
                                 "zeigt das nicht";
std::string FIXED_BY_UNDERFLOW(const char* method)
{
    return method +
           std::string(" ohne einen Schritt bei x = 3 nicht konvergiert: g(x) - x ist nur "
                       "durch Unterlauf 0; ob x nahe einem Fixpunkt liegt, zeigt das nicht");
}

enum class Method { bisec, newton, fix, regula_falsi, illinois, secant, steffensen };

// Calls METHOD as the driver does: a bracketing method on [A, B], leaving its point in X;
// the secant method from A and B; the others from X. F for the methods on f, DF for
// Newton's, G for the fixed point and Steffensen's. Returns how it ended.
METHODS::ENDING call(Method method, double& a, double& b, double& x, std::int32_t& steps,
                     const std::string& log, RealFunction f, RealFunction df, RealFunction g,
                     const METHODS::SETTINGS& settings = {})
{
    switch (method) {
    case Method::bisec:
        return METHODS::BISEC(a, b, x, f, steps, log, settings);
    case Method::newton:
        return METHODS::NEWTON(x, steps, f, df, log, settings);
    case Method::fix:
        return METHODS::FIX(x, g, steps, log, settings);
    case Method::regula_falsi:
        return METHODS::REGULA_FALSI(a, b, x, f, steps, log, settings);
    case Method::illinois:
        return METHODS::ILLINOIS(a, b, x, f, steps, log, settings);
    case Method::secant:
        return METHODS::SECANT(a, b, steps, f, log, settings);
    case Method::steffensen:
        return METHODS::STEFFENSEN(x, g, steps, log, settings);
    }
    return METHODS::ENDING::CONVERGED;
}

// ---------------------------------------------------------------- step limit, tolerance

runtime::RangeLoss always_underflows(const double&) { return {runtime::Loss::underflow, 0}; }
runtime::RangeLoss hiding_a_tenth(const double&) { return {runtime::Loss::underflow, 0.1}; }

// The loop test comes first: a method whose test passes after exactly MAX_STEPS steps has
// converged; one step fewer allowed, it stops with a message and the log keeps every step.
TEST(Methods, StepLimitAndTolerance)
{
    using enum Method;
    struct Case {
        const char* name;
        Method method;
        METHODS::SETTINGS settings;
        std::size_t records;
        const char* message;  // the end of stderr; "" for none
    };
    const char* const LIMIT = ": die Höchstzahl der Schritte (-n/--max-schritte) ist erreicht\n";
    const Case cases[] = {
        {"bisec_converges_at_the_limit", bisec, {METHODS::TOLERANCE, 21, ""}, 21, ""},
        {"bisec_one_step_short", bisec, {METHODS::TOLERANCE, 20, ""}, 20, LIMIT},
        {"newton_converges_at_the_limit", newton, {METHODS::TOLERANCE, 4, ""}, 4, ""},
        {"newton_one_step_short", newton, {METHODS::TOLERANCE, 3, ""}, 3, LIMIT},
        {"fix_converges_at_the_limit", fix, {METHODS::TOLERANCE, 180, ""}, 180, ""},
        {"fix_one_step_short", fix, {METHODS::TOLERANCE, 179, ""}, 179, LIMIT},
        // Step counts for another tolerance from exact_reference.py's methods.
        {"fix_tolerance_tighter", fix, {1e-6, 1000, ", Toleranz= 1e-06"}, 461, ""},
        {"newton_tolerance_looser", newton, {0.5, 1000, ""}, 2, ""},
        // No iterate comes before the first, so the first step is taken for any tolerance.
        {"newton_tolerance_of_one", newton, {1, 1000, ""}, 2, ""},
        {"newton_tolerance_above_one", newton, {5, 1000, ""}, 1, ""},
        // An underflow matters only where the value tested is 0 or subnormal, or where what
        // it hid can carry that value beyond the tolerance.
        {"underflow_elsewhere", bisec, {METHODS::TOLERANCE, 21, "", always_underflows}, 21, ""},
        {"underflow_hiding_more_than_the_tolerance", bisec,
         {METHODS::TOLERANCE, 21, "", hiding_a_tenth}, 21,
         ", doch ein Unterlauf unterwegs kann den Wert um bis zu 0.1 verfälschen; ob x nahe "
         "einer Nullstelle liegt, zeigt das nicht\n"},
        // The four further methods from the README's run of all seven.
        {"regula_falsi_converges_at_the_limit", regula_falsi, {METHODS::TOLERANCE, 18, ""}, 18, ""},
        {"regula_falsi_one_step_short", regula_falsi, {METHODS::TOLERANCE, 17, ""}, 17, LIMIT},
        {"illinois_converges_at_the_limit", illinois, {METHODS::TOLERANCE, 7, ""}, 7, ""},
        {"illinois_one_step_short", illinois, {METHODS::TOLERANCE, 6, ""}, 6, LIMIT},
        {"secant_converges_at_the_limit", secant, {METHODS::TOLERANCE, 6, ""}, 6, ""},
        {"secant_one_step_short", secant, {METHODS::TOLERANCE, 5, ""}, 5, LIMIT},
        {"steffensen_converges_at_the_limit", steffensen, {METHODS::TOLERANCE, 6, ""}, 6, ""},
        {"steffensen_one_step_short", steffensen, {METHODS::TOLERANCE, 5, ""}, 5, LIMIT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        double a = 0, b = 10, x = c.method == fix ? 4 : 0;
        std::int32_t steps = -1;
        const Outcome o = run([&](const std::string& log) {
            runtime::start("quarlen", runtime::Language::german);
            call(c.method, a, b, x, steps, log, F1, DF1, GF2, c.settings);
        });
        ASSERT_EQ(o.problem, "");
        EXPECT_EQ(o.steps.size(), c.records);
        EXPECT_EQ(steps, static_cast<std::int32_t>(c.records));
        EXPECT_TRUE(*c.message == '\0' ? o.err.empty() : o.err.ends_with(c.message)) << o.err;
        EXPECT_TRUE(o.header.ends_with(c.settings.HEADER)) << o.header;
        if (c.method == fix && *c.message == '\0') {
            EXPECT_LE(std::abs(GF2(x) - x), c.settings.TOLERANCE);
        }
    }
}

// ---------------------------------------------------------------- bisection

double x_minus_1_5e308(const double& x) { return x - 1.5e308; }
double x_plus_1_5e308(const double& x) { return x + 1.5e308; }
double x_minus_4(const double& x) { return x - 4; }
double x_minus_1e300(const double& x) { return x - 1e300; }
double x2_minus_4(const double& x) { return x * x - 4; }

struct BisecCase {
    const char* name;
    double a, b;
    RealFunction f;
    std::function<void(const Outcome&, double a, double b, double x, std::int32_t steps)> facts;
    METHODS::SETTINGS settings = {};
};

void f1_from_0_to_10(const Outcome& o, double, double, double x, std::int32_t steps)
{
    ASSERT_EQ(o.steps.size(), 21u);
    EXPECT_EQ(steps, 21);
    EXPECT_EQ(o.steps[0].x, 5);
    EXPECT_EQ(o.steps[0].y, 100);
    EXPECT_EQ(o.steps[1].x, 2.5);
    EXPECT_LT(o.steps[1].y, 0);
    EXPECT_EQ(o.steps[2].x, 3.75);
    EXPECT_LT(o.steps[2].y, 0);
    EXPECT_NEAR(x, 4.1467, 1e-4);
    EXPECT_EQ(x, o.steps.back().x);
    EXPECT_LE(std::abs(F1(x)), METHODS::TOLERANCE);
    EXPECT_EQ(o.err, "");
}

const BisecCase BISEC_CASES[] = {
    {"f1_0_10", 0, 10, F1,
     [](const Outcome& o, double a, double b, double x, std::int32_t s) {
         EXPECT_EQ(o.header, "Ausgangswerte - a= " + real_field(0) + ", b= " + real_field(10));
         f1_from_0_to_10(o, a, b, x, s);
     }},
    {"f1_10_0", 10, 0, F1, f1_from_0_to_10},
    {"first_midpoint_meets_tolerance", 2, 6, x_minus_4,
     [](const Outcome& o, double a, double b, double x, std::int32_t steps) {
         EXPECT_TRUE(o.steps.empty());
         EXPECT_EQ(steps, 0);
         EXPECT_EQ(x, 4);
         EXPECT_EQ(a, 2);
         EXPECT_EQ(b, 6);
     }},
    {"no_sign_change", 5, 10, F1,
     [](const Outcome& o, double, double, double, std::int32_t steps) {
         EXPECT_NE(o.err.find("keinen Vorzeichenwechsel"), std::string::npos) << o.err;
         EXPECT_EQ(steps, static_cast<std::int32_t>(o.steps.size()));
         EXPECT_LT(steps, 200);
     }},
    // The NaN at the second midpoint is in the log as step 1, and the message says so.
    {"nan_at_a_later_midpoint", -1e300, 1e300, F1,
     [](const Outcome& o, double, double, double x, std::int32_t steps) {
         ASSERT_EQ(steps, 2);
         EXPECT_TRUE(std::isnan(o.steps[1].y));
         EXPECT_EQ(x, 5e299);
         EXPECT_NE(o.err.find("Bisektion in Schritt 1 zusammengebrochen: F(x) ist keine Zahl "
                              "bei x = 5e+299\n"),
                   std::string::npos)
             << o.err;
     }},
    {"near_largest_doubles", 1e308, 1.7e308, x_minus_1_5e308, {}},
    {"near_lowest_doubles", -1.7e308, -1e308, x_plus_1_5e308, {}},
    {"whole_range", -DBL_MAX, DBL_MAX, x_minus_1e300, {}},
    {"whole_range_reversed", DBL_MAX, -DBL_MAX, x_minus_1e300, {}},
    {"largest_to_half", DBL_MAX, DBL_MAX / 2, x_minus_1_5e308, {}},
    // An end that is a root is the result, without a step.
    {"end_b_is_a_root", -1, 2, x2_minus_4,
     [](const Outcome& o, double, double, double x, std::int32_t) {
         EXPECT_EQ(x, 2);
         EXPECT_EQ(o.out + o.err, "");
     }},
    {"subnormal_only_by_underflow", -3, 1.5, SUBNORMAL.f,
     [](const Outcome& o, double, double, double, std::int32_t) {
         EXPECT_EQ(message_of(o), "Bisektion ohne einen Schritt bei x = -0.75 nicht konvergiert: "
                                  "f(x) = -1.75e-310 ist nur durch Unterlauf so klein; ob x nahe "
                                  "einer Nullstelle liegt, zeigt das nicht");
     },
     SUBNORMAL.settings()},
};

TEST(Bisec, Cases)
{
    for (const BisecCase& c : BISEC_CASES) {
        SCOPED_TRACE(c.name);
        double a = c.a, b = c.b, x = -1;
        std::int32_t steps = -1;
        const Outcome o = run(
            [&](const std::string& log) { METHODS::BISEC(a, b, x, c.f, steps, log, c.settings); });
        ASSERT_EQ(o.problem, "");
        // Every midpoint is finite and inside the bracket that holds the sign change,
        // and each step halves that bracket.
        double lo = std::min(c.a, c.b), hi = std::max(c.a, c.b);
        const bool f_lo_positive = c.f(lo) >= 0;
        for (const Step& s : o.steps) {
            SCOPED_TRACE(s.n);
            ASSERT_TRUE(std::isfinite(s.x));
            ASSERT_GE(s.x, lo);
            ASSERT_LE(s.x, hi);
            // A NaN reads back without its sign bit.
            ASSERT_TRUE(same_bits(s.y, c.f(s.x)) || (std::isnan(s.y) && std::isnan(c.f(s.x))))
                << "the record shows F at the midpoint";
            const double width = hi - lo;
            ((s.y >= 0) == f_lo_positive ? lo : hi) = s.x;
            if (std::isfinite(width)) {
                ASSERT_LE(hi - lo, width / 2 * (1 + 1e-15) + std::abs(s.x) * DBL_EPSILON);
            }
        }
        if (c.facts) {
            c.facts(o, a, b, x, steps);
        }
    }
}

// ---------------------------------------------------------------- Newton

double x_minus_2(const double& x) { return x - 2; }
double one(const double&) { return 1; }
double x2_plus_1(const double& x) { return x * x + 1; }
double twice(const double& x) { return 2 * x; }
double cycling(const double& x) { return x * x * x - 2 * x + 2; }  // 0 -> 1 -> 0
double d_cycling(const double& x) { return 3 * x * x - 2; }
double tiny_value(const double&) { return 1e-300; }
double huge_slope(const double&) { return 1e300; }
// (x - 1)^M as a product, a root of multiplicity M, where Newton's steps shrink by (M - 1)/M.
template <int M> double x_minus_1_to_the(const double& x)
{
    double p = x - 1;
    for (int k = 1; k < M; ++k) p = p * (x - 1);
    return p;
}
template <int M> double d_x_minus_1_to_the(const double& x)
{
    return M * x_minus_1_to_the<M - 1>(x);
}
// A pole at 1, a root at 1.5: from beside the pole each step moves a third further away.
double pole(const double& x) { return 1 / ((x - 1) * (x - 1) * (x - 1)) - 8; }
double d_pole(const double& x) { return -3 / ((x - 1) * (x - 1) * (x - 1) * (x - 1)); }

struct NewtonCase {
    const char* name;
    double start;
    RealFunction f, df;
    std::vector<double> first_xs;  // the first iterates the records show
    std::int32_t steps;
    std::function<void(const Outcome&, double x)> facts;
    METHODS::SETTINGS settings = {};
};

// The method ends at X with MESSAGE, or none.
std::function<void(const Outcome&, double)> ends_at(double at, std::string message)
{
    return [at, message](const Outcome& o, double x) {
        EXPECT_EQ(x, at);
        EXPECT_EQ(message_of(o), message);
    };
}

const NewtonCase NEWTON_CASES[] = {
    {"f1_from_0",
     0,
     F1,
     DF1,
     {0, 4},
     4,
     [](const Outcome& o, double x) {
         EXPECT_EQ(o.steps[0].y, -400);
         EXPECT_EQ(o.steps[1].y, -16);
         EXPECT_NEAR(o.steps[2].x, 4.15, 0.01);
         EXPECT_NEAR(o.steps[3].x, 4.15, 0.01);
         EXPECT_NEAR(x, 4.1467236, 1e-6);
     }},
    {"f1_from_4",
     4,
     F1,
     DF1,
     {4},
     3,
     [](const Outcome& o, double x) {
         EXPECT_EQ(o.steps[0].y, -16);
         EXPECT_NEAR(x, 4.1467236, 1e-6);
         for (const Step& s : o.steps) EXPECT_NE(s.x, x) << "the last iterate has no record";
     }},
    {"at_a_root", 2, x_minus_2, one, {2}, 1, {}},
    {"within_tolerance_of_the_root", 4.1467237176896923, F1, DF1, {4.1467237176896923}, 1, {}},
    {"too_large_to_move",
     1e20,
     F1,
     DF1,
     {},
     0,
     [](const Outcome& o, double x) {
         EXPECT_EQ(x, 1e20);
         EXPECT_NE(
             o.err.find(": Newton-Verfahren ohne einen Schritt beendet: beim Startwert x = 1e+20 "
                        "ergibt x + 1 wieder x"),
             std::string::npos)
             << o.err;
     }},
    {"too_large_negative",
     -0x1p54,
     F1,
     DF1,
     {},
     0,
     [](const Outcome& o, double) {
         EXPECT_NE(o.err.find("x = -18014398509481984 ergibt"), std::string::npos) << o.err;
     }},
    // Below -2^53 + 1 is still a double: the first test passes and Newton moves.
    {"minus_2_to_53_moves",
     -0x1p53,
     x_minus_2,
     one,
     {-0x1p53, 2},
     2,
     [](const Outcome& o, double) { EXPECT_EQ(o.err, ""); }},
    {"zero_derivative",
     0,
     x2_plus_1,
     twice,
     {0, -INFINITY},
     2,
     [](const Outcome& o, double x) {
         EXPECT_TRUE(std::isnan(x));
         // The step from -Infinity, logged as step 1, leads to the NaN; the step before,
         // where the tangent is level, left the reals.
         EXPECT_EQ(message_of(o), "Newton-Verfahren in Schritt 0 zusammengebrochen: die Ableitung "
                                  "ist bei x = 0 gleich 0, die Tangente trifft die Achse nicht");
     }},
    {"correction_underflows",
     5,
     tiny_value,
     huge_slope,
     {5},
     1,
     ends_at(5, "Newton-Verfahren nach 1 Schritt bei x = 5 nicht konvergiert: der Newton-Schritt "
                "f(x)/f'(x) = 1e-300/1e+300 ist nur durch Unterlauf 0")},
    // f' is 0 too at the root 3 of f, which underflow alone makes.
    {"zero_only_by_underflow",
     3,
     VANISHING.f,
     VANISHING.df,
     {3},
     1,
     ends_at(3, "Newton-Verfahren nach 1 Schritt bei x = 3 nicht konvergiert: f(x)" + BY_UNDERFLOW),
     VANISHING.settings()},
    {"subnormal_without_underflow",
     0,
     EXACTLY_SUBNORMAL.f,
     EXACTLY_SUBNORMAL.df,
     {0},
     1,
     ends_at(1e-310, ""),
     EXACTLY_SUBNORMAL.settings()},
    // The test bounds the step, and the next step the distance left: within ten
    // tolerances at a root of multiplicity 8, not at one of 20, nor beside a pole.
    {"multiple_root_converges",
     2,
     x_minus_1_to_the<8>,
     d_x_minus_1_to_the<8>,
     {2},
     55,
     ends_at(1.0006463130368728, "")},
    {"multiple_root_too_slowly",
     2,
     x_minus_1_to_the<20>,
     d_x_minus_1_to_the<20>,
     {2},
     123,
     ends_at(1.0018197153164365,
             "Newton-Verfahren nach 123 Schritten bei x = 1.0018197153164365 nicht konvergiert: "
             "die Schritte werden je Schritt nur um 5 % kürzer; die Nullstelle liegt "
             "wohl noch etwa 0.0018 entfernt")},
    {"steps_grow_beside_a_pole",
     1.000000001,
     pole,
     d_pole,
     {1.000000001},
     1,
     [](const Outcome& o, double) {
         EXPECT_TRUE(message_of(o).ends_with(
             "nicht konvergiert: die Schritte werden nicht kürzer (3.3e-10, dann 4.4e-10); das "
             "Verfahren nähert sich keiner Nullstelle"))
             << o.err;
     }},
    {"two_cycle",
     0,
     cycling,
     d_cycling,
     {0, 1, 0},
     3,
     [](const Outcome& o, double) {
         EXPECT_NE(o.err.find("wiederholen sich"), std::string::npos) << o.err;
         EXPECT_LT(o.steps.size(), 10u);
     }},
};

TEST(Newton, Cases)
{
    for (const NewtonCase& c : NEWTON_CASES) {
        SCOPED_TRACE(c.name);
        double x = c.start;
        std::int32_t steps = -1;
        const Outcome o = run(
            [&](const std::string& log) { METHODS::NEWTON(x, steps, c.f, c.df, log, c.settings); });
        ASSERT_EQ(o.problem, "");
        EXPECT_EQ(o.header, "Startwert= " + real_field(c.start));
        EXPECT_EQ(steps, static_cast<std::int32_t>(o.steps.size()));
        EXPECT_EQ(steps, c.steps);
        ASSERT_GE(o.steps.size(), c.first_xs.size());
        for (std::size_t k = 0; k < c.first_xs.size(); ++k) EXPECT_EQ(o.steps[k].x, c.first_xs[k]);
        for (std::size_t k = 0; k < o.steps.size(); ++k) {
            const Step& s = o.steps[k];
            EXPECT_TRUE(same_bits(s.y, c.f(s.x)));
            // From a root the step is 0, whatever f' is there.
            const double next = s.y == 0 ? s.x : s.x - s.y / c.df(s.x);
            EXPECT_TRUE(same_bits(k + 1 < o.steps.size() ? o.steps[k + 1].x : x, next));
        }
        if (c.facts) {
            c.facts(o, x);
        }
    }
}

// Where the steps do not shrink, the message gives both to two significant digits: from
// their exact values, halves away from zero, with no arithmetic in powers of ten that
// could differ from one machine to another.
TEST(SlowSteps, AreShownToTwoDigitsRoundedOnce)
{
    const double tie = 3.65e-125;  // not a double: its neighbours lie on either side
    const struct {
        double earlier, later;
        std::string shown;
    } rows[] = {
        {1.0, 1.25, "(1, dann 1.3)"},
        {0.11723456789012345, 0.125, "(0.12, dann 0.13)"},
        {std::nextafter(tie, 0.0), std::nextafter(tie, 1.0), "(3.6e-125, dann 3.7e-125)"},
        {3.5999999999999997e-125, 5.500000000000001e-125, "(3.6e-125, dann 5.5e-125)"},
        {9.96e-3, 99.5, "(0.01, dann 100)"},
        {1e300, DBL_MAX, "(1e+300, dann 1.8e+308)"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.shown);
        FdCapture err(2);
        EXPECT_EQ(METHODS::CONVERGED_UNLESS_SLOW("Newton-Verfahren", 3, 0.0, row.earlier, row.later, 0.0, 1e-10),
                  METHODS::ENDING::NOT_CONVERGED);
        EXPECT_TRUE(err.finish().ends_with(": die Schritte werden nicht kürzer " + row.shown +
                                           "; das Verfahren nähert sich keiner Nullstelle\n"));
    }
}

// After a step that did not move x the chord at x takes the place of the one without slope:
// widened where F is level at the rounding level (its first change is one rounded unit), taken to the left where F has no value to
// the right. Expected: F(x)/F'(x) at 0 for 1 + 1e-20 x, and 1*h/(sqrt(h) + 1 - 1) at h = 1e-4.
TEST(SecantAhead, TakesAChordAtXWhereTheLastStepDidNotMove)
{
    const struct {
        const char* name;
        RealFunction f;
        double ahead, within;
    } rows[] = {
        {"level at the rounding level", [](const double& x) { return 1 + 1e-20 * x; }, 1e20, 0.5},
        {"no value to the right", [](const double& x) { return std::sqrt(-x) + 1; }, 1e-2, 1e-12},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const double f0 = row.f(0.0);
        const double ahead =
            std::abs(METHODS::SECANT_AHEAD_CORRECTION(0.0, f0, 0.0, f0, row.f, 1e-4));
        EXPECT_NEAR(ahead / row.ahead, 1, row.within);
    }
}

// Across a sign change the chord meets the axis between the ends, also where the usual
// form cancels (1e100 less nearly 1e100 gives 0, left of a = 3.2e-108) or overflows
// (F(b)(b - a) beyond the doubles). Expected: a - F(a)(b - a)/(F(b) - F(a)) in exact
// arithmetic, 3.2e-108 + 5e-100 and 1e308/(1e308 + 1) = 1 to double precision.
TEST(ChordPoint, LiesBetweenTheEndsOfASignChange)
{
    const struct {
        const char* name;
        double a, fa, b, fb, point;
    } rows[] = {
        {"cancelling from b", 3.2e-108, -5, 1e100, 1e200, 3.2e-108 + 5e-100},
        {"overflowing", 0, -1, 1e308, 1e308, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const double x = METHODS::CHORD_POINT(row.a, row.fa, row.b, row.fb);
        EXPECT_TRUE(row.a <= x && x <= row.b) << x;
        EXPECT_NEAR(x / row.point, 1, 1e-15);
    }
}

// ---------------------------------------------------------------- fixed point

double minus(const double& x) { return -x; }

struct FixCase {
    const char* name;
    double start;
    RealFunction g;
    std::size_t records;
    std::function<void(const Outcome&, double x)> facts;
    METHODS::SETTINGS settings = {};
};

const FixCase FIX_CASES[] = {
    {"gf2_from_4", 4, GF2, 180,
     [](const Outcome& o, double x) {
         EXPECT_EQ(o.steps[0].x, 4);
         EXPECT_LT(o.steps[1].x, 4);
         EXPECT_GT(o.steps[1].x, 3.99);
         EXPECT_NEAR(x, 3.9, 0.01);
         EXPECT_LE(std::abs(GF2(x) - x), METHODS::TOLERANCE);
         EXPECT_EQ(o.err, "");
     }},
    {"already_fixed", 2000, GF2, 0, [](const Outcome&, double x) { EXPECT_EQ(x, 2000); }},
    {"breakdown_at_minus_1", -1, GF2, 1,
     [](const Outcome& o, double) {
         EXPECT_EQ(o.steps[0].y, -INFINITY);
         // The step from -Infinity has no record: it is the one after the log's last.
         EXPECT_NE(o.err.find("Fixpunktiteration in Schritt 1 zusammengebrochen"),
                   std::string::npos)
             << o.err;
     }},
    {"two_cycle", 1, minus, 3,
     [](const Outcome& o, double) {
         EXPECT_NE(o.err.find("Fixpunktiteration angehalten nach 3 Schritten"), std::string::npos)
             << o.err;
     }},
    {"fixed_only_by_underflow", 3, VANISHING_G.f, 0,
     ends_at(3, FIXED_BY_UNDERFLOW("Fixpunktiteration")), VANISHING_G.settings()},
};

TEST(Fix, Cases)
{
    for (const FixCase& c : FIX_CASES) {
        SCOPED_TRACE(c.name);
        double x = c.start;
        std::int32_t steps = -1;
        const Outcome o =
            run([&](const std::string& log) { METHODS::FIX(x, c.g, steps, log, c.settings); });
        ASSERT_EQ(o.problem, "");
        EXPECT_EQ(o.header, "Startwert= " + real_field(c.start));
        ASSERT_EQ(o.steps.size(), c.records);
        EXPECT_EQ(steps, static_cast<std::int32_t>(c.records));
        for (std::size_t k = 0; k < o.steps.size(); ++k) {
            const Step& s = o.steps[k];
            EXPECT_TRUE(same_bits(s.y, c.g(s.x)));
            EXPECT_TRUE(same_bits(k + 1 < o.steps.size() ? o.steps[k + 1].x : x, s.y));
        }
        if (c.facts) {
            c.facts(o, x);
        }
    }
}

TEST(Fix, MillionsOfStepsWithoutALimit)
{
    TempDir dir;
    const auto log = dir / "fixpk_f1.dat";
    double x = 900;
    std::int32_t steps = 0;
    {
        FdCapture out(1, /*discard=*/true);
        METHODS::FIX(x, GF2, steps, log.string());
        runtime::console::flush();
    }
    EXPECT_EQ(steps, 4059232);
    EXPECT_LE(std::abs(GF2(x) - x), METHODS::TOLERANCE);
    // A header of 37 bytes, then records of 62.
    EXPECT_EQ(std::filesystem::file_size(log), 37u + 62u * 4059232u);
}

// ---------------------------------------------------------------- chord methods

// -1e20 left of 1, 1 from 1 on: the chord through the ends meets the axis so near 1 that
// the point rounds to 1, where regula falsi stays.
double steep_step(const double& x) { return x >= 1 ? 1 : -1e20; }
// x^2 - 1/2, with no value between 0.6 and 0.7, where the second point of [0, 1] falls.
double with_a_hole(const double& x) { return x > 0.6 && x < 0.7 ? NAN : x * x - 0.5; }

double one_over_x(const double& x) { return 1 / x; }
std::string CHORD_TO_A_POLE(const char* fa)
{
    return "die Sehne durch (-1, " + std::string(fa) + ") und (0, Infinity) ergibt x = NaN";
}

struct ChordCase {
    const char* name;
    decltype(&METHODS::REGULA_FALSI) method;
    double a, b;
    RealFunction f;
    std::size_t records;
    std::string message;  // all of stderr after "quarlen: "
    std::function<void(const Outcome&, double a, double b, double x)> facts;
    METHODS::SETTINGS settings = {};
};

const auto RESULT_IS = [](double root) {
    return [root](const Outcome&, double, double, double x) { EXPECT_EQ(x, root); };
};

const ChordCase CHORD_CASES[] = {
    {"illinois_f1_reversed", METHODS::ILLINOIS, 10, 0, F1, 7, "", {}},
    {"regula_falsi_stagnates",
     METHODS::REGULA_FALSI,
     0,
     1,
     steep_step,
     1,
     "Regula falsi angehalten nach 1 Schritt: die Intervallenden wiederholen sich, zuletzt x = 1",
     {}},
    // The halving moves the point off 1 at last; it then stops between two neighbours.
    {"illinois_leaves_the_kept_end", METHODS::ILLINOIS, 0, 1, steep_step, 196,
     "Illinois-Verfahren angehalten nach 196 Schritten: die Intervallenden wiederholen sich, "
     "zuletzt x = 1",
     [](const Outcome& o, double a, double b, double) {
         EXPECT_TRUE(
             std::any_of(o.steps.begin(), o.steps.end(), [](const Step& s) { return s.x < 1; }));
         EXPECT_EQ(a, std::nextafter(1.0, 0.0));
         EXPECT_EQ(b, 1);
     }},
    {"regula_falsi_nan_in_a_record",
     METHODS::REGULA_FALSI,
     0,
     1,
     with_a_hole,
     2,
     "Regula falsi in Schritt 1 zusammengebrochen: F(x) ist keine Zahl bei x = 0.6666666666666667",
     {}},
    {"illinois_nan_in_a_record",
     METHODS::ILLINOIS,
     0,
     1,
     with_a_hole,
     2,
     "Illinois-Verfahren in Schritt 1 zusammengebrochen: F(x) ist keine Zahl bei x = "
     "0.6666666666666667",
     {}},
    // The breakdown names the chord the step drew: Illinois had halved F at -1.
    {"regula_falsi_chord_to_a_pole", METHODS::REGULA_FALSI, -1, 2, one_over_x, 3,
     "Regula falsi in Schritt 2 zusammengebrochen: " + CHORD_TO_A_POLE("-1"), nullptr},
    {"illinois_chord_to_a_pole", METHODS::ILLINOIS, -1, 2, one_over_x, 3,
     "Illinois-Verfahren in Schritt 2 zusammengebrochen: " + CHORD_TO_A_POLE("-0.5"), nullptr},
    // Both ends roots: the chord through them is level, and a is the result.
    {"regula_falsi_ends_are_roots", METHODS::REGULA_FALSI, -2, 2, x2_minus_4, 0, "", RESULT_IS(-2)},
    {"illinois_ends_are_roots", METHODS::ILLINOIS, -2, 2, x2_minus_4, 0, "", RESULT_IS(-2)},
    {"regula_falsi_zero_only_by_underflow", METHODS::REGULA_FALSI, -3, 1.5, SUBNORMAL.f, 0,
     "Regula falsi ohne einen Schritt bei x = 0.999999999999978 nicht konvergiert: f(x)" +
         BY_UNDERFLOW,
     nullptr, SUBNORMAL.settings()},
    {"illinois_zero_only_by_underflow", METHODS::ILLINOIS, -3, 1.5, SUBNORMAL.f, 0,
     "Illinois-Verfahren ohne einen Schritt bei x = 0.999999999999978 nicht konvergiert: f(x)" +
         BY_UNDERFLOW,
     nullptr, SUBNORMAL.settings()},
};

TEST(Chord, Cases)
{
    for (const ChordCase& c : CHORD_CASES) {
        SCOPED_TRACE(c.name);
        double a = c.a, b = c.b, x = -1;
        std::int32_t steps = -1;
        const Outcome o =
            run([&](const std::string& log) { c.method(a, b, x, c.f, steps, log, c.settings); });
        ASSERT_EQ(o.problem, "");
        EXPECT_EQ(o.header, "Ausgangswerte - a= " + real_field(c.a) + ", b= " + real_field(c.b));
        EXPECT_EQ(o.steps.size(), c.records);
        EXPECT_EQ(steps, static_cast<std::int32_t>(o.steps.size()));
        for (const Step& s : o.steps) EXPECT_TRUE(same_bits(s.y, c.f(s.x)));
        if (!o.steps.empty()) {
            EXPECT_TRUE(same_bits(x, o.steps.back().x) ||
                        (std::isnan(x) && std::isnan(o.steps.back().x)));
        }
        EXPECT_EQ(message_of(o), c.message);
        if (c.facts) {
            c.facts(o, a, b, x);
        }
    }
}

// ---------------------------------------------------------------- secant method

// The whole runs on F1 and GF2 are checked against an independent computation in the
// program's tests; these are the ends that need other functions or other starts.
double signed_huge(const double& x) { return x < 0 ? -1e308 : 1e308; }
double x2_minus_1(const double& x) { return x * x - 1; }

TEST(Secant, Cases)
{
    struct Case {
        const char* name;
        double x0, x1;
        std::size_t records;
        std::string message;  // all of stderr after "quarlen: "
        RealFunction f = F1;
        double result = NAN;  // the last iterate, where it matters
        METHODS::SETTINGS settings = {};
    };
    const Case cases[] = {
        // F1 overflows at the second start: the first step leads to -Infinity, the second to NaN.
        {"nan_in_the_second_step", 1e102, 2e102, 2,
         "Sekantenverfahren in Schritt 1 zusammengebrochen: der Schritt von x0 = 2e+102, x1 = "
         "-Infinity mit F(x0) = 8e+306, F(x1) = -Infinity führt auf NaN"},
        {"starts_not_numbers", INFINITY, INFINITY, 0,
         "Sekantenverfahren in Schritt 0 zusammengebrochen: der Abstand der Startwerte x0 = "
         "Infinity und x1 = Infinity ist keine Zahl"},
        {"starts_the_tolerance_apart", 0, 1e-4, 0,
         "Sekantenverfahren ohne einen Schritt beendet: die Startwerte x0 = 0 und x1 = 1e-04 "
         "liegen nicht weiter als die Toleranz auseinander, so dass der Test auf den Abstand "
         "zweier Iterierter schon vor dem ersten Schritt erfüllt ist"},
        // F(x1) - F(x0) overflows, so the step is 0 where F is far from 0.
        {"difference_overflows", -0.001, 0.001, 1,
         "Sekantenverfahren nach 1 Schritt bei x = 0.001 nicht konvergiert: der Sekantenschritt "
         "ist nur durch Über- oder Unterlauf 0, obwohl F(x1) = 1e+308 ist",
         signed_huge, 0.001},
        // Within ten tolerances at a root of multiplicity 8, not at one of 10.
        {"multiple_root_converges", 2, 1.9, 74, "", x_minus_1_to_the<8>, 1.0009572052965676},
        {"multiple_root_too_slowly", 2, 1.9, 90,
         "Sekantenverfahren nach 90 Schritten bei x = 1.0012684301779375 nicht konvergiert: die "
         "Schritte werden je Schritt nur um 7 % kürzer; die Nullstelle liegt wohl noch "
         "etwa 0.0013 entfernt",
         x_minus_1_to_the<10>, 1.0012684301779375},
        // F is 0 at both starts: the chord is level, and the step from a root is 0.
        {"roots_at_both_starts", -1, 1, 1, "", x2_minus_1, 1},
        {"zero_only_by_underflow", 2, 3, 1,
         "Sekantenverfahren nach 1 Schritt bei x = 3 nicht konvergiert: f(x)" + BY_UNDERFLOW,
         VANISHING.f, 3, VANISHING.settings()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        double x0 = c.x0, x1 = c.x1;
        std::int32_t steps = -1;
        const Outcome o = run(
            [&](const std::string& log) { METHODS::SECANT(x0, x1, steps, c.f, log, c.settings); });
        ASSERT_EQ(o.problem, "");
        EXPECT_EQ(o.header, "Startwerte - x0= " + real_field(c.x0) + ", x1= " + real_field(c.x1));
        ASSERT_EQ(o.steps.size(), c.records);
        EXPECT_EQ(steps, static_cast<std::int32_t>(c.records));
        for (const Step& s : o.steps) EXPECT_TRUE(same_bits(s.y, c.f(s.x)));
        EXPECT_EQ(message_of(o), c.message);
        if (!std::isnan(c.result)) {
            EXPECT_EQ(x1, c.result);
        }
    }
}

// ---------------------------------------------------------------- Steffensen's method

// g given at a few points, the identity elsewhere. Steffensen's step from 1 (g: 1 -> 3 -> 1)
// leads to 2, and from 2 (g: 2 -> 4 -> 10) back to 1.
double g_of(const double& x, double at_2, double at_4)
{
    if (x == 1) return 3;
    if (x == 3) return 1;
    if (x == 2) return at_2;
    if (x == 4) return at_4;
    return x;
}
double g_two_cycle(const double& x) { return g_of(x, 4, 10); }
double g_nan_in_the_test(const double& x) { return g_of(x, NAN, 10); }
double g_nan_in_the_step(const double& x) { return g_of(x, 4, NAN); }
double x_plus_tolerance(const double& x) { return x + METHODS::TOLERANCE; }

TEST(Steffensen, Cases)
{
    struct Case {
        const char* name;
        double start;
        RealFunction g;
        std::vector<double> xs;  // the iterates the records show, then the last one
        std::string message;     // all of stderr after "quarlen: "
        METHODS::SETTINGS settings = {};
    };
    const Case cases[] = {
        {"two_cycle",
         1,
         g_two_cycle,
         {1, 2, 1, 2},
         "Steffensen-Verfahren angehalten nach 3 Schritten: die Iterierten wiederholen sich, "
         "zuletzt x = 2"},
        // The NaN comes in the test of a step not taken, which no record shows.
        {"nan_in_the_test",
         1,
         g_nan_in_the_test,
         {1, 2},
         "Steffensen-Verfahren in Schritt 1 zusammengebrochen: g(x) = NaN bei x = 2"},
        // The NaN is the result of a step, which its record shows.
        {"nan_in_the_step",
         1,
         g_nan_in_the_step,
         {1, 2, NAN},
         "Steffensen-Verfahren in Schritt 1 zusammengebrochen: der Schritt von x = 2 mit g(x) = "
         "4, g(g(x)) = NaN führt auf NaN"},
        // |g(x) - x| exactly the tolerance meets the test.
        {"exactly_at_the_tolerance", 0, x_plus_tolerance, {0}, ""},
        {"fixed_only_by_underflow",
         3,
         VANISHING_G.f,
         {3},
         FIXED_BY_UNDERFLOW("Steffensen-Verfahren"),
         VANISHING_G.settings()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        double x = c.start;
        std::int32_t steps = -1;
        const Outcome o = run(
            [&](const std::string& log) { METHODS::STEFFENSEN(x, c.g, steps, log, c.settings); });
        ASSERT_EQ(o.problem, "");
        EXPECT_EQ(o.header, "Startwert= " + real_field(c.start));
        ASSERT_EQ(o.steps.size() + 1, c.xs.size());
        EXPECT_EQ(steps, static_cast<std::int32_t>(o.steps.size()));
        for (std::size_t k = 0; k < o.steps.size(); ++k) {
            EXPECT_TRUE(same_bits(o.steps[k].x, c.xs[k])) << k;
            EXPECT_TRUE(same_bits(o.steps[k].y, c.xs[k + 1])) << k;
        }
        EXPECT_TRUE(same_bits(x, c.xs.back()));
        EXPECT_EQ(message_of(o), c.message);
    }
}

// ---------------------------------------------------------------- stop signals

// FUNCTION, sending SIGTERM on the RAISE_AT-th evaluation of any of the three, as `kill`
// would at that moment.
int CALLS = 0;
int RAISE_AT = 0;

template <RealFunction::Plain FUNCTION> double then_sigterm(const double& x)
{
    if (++CALLS == RAISE_AT) std::raise(SIGTERM);
    return FUNCTION(x);
}

[[noreturn]] void stopped_iteration(Method method, int raise_at, const std::string& log)
{
    std::signal(SIGTERM, SIG_DFL);  // as a program started from a shell has it
    runtime::start("quarlen", runtime::Language::german);
    FdCapture discard(1, /*discard=*/true);
    RAISE_AT = raise_at;
    double a = 4, b = 5, x = 4;
    std::int32_t steps = 0;
    call(method, a, b, x, steps, log, then_sigterm<F1>, then_sigterm<DF1>, then_sigterm<GF2>);
    std::_Exit(0);
}

TEST(StopSignalDeathTest, TheMessageNamesTheLastStepInTheLog)
{
    // FIX evaluates g once before its first step and once after each; NEWTON takes F
    // and DF once each in each step. STEFFENSEN evaluates g once before its first step and twice in
    // each; SECANT F once before and once in each; REGULA_FALSI F three times before
    // and five in each, ILLINOIS three before and one in each. The signal is seen
    // before the next step.
    struct Case {
        const char* name;
        Method method;
        int raise_at;
        std::size_t records;
        const char* message;  // a regular expression
    };
    const Case cases[] = {
        {"fix_before_the_first_step", Method::fix, 1, 0,
         "^quarlen: Fixpunktiteration unterbrochen \\(SIGTERM\\) vor dem ersten Schritt; "
         "\"[^\"]*log.dat\" enth"},
        {"fix_after_one_step", Method::fix, 2, 1,
         "^quarlen: Fixpunktiteration unterbrochen \\(SIGTERM\\) nach 1 Schritt bei x = "
         "3.998315638888734; "
         "letzter Schritt in \"[^\"]*log.dat\": 0\n$"},
        {"fix_after_three_steps", Method::fix, 4, 3,
         "^quarlen: Fixpunktiteration unterbrochen \\(SIGTERM\\) nach 3 Schritten bei x = [0-9.]+; "
         "letzter Schritt in \"[^\"]*log.dat\": 2\n$"},
        {"newton_after_one_step", Method::newton, 1, 1,
         "^quarlen: Newton-Verfahren unterbrochen \\(SIGTERM\\) nach 1 Schritt bei x = "
         "4.148148148148148; "
         "letzter Schritt in \"[^\"]*log.dat\": 0\n$"},
        {"secant_after_one_step", Method::secant, 2, 1,
         "^quarlen: Sekantenverfahren unterbrochen \\(SIGTERM\\) nach 1 Schritt bei x = "
         "4.137931034482759; letzter Schritt in \"[^\"]*log.dat\": 0\n$"},
        {"steffensen_after_one_step", Method::steffensen, 3, 1,
         "^quarlen: Steffensen-Verfahren unterbrochen \\(SIGTERM\\) nach 1 Schritt bei x = "
         "3.882456840706312; letzter Schritt in \"[^\"]*log.dat\": 0\n$"},
        {"regula_falsi_after_one_step", Method::regula_falsi, 5, 1,
         "^quarlen: Regula falsi unterbrochen \\(SIGTERM\\) nach 1 Schritt bei x = [0-9.]+; "
         "letzter Schritt in \"[^\"]*log.dat\": 0\n$"},
        {"illinois_after_one_step", Method::illinois, 4, 1,
         "^quarlen: Illinois-Verfahren unterbrochen \\(SIGTERM\\) nach 1 Schritt bei x = [0-9.]+; "
         "letzter Schritt in \"[^\"]*log.dat\": 0\n$"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string log = (dir / "log.dat").string();
        EXPECT_EXIT(stopped_iteration(c.method, c.raise_at, log), ::testing::ExitedWithCode(143),
                    c.message);
        // The header and exactly the records the message counts, whole.
        const std::string file = test_support::read_file(log);
        EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), static_cast<long>(1 + c.records))
            << file;
        EXPECT_EQ(file.back(), '\n');
    }
}

}  // namespace
