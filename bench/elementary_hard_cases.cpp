// Hard-to-round arguments by random search: draws COUNT arguments over a function's
// domain, as the tests do, and prints as rows of the tests' table those whose exact
// result, computed by MPFR with 256 bits, lies within 2^-20 units in the last place of a
// midpoint between two doubles (about one argument in a million): at most ROWS of them,
// spread evenly over the distinct ones in the order of their size. Two threads.
//
//   elementary_hard_cases FUNCTION COUNT [SEED [ROWS]] > tests/runtime/hard_cases/FUNCTION.inc
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "tests/support/mpfr_oracle.hpp"

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: elementary_hard_cases FUNCTION COUNT [SEED [ROWS]]\n");
        return 2;
    }
    const test_support::OracleFunction& f = test_support::oracle_function(argv[1]);
    const std::uint64_t count = std::strtoull(argv[2], nullptr, 10);
    const std::uint64_t seed = argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 20;
    const std::size_t rows = argc > 4 ? std::strtoull(argv[4], nullptr, 10) : 40;
    std::mutex found_lock;
    std::vector<std::pair<double, double>> found;  // argument, distance
    const auto search = [&](std::uint64_t share, std::uint64_t thread_seed) {
        test_support::ArgumentSampler sampler(thread_seed);
        for (std::uint64_t i = 0; i < share; ++i) {
            const double x = sampler.next(f.domain);
            const double distance = test_support::distance_to_midpoint(f.mpfr, x);
            if (distance < 0x1p-20) {
                const std::lock_guard<std::mutex> hold(found_lock);
                found.emplace_back(x, distance);
            }
        }
    };
    std::thread other(search, count / 2, seed * 0x100000001b3 + 1);
    search(count - count / 2, seed * 0x100000001b3);
    other.join();
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    std::printf("// %s: %zu distinct of %llu random arguments (seed %llu) lie within 2^-20 ulp of a\n"
                "// midpoint; %zu of them, spread evenly in the order of their size:\n",
                f.name, found.size(), static_cast<unsigned long long>(count),
                static_cast<unsigned long long>(seed), std::min(rows, found.size()));
    for (std::size_t i = 0; i < std::min(rows, found.size()); ++i) {
        const auto& [x, distance] = found[i * found.size() / std::min(rows, found.size())];
        std::printf("{\"%s\", %a},  // %.3g ulp from a midpoint\n", f.name, x, distance);
    }
}
