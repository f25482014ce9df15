// What the tests of the built program share: its golden files, and a run of it in a
// folder of its own with the given input.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/process.hpp"
#include "tests/support/temp_dir.hpp"

namespace quarlen_run {

// The logs of the default run, and of every stage in the order of --verfahren.
inline const char* const LOGS[] = {"bisec_f1.dat", "newto_f1.dat", "fixpk_f1.dat"};
inline const char* const ALL_LOGS[] = {"bisec_f1.dat", "regfa_f1.dat", "illin_f1.dat",
                                       "newto_f1.dat", "sekan_f1.dat", "fixpk_f1.dat",
                                       "steff_f1.dat"};

inline std::string golden(const std::string& name)
{
    return test_support::read_file(std::string(GOLDEN_DIR) + "/" + name);
}

inline bool golden_exists(const std::string& name)
{
    return std::filesystem::exists(std::string(GOLDEN_DIR) + "/" + name);
}

inline test_support::RunResult quarlen(const test_support::TempDir& dir, const std::string& input,
                                       test_support::RunOptions options = {})
{
    options.working_dir = dir.path();
    options.input = input;
    return test_support::run(QUARLEN_PATH, options);
}

inline test_support::RunOptions with_args(std::vector<std::string> args)
{
    test_support::RunOptions options;
    options.args = std::move(args);
    return options;
}

// The arguments of a golden run under golden/verfahren: the list of its stages, then
// those of optionen.txt, one a line, where the run has them.
inline std::vector<std::string> verfahren_args(const std::string& folder)
{
    const std::string stages = golden(folder + "verfahren.txt");
    std::vector<std::string> args = {"--verfahren", stages.substr(0, stages.size() - 1)};
    if (golden_exists(folder + "optionen.txt")) {
        const std::string more = golden(folder + "optionen.txt");
        for (std::size_t at = 0, end; (end = more.find('\n', at)) != std::string::npos;
             at = end + 1)
            args.push_back(more.substr(at, end - at));
    }
    return args;
}

}  // namespace quarlen_run
