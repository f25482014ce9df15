// The programs called as command-line tools: --help and --version answer and end,
// anything else is refused before the dialogue starts, and no argument starts it.
#include <filesystem>
#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <vector>

#include "tests/support/process.hpp"
#include "tests/support/temp_dir.hpp"

namespace {

using test_support::RunOptions;
using test_support::RunResult;
using test_support::TempDir;

struct Program {
    const char* name;
    const char* path;
    // Present in its help: what it asks for, what it writes, how it ends.
    std::vector<std::string> help_mentions;
    const char* refusal;  // the start of the message for an unknown argument
};

const Program PROGRAMS[] = {
    {"quarlen",
     QUARLEN_PATH,
     {"Aufruf: quarlen", "Intervallgrenzen", "Startwert für das Newton-Verfahren",
      "Startwert für die Fixpunktiteration", "Pipe", "bisec_f1.dat", "newto_f1.dat", "fixpk_f1.dat",
      "--verfahren LISTE", "regula-falsi", "sekan_f1.dat", "steff_f1.dat", "--version",
      "Exit-Status", "129, 130, 143"},
     "quarlen: unbekanntes Argument"},
    {"mirtova",
     MIRTOVA_PATH,
     {"Usage: mirtova", "start value", "pipe", "Writes no files", "--version", "Exit status",
      "129, 130, 143"},
     "mirtova: unknown argument"},
    {"konvergenz",
     KONVERGENZ_PATH,
     {"Aufruf: konvergenz", "--version", "Ausführlich: man konvergenz\n"},
     "konvergenz: unbekanntes Argument"},
};

void PrintTo(const Program& p, std::ostream* os) { *os << p.name; }

class CommandLine : public testing::TestWithParam<Program> {
protected:
    // Run in an empty folder with standard input open and empty: a program that
    // started its dialogue instead would wait there until the time limit.
    RunResult call(std::vector<std::string> args, RunOptions options = {})
    {
        options.working_dir = dir_.path();
        options.args = std::move(args);
        options.close_input = false;
        options.timeout = std::chrono::milliseconds{5000};
        return test_support::run(GetParam().path, options);
    }

    bool folder_is_empty() const { return std::filesystem::is_empty(dir_.path()); }

