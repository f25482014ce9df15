// sin, cos and tan against MPFR's correctly rounded values, bit for bit, over named sets of
// arguments: the special values, hard-to-round arguments and arguments next to multiples
// of pi/2 (the random ones are rows of the oracle's table).
#include <mpfr.h>

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/elementary/correctly_rounded.hpp"
#include "tests/support/process.hpp"
#include "tests/support/temp_dir.hpp"

namespace {

using Oracle = int (*)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t);

struct Function {
    const char* name;
    double (*ours)(double);
    Oracle oracle;
};

const Function FUNCTIONS[] = {
    {"sin", runtime::correctly_rounded::sin, mpfr_sin},
    {"cos", runtime::correctly_rounded::cos, mpfr_cos},
    {"tan", runtime::correctly_rounded::tan, mpfr_tan},
};

// MPFR's value rounded once to a double, subnormal results included.
double oracle_value(Oracle f, double x)
{
    mpfr_set_emin(-1073);
    mpfr_set_emax(1024);
    mpfr_t in, out;
    mpfr_init2(in, 53);
    mpfr_init2(out, 53);
    mpfr_set_d(in, x, MPFR_RNDN);
    const int inexact = f(out, in, MPFR_RNDN);
    mpfr_subnormalize(out, inexact, MPFR_RNDN);
    const double y = mpfr_get_d(out, MPFR_RNDN);
    mpfr_clears(in, out, static_cast<mpfr_ptr>(nullptr));
    return y;
}

// The double nearest k pi/2^n, for k < 2^1000.
double nearest_to_multiple(const mpz_t k, unsigned long n)
{
    mpfr_t v;
    mpfr_init2(v, 2200);
    mpfr_const_pi(v, MPFR_RNDN);
    mpfr_mul_z(v, v, k, MPFR_RNDN);
    mpfr_div_2ui(v, v, n, MPFR_RNDN);
    const double y = mpfr_get_d(v, MPFR_RNDN);
    mpfr_clear(v);
    return y;
}

std::vector<double> with_negatives(std::vector<double> xs)
{
    const std::size_t n = xs.size();
    for (std::size_t i = 0; i < n; ++i)
        xs.push_back(-xs[i]);
    return xs;
}

std::vector<double> special_values()
{
    return with_negatives({0.0, INFINITY, NAN, 0x1p-1074, 0x0.fffffffffffffp-1022, DBL_MIN,
                           0x1p-27, std::nextafter(0x1p-27, 0.0), 0x1.0000000000001p-27,
                           0x1p-26, std::nextafter(0x1p-26, 0.0), 0x1p-25, 0x1.921fb54442d18p-1,
                           0x1.921fb54442d19p-1, 0x1.921fb54442d17p-1, 0x1.921fb54442d18p+0,
                           0x1p17, std::nextafter(0x1p17, 0.0), 0x1p20, std::nextafter(0x1p20, 0.0), 0x1p-10, 1.0, 1e22, 1e300, DBL_MAX,
                           std::ldexp(6381956970095103.0, 797)});
}

// Found with MPFR: for one of the three functions each result lies within 2^-20 of its
// unit in the last place from a midpoint between two doubles; by random search, and near
// zero, where the result moves slowly with the argument, by walking the significand
// towards a midpoint (within 2^-30 there).
std::vector<double> hard_to_round()
{
    return with_negatives({
#include "tests/runtime/trig_hard_cases.inc"
    });
}

// The doubles nearest k pi/2^n and their neighbours, for k from 1 to 2000 and for 3000
// random k up to 2^1000, and their negatives: the arguments whose reduction cancels most.
std::vector<double> near_multiples(unsigned long n)
{
    std::vector<double> xs;
    std::mt19937_64 random(7);
    mpz_t k;
    mpz_init(k);
    for (int i = 1; i <= 5000; ++i) {
        if (i <= 2000) {
            mpz_set_ui(k, static_cast<unsigned long>(i));
        } else {
            mpz_set_ui(k, random() | 1);
            mpz_mul_2exp(k, k, random() % 940);
        }
        const double x = nearest_to_multiple(k, n);
        xs.insert(xs.end(), {x, std::nextafter(x, 0.0), std::nextafter(x, INFINITY)});
    }
    mpz_clear(k);
    return with_negatives(xs);
}

