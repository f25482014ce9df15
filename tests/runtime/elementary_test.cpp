// Our correctly rounded elementary functions against MPFR, bit for bit: random arguments
// over each function's domain, its special values, hard-to-round arguments and exact
// results; then the slow paths alone and the pieces both paths are built from. A new
// function is a row in each table.
#include <mpfr.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <gtest/gtest.h>
#include <limits>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "runtime/elementary/arctangent_kernel.hpp"
#include "runtime/elementary/correctly_rounded.hpp"
#include "runtime/elementary/double_double.hpp"
#include "runtime/elementary/rounding.hpp"
#include "runtime/elementary/wide_float.hpp"
#include "runtime/elementary/wide_arctangent.hpp"
#include "runtime/elementary/wide_functions.hpp"
#include "tests/support/mpfr_oracle.hpp"
#include "tests/support/process.hpp"
#include "tests/support/temp_dir.hpp"

namespace {

namespace cr = runtime::correctly_rounded;
using cr::DoubleDouble;
using cr::WideFloat;
using test_support::OracleFunction;
using test_support::oracle_function;
using test_support::same_bits;

constexpr double INF = std::numeric_limits<double>::infinity();
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

std::string hex(double x)
{
    char text[40];
    std::snprintf(text, sizeof text, "%a", x);
    return text;
}

// ---- Random arguments over the whole domain ------------------------------------------

class RandomArguments : public testing::TestWithParam<OracleFunction> {};

// f(x) against MPFR, the first ten mismatches reported and all counted.
void compare(const OracleFunction& f, double x, int& mismatches)
{
    const double ours = f.ours(x);
    const double want = test_support::mpfr_rounded(f.mpfr, x);
    if (!same_bits(ours, want) && ++mismatches <= 10)
        ADD_FAILURE() << f.name << "(" << hex(x) << ") = " << hex(ours) << ", MPFR " << hex(want);
}

TEST_P(RandomArguments, MatchMpfrBitForBit)
{
    const OracleFunction& f = GetParam();
    test_support::ArgumentSampler sampler(21);
    int mismatches = 0;
    for (int i = 0; i < 1'000'000; ++i) compare(f, sampler.next(f.domain), mismatches);
    EXPECT_EQ(mismatches, 0);
}

INSTANTIATE_TEST_SUITE_P(Functions, RandomArguments,
                         testing::ValuesIn(test_support::oracle_functions()),
                         [](const auto& info) { return std::string(info.param.name); });

// Where a table's step changes, the reduction's index and remainder must stay exact.
class CellEdges : public RandomArguments {};

TEST_P(CellEdges, MatchMpfrBitForBit)
{
    const OracleFunction& f = GetParam();
    int mismatches = 0;
    for (const double x : test_support::cell_edge_arguments(f.name)) compare(f, x, mismatches);
    EXPECT_EQ(mismatches, 0);
}

INSTANTIATE_TEST_SUITE_P(Functions, CellEdges, testing::ValuesIn(test_support::oracle_functions()),
                         [](const auto& info) { return std::string(info.param.name); });

// atan's careful evaluation alone, on [0, 1] where asin and acos take it too: what it
// decides is MPFR's double at its steps' edges (atan(0x1.fffffffffffffp-10) was once
// decided as 0x1.ffffd5555bbbcp-10).
TEST(CarefulArctangent, DecidesOnlyWhatMpfrRoundsTo)
{
    for (const double x : test_support::cell_edge_arguments("atan")) {
        if (!(x > 0 && x <= 1)) continue;
        double result = NaN;
        if (cr::round_careful_arctangent(0, 1.0, {x, 0.0}, result)) {
            EXPECT_TRUE(same_bits(result, test_support::mpfr_rounded(mpfr_atan, x)))
                << "atan(" << hex(x) << ") = " << hex(result);
        }
    }
}

// ---- Special values, thresholds and exact results ------------------------------------

struct SpecialValue {
    const char* name;
    const char* function;
    double x;
    double expected;
};

void PrintTo(const SpecialValue& c, std::ostream* os) { *os << c.name; }

const SpecialValue SPECIAL_VALUES[] = {
    {"exp_of_nan", "exp", NaN, NaN},
    {"exp_of_plus_infinity", "exp", INF, INF},
    {"exp_of_minus_infinity", "exp", -INF, 0.0},
    {"exp_of_zero_exact", "exp", 0.0, 1.0},
    {"exp_of_minus_zero_exact", "exp", -0.0, 1.0},
    {"exp_of_least_subnormal", "exp", 0x1p-1074, 1.0},
    {"exp_of_minus_largest_subnormal", "exp", -0x0.fffffffffffffp-1022, 1.0},
    {"exp_just_below_the_midpoint_above_one", "exp", 0x1p-54, 1.0},
    {"exp_just_above_the_midpoint_above_one", "exp", 0x1p-53, 0x1.0000000000001p+0},
    {"exp_just_above_the_midpoint_below_one", "exp", -0x1p-54, 1.0},
    {"exp_of_one", "exp", 1.0, 0x1.5bf0a8b145769p+1},
    {"exp_of_minus_one", "exp", -1.0, 0x1.78b56362cef38p-2},
    {"exp_lowest_scale_before_the_limits", "exp", -0x1.61fffffffffffp+9, 0x1.7c8ab2288cca4p-1022},
    {"exp_highest_scale_before_the_limits", "exp", 0x1.61fffffffffffp+9, 0x1.586f6bf260a4p+1021},
    {"exp_largest_finite_result", "exp", 0x1.62e42fefa39efp+9, 0x1.fffffffffff2ap+1023},
    {"exp_overflows_just_above", "exp", 0x1.62e42fefa39f0p+9, INF},
    {"exp_least_normal_result", "exp", -0x1.6232bdd7abcd2p+9, 0x1.000000000007cp-1022},
    {"exp_largest_subnormal_result", "exp", -0x1.6232bdd7abcd3p+9, 0x0.ffffffffffe7cp-1022},
    {"exp_subnormal_result", "exp", -740.0, 0x0.0000000000055p-1022},
    {"exp_least_subnormal_result", "exp", -0x1.74910d52d3051p+9, 0x1p-1074},
    {"exp_underflows_to_zero_just_below", "exp", -0x1.74910d52d3052p+9, 0.0},
    {"log_of_nan", "log", NaN, NaN},
    {"log_of_plus_infinity", "log", INF, INF},
    {"log_of_minus_infinity", "log", -INF, NaN},
    {"log_of_a_negative", "log", -1.0, NaN},
    {"log_of_the_least_negative", "log", -0x1p-1074, NaN},
    {"log_of_zero", "log", 0.0, -INF},
    {"log_of_minus_zero", "log", -0.0, -INF},
    {"log_of_one_exact", "log", 1.0, 0.0},
    {"log_just_below_one", "log", 0x1.fffffffffffffp-1, -0x1p-53},
    {"log_just_above_one", "log", 0x1.0000000000001p+0, 0x1.fffffffffffffp-53},
    {"log_at_the_edge_of_the_cell_of_one", "log", 0x1.004p+0, 0x1.ffc00aa8ab11p-11},
    {"log_at_the_far_edge_of_the_next_cell", "log", 0x1.00bffffffffffp+0, 0x1.7f7047d7981dcp-9},
    {"log_just_below_two_in_the_cell_of_two", "log", 0x1.fffp+0, 0x1.62d42fafa2499p-1},
    {"log_just_below_a_half_in_the_cell_of_a_half", "log", 0x1.fffp-2, -0x1.62f4302fa4f45p-1},
    {"log_of_two", "log", 2.0, 0x1.62e42fefa39efp-1},
    {"log_of_a_half", "log", 0.5, -0x1.62e42fefa39efp-1},
    {"log_of_least_subnormal", "log", 0x1p-1074, -0x1.74385446d71c3p+9},
    {"log_of_largest_subnormal", "log", 0x0.fffffffffffffp-1022, -0x1.6232bdd7abcd2p+9},
    {"log_of_least_normal", "log", 0x1p-1022, -0x1.6232bdd7abcd2p+9},
    {"log_of_largest_double", "log", 0x1.fffffffffffffp+1023, 0x1.62e42fefa39efp+9},
    {"atan_of_nan", "atan", NaN, NaN},
    {"atan_of_plus_infinity", "atan", INF, 0x1.921fb54442d18p+0},
    {"atan_of_minus_infinity", "atan", -INF, -0x1.921fb54442d18p+0},
    {"atan_of_zero", "atan", 0.0, 0.0},
    {"atan_of_minus_zero", "atan", -0.0, -0.0},
    {"atan_of_least_subnormal", "atan", -0x1p-1074, -0x1p-1074},
    {"atan_below_the_tiny_threshold", "atan", 0x1.fffffffffffffp-28, 0x1.fffffffffffffp-28},
    {"atan_at_the_tiny_threshold", "atan", 0x1p-27, 0x1p-27},
    {"atan_of_one", "atan", 1.0, 0x1.921fb54442d18p-1},
    {"atan_of_minus_one", "atan", -1.0, -0x1.921fb54442d18p-1},
    {"atan_just_above_one", "atan", 0x1.0000000000001p+0, 0x1.921fb54442d19p-1},
    {"atan_just_below_two", "atan", 0x1.fffffffffffffp+0, 0x1.1b6e192ebbe44p+0},
    {"atan_just_below_sixteen", "atan", -0x1.fffffffffffffp+3, -0x1.82250768ac529p+0},
    {"atan_of_sixteen", "atan", 16.0, 0x1.82250768ac529p+0},
    {"atan_of_seventeen", "atan", 17.0, 0x1.831516233f561p+0},
    {"atan_of_two_to_the_27", "atan", 0x1p27, 0x1.921fb52442d18p+0},
    {"atan_at_the_huge_threshold", "atan", 0x1p60, 0x1.921fb54442d18p+0},
    {"atan_above_the_huge_threshold", "atan", -0x1.0000000000001p60, -0x1.921fb54442d18p+0},
    {"atan_of_largest_double", "atan", 0x1.fffffffffffffp+1023, 0x1.921fb54442d18p+0},
    {"asin_of_nan", "asin", NaN, NaN},
    {"asin_of_zero", "asin", 0.0, 0.0},
    {"asin_of_minus_zero", "asin", -0.0, -0.0},
    {"asin_of_least_subnormal", "asin", 0x1p-1074, 0x1p-1074},
    {"asin_at_the_tiny_threshold", "asin", -0x1p-27, -0x1p-27},
    {"asin_of_a_half", "asin", 0.5, 0x1.0c152382d7366p-1},
    {"asin_just_below_one", "asin", 0x1.fffffffffffffp-1, 0x1.921fb50442d18p+0},
    {"asin_of_one", "asin", 1.0, 0x1.921fb54442d18p+0},
    {"asin_of_minus_one", "asin", -1.0, -0x1.921fb54442d18p+0},
    {"asin_just_above_one_is_a_domain_error", "asin", 0x1.0000000000001p+0, NaN},
    {"asin_just_below_minus_one_is_a_domain_error", "asin", -0x1.0000000000001p+0, NaN},
    {"asin_of_infinity_is_a_domain_error", "asin", INF, NaN},
    {"acos_of_nan", "acos", NaN, NaN},
    {"acos_of_one_exact", "acos", 1.0, 0.0},
    {"acos_just_below_one", "acos", 0x1.fffffffffffffp-1, 0x1p-26},
    {"acos_of_minus_one", "acos", -1.0, 0x1.921fb54442d18p+1},
    {"acos_just_above_minus_one", "acos", -0x1.fffffffffffffp-1, 0x1.921fb52442d18p+1},
    {"acos_of_zero", "acos", 0.0, 0x1.921fb54442d18p+0},
    {"acos_of_minus_zero", "acos", -0.0, 0x1.921fb54442d18p+0},
    {"acos_of_least_subnormal", "acos", 0x1p-1074, 0x1.921fb54442d18p+0},
    {"acos_at_the_tiny_threshold", "acos", 0x1p-27, 0x1.921fb52442d18p+0},
    {"acos_of_a_half", "acos", 0.5, 0x1.0c152382d7366p+0},
    {"acos_of_minus_a_half", "acos", -0.5, 0x1.0c152382d7366p+1},
    {"acos_just_above_one_is_a_domain_error", "acos", 0x1.0000000000001p+0, NaN},
    {"acos_of_minus_infinity_is_a_domain_error", "acos", -INF, NaN},
    {"sinh_of_nan", "sinh", NaN, NaN},
    {"sinh_of_minus_infinity", "sinh", -INF, -INF},
    {"cosh_of_minus_infinity", "cosh", -INF, INF},
    {"tanh_of_minus_infinity", "tanh", -INF, -1.0},
    {"tanh_of_nan", "tanh", NaN, NaN},
    {"log10_of_nan", "log10", NaN, NaN},
    {"log10_of_a_negative", "log10", -1.0, NaN},
    {"log10_of_minus_zero", "log10", -0.0, -INF},
    {"log10_of_plus_infinity", "log10", INF, INF},
    {"sinh_of_least_subnormal", "sinh", 0x1p-1074, 0x0.0000000000001p-1022},
    {"sinh_of_minus_zero", "sinh", -0.0, -0.0},
    {"sinh_below_the_tiny_bound", "sinh", 0x1.fffffffffffffp-27, 0x1.fffffffffffffp-27},
    {"sinh_at_the_tiny_bound", "sinh", 0x1p-26, 0x1p-26},
    {"sinh_where_the_series_ends", "sinh", 0x1.fffffffffffffp-3, 0x1.02accd9d08101p-2},
    {"sinh_where_the_exponentials_begin", "sinh", -0.25, -0x1.02accd9d08102p-2},
    {"sinh_of_one", "sinh", 1.0, 0x1.2cd9fc44eb982p+0},
    {"sinh_where_e_to_the_minus_x_last_counts", "sinh", 0x1.4cb5ecf0a965p+5, 0x1.fffffffffffefp+58},
    {"sinh_largest_finite_result", "sinh", -0x1.633ce8fb9f87dp+9, -0x1.ffffffffffd3bp+1023},
    {"sinh_overflows_just_above", "sinh", -0x1.633ce8fb9f87ep+9, -INF},
    {"cosh_of_minus_zero_exact", "cosh", -0.0, 0x1p+0},
    {"cosh_below_the_midpoint_above_one", "cosh", 0x1.fffffffffffffp-27, 0x1p+0},
    {"cosh_just_above_the_midpoint_above_one", "cosh", 0x1p-26, 0x1.0000000000001p+0},
    {"cosh_of_minus_one", "cosh", -1.0, 0x1.8b07551d9f55p+0},
    {"cosh_where_e_to_the_minus_x_last_counts", "cosh", 0x1.4cb5ecf0a965p+5, 0x1.fffffffffffefp+58},
    {"cosh_where_e_to_the_minus_x_drops_out", "cosh", 42.0, 0x1.8232558201159p+59},
    {"cosh_largest_finite_result", "cosh", 0x1.633ce8fb9f87dp+9, 0x1.ffffffffffd3bp+1023},
    {"cosh_overflows_just_above", "cosh", -0x1.633ce8fb9f87ep+9, INF},
    {"tanh_of_minus_least_subnormal", "tanh", -0x1p-1074, -0x0.0000000000001p-1022},
    {"tanh_below_the_tiny_bound", "tanh", 0x1.fffffffffffffp-28, 0x1.fffffffffffffp-28},
    {"tanh_at_a_power_of_two_above_the_bound", "tanh", 0x1p-26, 0x1.fffffffffffffp-27},
    {"tanh_where_the_series_ends", "tanh", 0x1.fffffffffffffp-3, 0x1.f597ea69a1c85p-3},
    {"tanh_of_one", "tanh", 1.0, 0x1.85efab514f394p-1},
    {"tanh_last_below_one", "tanh", 19.0, 0x1.fffffffffffffp-1},
    {"tanh_rounds_to_one", "tanh", -19.1, -0x1p+0},
    {"tanh_beyond_the_one_bound", "tanh", 22.000000000000004, 0x1p+0},
    {"asin_just_below_the_first_steps_edge", "asin", 0x1.fffffffffffffp-11, 0x1.000002aaaabddp-10},
    {"asin_of_minus_that", "asin", -0x1.fffffffffffffp-11, -0x1.000002aaaabddp-10},
    {"log10_of_one_exact", "log10", 1.0, 0.0},
    {"log10_of_ten_exact", "log10", 10.0, 0x1p+0},
    {"log10_of_1e22_exact", "log10", 1e22, 0x1.6p+4},
    {"log10_of_1e23_not_exact", "log10", 1e23, 0x1.7p+4},
    {"log10_of_a_tenth", "log10", 0.1, -0x1p+0},
    {"log10_just_below_one", "log10", 0x1.fffffffffffffp-1, -0x1.bcb7b1526e50fp-55},
    {"log10_of_least_subnormal", "log10", 0x1p-1074, -0x1.434e6420f4374p+8},
    {"log10_of_largest_double", "log10", 0x1.fffffffffffffp+1023, 0x1.34413509f79ffp+8},
};

class SpecialValues : public testing::TestWithParam<SpecialValue> {};

TEST_P(SpecialValues, AreAsIeeeAndCSayAndAgreeWithMpfr)
{
    const SpecialValue& c = GetParam();
    const OracleFunction& f = oracle_function(c.function);
    EXPECT_TRUE(same_bits(f.ours(c.x), c.expected)) << hex(f.ours(c.x));
    EXPECT_TRUE(same_bits(test_support::mpfr_rounded(f.mpfr, c.x), c.expected)) << "the row";
}

INSTANTIATE_TEST_SUITE_P(Rows, SpecialValues, testing::ValuesIn(SPECIAL_VALUES),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Hard-to-round arguments ---------------------------------------------------------

// Arguments whose exact result lies within 2^-20 units in the last place of a midpoint
// between two doubles, found by random search with MPFR (bench/elementary_hard_cases).
struct HardCase {
    const char* function;
    double x;
};

const HardCase HARD_CASES[] = {
#include "tests/runtime/hard_cases/exp.inc"
#include "tests/runtime/hard_cases/log.inc"
#include "tests/runtime/hard_cases/atan.inc"
#include "tests/runtime/hard_cases/asin.inc"
#include "tests/runtime/hard_cases/acos.inc"
#include "tests/runtime/hard_cases/log10.inc"
#include "tests/runtime/hard_cases/sinh.inc"
#include "tests/runtime/hard_cases/cosh.inc"
#include "tests/runtime/hard_cases/tanh.inc"
};

TEST(HardCases, LieNearAMidpointAndMatchMpfr)
{
    for (const HardCase& c : HARD_CASES) {
        const OracleFunction& f = oracle_function(c.function);
        SCOPED_TRACE(std::string(c.function) + "(" + hex(c.x) + ")");
        EXPECT_LT(test_support::distance_to_midpoint(f.mpfr, c.x), 0x1p-20);
        EXPECT_TRUE(same_bits(f.ours(c.x), test_support::mpfr_rounded(f.mpfr, c.x)))
            << hex(f.ours(c.x));
    }
}

// ---- The real power, of two arguments -----------------------------------------------

TEST(Power, RandomArgumentsMatchMpfrBitForBit)
{
    test_support::ArgumentSampler random(21);
    int mismatches = 0;
    for (int i = 0; i < 1'000'000; ++i) {
        const auto [x, y] = test_support::random_power_arguments(random);
        const double ours = cr::pow(x, y);
        const double want = test_support::mpfr_power_rounded(x, y);
        if (!same_bits(ours, want) && ++mismatches <= 10)
            ADD_FAILURE() << "pow(" << hex(x) << ", " << hex(y) << ") = " << hex(ours)
                          << ", MPFR " << hex(want);
    }
    EXPECT_EQ(mismatches, 0);
}

struct PowerCase {
    const char* name;
    double x;
    double y;
    double expected;
};

void PrintTo(const PowerCase& c, std::ostream* os) { *os << c.name; }

// C's special cases, the thresholds, and exact results (doubles and midpoints).
const PowerCase POWER_CASES[] = {
    {"nan_to_the_zero", NaN, 0.0, 0x1p+0},
    {"nan_to_the_minus_zero", NaN, -0.0, 0x1p+0},
    {"one_to_the_nan", 1.0, NaN, 0x1p+0},
    {"one_to_the_minus_infinity", 1.0, -INF, 0x1p+0},
    {"nan_base", NaN, 2.0, NaN},
    {"nan_exponent", 2.0, NaN, NaN},
    {"minus_one_to_the_nan", -1.0, NaN, NaN},
    {"minus_eight_to_a_third", -8.0, 1.0/3, NaN},
    {"minus_two_cubed", -2.0, 3.0, -0x1p+3},
    {"minus_two_squared", -2.0, 2.0, 0x1p+2},
    {"minus_two_to_the_minus_three", -2.0, -3.0, -0x1p-3},
    {"minus_three_to_the_fifth", -3.0, 5.0, -0x1.e6p+7},
    {"minus_zero_to_an_odd_negative", -0.0, -3.0, -INF},
    {"zero_to_an_odd_negative", 0.0, -3.0, INF},
    {"minus_zero_to_an_even_negative", -0.0, -2.0, INF},
    {"minus_zero_to_a_negative_fraction", -0.0, -0.5, INF},
    {"minus_zero_to_an_odd_positive", -0.0, 3.0, -0.0},
    {"minus_zero_to_an_even_positive", -0.0, 2.0, 0.0},
    {"minus_zero_to_a_fraction", -0.0, 0.5, 0.0},
    {"zero_to_the_minus_infinity", 0.0, -INF, INF},
    {"minus_one_to_the_infinity", -1.0, INF, 0x1p+0},
    {"half_to_the_infinity", 0.5, INF, 0.0},
    {"half_to_the_minus_infinity", -0.5, -INF, INF},
    {"two_to_the_infinity", -2.0, INF, INF},
    {"two_to_the_minus_infinity", 2.0, -INF, 0.0},
    {"minus_infinity_to_an_odd_negative", -INF, -3.0, -0.0},
    {"minus_infinity_to_an_even_negative", -INF, -2.0, 0.0},
    {"minus_infinity_to_an_odd_positive", -INF, 3.0, -INF},
    {"minus_infinity_to_a_fraction", -INF, 0.5, INF},
    {"infinity_to_a_negative", INF, -1.0, 0.0},
    {"infinity_to_a_fraction", INF, 0.5, INF},
    {"two_to_the_1023", 2.0, 1023.0, 0x1p+1023},
    {"two_to_the_1024_overflows", 2.0, 1024.0, INF},
    {"minus_two_to_the_1025_overflows", -2.0, 1025.0, -INF},
    {"e_to_just_beyond_the_overflow_threshold", 2.718281828459045, 0x1.62e42fefa39f0p+9, INF},
    {"least_subnormal_result", 2.0, -1074.0, 0x0.0000000000001p-1022},
    {"tie_below_the_least_subnormal_to_zero", 2.0, -1075.0, 0.0},
    {"minus_tie_below_the_least_subnormal", -2.0, -1075.0, -0.0},
    {"subnormal_above_the_tie", 2.0, -1074.5, 0x0.0000000000001p-1022},
    {"subnormal_result", 10.0, -310.0, 0x0.012688b70e62bp-1022},
    {"least_normal_result", 0.5, 1022.0, 0x1p-1022},
    {"exact_square_root", 4.0, 0.5, 0x1p+1},
    {"exact_root_of_a_tiny_power", 0x1p-1000, 0.5, 0x1p-500},
    {"exact_fourth_root", 16.0, 0.25, 0x1p+1},
    {"exact_inverse_fourth_root", 16.0, -0.25, 0x1p-1},
    {"nine_to_the_two_and_a_half", 9.0, 2.5, 0x1.e6p+7},
    {"perfect_square_to_the_two_and_a_half_midpoint", 2411809.0, 2.5, 0x1.00bf8c99ca428p+53},
    {"square_is_a_midpoint", 134217727.0, 2.0, 0x1.ffffff8p+53},
    {"cube_of_25_bits_not_exact", 0x1.ffffffp+11, 3.0, 0x1.fffffd0000018p+35},
    {"three_to_the_three", 3.0, 3.0, 0x1.bp+4},
    {"seven_to_the_seven", 7.0, 7.0, 0x1.921eep+19},
    {"thirteen_to_the_thirteen", 13.0, 13.0, 0x1.13769b23c5fdp+48},
    {"fifteen_to_the_fifteen_not_exact", 15.0, 15.0, 0x1.84ed8b165dc2p+58},
    {"ten_to_the_22_exact", 10.0, 22.0, 0x1.0f0cf064dd592p+73},
    {"ten_to_the_23_a_midpoint", 10.0, 23.0, 0x1.52d02c7e14af6p+76},
    {"ten_to_the_minus_one", 10.0, -1.0, 0x1.999999999999ap-4},
    {"two_to_the_half", 2.0, 0.5, 0x1.6a09e667f3bcdp+0},
    {"cube_root_of_27_rounds_to_three", 27.0, 1.0/3, 0x1.8p+1},
    {"x_to_the_x_of_a_tenth", 0.1, 0.1, 0x1.96b230bcdc434p-1},
    {"just_above_one_to_the_half", 0x1.0000000000001p+0, 0.5, 0x1p+0},
    {"tiny_exponent", 3.0, 1e-300, 0x1p+0},
    {"huge_exponent_near_one", 0x1.0000000000001p+0, 1e300, INF},
};

class PowerCases : public testing::TestWithParam<PowerCase> {};

TEST_P(PowerCases, AreAsCSaysAndAgreeWithMpfr)
{
    const PowerCase& c = GetParam();
    EXPECT_TRUE(same_bits(cr::pow(c.x, c.y), c.expected)) << hex(cr::pow(c.x, c.y));
    EXPECT_TRUE(same_bits(test_support::mpfr_power_rounded(c.x, c.y), c.expected)) << "the row";
}

INSTANTIATE_TEST_SUITE_P(Rows, PowerCases, testing::ValuesIn(POWER_CASES),
                         [](const auto& info) { return std::string(info.param.name); });

// Pairs whose x^y lies within 2^-20 ulp of a midpoint, found by random search with MPFR.
const std::pair<double, double> POWER_HARD_CASES[] = {
#include "tests/runtime/hard_cases/pow.inc"
};

TEST(Power, HardCasesLieNearAMidpointAndMatchMpfr)
{
    for (const auto& [x, y] : POWER_HARD_CASES) {
        SCOPED_TRACE("pow(" + hex(x) + ", " + hex(y) + ")");
        EXPECT_LT(test_support::power_distance_to_midpoint(x, y), 0x1p-20);
        EXPECT_TRUE(same_bits(cr::pow(x, y), test_support::mpfr_power_rounded(x, y)));
    }
}

// ---- The slow paths alone ------------------------------------------------------------

struct WideFunction {
    const char* name;
    WideFloat (*wide)(const WideFloat&);
    test_support::MpfrFunction mpfr;
    std::vector<test_support::ArgumentRange> domain;
};

void PrintTo(const WideFunction& c, std::ostream* os) { *os << c.name; }

const WideFunction WIDE_FUNCTIONS[] = {
    {"exp", cr::wide::exp, mpfr_exp, {{0, -60, 9, true}, {-727, -60, 4, true}}},
    {"expm1", cr::wide::expm1, mpfr_expm1, {{0, -1074, 9, true}, {0, -30, 0, true}}},
    {"log", cr::wide::log, mpfr_log, {{0, -1074, 1023, false}, {1, -53, -1, true}}},
    {"atan", cr::wide::atan, mpfr_atan, {{0, -1074, 1023, true}, {0, -30, 62, true}}},
    {"asin", cr::wide::asin, mpfr_asin, {{0, -1074, -1, true}, {-1, -60, -2, false}}},
    {"acos", cr::wide::acos, mpfr_acos, {{0, -1074, -1, true}, {-1, -60, -2, false}}},
    // acos(1 - m 2^e), drawn as acos(-x) for x = -1 + m 2^e: the small results near 1
    {"acos_near_one", [](const WideFloat& x) { return cr::wide::acos(-x); },
     [](mpfr_ptr y, mpfr_srcptr x, mpfr_rnd_t rounding) {
         mpfr_neg(y, x, rounding);
         return mpfr_acos(y, y, rounding);
     },
     {{-1, -60, -2, false}}},
};

class SlowPaths : public testing::TestWithParam<WideFunction> {};

// The bound each wide function promises, and the double rounded from it.
TEST_P(SlowPaths, StayWithin2ToTheMinus240AndRoundLikeMpfr)
{
    const WideFunction& f = GetParam();
    test_support::ArgumentSampler sampler(240);
    for (int i = 0; i < 3000; ++i) {
        const double x = sampler.next(f.domain);
        const WideFloat value = f.wide(WideFloat(x));
        SCOPED_TRACE(std::string(f.name) + "(" + hex(x) + ")");
        EXPECT_LT(test_support::wide_error_exponent(value, f.mpfr, x), -240);
        EXPECT_TRUE(same_bits(value.to_double(), test_support::mpfr_rounded(f.mpfr, x)));
    }
}

INSTANTIATE_TEST_SUITE_P(Functions, SlowPaths, testing::ValuesIn(WIDE_FUNCTIONS),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- WideFloat's rounding to a double ------------------------------------------------

struct Rounding {
    const char* name;
    WideFloat value;
    double expected;
};

void PrintTo(const Rounding& c, std::ostream* os) { *os << c.name; }

WideFloat two_to(int n) { return cr::scaled(WideFloat(1.0), n); }
WideFloat sum(double a, double b) { return WideFloat(a) + WideFloat(b); }
WideFloat sum(double a, double b, double c) { return sum(a, b) + WideFloat(c); }

const Rounding ROUNDINGS[] = {
    {"tie_to_even_below", sum(1, 0x1p-53), 1.0},
    {"tie_to_even_above", sum(1, 0x1p-52, 0x1p-53), 1 + 0x1p-51},
    {"sticky_bit_decides_a_near_tie", sum(1, 0x1p-53, 0x1p-200), 1 + 0x1p-52},
    {"just_below_a_tie", sum(1, 0x1p-53, -0x1p-200), 1.0},
    {"negative_tie", sum(-1, -0x1p-53), -1.0},
    {"carry_into_the_next_binade", sum(2, -0x1p-54), 2.0},
    {"largest_double", sum(0x1.fffffffffffffp+1023, 0x1p969), 0x1.fffffffffffffp+1023},
    {"tie_at_the_largest_double_overflows", sum(0x1.fffffffffffffp+1023, 0x1p970), INF},
    {"beyond_the_largest_double", two_to(1024), INF},
    {"subnormal_tie_to_even_zero", two_to(-1075), 0.0},
    {"subnormal_above_the_tie", two_to(-1075) + two_to(-1200), 0x1p-1074},
    {"subnormal_tie_to_even_two_units", two_to(-1074) + two_to(-1075), 0x1p-1073},
    {"subnormal_sticky_bit", two_to(-1074) + two_to(-1075) - two_to(-1200), 0x1p-1074},
    {"far_below_the_least_subnormal", two_to(-1200), 0.0},
    {"least_normal_from_below", two_to(-1022) - two_to(-1075), 0x1p-1022},
    {"largest_subnormal_from_below", two_to(-1022) - two_to(-1075) - two_to(-1200),
     0x0.fffffffffffffp-1022},
    {"exact_subnormal", WideFloat(0x0.123456789abcdp-1022), 0x0.123456789abcdp-1022},
    {"zero", WideFloat(1.0) - WideFloat(1.0), 0.0},
};

class ToDouble : public testing::TestWithParam<Rounding> {};

TEST_P(ToDouble, RoundsToNearestEvenWithAStickyBit)
{
    EXPECT_TRUE(same_bits(GetParam().value.to_double(), GetParam().expected))
        << hex(GetParam().value.to_double());
}

INSTANTIATE_TEST_SUITE_P(Rows, ToDouble, testing::ValuesIn(ROUNDINGS),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- WideFloat's arithmetic against MPFR ---------------------------------------------

struct WideOperation {
    const char* name;
    WideFloat (*ours)(const WideFloat&, const WideFloat&, std::uint32_t);
    void (*mpfr)(mpfr_ptr, mpfr_srcptr, mpfr_srcptr, unsigned long);
    bool close_operands;  // b within a few units of a, for the cancellation of a - b
    int bound;            // the relative error promised is below 2^bound
};

void PrintTo(const WideOperation& c, std::ostream* os) { *os << c.name; }

const WideOperation WIDE_OPERATIONS[] = {
    {"add", [](const WideFloat& a, const WideFloat& b, std::uint32_t) { return a + b; },
     [](mpfr_ptr z, mpfr_srcptr a, mpfr_srcptr b, unsigned long) { mpfr_add(z, a, b, MPFR_RNDN); },
     false, -254},
    {"subtract_close", [](const WideFloat& a, const WideFloat& b, std::uint32_t) { return a - b; },
     [](mpfr_ptr z, mpfr_srcptr a, mpfr_srcptr b, unsigned long) { mpfr_sub(z, a, b, MPFR_RNDN); },
     true, -254},
    {"subtract", [](const WideFloat& a, const WideFloat& b, std::uint32_t) { return a - b; },
     [](mpfr_ptr z, mpfr_srcptr a, mpfr_srcptr b, unsigned long) { mpfr_sub(z, a, b, MPFR_RNDN); },
     false, -254},
    {"multiply", [](const WideFloat& a, const WideFloat& b, std::uint32_t) { return a * b; },
     [](mpfr_ptr z, mpfr_srcptr a, mpfr_srcptr b, unsigned long) { mpfr_mul(z, a, b, MPFR_RNDN); },
     false, -254},
    {"divide", [](const WideFloat& a, const WideFloat& b, std::uint32_t) { return a / b; },
     [](mpfr_ptr z, mpfr_srcptr a, mpfr_srcptr b, unsigned long) { mpfr_div(z, a, b, MPFR_RNDN); },
     false, -252},
    {"multiply_by_integer", [](const WideFloat& a, const WideFloat&, std::uint32_t n) { return a * n; },
     [](mpfr_ptr z, mpfr_srcptr a, mpfr_srcptr, unsigned long n) { mpfr_mul_ui(z, a, n, MPFR_RNDN); },
     false, -254},
    {"divide_by_integer", [](const WideFloat& a, const WideFloat&, std::uint32_t n) { return a / n; },
     [](mpfr_ptr z, mpfr_srcptr a, mpfr_srcptr, unsigned long n) { mpfr_div_ui(z, a, n, MPFR_RNDN); },
     false, -254},
};

class WideArithmetic : public testing::TestWithParam<WideOperation> {};

// A random WideFloat: random limbs, the top bit set, a random sign and exponent.
WideFloat random_wide(test_support::ArgumentSampler& random)
{
    WideFloat::Limbs limbs;
    for (std::uint32_t& limb : limbs) limb = static_cast<std::uint32_t>(random.bits());
    limbs[WideFloat::LIMBS - 1] |= 0x80000000;
    const auto exponent = static_cast<int>(random.bits() % 81) - 40;
    return WideFloat(random.bits() % 2 == 0, exponent, limbs);
}

TEST_P(WideArithmetic, StaysWithinItsBoundOfMpfr)
{
    const WideOperation& op = GetParam();
    test_support::ArgumentSampler random(254);
    mpfr_t a, b, exact, ours;
    mpfr_inits2(2000, exact, ours, static_cast<mpfr_ptr>(nullptr));
    mpfr_inits2(WideFloat::PRECISION, a, b, static_cast<mpfr_ptr>(nullptr));
    for (int i = 0; i < 20000; ++i) {
        const WideFloat x = random_wide(random);
        WideFloat y = random_wide(random);
        // Close operands: x itself with a few of its last bits changed.
        if (op.close_operands) y = x + cr::scaled(WideFloat(static_cast<double>(random.bits() % 64)),
                                                x.exponent() - 256 - static_cast<int>(random.bits() % 8));
        const auto n = static_cast<std::uint32_t>(random.bits() % 2 == 0 ? random.bits() % 64 + 1
                                                                          : random.bits() | 1);
        test_support::to_mpfr(x, a);
        test_support::to_mpfr(y, b);
        op.mpfr(exact, a, b, n);
        test_support::to_mpfr(op.ours(x, y, n), ours);
        mpfr_prec_round(ours, 2000, MPFR_RNDN);
        mpfr_sub(ours, ours, exact, MPFR_RNDN);
        if (mpfr_zero_p(ours)) continue;
        ASSERT_FALSE(mpfr_zero_p(exact));
        mpfr_div(ours, ours, exact, MPFR_RNDN);
        ASSERT_LT(mpfr_get_exp(ours) - 1, op.bound) << "operation " << i;
    }
    mpfr_clears(a, b, exact, ours, static_cast<mpfr_ptr>(nullptr));
}

INSTANTIATE_TEST_SUITE_P(Operations, WideArithmetic, testing::ValuesIn(WIDE_OPERATIONS),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(WideFloat, ConvertsExactlyAndCompares)
{
    for (const double x : {1.0, -0.75, 0x1.fffffffffffffp+1023, 0x1p-1074, -0x0.8p-1022, 3e-300}) {
        EXPECT_EQ(WideFloat(x).to_double(), x);
        EXPECT_EQ(WideFloat(DoubleDouble{x, x * 0x1p-60}).to_double_double().lo, x * 0x1p-60);
    }
    EXPECT_EQ(WideFloat::integer(-123456789012345).to_double(), -123456789012345.0);
    EXPECT_EQ(WideFloat::integer(INT64_MIN).to_double(), -0x1p63);
    EXPECT_EQ(WideFloat(-2.5).nearest_integer(), -3);
    EXPECT_EQ(WideFloat(0.4).nearest_integer(), 0);
    EXPECT_EQ(WideFloat(0x1p61 + 0x1p10).nearest_integer(), (std::int64_t{1} << 61) + 1024);
    EXPECT_LT(WideFloat(-1.0), WideFloat(0.0));
    EXPECT_LT(WideFloat(0.0), WideFloat(0x1p-1074));
    EXPECT_LT(sum(1, 0x1p-200), sum(1, 0x1p-199));
    EXPECT_GT(WideFloat(-1.0), sum(-1, -0x1p-200));
    EXPECT_EQ(WideFloat(2.0), cr::scaled(WideFloat(1.0), 1));
}

// ---- Double-double arithmetic against MPFR -------------------------------------------

enum class Operands { doubles, double_double_and_double, double_doubles };

struct DoubleDoubleOperation {
    const char* name;
    DoubleDouble (*ours)(DoubleDouble, DoubleDouble);
    int (*mpfr)(mpfr_ptr, mpfr_srcptr, mpfr_srcptr, mpfr_rnd_t);
    Operands operands;  // which low parts take part
    double bound;       // relative, in units of u^2 = 2^-106
};

void PrintTo(const DoubleDoubleOperation& c, std::ostream* os) { *os << c.name; }

const DoubleDoubleOperation DOUBLE_DOUBLE_OPERATIONS[] = {
    {"two_sum_exact", [](DoubleDouble a, DoubleDouble b) { return cr::two_sum(a.hi, b.hi); },
     mpfr_add, Operands::doubles, 0},
    {"two_prod_exact", [](DoubleDouble a, DoubleDouble b) { return cr::two_prod(a.hi, b.hi); },
     mpfr_mul, Operands::doubles, 0},
    {"add_double", [](DoubleDouble a, DoubleDouble b) { return cr::add(a, b.hi); }, mpfr_add,
     Operands::double_double_and_double, 2},
    {"add", [](DoubleDouble a, DoubleDouble b) { return cr::add(a, b); }, mpfr_add,
     Operands::double_doubles, 3},
    {"multiply_double", [](DoubleDouble a, DoubleDouble b) { return cr::multiply(a, b.hi); },
     mpfr_mul, Operands::double_double_and_double, 3},
    {"multiply", [](DoubleDouble a, DoubleDouble b) { return cr::multiply(a, b); }, mpfr_mul,
     Operands::double_doubles, 8},
    {"divide", [](DoubleDouble a, DoubleDouble b) { return cr::divide(a, b); }, mpfr_div,
     Operands::double_doubles, 12},
};

class DoubleDoubleArithmetic : public testing::TestWithParam<DoubleDoubleOperation> {};

TEST_P(DoubleDoubleArithmetic, StaysWithinItsBoundOfMpfr)
{
    const DoubleDoubleOperation& op = GetParam();
    test_support::ArgumentSampler random(106);
    const std::vector<test_support::ArgumentRange> range = {{0, -30, 30, true}};
    const auto random_low = [&](double hi) { return hi * 0x1p-53 * (random.bits() * 0x1p-64 - 0.5); };
    mpfr_t a, b, exact, ours;
    mpfr_inits2(400, a, b, exact, ours, static_cast<mpfr_ptr>(nullptr));
    for (int i = 0; i < 30000; ++i) {
        const double x_hi = random.next(range);
        const double y_hi = random.next(range);
        const DoubleDouble x = {x_hi, op.operands == Operands::doubles ? 0 : random_low(x_hi)};
        const DoubleDouble y = {y_hi, op.operands == Operands::double_doubles ? random_low(y_hi) : 0};
        const DoubleDouble z = op.ours(x, y);
        mpfr_set_d(a, x.hi, MPFR_RNDN);
        mpfr_add_d(a, a, x.lo, MPFR_RNDN);
        mpfr_set_d(b, y.hi, MPFR_RNDN);
        mpfr_add_d(b, b, y.lo, MPFR_RNDN);
        op.mpfr(exact, a, b, MPFR_RNDN);
        mpfr_set_d(ours, z.hi, MPFR_RNDN);
        mpfr_add_d(ours, ours, z.lo, MPFR_RNDN);
        mpfr_sub(ours, ours, exact, MPFR_RNDN);
        mpfr_div(ours, ours, exact, MPFR_RNDN);
        ASSERT_LE(std::abs(mpfr_get_d(ours, MPFR_RNDN)), op.bound * 0x1p-106)
            << hex(x.hi) << " " << hex(x.lo) << " " << hex(y.hi) << " " << hex(y.lo);
        ASSERT_LE(std::abs(z.lo), std::abs(z.hi) * 0x1p-53) << "not normalized";
    }
    mpfr_clears(a, b, exact, ours, static_cast<mpfr_ptr>(nullptr));
}

INSTANTIATE_TEST_SUITE_P(Operations, DoubleDoubleArithmetic,
                         testing::ValuesIn(DOUBLE_DOUBLE_OPERATIONS),
                         [](const auto& info) { return std::string(info.param.name); });

// The rounding tests on sums next to a midpoint: hi + lo within bound |hi| of the exact value
// decides the double only where no midpoint lies within that bound (NaN: undecided).
struct RoundingCase {
    const char* name;
    double hi;
    double lo;
    double bound;
    double expected;
};

void PrintTo(const RoundingCase& c, std::ostream* os) { *os << c.name; }

const double UNDECIDED = std::numeric_limits<double>::quiet_NaN();

const RoundingCase ROUNDING_CASES[] = {
    {"far_from_a_midpoint", 1.0, 0x1p-60, 0x1p-69, 1.0},
    {"on_the_midpoint", 1.0, 0x1p-53, 0x1p-69, UNDECIDED},
    {"midpoint_within_the_bound_below", 1.0, 0x1p-53 - 0x1p-71, 0x1p-69, UNDECIDED},
    {"midpoint_within_the_bound_above", 1.0, 0x1p-53 + 0x1p-71, 0x1p-69, UNDECIDED},
    {"clear_below_the_midpoint", 1.0, 0x1p-53 - 0x1p-66, 0x1p-69, 1.0},
    {"clear_above_the_midpoint", 1.0, 0x1p-53 + 0x1p-66, 0x1p-69, 0x1.0000000000001p0},
    {"half_gap_below_a_power_of_two", 1.0, -0x1p-54, 0x1p-69, UNDECIDED},
    {"clear_of_the_half_gap", 1.0, -0x1p-54 + 0x1p-66, 0x1p-69, 1.0},
    {"negative", -1.5, -0x1p-53 - 0x1p-66, 0x1p-69, -0x1.8000000000001p0},
    {"negative_on_the_midpoint", -1.5, -0x1p-53, 0x1p-69, UNDECIDED},
};

class RoundingTests : public testing::TestWithParam<RoundingCase> {};

TEST_P(RoundingTests, DecideOnlyWhereNoMidpointIsWithinTheBound)
{
    const RoundingCase& c = GetParam();
    const std::optional<double> general = cr::rounded(c.hi, c.lo, c.bound * std::abs(c.hi));
    const std::optional<double> relative = cr::rounded_relative(c.hi, c.lo, c.bound);
    for (const std::optional<double>& result : {general, relative}) {
        if (std::isnan(c.expected))
            EXPECT_FALSE(result.has_value()) << hex(*result);
        else
            EXPECT_TRUE(result.has_value() && same_bits(*result, c.expected));
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, RoundingTests, testing::ValuesIn(ROUNDING_CASES),
                         [](const auto& info) { return std::string(info.param.name); });

// The tables and constants are what their scripts make in exact or 100-digit arithmetic.
struct TableScript {
    const char* script;
    std::vector<const char*> files;
};

const TableScript TABLE_SCRIPTS[] = {
    {ELEMENTARY_TABLES_SCRIPT, {"exp_table.inc", "log_table.inc", "wide_constants.inc"}},
    {ELEMENTARY_FOLDER "/arctangent_table.py",
     {"arctangent_table.inc", "wide_arctangent_table.inc", "arcsine_table.inc"}},
};

TEST(Tables, AreWhatTheirScriptsMake)
{
    if (std::string(PYTHON3_EXE).empty()) GTEST_SKIP() << "no python3";
    const std::string folder = ELEMENTARY_FOLDER;
    for (const TableScript& t : TABLE_SCRIPTS) {
        test_support::TempDir dir;
        test_support::RunOptions options;
        options.args = {t.script, dir.path().string()};
        options.timeout = std::chrono::seconds(60);
        const auto result = test_support::run(PYTHON3_EXE, options);
        ASSERT_EQ(result.exit_status, 0) << t.script << ": " << result.err;
        for (const char* file : t.files)
            EXPECT_EQ(test_support::read_file(dir / file), test_support::read_file(folder + "/" + file))
                << file;
    }
}

}  // namespace
