// Time per real of runtime::scientific17 and of std::to_chars(scientific, 16), which write
// the same bytes: on the fixed-point iterates of the typical long run (start 300, 453,232
// values) and on as many random values spread evenly over the exponents of [1e-5, 1e3].
// The fallbacks scientific17 took are shown as a counter.
#include <benchmark/benchmark.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <vector>

#include "rootfinding/functions.hpp"
#include "runtime/scientific17.hpp"

namespace {

std::vector<double> long_run_iterates()
{
    std::vector<double> values{300.0};
    double x = 300.0;
    for (double next = FUNCTIONS::GF2(x); std::abs(next - x) > 1.0e-4; next = FUNCTIONS::GF2(x)) {
        x = next;
        values.push_back(x);
    }
    return values;
}

std::vector<double> random_values(std::size_t count)
{
    std::vector<double> values;
    std::uint64_t state = 1;
    while (values.size() < count) {
        state = state * 6364136223846793005 + 1442695040888963407;
        values.push_back(std::pow(10.0, -5.0 + 8.0 * static_cast<double>(state >> 11) * 0x1p-53));
    }
    return values;
}

const std::vector<double>& iterates()
{
    static const std::vector<double> values = long_run_iterates();
    return values;
}

const std::vector<double>& randoms()
{
    static const std::vector<double> values = random_values(iterates().size());
    return values;
}

char* with_to_chars(char* out, double value)
{
    return std::to_chars(out, out + 32, value, std::chars_format::scientific, 16).ptr;
}

template <char* (*WRITE)(char*, double)>
void format(benchmark::State& state, const std::vector<double>& values)
{
    const std::uint64_t fallbacks = runtime::scientific17_fallbacks();
    char text[32];
    for (auto _ : state) {
        for (double value : values) {
            benchmark::DoNotOptimize(WRITE(text, value));
            benchmark::ClobberMemory();
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(values.size()));
    state.counters["fallbacks"] =
        static_cast<double>(runtime::scientific17_fallbacks() - fallbacks);
    state.counters["ns_per_real"] =
        benchmark::Counter(static_cast<double>(state.iterations() * values.size()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void scientific17_iterates(benchmark::State& state)
{
    format<runtime::scientific17>(state, iterates());
}
void to_chars_iterates(benchmark::State& state) { format<with_to_chars>(state, iterates()); }
void scientific17_random(benchmark::State& state)
{
    format<runtime::scientific17>(state, randoms());
}
void to_chars_random(benchmark::State& state) { format<with_to_chars>(state, randoms()); }
BENCHMARK(scientific17_iterates);
BENCHMARK(to_chars_iterates);
BENCHMARK(scientific17_random);
BENCHMARK(to_chars_random);

}  // namespace

BENCHMARK_MAIN();
