#include "runtime/number_text.hpp"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <ostream>
#include <limits>
#include <string>

namespace {

using runtime::NumberError;
using runtime::parse_number;

struct Case {
    const char* name;
    std::string text;
    NumberError error;
    double value;  // when accepted
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

const Case DOUBLE_CASES[] = {
    {"integer", "42", NumberError::none, 42},
    {"plus_sign", "+3", NumberError::none, 3},
    {"minus_zero", "-0", NumberError::none, -0.0},
    {"decimal_comma", "2,5", NumberError::none, 2.5},
    {"d_exponent", "25d-1", NumberError::none, 2.5},
    {"upper_exponents", "1E2", NumberError::none, 100},
    {"upper_d_exponent", "-1.5D+3", NumberError::none, -1500},
    {"leading_point", ".5", NumberError::none, 0.5},
    {"trailing_point", "5.", NumberError::none, 5},
    {"blanks_tabs_cr", " \t-1.25e1\t \r", NumberError::none, -12.5},
    {"zero_huge_exponent", "0e-400", NumberError::none, 0},
    {"subnormal", "1e-310", NumberError::none, 1e-310},
    {"largest", "1.7976931348623157e308", NumberError::none, std::numeric_limits<double>::max()},
    {"correct_rounding", "0.1", NumberError::none, 0.1},
    {"least_normal", "2.2250738585072014e-308", NumberError::none,
     std::numeric_limits<double>::min()},
    {"largest_rounded_down", "1.7976931348623158e308", NumberError::none,
     std::numeric_limits<double>::max()},
    {"rounds_up_to_least_subnormal", "3e-324", NumberError::none,
     std::numeric_limits<double>::denorm_min()},
    {"over_half_the_least_subnormal", "2.4703282292062328e-324", NumberError::none,
     std::numeric_limits<double>::denorm_min()},
    {"under_half_the_least_subnormal", "2.4703282292062327e-324", NumberError::out_of_range, 0},
    {"tie_to_even", "9007199254740993", NumberError::none, 9007199254740992.0},
    {"digits_past_the_nineteenth_decide", "9007199254740993,0000000000000000001", NumberError::none,
     9007199254740994.0},
    {"exact_digits_of_a_tenth", "0.1000000000000000055511151231257827021181583404541015625",
     NumberError::none, 0.1},
    {"leading_zeros", "00000000000000000000000001,5", NumberError::none, 1.5},
    {"underflow_behind_the_point", "0,0000001d-320", NumberError::out_of_range, 0},
    {"overflow", "1e999", NumberError::out_of_range, 0},
    {"overflow_just", "1.7976931348623159e308", NumberError::out_of_range, 0},
    {"underflow_to_zero", "1e-400", NumberError::out_of_range, 0},
    {"exponent_overflows_int", "1e99999999999999999999", NumberError::out_of_range, 0},
    {"text", "abc", NumberError::not_a_number, 0},
    {"two_numbers", "1 2", NumberError::not_a_number, 0},
    {"trailing_text", "1.5x", NumberError::not_a_number, 0},
    {"inf", "inf", NumberError::not_a_number, 0},
    {"infinity", "-Infinity", NumberError::not_a_number, 0},
    {"nan", "nan", NumberError::not_a_number, 0},
    {"hex", "0x10", NumberError::not_a_number, 0},
    {"exponent_without_digits", "1e", NumberError::not_a_number, 0},
    {"exponent_sign_only", "1e+", NumberError::not_a_number, 0},
    {"empty", "", NumberError::not_a_number, 0},
    {"blank", "  \t", NumberError::not_a_number, 0},
    {"point_only", ".", NumberError::not_a_number, 0},
    {"sign_only", "-", NumberError::not_a_number, 0},
    {"two_signs", "+-1", NumberError::not_a_number, 0},
    {"two_points", "1.2.3", NumberError::not_a_number, 0},
    {"exponent_only", "e5", NumberError::not_a_number, 0},
    {"nul_inside",
     std::string("1\0"
                 "5",
                 3),
     NumberError::not_a_number, 0},
    {"nul_after", std::string("15\0", 3), NumberError::not_a_number, 0},
    {"blank_inside", "1 .5", NumberError::not_a_number, 0},
    {"cr_inside", "1\r5", NumberError::not_a_number, 0},
};

class DoubleText : public ::testing::TestWithParam<Case> {};

TEST_P(DoubleText, ParsesOrRejects)
{
    const Case& c = GetParam();
    double value = 12345.0;
    EXPECT_EQ(parse_number(c.text, value), c.error);
    if (c.error == NumberError::none) {
        // Bit for bit: the sign of zero counts too.
        EXPECT_EQ(std::memcmp(&value, &c.value, sizeof value), 0) << value;
    } else {
        EXPECT_EQ(value, 12345.0) << "a rejected text leaves the value alone";
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, DoubleText, ::testing::ValuesIn(DOUBLE_CASES),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FloatText, RangeIsTheFloatRange)
{
    float value = 0;
    EXPECT_EQ(parse_number("3.5e38", value), NumberError::out_of_range);
    EXPECT_EQ(parse_number("1e-50", value), NumberError::out_of_range);
    EXPECT_EQ(parse_number("3.4028234e38", value), NumberError::none);
    EXPECT_EQ(value, std::numeric_limits<float>::max());
    EXPECT_EQ(parse_number("1e-45", value), NumberError::none);  // the smallest subnormal
    EXPECT_EQ(value, std::numeric_limits<float>::denorm_min());
    EXPECT_EQ(parse_number("2,5", value), NumberError::none);
    EXPECT_EQ(value, 2.5f);
}

TEST(FloatText, RoundsOnceToFloat)
{
    // Just above the midpoint between 1 and the next float. The nearest double is the
    // midpoint itself, which a detour through double would then round down to 1.
    const char* text = "1.000000059604644775390625000001";
    ASSERT_EQ(static_cast<float>(std::strtod(text, nullptr)), 1.0f);
    float value = 0;
    ASSERT_EQ(parse_number(text, value), NumberError::none);
    EXPECT_EQ(value, std::nextafter(1.0f, 2.0f));
}

}  // namespace
