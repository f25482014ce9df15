// Compares our correctly rounded functions with MPFR, bit for bit, on COUNT random
// arguments per function drawn over its whole domain, in two threads, and counts how
// often each took its slow path: the functions' sources are compiled into this program
// again with ELEMENTARY_COUNT_SLOW_PATHS, which the programs never define.
//
//   elementary_verify [COUNT [SEED [FUNCTION...]]]     (default: 100000000, 1, every one;
//                                                     pow on random pairs of arguments)
//   elementary_verify edges                            (every function at its tables' cell
//                                                     edges and their neighbours instead)
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "runtime/elementary/correctly_rounded.hpp"
#include "tests/support/mpfr_oracle.hpp"

namespace {

constexpr int THREADS = 2;
constexpr std::size_t MOST_FUNCTIONS = 32;

std::atomic<std::uint64_t> slow_paths[MOST_FUNCTIONS + 1];  // the last for pow
std::atomic<std::uint64_t> mismatches{0};

void check(const test_support::OracleFunction& f, std::uint64_t count, std::uint64_t seed)
{
    test_support::ArgumentSampler sampler(seed);
    for (std::uint64_t i = 0; i < count; ++i) {
        const double x = sampler.next(f.domain);
        const double ours = f.ours(x);
        const double want = test_support::mpfr_rounded(f.mpfr, x);
        if (!test_support::same_bits(ours, want) && mismatches.fetch_add(1) < 20)
            std::printf("mismatch: %s(%a) = %a, MPFR %a\n", f.name, x, ours, want);
    }
}

void check_power(std::uint64_t count, std::uint64_t seed)
{
    test_support::ArgumentSampler sampler(seed);
    for (std::uint64_t i = 0; i < count; ++i) {
        const auto [x, y] = test_support::random_power_arguments(sampler);
        const double ours = runtime::correctly_rounded::pow(x, y);
        const double want = test_support::mpfr_power_rounded(x, y);
        if (!test_support::same_bits(ours, want) && mismatches.fetch_add(1) < 20)
            std::printf("mismatch: pow(%a, %a) = %a, MPFR %a\n", x, y, ours, want);
    }
}

}  // namespace

namespace runtime::correctly_rounded {

void count_slow_path(const char* function)
{
    const auto& functions = test_support::oracle_functions();
    if (std::strcmp(function, "pow") == 0) slow_paths[MOST_FUNCTIONS].fetch_add(1, std::memory_order_relaxed);
    for (std::size_t i = 0; i < functions.size() && i < MOST_FUNCTIONS; ++i)
        if (std::strcmp(functions[i].name, function) == 0)
            slow_paths[i].fetch_add(1, std::memory_order_relaxed);
}

}  // namespace runtime::correctly_rounded

// The cell edges of every one-argument function, in one thread: a few hundred thousand.
int verify_edges()
{
    std::uint64_t wrong = 0;
    for (const test_support::OracleFunction& f : test_support::oracle_functions()) {
        const std::vector<double> arguments = test_support::cell_edge_arguments(f.name);
        std::uint64_t here = 0;
        for (const double x : arguments) {
            const double ours = f.ours(x);
            const double want = test_support::mpfr_rounded(f.mpfr, x);
            if (!test_support::same_bits(ours, want) && ++here <= 20)
                std::printf("mismatch: %s(%a) = %a, MPFR %a\n", f.name, x, ours, want);
        }
        std::printf("%s: %zu cell-edge arguments, %llu mismatches\n", f.name, arguments.size(),
                    static_cast<unsigned long long>(here));
        wrong += here;
    }
    return wrong == 0 ? 0 : 1;
}

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "edges") == 0) return verify_edges();
    const std::uint64_t count = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 100000000;
    const std::uint64_t seed = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1;
    const auto& functions = test_support::oracle_functions();
    int failed = 0;
    // Runs `work` for one function in THREADS threads and reports its counts.
    const auto verify = [&](const char* name, std::size_t counter, auto work) {
        bool wanted = argc <= 3;
        for (int a = 3; a < argc; ++a) wanted = wanted || std::strcmp(argv[a], name) == 0;
        if (!wanted) return;
        mismatches = 0;
        const auto start = std::chrono::steady_clock::now();
        std::vector<std::thread> workers;
        for (int t = 0; t < THREADS; ++t) {
            const std::uint64_t share = count / THREADS + (t < static_cast<int>(count % THREADS));
            workers.emplace_back(work, share,
                                 seed * 0x100000001b3 + static_cast<std::uint64_t>(t) * (std::uint64_t{1} << 56));
        }
        for (std::thread& worker : workers) worker.join();
        const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
        const std::uint64_t slow = slow_paths[counter].load();
        std::printf("%s: %llu arguments in %.0f s, %llu mismatches, slow path %llu times (%.2g)\n",
                    name, static_cast<unsigned long long>(count), seconds.count(),
                    static_cast<unsigned long long>(mismatches.load()),
                    static_cast<unsigned long long>(slow),
                    static_cast<double>(slow) / static_cast<double>(count));
        failed += mismatches.load() != 0;
    };
    for (std::size_t index = 0; index < functions.size(); ++index) {
        const test_support::OracleFunction& f = functions[index];
        verify(f.name, index, [&f](std::uint64_t share, std::uint64_t s) { check(f, share, s); });
    }
    verify("pow", MOST_FUNCTIONS, check_power);
    return failed == 0 ? 0 : 1;
}
