// mirtova run as a program: its dialogue, its output lines and its exit statuses.
#include <csignal>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <ostream>

#include "tests/support/process.hpp"
#include "tests/support/temp_dir.hpp"

namespace {

using test_support::run;
using test_support::RunOptions;
using test_support::RunResult;

const std::string PROMPT = "Please type in the starting value for calculation!\n";

RunResult mirtova(const std::string& input, std::vector<std::string> args = {},
                  const char* stdin_path = nullptr)
{
    test_support::TempDir dir;
    RunOptions options;
    options.working_dir = dir.path();
    options.input = input;
    options.args = std::move(args);
    if (stdin_path) options.stdin_path = stdin_path;
    return run(MIRTOVA_PATH, options);
}

struct DialogueCase {
    const char* name;
    const char* input;
    const char* result_line;  // the record after "zero, number of steps"; nullptr: no result
    int exit_status;
    const char* message;              // expected in stderr; "" for none
    const char* function = nullptr;   // given with -f
    const char* tolerance = nullptr;  // given with -t
};

std::vector<std::string> args_of(const DialogueCase& c)
{
    std::vector<std::string> args;
    if (c.function) args.insert(args.end(), {"-f", c.function});
    if (c.tolerance) args.insert(args.end(), {"-t", c.tolerance});
    return args;
}

void PrintTo(const DialogueCase& c, std::ostream* os) { *os << c.name; }

void expect_dialogue(const DialogueCase& c)
{
    const RunResult r = mirtova(c.input, args_of(c));
    EXPECT_EQ(r.exit_status, c.exit_status) << r.err;
    const std::string shown = c.function ? "f(x) = " + std::string(c.function) + "\n" : "";
    EXPECT_EQ(
        r.out,
        shown + PROMPT +
            (c.result_line ? "zero, number of steps\n" + std::string(c.result_line) + "\n" : ""));
    if (*c.message == '\0') {
        EXPECT_EQ(r.err, "");
    } else {
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line: " << r.err;
    }
}

// Runs of the built-in equation, and of an equation or a tolerance of its own.
class MirtovaDialogue : public testing::TestWithParam<DialogueCase> {};
class MirtovaOwnEquation : public testing::TestWithParam<DialogueCase> {};

TEST_P(MirtovaDialogue, WritesPromptRootAndSteps) { expect_dialogue(GetParam()); }
TEST_P(MirtovaOwnEquation, WritesPromptRootAndSteps) { expect_dialogue(GetParam()); }

// The built-in function typed, with its derivative typed or exact from the formula,
// gives the same records. Only a breakdown's reason is no longer put down to e^x.
TEST_P(MirtovaDialogue, BuiltInFunctionTypedGivesTheSameRun)
{
    const DialogueCase& c = GetParam();
    const RunResult built_in = mirtova(c.input);
    const std::vector<std::string> typed[] = {
        {"-f", "exp(x) - x^2", "--derivative", "exp(x) - 2*x"},
        {"--function=exp(x) - x^2"},
    };
    for (const auto& args : typed) {
        SCOPED_TRACE(args.back());
        const RunResult r = mirtova(c.input, args);
        const std::string lines = args.size() == 4 ? "f(x) = exp(x) - x^2\nf'(x) = exp(x) - 2*x\n"
                                                   : "f(x) = exp(x) - x^2\n";
        EXPECT_EQ(r.out, lines + built_in.out);
        EXPECT_EQ(r.exit_status, built_in.exit_status);
        if (std::string(c.name) == "exp_overflows") {
            EXPECT_EQ(r.err, "mirtova: Newton iteration broke down in step 1: the step from x = 89 "
                             "gives NaN\n");
        } else {
            EXPECT_EQ(r.err, built_in.err);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Runs, MirtovaDialogue,
    testing::Values(
        DialogueCase{"from_zero", "0\n", " -7.03467488e-01          4", 0, ""},
        DialogueCase{"from_ten", "10\n", " -7.03467429e-01         15", 0, ""},
        DialogueCase{"decimal_comma_and_d_exponent", "  1,0d0 \r\n", " -7.03467429e-01          5",
                     0, ""},
        DialogueCase{"after_blank_lines", "\n \t\n5\n", " -7.03467429e-01         10", 0, ""},
        DialogueCase{"at_the_root", "-0.703467429\n", " -7.03467429e-01          1", 0, ""},
        // A breakdown leaves no number to show as a root.
        DialogueCase{"exp_overflows", "89\n", nullptr, 1,
                     "mirtova: Newton iteration broke down in step 1: e^x overflows at x = 89"},
        DialogueCase{"square_overflows", "-2e19\n", nullptr, 1,
                     "broke down in step 1: the step from x = -2e+19 gives Infinity"}),
    [](const testing::TestParamInfo<DialogueCase>& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    Runs, MirtovaOwnEquation,
    testing::Values(
        DialogueCase{"level_tangent", "0\n", nullptr, 1,
                     "mirtova: Newton iteration broke down in step 1: the derivative is 0 at x = 0",
                     "x^2 - 2"},
        DialogueCase{"root_with_a_level_tangent", "1\n", "  1.00000000e+00          1", 0, "",
                     "(x-1)^2"},
        DialogueCase{"infinite_derivative", "0\n", "  0.00000000e+00          1", 1,
                     "mirtova: Newton iteration stopped after 1 step at x = 0: the derivative is "
                     "infinite there, so the Newton step is 0 although f(x) = -2",
                     "sqrt(x) - 2"},
        DialogueCase{"zero_only_by_underflow", "3\n", "  3.00000000e+00          1", 1,
                     "mirtova: Newton iteration did not converge after 1 step at x = 3: f(x) is 0 "
                     "only by underflow; it does not show whether x is near a root",
                     "(x - 1)*1e-30*1e-30"},
        DialogueCase{"zero_only_after_an_overflow", "100\n", "  1.00000000e+02          1", 1,
                     "mirtova: Newton iteration did not converge after 1 step at x = 100: f(x) is "
                     "0 only by overflow or underflow; it does not show whether x is near a root",
                     "1/exp(x)", "1e-45"},
        // |f| below the tolerance only because x*1e-60*1e60 = x came out 0; where all an
        // underflow hid is far below the tolerance, the root stands.
        DialogueCase{"small_only_by_underflow", "1.5\n", "  1.29991710e+00          2", 1,
                     "mirtova: Newton iteration did not converge after 2 steps at x = 1.2999171: "
                     "f(x) = -6.3719395e-05, but what underflow on the way can have hidden reaches "
                     "beyond the tolerance; it does not show whether x is near a root",
                     "x*1e-30*1e-30*1e30*1e30 + log(x/1.3)", "1e-2"},
        DialogueCase{"harmless_underflow", "1.5\n", "  1.29991710e+00          2", 0, "",
                     "log(x/1.3) + exp(-1000*x)", "1e-2"},
        // Along a tail |f| falls below the tolerance far from any root: e^x has none, and
        // x e^-x has only 0. A flat root of multiplicity 3 still passes.
        DialogueCase{"tail_without_a_root", "0\n", " -1.40000000e+01         14", 1,
                     "mirtova: Newton iteration did not converge after 14 steps at x = -14: |f| "
                     "is below the tolerance, but the steps do not shrink (1, then 1): f only "
                     "nears 0 here, it does not show a root",
                     "exp(x)"},
        DialogueCase{"tail_beside_a_root", "2\n", "  1.76067295e+01         13", 1,
                     "mirtova: Newton iteration did not converge after 13 steps at x = 17.60673: "
                     "|f| is below the tolerance, but the steps shrink too slowly: those still to "
                     "come add up to about 273.6253",
                     "x*exp(-x)"},
        DialogueCase{"root_of_multiplicity_three", "3\n", "  1.00685096e+00         14", 0, "",
                     "(x-1)^3"},
        // Steps that bounce about the root 0 do not shrink but enclose it.
        DialogueCase{"steps_bouncing_about_the_root", "1e-10\n", " -9.99999875e-11          1", 0,
                     "", "sqrt(abs(x))", "1e-4"},
        // An iterate that became infinite and stays there is a breakdown, not a result.
        DialogueCase{"infinite_iterate_repeats", "3\n", nullptr, 1,
                     "mirtova: Newton iteration broke down in step 8: the derivative is 0 at x = "
                     "-3.4027945e+38",
                     "1/x - 1"},
        DialogueCase{"step_out_of_the_domain", "3\n", nullptr, 1,
                     "mirtova: Newton iteration broke down in step 1: f(x) is not a number at x = 1",
                     "sqrt(x-2)"},
        DialogueCase{"iterate_leaves_the_reals", "1\n", nullptr, 1,
                     "mirtova: Newton iteration broke down in step 76: the derivative is 0 at x = "
                     "3.7778932e+22",
                     "1/x", "1e-45"},
        DialogueCase{"tolerance_below_32_bit_resolution", "0\n", " -7.03467429e-01          8", 1,
                     "mirtova: Newton iteration stopped after 8 steps at x = -0.7034674: the "
                     "iterates repeat, it would never end; in 32-bit reals |f| near this root is "
                     "at least 2.9802322e-08, so the tolerance 1e-09 cannot be reached",
                     nullptr, "1e-9"}),
    [](const testing::TestParamInfo<DialogueCase>& info) { return info.param.name; });

struct BadInputCase {
    const char* name;
    const char* input;
    const char* message;
    const char* stdin_path = nullptr;  // read instead of `input`
};

void PrintTo(const BadInputCase& c, std::ostream* os) { *os << c.name; }

class MirtovaBadInput : public testing::TestWithParam<BadInputCase> {};

TEST_P(MirtovaBadInput, StopsWithStatusTwoAfterThePrompt)
{
    const RunResult r = mirtova(GetParam().input, {}, GetParam().stdin_path);
    EXPECT_EQ(r.exit_status, 2);
    EXPECT_EQ(r.out, PROMPT);
    EXPECT_EQ(r.err, std::string("mirtova: ") + GetParam().message + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, MirtovaBadInput,
    testing::Values(BadInputCase{"empty", "", "input ended before a number was read"},
                    BadInputCase{"text", "zero\n",
                                 "not a number: \"zero\" (expected exactly one finite number per "
                                 "line, such as 2.5 or -1.5e3)"},
                    BadInputCase{"beyond_32_bits", "3.5e38\n", "number out of range: \"3.5e38\""},
                    // Endless input ends: the rest of a line too long is not read.
                    BadInputCase{"endless_input", "",
                                 "input line too long: \"\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00"
                                 "\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00"
                                 "\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00"
                                 "\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\"...",
                                 "/dev/zero"}),
    [](const testing::TestParamInfo<BadInputCase>& info) { return info.param.name; });

TEST(MirtovaInterrupt, StopSignalAtThePrompt)
{
    struct Case {
        int signal;
        int status;
        const char* message;
    };
    for (const Case& c : {Case{SIGINT, 130, "mirtova: interrupted\n"},
                          Case{SIGTERM, 143, "mirtova: interrupted (SIGTERM)\n"},
                          Case{SIGHUP, 129, "mirtova: interrupted (SIGHUP)\n"}}) {
        SCOPED_TRACE(c.message);
        test_support::TempDir dir;
        RunOptions options;
        options.working_dir = dir.path();
        options.close_input = false;
        options.while_running = [&, sent = false](pid_t child,
                                                  test_support::milliseconds since) mutable {
            if (!sent && since.count() > 200) {
                kill(child, c.signal);
                sent = true;
            }
        };
        const RunResult r = run(MIRTOVA_PATH, options);
        EXPECT_FALSE(r.timed_out);
        EXPECT_EQ(r.exit_status, c.status);
        EXPECT_EQ(r.out, PROMPT);
        EXPECT_EQ(r.err, c.message);
    }
}

TEST(MirtovaOutput, FullDeviceEndsWithStatus3)
{
    test_support::TempDir dir;
    RunOptions options;
    options.working_dir = dir.path();
    options.input = "0\n";
    options.stdout_path = "/dev/full";
    const RunResult r = run(MIRTOVA_PATH, options);
    EXPECT_EQ(r.exit_status, 3);
    EXPECT_EQ(r.err,
              "mirtova: standard output: cannot be written: No space left on device (ENOSPC)\n");
}

TEST(MirtovaTerminal, AsksAgainAfterAWrongLine)
{
    test_support::TempDir dir;
    test_support::PtySession session(MIRTOVA_PATH, dir.path());
    ASSERT_TRUE(session.expect("calculation!"));
    const std::size_t mark = session.screen().size();
    session.send("abc\n");
    ASSERT_TRUE(session.expect("not a number: \"abc\"", mark));
    ASSERT_TRUE(session.expect("calculation!", mark));
    session.send("0\n");
    ASSERT_TRUE(session.expect("-7.03467488e-01          4", mark));
    EXPECT_EQ(session.wait(), 0);
}

}  // namespace
