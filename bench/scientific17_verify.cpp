// Compares runtime::scientific17 and scientific17_field with std::to_chars(scientific, 16)
// byte for byte on COUNT random finite doubles in two threads: alternately random bit
// patterns (every exponent, subnormals included) and values spread evenly on a log scale
// over [1e-5, 1e3], where quarlen's iterates lie. Prints the count, the mismatches and the
// fallbacks taken.
//
//   scientific17_verify [COUNT [SEED]]      (default: 300000000, 1)
#include <atomic>
#include <bit>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <thread>

#include "runtime/scientific17.hpp"

namespace {

constexpr int THREADS = 2;

std::uint64_t splitmix64(std::uint64_t& state)
{
    std::uint64_t z = state += 0x9e3779b97f4a7c15;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9;
    z = (z ^ (z >> 27)) * 0x94d049bb133111eb;
    return z ^ (z >> 31);
}

double sample(std::uint64_t i, std::uint64_t random)
{
    if (i % 2 == 0) {
        const double value = std::bit_cast<double>(random);
        return std::isfinite(value) ? value
                                    : std::bit_cast<double>(random ^ (std::uint64_t{1} << 62));
    }
    const double unit = static_cast<double>(random >> 11) * 0x1p-53;
    return std::pow(10.0, -5.0 + 8.0 * unit);
}

std::atomic<std::uint64_t> mismatches{0};

// Both forms: the text alone, and right-aligned in a record's field of 25 characters.
void check(std::uint64_t count, std::uint64_t seed)
{
    constexpr std::size_t WIDTH = 25;
    std::uint64_t state = seed;
    for (std::uint64_t i = 0; i < count; ++i) {
        const double value = sample(i, splitmix64(state));
        char expected[WIDTH] = {};
        char actual[runtime::SCIENTIFIC17_MAX_LENGTH];
        char field[WIDTH];
        const char* expected_end = std::to_chars(expected, expected + sizeof expected, value,
                                                 std::chars_format::scientific, 16)
                                       .ptr;
        const auto length = static_cast<std::size_t>(expected_end - expected);
        const std::string_view want(expected, length);
        const std::string_view got(
            actual, static_cast<std::size_t>(runtime::scientific17(actual, value) - actual));
        runtime::scientific17_field(field, WIDTH, value);
        const std::string_view field_digits(field + WIDTH - length, length);
        const bool blanks = std::string_view(field, WIDTH - length).find_first_not_of(' ') ==
                            std::string_view::npos;
        if ((want != got || field_digits != want || !blanks) && mismatches.fetch_add(1) < 20)
            std::printf("mismatch: %a  to_chars %.*s  scientific17 %.*s  field \"%.*s\"\n", value,
                        static_cast<int>(want.size()), want.data(), static_cast<int>(got.size()),
                        got.data(), static_cast<int>(WIDTH), field);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    const std::uint64_t count = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 300000000;
    const std::uint64_t seed = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1;
    const auto start = std::chrono::steady_clock::now();
    std::thread workers[THREADS];
    for (int t = 0; t < THREADS; ++t) {
        const std::uint64_t share = count / THREADS + (t < static_cast<int>(count % THREADS));
        workers[t] = std::thread(check, share,
                                 seed * 0x100000001b3 +
                                     static_cast<std::uint64_t>(t) * (std::uint64_t{1} << 56));
    }
    for (std::thread& worker : workers) worker.join();
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    std::printf("checked %llu values in %d threads in %.1f s: %llu mismatches, %llu fallbacks\n",
                static_cast<unsigned long long>(count), THREADS, seconds.count(),
                static_cast<unsigned long long>(mismatches.load()),
                static_cast<unsigned long long>(runtime::scientific17_fallbacks()));
    return mismatches.load() == 0 ? 0 : 1;
}
