// cmake --install into a fresh prefix: the programs and their pages land where a
// shell and man look for them, and the installed programs work from any folder.
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

#include "tests/support/process.hpp"
#include "tests/support/temp_dir.hpp"

namespace {

namespace fs = std::filesystem;
using test_support::RunOptions;
using test_support::RunResult;
using test_support::TempDir;

bool executable(const fs::path& path)
{
    return fs::is_regular_file(path) &&
           (fs::status(path).permissions() & fs::perms::owner_exec) != fs::perms::none;
}

TEST(Install, PutsProgramsAndPagesUnderThePrefix)
{
    TempDir prefix;
    RunOptions install;
    install.args = {"--install", BUILD_DIR, "--prefix", prefix.path().string()};
    install.timeout = std::chrono::milliseconds{60000};
    const RunResult installed = test_support::run(CMAKE_EXE, install);
    ASSERT_EQ(installed.exit_status, 0) << installed.out << installed.err;

    for (const char* program : {"quarlen", "mirtova", "konvergenz"}) {
        SCOPED_TRACE(program);
        EXPECT_TRUE(executable(prefix / "bin" / program));
        const fs::path page = prefix.path() / "share/man/man1" / (std::string(program) + ".1");
        EXPECT_EQ(test_support::read_file(page).rfind(".TH ", 0), 0u);

        RunOptions options;
        options.args = {"--version"};
        EXPECT_EQ(test_support::run((prefix / "bin" / program).string(), options).out,
                  std::string(program) + " " + PROJECT_VERSION_TEXT + "\n");
    }

    // A scripted run in a folder of the user's, then the chart of its logs there.
    TempDir work;
    RunOptions run;
    run.working_dir = work.path();
    run.input = "0\n10\n4\n4\n";
    const RunResult quarlen = test_support::run((prefix / "bin/quarlen").string(), run);
    EXPECT_EQ(quarlen.exit_status, 0) << quarlen.err;
    for (const char* log : {"bisec_f1.dat", "newto_f1.dat", "fixpk_f1.dat"})
        EXPECT_TRUE(fs::is_regular_file(work / log)) << log;

    RunOptions chart;
    chart.working_dir = work.path();
    const RunResult konvergenz = test_support::run((prefix / "bin/konvergenz").string(), chart);
    EXPECT_EQ(konvergenz.exit_status, 0) << konvergenz.err;
    EXPECT_TRUE(fs::is_regular_file(work / "konvergenz.svg"));
}

}  // namespace
