// Time per call of our correctly rounded functions beside the C library's, on arguments
// drawn uniformly from each function's typical range (its row in the oracle's table):
// "ours" and "glibc" with independent calls, "chained" where each call waits for the one
// before (as the fixed-point iteration does).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstddef>
#include <string>
#include <vector>

#include "runtime/elementary/correctly_rounded.hpp"
#include "tests/support/mpfr_oracle.hpp"

namespace {

using test_support::OracleFunction;

std::vector<double> arguments(const OracleFunction& f)
{
    test_support::ArgumentSampler random(1);
    std::vector<double> values(4096);
    for (double& x : values)
        x = f.typical_low + (f.typical_high - f.typical_low) * static_cast<double>(random.bits() >> 11) * 0x1p-53;
    return values;
}

void independent(benchmark::State& state, double (*function)(double), const OracleFunction* f)
{
    const std::vector<double> values = arguments(*f);
    std::size_t i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(function(values[i++ & 4095]));
}

void chained(benchmark::State& state, double (*function)(double), const OracleFunction* f)
{
    const std::vector<double> values = arguments(*f);
    std::size_t i = 0;
    double previous = 0;
    for (auto _ : state) {
        previous = function(values[i++ & 4095] + previous * 0x1p-60);
        benchmark::DoNotOptimize(previous);
    }
}

// x^y, x in [0.01, 100] and y in [-5, 5], as a typed formula's powers take them.
void power(benchmark::State& state, double (*function)(double, double))
{
    test_support::ArgumentSampler random(1);
    std::vector<double> bases(4096);
    std::vector<double> exponents(4096);
    for (std::size_t i = 0; i < 4096; ++i) {
        bases[i] = 0.01 + 99.99 * static_cast<double>(random.bits() >> 11) * 0x1p-53;
        exponents[i] = -5 + 10 * static_cast<double>(random.bits() >> 11) * 0x1p-53;
    }
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(function(bases[i & 4095], exponents[i & 4095]));
        ++i;
    }
}

}  // namespace

int main(int argc, char** argv)
{
    for (const OracleFunction& f : test_support::oracle_functions()) {
        const std::string name = f.name;
        benchmark::RegisterBenchmark((name + "/ours").c_str(), independent, f.ours, &f);
        benchmark::RegisterBenchmark((name + "/glibc").c_str(), independent, f.platform, &f);
        benchmark::RegisterBenchmark((name + "/ours/chained").c_str(), chained, f.ours, &f);
        benchmark::RegisterBenchmark((name + "/glibc/chained").c_str(), chained, f.platform, &f);
    }
    benchmark::RegisterBenchmark("pow/ours", power, runtime::correctly_rounded::pow);
    benchmark::RegisterBenchmark("pow/glibc", power, [](double x, double y) { return std::pow(x, y); });
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
