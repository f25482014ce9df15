// quarlen on an equation typed on the command line: the built-in functions typed give
// the golden runs bit for bit, typed functions are shown before the first prompt and
// named in the log headers, and the step limit ends a method as the program's own does.
#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "tests/support/process.hpp"
#include "tests/support/temp_dir.hpp"

namespace {

using test_support::read_file;
using test_support::RunOptions;
using test_support::RunResult;
using test_support::TempDir;

const char* const LOGS[] = {"bisec_f1.dat", "newto_f1.dat", "fixpk_f1.dat"};

std::string golden(const std::string& name)
{
    return read_file(std::string(GOLDEN_DIR) + "/" + name);
}

RunResult quarlen(const TempDir& dir, const std::string& input, std::vector<std::string> args)
{
    RunOptions options;
    options.working_dir = dir.path();
    options.input = input;
    options.args = std::move(args);
    return test_support::run(QUARLEN_PATH, options);
}

std::string first_line(const std::string& text) { return text.substr(0, text.find('\n')); }
std::string after_first_line(const std::string& text) { return text.substr(text.find('\n') + 1); }

const std::string F1 = "x^3 + 100*x - 5*x^2 - 400";
const std::string DF1 = "3*x^2 - 10*x + 100";
const std::string GF2 = "exp(-x) - 0.1/(x + 1) + x";

TEST(TypedEquation, BuiltInFunctionsTypedGiveTheGoldenRuns)
{
    for (const std::string folder :
         {"", "negative_ends/", "reversed_ends/", "far_starts/", "breakdowns/"}) {
        SCOPED_TRACE(folder);
        const std::string input = folder.empty() ? "0\n10\n0\n4\n" : golden(folder + "input.txt");
        TempDir plain, typed;
        const RunResult built_in = quarlen(plain, input, {});
        const RunResult r =
            quarlen(typed, input, {"-f", F1, "--ableitung", DF1, "--fixpunkt=" + GF2});
        EXPECT_EQ(r.exit_status, built_in.exit_status);
        EXPECT_EQ(r.err, built_in.err);
        EXPECT_EQ(r.out, "f(x) = " + F1 + "\nf'(x) = " + DF1 + "\ng(x) = " + GF2 + "\n" +
                             golden(folder + "stdout.txt"));
        const std::string items[] = {", f(x) = " + F1, ", f(x) = " + F1 + ", f'(x) = " + DF1,
                                     ", g(x) = " + GF2};
        for (int k = 0; k < 3; ++k) {
            SCOPED_TRACE(LOGS[k]);
            const std::string log = read_file(typed / LOGS[k]);
            EXPECT_EQ(first_line(log), first_line(golden(folder + LOGS[k])) + items[k]);
            EXPECT_EQ(after_first_line(log), after_first_line(golden(folder + LOGS[k])));
        }
    }
}

// f alone: Newton's derivative exact from f's formula, the fixed-point iteration on
// g(x) = x + f(x); the tolerance named in every header.
TEST(TypedEquation, FunctionAloneWithTolerance)
{
    TempDir dir;
    const RunResult r =
        quarlen(dir, "0\n1\n0.5\n0.5\n", {"--funktion", " cos(x) - x\t", "-t1e-10"});
    EXPECT_EQ(r.exit_status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out.substr(0, r.out.find("a= ")),
              "f(x) = cos(x) - x\ng(x) = x + f(x)\nBitte Intervallgrenzen eingeben:\n");
    EXPECT_TRUE(first_line(read_file(dir / "bisec_f1.dat"))
                    .ends_with("b=    1.0000000000000000e+00, f(x) = cos(x) - x, Toleranz= 1e-10"));
    EXPECT_TRUE(first_line(read_file(dir / "newto_f1.dat"))
                    .ends_with(", f(x) = cos(x) - x, Toleranz= 1e-10"));
    EXPECT_TRUE(first_line(read_file(dir / "fixpk_f1.dat"))
                    .ends_with(", f(x) = cos(x) - x, g(x) = x + f(x), Toleranz= 1e-10"));

    // Newton's second iterate from 0.5 is 0.5 - f(0.5)/f'(0.5) with f'(x) = -sin(x) - 1
    // exactly as the differentiation rules form it, no difference quotient.
    const double x0 = 0.5;
    const double f0 = std::cos(x0) - x0;
    const double df0 = -std::sin(x0) * 1.0 - 1.0;
    const std::string newton = read_file(dir / "newto_f1.dat");
    const std::string second = newton.substr(newton.find("\n          1") + 1, 61);
    EXPECT_EQ(std::strtod(second.c_str() + 11, nullptr), x0 - f0 / df0) << second;

    // The fixed point of cos, reached with |g(x) - x| at most 1e-10.
    const std::string fix = read_file(dir / "fixpk_f1.dat");
    const std::string last = fix.substr(fix.size() - 62);
    const double x = std::strtod(last.c_str() + 11, nullptr);
    const double g = std::strtod(last.c_str() + 36, nullptr);
    EXPECT_NEAR(g, 0.7390851332151607, 1e-9);
    EXPECT_GT(std::abs(g - x), 1e-10)
        << "the last record shows the step to the iterate that met it";
}

TEST(TypedEquation, StepLimitStopsAMethodAndTheRunGoesOn)
{
    TempDir dir;
    const RunResult r = quarlen(dir, "0\n10\n0\n4\n", {"--max-schritte", "21"});
    EXPECT_EQ(r.exit_status, 1);
    EXPECT_EQ(r.err,
              "quarlen: Fixpunktiteration angehalten nach 21 Schritten bei x = 3.969313460429842: "
              "die Höchstzahl der Schritte (-n/--max-schritte) ist erreicht\n");
    // Bisection meets its test in exactly 21 steps: converged. The logs stay whole.
    EXPECT_EQ(read_file(dir / "bisec_f1.dat"), golden("bisec_f1.dat"));
    EXPECT_EQ(read_file(dir / "newto_f1.dat"), golden("newto_f1.dat"));
    const std::string fix = read_file(dir / "fixpk_f1.dat");
    EXPECT_EQ(golden("fixpk_f1.dat").compare(0, fix.size(), fix), 0);
    EXPECT_EQ(std::count(fix.begin(), fix.end(), '\n'), 22);
}

}  // namespace
