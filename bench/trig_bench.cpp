// Time per call of the correctly rounded sin, cos and tan and of the C library's, on the
// same random arguments in [-1.5, 1.5], [-10, 10], [-1e6, 1e6] and of every exponent.
#include <benchmark/benchmark.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

#include "runtime/elementary/correctly_rounded.hpp"

namespace {

constexpr std::size_t COUNT = 4096;

std::uint64_t next(std::uint64_t& state)
{
    state = state * 6364136223846793005 + 1442695040888963407;
    return state;
}

// range > 0: uniform in [-range, range]; range = 0: random sign, significand and exponent.
std::vector<double> arguments(double range)
{
    std::vector<double> xs;
    std::uint64_t state = 1;
    while (xs.size() < COUNT) {
        const std::uint64_t bits = next(state);
        if (range > 0) {
            xs.push_back(range * (2.0 * static_cast<double>(bits >> 11) * 0x1p-53 - 1.0));
        } else {
            const double x = std::bit_cast<double>(bits);
            if (std::isfinite(x))
                xs.push_back(x);
        }
    }
    return xs;
}

void run(benchmark::State& state, double (*f)(double), double range)
{
    const std::vector<double> xs = arguments(range);
    for (auto _ : state)
        for (double x : xs)
            benchmark::DoNotOptimize(f(x));
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * COUNT));
}

double c_sin(double x) { return std::sin(x); }
double c_cos(double x) { return std::cos(x); }
double c_tan(double x) { return std::tan(x); }

double cr_cos(double x) { return runtime::correctly_rounded::cos(x); }
double cr_sin(double x) { return runtime::correctly_rounded::sin(x); }
double cr_tan(double x) { return runtime::correctly_rounded::tan(x); }

#define RANGES(name, f)                                                                    \
    BENCHMARK_CAPTURE(run, name##_1_5, f, 1.5);                                            \
    BENCHMARK_CAPTURE(run, name##_10, f, 10.0);                                            \
    BENCHMARK_CAPTURE(run, name##_1e6, f, 1e6);                                            \
    BENCHMARK_CAPTURE(run, name##_any, f, 0.0)

RANGES(sin, cr_sin);
RANGES(glibc_sin, c_sin);
RANGES(cos, cr_cos);
RANGES(glibc_cos, c_cos);
RANGES(tan, cr_tan);
RANGES(glibc_tan, c_tan);

}  // namespace

BENCHMARK_MAIN();
