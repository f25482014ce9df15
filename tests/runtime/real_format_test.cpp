// Decimal texts of reals written without the library's to_chars, compared with it on the
// edge cases of the binary format and on many random values, in every style.
#include "runtime/real_format.hpp"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <ostream>
#include <random>
#include <string>
#include <vector>

namespace {

using runtime::real_text;
using std::chars_format;

template <class Real, class... Format> std::string library_text(Real value, Format... format)
{
    char text[1200];
    const auto result = std::to_chars(text, text + sizeof text, value, format...);
    return {text, result.ptr};
}

constexpr int PRECISIONS[] = {0, 1, 2, 3, 6, 12, 15, 16, 17, 25};

// Every style ours writes, against to_chars; the failures of one value at most once each.
void expect_as_library(double value)
{
    SCOPED_TRACE(library_text(value, chars_format::scientific, 16));
    EXPECT_EQ(real_text(value), library_text(value));
    for (const chars_format style :
         {chars_format::scientific, chars_format::fixed, chars_format::general}) {
        EXPECT_EQ(real_text(value, style), library_text(value, style));
        for (const int precision : PRECISIONS) {
            if (style == chars_format::fixed && std::fabs(value) > 1e40) continue;  // long
            EXPECT_EQ(real_text(value, style, precision), library_text(value, style, precision))
                << static_cast<int>(style) << " " << precision;
        }
    }
    const auto narrow = static_cast<float>(value);
    if (!std::isfinite(narrow)) return;
    EXPECT_EQ(real_text(narrow), library_text(narrow));
    EXPECT_EQ(real_text(narrow, chars_format::scientific, 8),
              library_text(narrow, chars_format::scientific, 8));
}

TEST(RealText, EdgesOfTheFormatAsToCharsWritesThem)
{
    using limits = std::numeric_limits<double>;
    for (const double value : {0.0,
                               -0.0,
                               1.0,
                               0.1,
                               0.5,
                               2.5,
                               9.5,
                               0.95,
                               99.5,
                               999999.5,
                               123456.0,
                               1234567.0,
                               1e-4,
                               1.5e-5,
                               1e15,
                               1e16,
                               1e21,
                               1e22,
                               1e23,
                               9007199254740993.0,
                               12345678901234567890.0,
                               limits::max(),
                               limits::min(),
                               limits::denorm_min(),
                               2.2250738585072009e-308,
                               static_cast<double>(std::numeric_limits<float>::max()),
                               static_cast<double>(std::numeric_limits<float>::denorm_min())}) {
        expect_as_library(value);
        expect_as_library(-value);
    }
    for (int exponent = -1074; exponent <= 1023; ++exponent) {
        expect_as_library(std::ldexp(1.0, exponent));
        expect_as_library(std::nextafter(std::ldexp(1.0, exponent), 0.0));
    }
}

TEST(RealText, RandomValuesAsToCharsWritesThem)
{
    std::mt19937_64 random(20261208);
    for (int i = 0; i < 4000; ++i) {
        // Any bit pattern, and values of few digits near the switch of fixed and exponent
        // form, where ties and carries are.
        const std::uint64_t bits = random();
        double any;
        std::memcpy(&any, &bits, sizeof any);
        if (std::isfinite(any)) expect_as_library(any);
        const auto digits = static_cast<double>(random() % 100000);
        expect_as_library(digits * std::pow(10.0, static_cast<int>(random() % 30) - 15));
        expect_as_library(std::ldexp(static_cast<double>(random() >> 11),
                                     static_cast<int>(random() % 140) - 100));
    }
}

struct TextCase {
    const char* name;
    double value;
    std::string text;   // shortest, fixed or exponent form
    std::string fixed;  // shortest digits, fixed form
};

void PrintTo(const TextCase& c, std::ostream* os) { *os << c.name; }

// Worked out by hand from the binary values.
const TextCase TEXT_CASES[] = {
    {"whole", 5, "5", "5"},
    {"minus_zero", -0.0, "-0", "-0"},
    {"tenth", 0.1, "0.1", "0.1"},
    {"exponent_form_shorter", 1e-10, "1e-10", "0.0000000001"},
    {"fixed_on_a_tie_of_lengths", 1e-4, "1e-04", "0.0001"},
    {"least_subnormal", 4.9406564584124654e-324, "5e-324", "0." + std::string(323, '0') + "5"},
    {"largest", 1.7976931348623157e308, "1.7976931348623157e+308",
     "17976931348623157081452742373170435679807056752584499659891747680315726078002853876058955"
     "86327668781715404589535143824642343213268894641827684675467035375169860499105765512820762"
     "45490090389328944075868508455133942304583236903222948165808559332123348274797826204144723"
     "168738177180919299881250404026184124858368"},
    // A whole number in fixed form has all its digits, not the shortest ones and zeros.
    {"whole_beyond_two_to_the_53", 12345678901234567890.0, "12345678901234567168",
     "12345678901234567168"},
    {"ten_to_the_23", 1e23, "1e+23", "99999999999999991611392"},
    // 2^-1017: below a power of two the reals that round to it reach half as far, and the
    // nearer 16-digit neighbour 7.120236347223044e-307 lies beyond them.
    {"power_of_two_rounded_away", 0x1p-1017, "7.120236347223045e-307",
     "0." + std::string(306, '0') + "7120236347223045"},
};

class ShortestText : public testing::TestWithParam<TextCase> {};

TEST_P(ShortestText, ReadsBackWithTheFewestDigits)
{
    const TextCase& c = GetParam();
    EXPECT_EQ(real_text(c.value), c.text);
    EXPECT_EQ(real_text(c.value, chars_format::fixed), c.fixed);
}

INSTANTIATE_TEST_SUITE_P(Cases, ShortestText, testing::ValuesIn(TEXT_CASES),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RealText, GivenPrecisionRoundsTiesToEven)
{
    EXPECT_EQ(real_text(2.5, chars_format::fixed, 0), "2");
    EXPECT_EQ(real_text(3.5, chars_format::fixed, 0), "4");
    EXPECT_EQ(real_text(0.125, chars_format::scientific, 1), "1.2e-01");
    EXPECT_EQ(real_text(0.375, chars_format::scientific, 1), "3.8e-01");
    EXPECT_EQ(real_text(9.96, chars_format::scientific, 1), "1.0e+01");  // a carry
    EXPECT_EQ(real_text(0.5, chars_format::fixed, 0), "0");
    EXPECT_EQ(real_text(0.0625, chars_format::fixed, 1), "0.1");  // past the first digit
    EXPECT_EQ(real_text(123456789.0, chars_format::general, 6), "1.23457e+08");
    EXPECT_EQ(real_text(0.0001, chars_format::general, 6), "0.0001");
    EXPECT_EQ(real_text(-std::numeric_limits<double>::infinity(), chars_format::general, 3),
              "-inf");
    EXPECT_EQ(real_text(0.1f, chars_format::scientific, 8), "1.00000001e-01");
    EXPECT_EQ(real_text(0.1f), "0.1");
}

}  // namespace