    TempDir dir_;
};

TEST_P(CommandLine, VersionIsOneLineWithTheProjectVersion)
{
    const RunResult r = call({"--version"});
    EXPECT_EQ(r.exit_status, 0);
    EXPECT_EQ(r.out, std::string(GetParam().name) + " " + PROJECT_VERSION_TEXT + "\n");
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(folder_is_empty());
}

TEST_P(CommandLine, HelpAnswersAndEnds)
{
    for (const char* option : {"--help", "-h"}) {
        SCOPED_TRACE(option);
        const RunResult r = call({option});
        EXPECT_EQ(r.exit_status, 0);
        EXPECT_FALSE(r.timed_out);
        EXPECT_EQ(r.err, "");
        for (const std::string& mention : GetParam().help_mentions)
            EXPECT_NE(r.out.find(mention), std::string::npos) << mention << " in\n" << r.out;
        EXPECT_TRUE(folder_is_empty());
    }
}

TEST_P(CommandLine, AnyOtherArgumentIsRefusedWithStatusTwo)
{
    const std::vector<std::vector<std::string>> calls = {
        {"--hilfe"}, {"-x"}, {""}, {"-"}, {"--version=2"}, {"--HELP"}, {"0"}, {"lauf1"},
    };
    for (const auto& args : calls) {
        SCOPED_TRACE(args.front());
        const RunResult r = call(args);
        EXPECT_EQ(r.exit_status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err.rfind(GetParam().refusal, 0), 0u) << r.err;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line: " << r.err;
        EXPECT_TRUE(folder_is_empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Programs, CommandLine, testing::ValuesIn(PROGRAMS),
                         [](const auto& info) { return std::string(info.param.name); });

// quarlen and mirtova take one argument at most; what follows is named in the refusal.
TEST(DialoguePrograms, RefuseASecondArgument)
{
    const std::pair<const char*, std::string> cases[] = {
        {QUARLEN_PATH, "quarlen: überzähliges Argument \"4\" (Hilfe: quarlen --help)\n"},
        {MIRTOVA_PATH, "mirtova: unexpected argument \"4\" (help: mirtova --help)\n"},
    };
    for (const auto& [path, message] : cases) {
        for (const char* first : {"--help", "--version"}) {
            SCOPED_TRACE(std::string(path) + " " + first);
            TempDir dir;
            RunOptions options;
            options.working_dir = dir.path();
            options.args = {first, "4"};
            const RunResult r = test_support::run(path, options);
            EXPECT_EQ(r.exit_status, 2);
            EXPECT_EQ(r.out, "");
            EXPECT_EQ(r.err, message);
        }
    }
}

TEST(AllPrograms, QuoteArgumentsSafely)
{
    // Messages stay one line, and nothing in them reaches the terminal as a command.
    const struct {
        const char* program;
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {QUARLEN_PATH,
         {"\x1b[2J--x\ty"},
         "quarlen: unbekanntes Argument \"\\x1b[2J--x\\ty\" (Hilfe: quarlen --help)\n"},
        {KONVERGENZ_PATH,
         {"\x1b[2J--x\ty"},
         "konvergenz: unbekanntes Argument \"\\x1b[2J--x\\ty\" (Hilfe: konvergenz --help)\n"},
        {KONVERGENZ_PATH,
         {"-d", "no\nsuch"},
         "konvergenz: Ordner \"no\\x0asuch\" nicht gefunden\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        TempDir dir;
        RunOptions options;
        options.working_dir = dir.path();
        options.args = c.args;
        const RunResult r = test_support::run(c.program, options);
        EXPECT_EQ(r.exit_status, 2);
        EXPECT_EQ(r.err, c.message);
    }
}

// Help that cannot be written is a failure like any lost output; a reader that has gone
// (`quarlen --help | head -0`) ends it quietly, with 128 + SIGPIPE, as Unix tools do.
TEST(DialoguePrograms, HelpThatCannotBeWrittenEndsWithStatusThreeOrQuietly)
{
    const struct {
        const char* path;
        bool reader_gone;  // else standard output is /dev/full
        int status;
        const char* message;  // the start of stderr; with the reader gone, none at all
    } cases[] = {
        {QUARLEN_PATH, false, 3, "quarlen: Standardausgabe"},
        {MIRTOVA_PATH, false, 3, "mirtova: standard output"},
        {QUARLEN_PATH, true, 141, ""},
        {MIRTOVA_PATH, true, 141, ""},
    };
    for (const auto& c : cases) {
        for (const char* option : {"--help", "--version"}) {
            SCOPED_TRACE(std::string(c.path) + " " + option + (c.reader_gone ? " | head -0" : ""));
            RunOptions options;
            options.args = {option};
            if (c.reader_gone) {
                options.stdout_limit = 0;
            } else {
                options.stdout_path = "/dev/full";
            }
            const RunResult r = test_support::run(c.path, options);
            EXPECT_EQ(r.exit_status, c.status);
            EXPECT_TRUE(c.reader_gone ? r.err.empty() : r.err.starts_with(c.message)) << r.err;
        }
    }
}

// Options and values that cannot be used: one line on stderr naming what is wrong, status
// 2, nothing on stdout, no file, before any number is asked for.
TEST(DialoguePrograms, OptionErrors)
{
    struct Case {
        const char* path;
        std::vector<std::string> args;
        std::string message;
    };
    const std::string TOLERANCE = ": erwartet wird eine endliche Zahl größer als 0, etwa 1e-10\n";
    const std::string STEPS =
        ": erwartet wird eine ganze Zahl von 1 bis 2147483647, nur aus Ziffern\n";
    const std::string RANGE = ": Zahl außerhalb des Bereichs der 64-Bit-Gleitkommazahlen des "
                              "Programms, etwa 4.9e-324 bis 1.8e+308\n";
    const Case cases[] = {
        {QUARLEN_PATH, {"-t", "0"}, "quarlen: ungültige Toleranz \"0\"" + TOLERANCE},
        {QUARLEN_PATH, {"--toleranz=-1e-5"}, "quarlen: ungültige Toleranz \"-1e-5\"" + TOLERANCE},
        {QUARLEN_PATH, {"-t", "inf"}, "quarlen: ungültige Toleranz \"inf\"" + TOLERANCE},
        // Beyond the program's reals, far too large or too small, is out of their range.
        {QUARLEN_PATH, {"-t", "1e999"}, "quarlen: ungültige Toleranz \"1e999\"" + RANGE},
        {QUARLEN_PATH, {"-t", "1e-400"}, "quarlen: ungültige Toleranz \"1e-400\"" + RANGE},
        {QUARLEN_PATH, {"-t", "abc"}, "quarlen: ungültige Toleranz \"abc\"" + TOLERANCE},
        {QUARLEN_PATH, {"-n", "0"}, "quarlen: ungültige Höchstzahl der Schritte \"0\"" + STEPS},
        {QUARLEN_PATH, {"-n", "+5"}, "quarlen: ungültige Höchstzahl der Schritte \"+5\"" + STEPS},
        {QUARLEN_PATH, {"-n", "1e3"}, "quarlen: ungültige Höchstzahl der Schritte \"1e3\"" + STEPS},
        {QUARLEN_PATH,
         {"--max-schritte=2147483648"},
         "quarlen: ungültige Höchstzahl der Schritte \"2147483648\"" + STEPS},
        {QUARLEN_PATH,
         {"--max-schritte", ""},
         "quarlen: ungültige Höchstzahl der Schritte \"\"" + STEPS},
        {QUARLEN_PATH, {"-f"}, "quarlen: fehlender Wert zu \"-f\" (Hilfe: quarlen --help)\n"},
        {QUARLEN_PATH,
         {"-g", "x", "--fixpunkt"},
         "quarlen: fehlender Wert zu \"--fixpunkt\" (Hilfe: quarlen --help)\n"},
        // Short for more than one option: the options it fits are named, in German.
        {QUARLEN_PATH,
         {"--f", "x"},
         "quarlen: mehrdeutige Option \"--f\": passt zu --fixpunkt, --funktion (Hilfe: quarlen "
         "--help)\n"},
        {QUARLEN_PATH,
         {"--ver"},
         "quarlen: mehrdeutige Option \"--ver\": passt zu --verfahren, --version (Hilfe: quarlen "
         "--help)\n"},
        {QUARLEN_PATH,
         {"--ve=1"},
         "quarlen: mehrdeutige Option \"--ve=1\": passt zu --verfahren, --version (Hilfe: "
         "quarlen --help)\n"},
        {QUARLEN_PATH,
         {"-f", "x", "4"},
         "quarlen: überzähliges Argument \"4\" (Hilfe: quarlen --help)\n"},
        {QUARLEN_PATH,
         {"--ableitung", "2x"},
         "quarlen: --ableitung ohne -f/--funktion: eine Ableitung braucht ihre Funktion\n"},
        {QUARLEN_PATH,
         {"-f", "x^2 - 2", "-g", "x +* 1"},
         "quarlen: Formel für g(x) \"x +* 1\", Stelle 4: erwartet wird eine Zahl, x, pi, e, eine "
         "Funktion, \"(\" oder \"-\", gefunden \"*\"\n"},
        {QUARLEN_PATH,
         {"--funktion="},
         "quarlen: Formel für f(x) \"\": die Formel ist leer; erwartet wird ein Ausdruck in x, "
         "etwa "
         "x^2 - 2\n"},
        {MIRTOVA_PATH,
         {"-t", "1e-50"},
         "mirtova: invalid tolerance \"1e-50\": number out of the range of the program's 32-bit "
         "reals, about 1.4e-45 to 3.4e+38\n"},
        {MIRTOVA_PATH,
         {"--max-steps=-1"},
         "mirtova: invalid step limit \"-1\": expected a whole number from 1 to 2147483647, in "
         "digits only\n"},
        {MIRTOVA_PATH,
         {"--derivative", "x"},
         "mirtova: --derivative without -f/--function: a derivative needs its function\n"},
        {MIRTOVA_PATH,
         {"--tolerance"},
         "mirtova: missing value for \"--tolerance\" (help: mirtova --help)\n"},
        {MIRTOVA_PATH,
         {"-f", "x", "--derivative", "1 + )"},
         "mirtova: formula for f'(x) \"1 + )\", character 5: expected a number, x, pi, e, a "
         "function, "
         "\"(\" or \"-\", found \")\"\n"},
        {MIRTOVA_PATH,
         {"-f", "1e39 * x"},
         "mirtova: formula for f(x) \"1e39 * x\", character 1: number out of range: \"1e39\"\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.front());
        TempDir dir;
        RunOptions options;
        options.working_dir = dir.path();
        options.args = c.args;
        options.close_input = false;
        options.timeout = std::chrono::milliseconds{5000};
        const RunResult r = test_support::run(c.path, options);
        EXPECT_EQ(r.exit_status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, c.message);
        EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
    }
}

// GNU style: a value after "=", in the next argument or right after a short option, and
// long names shortened while they stay unique.
TEST(DialoguePrograms, OptionSpellings)
{
    const std::vector<std::string> spellings[] = {
        {"--funktion=x-4"},
        {"--funktion", "x-4"},
        {"-fx-4"},
        {"-f", "x-4"},
        {"--funk", "x-4"},
        {"--abl=1", "-fx-4", "-t", "1e-4", "-n30"},
        {"-t1e-4", "-n", "30", "-f", "x-4"},
    };
    for (const std::vector<std::string>& args : spellings) {
        SCOPED_TRACE(args.front());
        TempDir dir;
        RunOptions options;
        options.working_dir = dir.path();
        options.args = args;
        options.input = "0\n10\n0\n4\n";
        const RunResult r = test_support::run(QUARLEN_PATH, options);
        EXPECT_EQ(r.exit_status, 0) << r.err;
        EXPECT_EQ(r.out.substr(0, r.out.find('\n')), "f(x) = x-4");
    }
}

}  // namespace
