// The built program run as a script or a person runs it: real pipes, a real terminal,
// signals, and its log files in a fresh folder for each test.
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "tests/support/process.hpp"
#include "tests/support/temp_dir.hpp"

namespace {

using namespace std::chrono_literals;
using test_support::read_file;
using test_support::RunOptions;
using test_support::RunResult;
using test_support::TempDir;
using test_support::write_file;

const char* const LOGS[] = {"bisec_f1.dat", "newto_f1.dat", "fixpk_f1.dat"};

std::string golden(const std::string& name) { return read_file(std::string(GOLDEN_DIR) + "/" + name); }

RunResult quarlen(const TempDir& dir, const std::string& input, RunOptions options = {})
{
    options.working_dir = dir.path();
    options.input = input;
    return test_support::run(QUARLEN_PATH, options);
}

std::vector<std::string> lines_of(const std::string& text)
{
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find('\n', at);
        lines.push_back(text.substr(at, end - at));
        if (end == std::string::npos) break;
        at = end + 1;
    }
    return lines;
}

const std::string NOT_A_NUMBER_TAIL =
    " (erwartet wird genau eine endliche Zahl je Zeile, etwa 2,5 oder -1.5e3)\n";

TEST(Quarlen, WholeRunByteForByte)
{
    // The same run in the many spellings a number may have, blank lines between.
    for (const char* input : {"0\n10\n0\n4\n", "\n  \n+0\n\t1d1 \r\n\n,0\n4.\n", "+0,0\n1E1\n0e5\n.4e1"}) {
        SCOPED_TRACE(input);
        TempDir dir;
        const RunResult r = quarlen(dir, input);
        EXPECT_EQ(r.exit_status, 0);
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(r.out, golden("stdout.txt"));
        for (const char* log : LOGS) EXPECT_EQ(read_file(dir / log), golden(log)) << log;
    }
}

struct BadInput {
    const char* name;
    std::string input;
    int status;
    std::string err;                  // all of stderr
    std::vector<std::string> written; // the logs the run got to write
};

const BadInput BAD_INPUTS[] = {
    {"text", "abc\n", 2, "quarlen: keine Zahl: \"abc\"" + NOT_A_NUMBER_TAIL, {}},
    {"two_numbers", "1 2\n", 2, "quarlen: keine Zahl: \"1 2\"" + NOT_A_NUMBER_TAIL, {}},
    {"long_text_shortened", std::string(45, 'y') + "\n", 2,
     "quarlen: keine Zahl: \"" + std::string(40, 'y') + "\"..." + NOT_A_NUMBER_TAIL, {}},
    {"control_characters_escaped", std::string("a\tb\x1b\0", 5) + "\n", 2,
     "quarlen: keine Zahl: \"a\\tb\\x1b\\x00\"" + NOT_A_NUMBER_TAIL, {}},
    {"overflow", "0\n1e999\n", 2, "quarlen: Zahl außerhalb des darstellbaren Bereichs: \"1e999\"\n", {}},
    {"underflow", "1e-400\n", 2, "quarlen: Zahl außerhalb des darstellbaren Bereichs: \"1e-400\"\n", {}},
    {"line_too_long", std::string(5 << 20, '1') + "\n0\n", 2,
     "quarlen: Eingabezeile zu lang: \"" + std::string(40, '1') + "\"...\n", {}},
    {"nothing", "", 2, "quarlen: Eingabe zu Ende, bevor eine Zahl gelesen wurde\n", {}},
    {"ends_before_b", "0\n\n", 2, "quarlen: Eingabe zu Ende, bevor eine Zahl gelesen wurde\n", {}},
    {"ends_before_newton", "0\n10\n", 2, "quarlen: Eingabe zu Ende, bevor eine Zahl gelesen wurde\n",
     {"bisec_f1.dat"}},
    {"bad_fixed_point_start", "0\n10\n0\ninf\n", 2, "quarlen: keine Zahl: \"inf\"" + NOT_A_NUMBER_TAIL,
     {"bisec_f1.dat", "newto_f1.dat"}},
};

