// scripts/setup against stand-in tools on an otherwise empty PATH: it must find what
// is there however it was installed, name what is missing, and judge CMake's version
// by its numbers. Without apt-get on that PATH it never installs anything.
#include <filesystem>
#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <vector>

#include "tests/support/process.hpp"
#include "tests/support/temp_dir.hpp"

namespace {

namespace fs = std::filesystem;
using test_support::RunOptions;
using test_support::RunResult;
using test_support::TempDir;

const std::string COMPILER_OK = "exit 0";

// A folder of stand-in tools: each one a small script.
class Tools {
public:
    Tools()
    {
        fs::create_symlink(MKTEMP_EXE, dir_ / "mktemp");
        fs::create_symlink(RM_EXE, dir_ / "rm");
    }

    Tools& with(const std::string& name, const std::string& body)
    {
        const fs::path path = dir_ / name;
        test_support::write_file(path, std::string("#!") + BASH_EXE + "\n" + body + "\n");
        fs::permissions(path, fs::perms::owner_all);
        return *this;
    }

    Tools& cmake(const std::string& version)
    {
        return with("cmake", "echo 'cmake version " + version + "'");
    }

    RunResult setup(const std::vector<std::string>& args) const
    {
        RunOptions options;
        options.working_dir = dir_.path();
        options.args = {"-i", "PATH=" + dir_.path().string(), BASH_EXE, SETUP_SCRIPT};
        options.args.insert(options.args.end(), args.begin(), args.end());
        options.timeout = std::chrono::milliseconds{30000};
        return test_support::run(ENV_EXE, options);
    }

private:
    TempDir dir_;
};

struct SetupCase {
    const char* name;
    const char* purpose;
    void (*tools)(Tools&);
    int status;
    std::vector<std::string> named;      // in the message
    std::vector<std::string> not_named;  // pieces that are there
};

void PrintTo(const SetupCase& c, std::ostream* os) { *os << c.name; }

void for_running(Tools& t) { t.with("c++", COMPILER_OK).cmake("3.25.1").with("ninja", "exit 0"); }

void for_testing_natively(Tools& t)
{
    for_running(t);
    t.with("clang++", COMPILER_OK).with("xmllint", "exit 0").with("groff", "exit 0");
}

// node finds Debian's acorn only where NODE_PATH names its folder.
void for_testing_in_node(Tools& t)
{
    for_testing_natively(t);
    t.with("em++", "exit 0").with("node", "[[ $NODE_PATH == /usr/share/nodejs* ]]");
}

// The browser tests' modules count as installed here: npm ls succeeds.
void for_testing(Tools& t)
{
    for_testing_in_node(t);
    t.with("chromium", "exit 0").with("npm", "exit 0");
}

// An npm whose modules are there only once npm ci has succeeded (CI_STATUS).
void npm_ci_needed(Tools& t, const std::string& ci_status)
{
    for_testing(t);
    t.with("npm", "marker=${0%/*}/installed\n"
                  "case $1 in\n"
                  "ci) echo 'added 82 packages'; [[ " + ci_status + " == 0 ]] && : >\"$marker\"; "
                  "exit " + ci_status + " ;;\n"
                  "ls) [[ -f $marker ]] ;;\n"
                  "esac");
}

const SetupCase CASES[] = {
    {"all_there_for_running", "run", for_running, 0, {}, {}},
    {"cmake_of_exactly_the_needed_version",
     "run",
     [](Tools& t) {
         for_running(t);
         t.cmake("3.25.0");
     },
     0,
     {},
     {}},
    {"cmake_minor_version_compared_as_a_number",
     "run",
     [](Tools& t) {
         for_running(t);
         t.cmake("3.100.2");
     },
     0,
     {},
     {}},
    {"cmake_of_a_newer_major_version",
     "run",
     [](Tools& t) {
         for_running(t);
         t.cmake("4.0.0");
     },
     0,
     {},
     {}},
    {"cmake_too_old",
     "run",
     [](Tools& t) {
         for_running(t);
         t.cmake("3.24.4");
     },
     1,
     {"CMake 3.24.4 is too old", "3.25 or newer", "cmake"},
     {"Ninja"}},
    {"cmake_of_an_older_major_version",
     "run",
     [](Tools& t) {
         for_running(t);
         t.cmake("2.99.0");
     },
     1,
     {"CMake 2.99.0 is too old"},
     {}},
    {"no_cmake",
     "run",
     [](Tools& t) { t.with("c++", COMPILER_OK).with("ninja", "exit 0"); },
     1,
     {"CMake 3.25 or newer"},
     {"too old", "Ninja"}},
    {"no_ninja",
     "run",
     [](Tools& t) { t.with("c++", COMPILER_OK).cmake("3.25.1"); },
     1,
     {"Ninja", "ninja"},
     {"CMake", "C++20"}},
    {"compiler_without_cxx20",
     "run",
     [](Tools& t) {
         for_running(t);
         t.with("c++", "exit 1");
     },
     1,
     {"C++20 compiler"},
     {"Ninja"}},
    {"no_fast_float",
     "run",
     [](Tools& t) {
         for_running(t);
         t.with("c++",
                "while read -r line; do [[ $line == *fast_float* ]] && exit 1; done; exit 0");
     },
     1,
     {"fast_float", "libfast-float-dev"},
     {"Ninja", "CMake", "C++20"}},
    {"no_compiler",
     "run",
     [](Tools& t) { t.cmake("3.25.1").with("ninja", "exit 0"); },
     1,
     {"C++20 compiler"},
     {}},
    {"googletest_missing",
     "test",
     [](Tools& t) {
         for_testing(t);
         t.with("c++", "for a; do [[ $a == -lgtest ]] && exit 1; done; exit 0");
     },
     1,
     {"GoogleTest"},
     {"Google Benchmark", "C++20", "clang++", "groff"}},
    {"mpfr_missing",
     "test",
     [](Tools& t) {
         for_testing(t);
         t.with("c++", "for a; do [[ $a == -lmpfr ]] && exit 1; done; exit 0");
     },
     1,
     {"MPFR", "libmpfr-dev"},
     {"GoogleTest", "Google Benchmark", "clang++"}},
    // The stand-in compiler links anything, so the libraries count as there.
    {"test_tools_missing",
     "test",
     for_running,
     1,
     {"clang++", "xmllint", "groff"},
     {"GoogleTest", "C++20", "Ninja"}},
    {"webassembly_tools_missing",
     "test",
     for_testing_natively,
     1,
     {"emscripten (em++)", "node", "nodejs", "acorn"},
     {"clang++", "xmllint", "GoogleTest"}},
    {"acorn_missing",
     "test",
     [](Tools& t) {
         for_testing(t);
         t.with("node", "[[ $* != *acorn* ]]");
     },
     1,
     {"acorn for node", "node-acorn"},
     {"emscripten (em++)", "nodejs"}},
    {"browser_tools_missing",
     "test",
     for_testing_in_node,
     1,
     {"Chromium", "chromium", "npm"},
     {"emscripten", "acorn", "GoogleTest", "npm ci"}},
    {"browser_modules_installed_with_npm_ci",
     "test",
     [](Tools& t) { npm_ci_needed(t, "0"); },
     0,
     {"npm ci in tests/browser", "added 82 packages"},
     {"missing"}},
    {"npm_ci_failing",
     "test",
     [](Tools& t) { npm_ci_needed(t, "1"); },
     1,
     {"npm ci in tests/browser did not install", "registry"},
     {"missing"}},
    {"libfuzzer_missing",
     "test",
     [](Tools& t) {
         for_testing(t);
         t.with("clang++", "for a; do [[ $a == -fsanitize=fuzzer ]] && exit 1; done; exit 0");
     },
     1,
     {"libFuzzer", "libclang-rt-dev"},
     {"GoogleTest", "xmllint", "groff"}},
    {"groff_without_man_macros",
     "test",
     [](Tools& t) {
         for_testing(t);
         t.with("groff", "exit 1");
     },
     1,
     {"groff with the man macros"},
     {"xmllint"}},
};

class Setup : public testing::TestWithParam<SetupCase> {};

TEST_P(Setup, FindsWhatIsThereAndNamesWhatIsMissing)
{
    const SetupCase& c = GetParam();
    Tools tools;
    c.tools(tools);
    const RunResult r = tools.setup({c.purpose});
    EXPECT_EQ(r.exit_status, c.status) << r.err;
    EXPECT_EQ(r.out, "");
    if (c.status == 0 && c.named.empty()) {
        EXPECT_EQ(r.err, "");
    } else if (c.status != 0) {
        EXPECT_NE(r.err.find("install"), std::string::npos) << r.err;
    }
    for (const std::string& piece : c.named)
        EXPECT_NE(r.err.find(piece), std::string::npos) << piece;
    for (const std::string& piece : c.not_named)
        EXPECT_EQ(r.err.find(piece), std::string::npos) << piece;
}

INSTANTIATE_TEST_SUITE_P(Cases, Setup, testing::ValuesIn(CASES),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Setup, AllThereForTesting)
{
    if (!fs::exists("/usr/bin/time")) GTEST_SKIP() << "no GNU time on this machine";
    Tools tools;
    for_testing(tools);
    const RunResult r = tools.setup({"test"});
    EXPECT_EQ(r.exit_status, 0);
    EXPECT_EQ(r.err, "");
}

TEST(Setup, WantsToKnowWhatToSetUp)
{
    Tools tools;
    for_running(tools);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{}, {"build"}, {"run", "test"}}) {
        const RunResult r = tools.setup(args);
        EXPECT_EQ(r.exit_status, 2);
        EXPECT_NE(r.err.find("usage: scripts/setup run|test"), std::string::npos) << r.err;
    }
    const RunResult help = tools.setup({"--help"});
    EXPECT_EQ(help.exit_status, 0);
    EXPECT_NE(help.out.find("usage: scripts/setup run|test"), std::string::npos);
}

}  // namespace