std::vector<double> near_multiples_of_half_pi() { return near_multiples(1); }

// Multiples of pi/1024, where the table's rows lie, and of pi/8192, which take in the
// points halfway between rows.
std::vector<double> near_multiples_of_pi_over_1024() { return near_multiples(10); }
std::vector<double> near_multiples_of_pi_over_8192() { return near_multiples(13); }

// The doubles nearest k/1024 and their neighbours, for k from 1 to 1600, and their
// negatives: the rows of the table at multiples of 1/512 (k even), the points halfway
// between them, and the end of that table's range at 1.5.
std::vector<double> near_multiples_of_1_over_1024()
{
    std::vector<double> xs;
    for (int k = 1; k <= 1600; ++k) {
        const double x = k / 1024.0;
        xs.insert(xs.end(), {x, std::nextafter(x, 0.0), std::nextafter(x, INFINITY)});
    }
    return with_negatives(xs);
}

struct ArgumentSet {
    const char* name;
    std::vector<double> (*arguments)();
};

const ArgumentSet ARGUMENT_SETS[] = {
    {"special_values", special_values},
    {"hard_to_round", hard_to_round},
    {"near_multiples_of_half_pi", near_multiples_of_half_pi},
    {"near_multiples_of_pi_over_1024", near_multiples_of_pi_over_1024},
    {"near_multiples_of_pi_over_8192", near_multiples_of_pi_over_8192},
    {"near_multiples_of_1_over_1024", near_multiples_of_1_over_1024},
};

class CorrectlyRounded : public testing::TestWithParam<std::tuple<Function, ArgumentSet>> {};

TEST_P(CorrectlyRounded, MatchesMpfrBitForBit)
{
    const auto& [function, set] = GetParam();
    int mismatches = 0;
    std::ostringstream first;
    const std::vector<double> xs = set.arguments();
    for (double x : xs) {
        const double ours = function.ours(x);
        const double expected = oracle_value(function.oracle, x);
        const bool same = std::isnan(expected) ? std::isnan(ours)
                                               : std::bit_cast<std::uint64_t>(ours) == std::bit_cast<std::uint64_t>(expected);
        if (!same && mismatches++ < 5)
            first << std::hexfloat << "\n  " << function.name << "(" << x << ") = " << ours
                  << ", correctly rounded " << expected;
    }
    EXPECT_EQ(mismatches, 0) << "of " << xs.size() << first.str();
}

INSTANTIATE_TEST_SUITE_P(Trig, CorrectlyRounded,
                         testing::Combine(testing::ValuesIn(FUNCTIONS), testing::ValuesIn(ARGUMENT_SETS)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
                         });

// The tables checked in are the ones their scripts make.
TEST(TrigTables, ScriptRegeneratesThem)
{
    if (std::string(PYTHON3_EXE).empty()) GTEST_SKIP() << "no python3";
    const struct {
        const char* script;
        const char* table;
    } tables[] = {{TRIG_TABLES_SCRIPT, TRIG_TABLES}, {TANGENT_TABLE_SCRIPT, TANGENT_TABLE}};
    for (const auto& t : tables) {
        test_support::TempDir dir;
        test_support::RunOptions options;
        options.args = {t.script, (dir / "table.inc").string()};
        options.timeout = std::chrono::seconds(60);
        const auto result = test_support::run(PYTHON3_EXE, options);
        ASSERT_EQ(result.exit_status, 0) << t.script << ": " << result.err;
        EXPECT_EQ(test_support::read_file(dir / "table.inc"), test_support::read_file(t.table)) << t.table;
    }
}

}  // namespace