TEST(Quarlen, BadInputStopsTheScript)
{
    for (const BadInput& c : BAD_INPUTS) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        // Logs from an earlier run: those of the stages not reached stay as they were.
        for (const char* log : LOGS) write_file(dir / log, "X");
        const RunResult r = quarlen(dir, c.input);
        EXPECT_EQ(r.exit_status, c.status);
        EXPECT_EQ(r.err, c.err);
        for (const char* log : LOGS) {
            const bool written = std::find(c.written.begin(), c.written.end(), log) != c.written.end();
            EXPECT_EQ(read_file(dir / log), written ? golden(log) : "X") << log;
        }
        EXPECT_EQ(golden("stdout.txt").compare(0, r.out.size(), r.out), 0) << "stdout as far as it got";
    }
}

TEST(Quarlen, MethodThatCannotEndLetsTheRunGoOn)
{
    TempDir dir;
    const RunResult r = quarlen(dir, "5\n10\n0\n4\n");
    EXPECT_EQ(r.exit_status, 1);
    EXPECT_NE(r.err.find("quarlen: Bisektion angehalten nach "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("keinen Vorzeichenwechsel"), std::string::npos) << r.err;
    EXPECT_EQ(lines_of(r.err).size(), 1u);
    // The result line, then Newton and the fixed-point iteration exactly as ever.
    const std::string rest = golden("stdout.txt").substr(golden("stdout.txt").find("Bitte Startwert"));
    ASSERT_GE(r.out.size(), rest.size());
    EXPECT_EQ(r.out.substr(r.out.size() - rest.size()), rest);
    EXPECT_EQ(read_file(dir / "newto_f1.dat"), golden("newto_f1.dat"));
    EXPECT_EQ(read_file(dir / "fixpk_f1.dat"), golden("fixpk_f1.dat"));
}

TEST(Quarlen, BreakdownAtMinusOne)
{
    TempDir dir;
    const RunResult r = quarlen(dir, "0\n10\n0\n-1\n");
    EXPECT_EQ(r.exit_status, 1);
    EXPECT_NE(r.err.find("zusammengebrochen"), std::string::npos) << r.err;
    const std::string record = "          0  -1.0000000000000000e+00                -Infinity\n";
    EXPECT_EQ(read_file(dir / "fixpk_f1.dat"), "Startwert=   -1.0000000000000000e+00\n" + record);
    EXPECT_EQ(r.out.substr(r.out.size() - record.size()), record);
}

TEST(Quarlen, UnwritableOutputEndsWithStatus3)
{
    struct Case {
        const char* name;
        std::function<void(const TempDir&)> prepare;
        bool stdout_full;
        std::string message;
    };
    const Case cases[] = {
        {"log_is_a_folder", [](const TempDir& d) { std::filesystem::create_directory(d / "newto_f1.dat"); },
         false, "quarlen: \"newto_f1.dat\": kann nicht angelegt werden: "},
        {"log_on_a_full_device",
         [](const TempDir& d) { std::filesystem::create_symlink("/dev/full", d / "fixpk_f1.dat"); }, false,
         "quarlen: \"fixpk_f1.dat\": kann nicht geschrieben werden: "},
        {"stdout_on_a_full_device", [](const TempDir&) {}, true,
         "quarlen: Standardausgabe: kann nicht geschrieben werden: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        c.prepare(dir);
        RunOptions options;
        if (c.stdout_full) options.stdout_path = "/dev/full";
        const RunResult r = quarlen(dir, "0\n10\n0\n4\n", options);
        EXPECT_EQ(r.exit_status, 3);
        EXPECT_EQ(r.err.rfind(c.message, 0), 0u) << r.err;
    }
}

TEST(Quarlen, InterruptDuringALongIteration)
{
    TempDir dir;
    bool sent = false;
    RunOptions options;
    options.stdout_path = dir / "stdout";
    // Once the fixed-point log is well under way, as Ctrl-C would come.
    options.while_running = [&](pid_t pid, test_support::milliseconds) {
        std::error_code no_file;
        if (!sent && std::filesystem::file_size(dir / "fixpk_f1.dat", no_file) > (1u << 20) && !no_file) {
            ::kill(pid, SIGINT);
            sent = true;
        }
    };
    const RunResult r = quarlen(dir, "0\n10\n0\n900\n", options);
    ASSERT_TRUE(sent) << "the run ended before it could be interrupted";
    EXPECT_EQ(r.exit_status, 130);
    EXPECT_NE(r.err.find("unterbrochen"), std::string::npos) << r.err;

    const std::string log = read_file(dir / "fixpk_f1.dat");
    const std::string out = read_file(dir / "stdout");
    const std::string records = log.substr(log.find('\n') + 1);
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(log.back(), '\n');
    EXPECT_EQ(records.size() % 62, 0u) << "whole records only";
    // The console shows the very same records after the last prompt.
    const std::string after_prompt = out.substr(out.rfind("Bitte Startwert eingeben\n") + 25);
    EXPECT_TRUE(after_prompt == records) << after_prompt.size() << " bytes on stdout, " << records.size()
                                         << " in the log";
    EXPECT_LT(records.size() / 62, 4059232u);
    // The message counts the steps the log shows.
    const std::string steps = " nach " + std::to_string(records.size() / 62) + " Schritten";
    EXPECT_EQ(r.err.rfind("quarlen: Fixpunktiteration unterbrochen" + steps, 0), 0u) << r.err;
}

TEST(Quarlen, InterruptAtAPrompt)
{
    TempDir dir;
    RunOptions options;
    options.close_input = false;
    options.timeout = 5000ms;
    bool sent = false;  // once the program has long been waiting for a line
    options.while_running = [&](pid_t pid, test_support::milliseconds elapsed) {
        if (!sent && elapsed > 300ms) sent = ::kill(pid, SIGINT) == 0;
    };
    const RunResult r = quarlen(dir, "", options);
    EXPECT_FALSE(r.timed_out);
    EXPECT_TRUE(sent);
    EXPECT_EQ(r.exit_status, 130);
    EXPECT_EQ(r.out, "Bitte Intervallgrenzen eingeben:\na= \n");
    EXPECT_EQ(r.err, "quarlen: unterbrochen\n");
}

TEST(Quarlen, PromptsComeBeforeMessages)
{
    TempDir dir;
    RunOptions options;
    options.stderr_to_stdout = true;
    const RunResult r = quarlen(dir, "0\nzehn\n", options);
    EXPECT_EQ(r.out, "Bitte Intervallgrenzen eingeben:\na= \nb= \nquarlen: keine Zahl: \"zehn\"" + NOT_A_NUMBER_TAIL);
}

TEST(Quarlen, PersonAtATerminalIsAskedAgain)
{
    TempDir dir;
    test_support::PtySession terminal(QUARLEN_PATH, dir.path());
    ASSERT_TRUE(terminal.expect("a= ")) << terminal.screen();
    std::size_t mark = terminal.screen().size();
    terminal.send("abc\n");
    ASSERT_TRUE(terminal.expect("quarlen: keine Zahl: \"abc\"", mark)) << terminal.screen();
    ASSERT_TRUE(terminal.expect("a= ", terminal.screen().find("keine Zahl"))) << terminal.screen();
    mark = terminal.screen().size();
    terminal.send("1e999\n");
    ASSERT_TRUE(terminal.expect("Bereichs", mark)) << terminal.screen();
    ASSERT_TRUE(terminal.expect("a= ", terminal.screen().find("Bereichs"))) << terminal.screen();
    terminal.send("0\n");
    ASSERT_TRUE(terminal.expect("b= ")) << terminal.screen();
    terminal.send("10\n");
    ASSERT_TRUE(terminal.expect("Bitte Startwert eingeben")) << terminal.screen();
    terminal.send("0\n4\n");
    EXPECT_EQ(terminal.wait(), 0) << terminal.screen();
    for (const char* log : LOGS) EXPECT_EQ(read_file(dir / log), golden(log)) << log;
}

}  // namespace
