#include "runtime/scientific17.hpp"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

#include "runtime/real_reading.hpp"
#include "tests/support/process.hpp"
#include "tests/support/temp_dir.hpp"

namespace {

using Values = std::vector<double>;

std::string to_chars_text(double value)
{
    char text[32];
    const auto result =
        std::to_chars(text, text + sizeof text, value, std::chars_format::scientific, 16);
    return {text, result.ptr};
}

std::string scientific17_text(double value)
{
    char text[runtime::SCIENTIFIC17_MAX_LENGTH];
    return {text, runtime::scientific17(text, value)};
}

// Right-aligned in a record's field of 25 characters.
std::string field_text(double value)
{
    char field[25];
    return {field, runtime::scientific17_field(field, sizeof field, value)};
}

std::string right_aligned(const std::string& text)
{
    return std::string(25 - text.size(), ' ') + text;
}

double parsed(const std::string& text)
{
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

// `value` and the `reach` doubles on either side of it.
void add_with_neighbours(Values& values, double value, int reach = 2)
{
    double below = value, above = value;
    values.push_back(value);
    for (int i = 0; i < reach; ++i) {
        below = std::nextafter(below, 0.0);
        above = std::nextafter(above, std::numeric_limits<double>::infinity());
        values.push_back(below);
        if (std::isfinite(above)) values.push_back(above);
    }
}

Values powers_of_two()
{
    Values values;
    for (int e = -1074; e <= 1023; ++e) add_with_neighbours(values, std::ldexp(1.0, e));
    return values;
}

Values powers_of_ten()
{
    Values values;
    for (int n = -323; n <= 308; ++n) add_with_neighbours(values, parsed("1e" + std::to_string(n)));
    return values;
}

// Where the rounding carries into one more digit: 9.9999999999999999|5 * 10^n.
Values digit_count_changes()
{
    Values values;
    for (int n = -323; n <= 307; ++n)
        add_with_neighbours(values, parsed("9.99999999999999995e" + std::to_string(n)), 3);
    return values;
}

// Every leading-zero count of a subnormal, the ends of the subnormal range, and the
// extremes of the normal one.
Values range_edges()
{
    Values values;
    for (int bits = 0; bits < 52; ++bits) {
        add_with_neighbours(values, std::bit_cast<double>(std::uint64_t{1} << bits));
        add_with_neighbours(values, std::bit_cast<double>((std::uint64_t{2} << bits) - 1));
    }
    for (double edge : {std::numeric_limits<double>::denorm_min(),
                        std::numeric_limits<double>::min(), std::numeric_limits<double>::max()})
        add_with_neighbours(values, edge, 8);
    return values;
}

// v = m * 2^-(j+1) with m odd: v * 10^j = m * 5^j / 2 lies exactly halfway between two
// 17-digit integers. Ties with an even and an odd lower neighbour, at every decimal shift
// j at which a double can be one (5^j * 2^53 must reach 2 * 10^16, 5^j stay below 2 * 10^17).
Values exact_ties()
{
    Values values{1000000000000000.25};  // 1.0000000000000002|5e+15: stays even
    std::uint64_t five_j = 1;
    for (int j = 1; j <= 24; ++j) {
        five_j *= 5;
        const std::uint64_t lowest = std::max<std::uint64_t>(20000000000000000 / five_j + 1, 1);
        const std::uint64_t highest =
            std::min<std::uint64_t>(200000000000000000 / five_j, (std::uint64_t{1} << 53) - 1);
        for (std::uint64_t start : {lowest, (lowest + highest) / 2, highest}) {
            for (std::uint64_t m = start | 1, added = 0; added < 4 && m <= highest;
                 m += 2, ++added) {
                if (m < lowest) continue;
                values.push_back(std::ldexp(static_cast<double>(m), -(j + 1)));
            }
        }
    }
    return values;
}

// Every double within 2^-58 of a rounding midpoint without being on it, nearest first, as
// bench/scientific17_hard_cases.py finds them: the first lies 0.69 * 2^-64 above one, with
// the product's fraction F exactly 2^63; none falls where scientific17 must fall back.
Values nearest_to_midpoints()
{
    return {
        0x1.3de005bd620dfp+216, 0x1.3de005bd620dfp+215, 0x1.7c0747bd76fa1p-815,
        0x1.348bd023ae858p+536, 0x1.81aec42c9a26ep+539, 0x1.edac8039173c0p+532,
        0x1.1d467e94b856ep-752, 0x1.6e22db4568793p-247, 0x1.011f2d73116f4p+537,
        0x1.4166f8cfd5cb1p+540, 0x1.491daad0ba280p+530, 0x1.9b651584e8b20p+533,
        0x1.e16ee5d60cf47p-785, 0x1.7c0747bd76fa1p-814, 0x1.0d9b828199006p-908,
        0x1.1ff9f576a2e30p+534, 0x1.67f872d44b9bcp+537, 0x1.c1f68f895e82bp+540,
        0x1.a999ddec72acap+599, 0x1.a3d8d5e503e59p-975, 0x1.7241602ad16d0p+534,
        0x1.ced1b83585c84p+537, 0x1.1ad57ecb5ffa6p+538, 0x1.c488cadefff70p+534,
        0x1.19710dc581911p-968, 0x1.e18d6d1c6d916p-620, 0x1.685f7683c20cdp-364,
        0x1.59a2783ce70abp-330, 0x1.88f6a1b543ad8p-182, 0x1.eb344a229498ep-179,
        0x1.57c6d26401947p+514, 0x1.1b96458445d07p-345, 0x1.3e07d2c0cb1e9p-654,
        0x1.433a4f950417dp+816, 0x1.1009fd836acf5p-793, 0x1.69239f38fb691p-464,
        0x1.cc65d1199c7d3p+278, 0x1.3f8a3d7a3b923p-716, 0x1.e735b3003e352p+454,
        0x1.8739d11afbffdp+891, 0x1.347c6640b51d3p+828, 0x1.acc46749dccfep-870,
        0x1.2efc987c579bbp+778, 0x1.59a2783ce70abp-329, 0x1.e735b3003e352p+455,
        0x1.b848a3ee9807ep-123, 0x1.c8586f0912f1dp+734, 0x1.342acd09310acp+269,
        0x1.8135804b7d4d7p+272, 0x1.ed11480eb4de0p+265, 0x1.5f6de9d5d6b5bp+445,
        0x1.79e0d5979f4f3p+754, 0x1.4529a28d5c17ep+382, 0x1.efbe73470b5b1p+335,
    };
}

Values random_bit_patterns()
{
    Values values;
    std::uint64_t state = 17;
    while (values.size() < 2000000) {
        state = state * 6364136223846793005 + 1442695040888963407;
        const double value = std::bit_cast<double>(state ^ (state >> 29));
        if (std::isfinite(value)) values.push_back(value);
    }
    return values;
}

struct Family {
    const char* name;
    std::function<Values()> values;
    std::size_t at_least;  // so that a broken generator cannot pass unnoticed
};

const Family FAMILIES[] = {
    {"powers_of_two", powers_of_two, 10000},
    {"powers_of_ten", powers_of_ten, 3000},
    {"digit_count_changes", digit_count_changes, 4000},
    {"range_edges", range_edges, 500},
    {"exact_ties", exact_ties, 180},
    {"nearest_to_midpoints", nearest_to_midpoints, 54},
    {"random_bit_patterns", random_bit_patterns, 2000000},
};

TEST(Scientific17, SameBytesAsToChars)
{
    const std::uint64_t fallbacks = runtime::scientific17_fallbacks();
    for (const Family& family : FAMILIES) {
        SCOPED_TRACE(family.name);
        const Values values = family.values();
        EXPECT_GE(values.size(), family.at_least);
        int mismatches = 0;
        for (double value : values) {
            for (double signed_value : {value, -value}) {
                const std::string expected = to_chars_text(signed_value);
                const std::string actual = scientific17_text(signed_value);
                const std::string field = field_text(signed_value);
                if (actual == expected && field == right_aligned(expected)) continue;
                ADD_FAILURE() << std::hexfloat << signed_value << ": " << actual << " and \""
                              << field << "\" instead of " << expected;
                if (++mismatches == 10) break;
            }
            if (mismatches == 10) break;
        }
    }
    // None of these lies within 2^-63 of a rounding boundary without being on it.
    EXPECT_EQ(runtime::scientific17_fallbacks(), fallbacks);
}

// What a log holds reads back to the very bits that were written.
TEST(Scientific17, ReadsBackToTheSameBits)
{
    for (const Family& family : FAMILIES) {
        SCOPED_TRACE(family.name);
        int mismatches = 0;
        for (double value : family.values()) {
            for (double signed_value : {value, -value}) {
                const std::string text = scientific17_text(signed_value);
                double back = 0;
                const auto read = runtime::read_real(text.data(), text.data() + text.size(), back);
                if (read.error == std::errc{} && read.end == text.data() + text.size() &&
                    std::bit_cast<std::uint64_t>(back) ==
                        std::bit_cast<std::uint64_t>(signed_value))
                    continue;
                ADD_FAILURE() << text << " read as " << std::hexfloat << back;
                if (++mismatches == 10) return;
            }
        }
    }
}

// A text read as strtod reads it: no number where strtod finds none, else the same end
// and the same bits, out of range where strtod gives infinity for digits, or 0 for digits
// that are not all 0.
void expect_read_as_strtod(const std::string& text, std::size_t length)
{
    SCOPED_TRACE(text.substr(0, length));
    const std::string cut = text.substr(0, length);
    char* strtod_end = nullptr;
    const double expected = std::strtod(cut.c_str(), &strtod_end);
    double value = 0;
    const auto read = runtime::read_real(cut.data(), cut.data() + cut.size(), value);
    const std::string digits = cut.substr(0, cut.find_first_of("eE"));
    const bool out_of_range =
        std::isinf(expected)
            ? std::isdigit(static_cast<unsigned char>(cut.back())) != 0
            : expected == 0 && digits.find_first_of("123456789") != std::string::npos;
    if (strtod_end == cut.c_str()) {
        EXPECT_EQ(read.error, std::errc::invalid_argument);
        return;
    }
    EXPECT_EQ(read.end - cut.data(), strtod_end - cut.c_str());
    if (out_of_range) {
        EXPECT_EQ(read.error, std::errc::result_out_of_range);
    } else if (std::isnan(expected)) {
        EXPECT_TRUE(std::isnan(value));
    } else {
        EXPECT_EQ(read.error, std::errc{});
        EXPECT_EQ(std::bit_cast<std::uint64_t>(value), std::bit_cast<std::uint64_t>(expected))
            << std::hexfloat << value << " instead of " << expected;
    }
}

// The shape the logs write ("-d.dddddddddddddddde-dd") at the edges of the range and of
// the shape; anything not quite of it, or cut short, is read by the general grammar.
TEST(RealReading, SeventeenDigitTextsAsStrtodReadsThem)
{
    const char* const TEXTS[] = {
        "0.0000000000000000e+00",
        "-0.0000000000000000e+00",
        "0.0000000000000000e-400",
        "4.9406564584124654e-324",
        "2.4703282292062328e-324",
        "2.4703282292062327e-324",
        "-2.4703282292062327e-324",
        "2.2250738585072014e-308",
        "2.2250738585072009e-308",
        "1.7976931348623157e+308",
        "1.7976931348623158e+308",
        "1.7976931348623159e+308",
        "-9.9999999999999999e+308",
        "9.0071992547409930e+15",
        "9.9999999999999999e+22",
        "1.0000000000000001e-01",
        "5.0000000000000000e-01",
        "1.0000000000000000e+005",
        "1.0000000000000000E-05",
        "1.0000000000000000e+0005",
        "1.0000000000000000e5",
        "1.00000000000000000e+00",
        "1.000000000000000e+00",
        "12.000000000000000e+00",
        "1.0000000000000000e+05x",
        "1.0000000000000000e+",
        "Infinity",
        "-Infinity",
        "NaN",
    };
    for (const std::string text : TEXTS) expect_read_as_strtod(text, text.size());
    // Cut short anywhere, as at the end of what a reader holds.
    const std::string whole = "-1.2345678901234567e-123";
    for (std::size_t length = 1; length < whole.size(); ++length)
        expect_read_as_strtod(whole, length);
}

// Random digits, the first 0 to 9, at every exponent a double reaches and beyond it.
TEST(RealReading, RandomSeventeenDigitTextsAsStrtodReadsThem)
{
    std::uint64_t state = 29;
    const auto next = [&state](std::uint64_t range) {
        state = state * 6364136223846793005 + 1442695040888963407;
        return (state >> 17) % range;
    };
    for (int i = 0; i < 300000; ++i) {
        char text[32];
        const int exponent = static_cast<int>(next(700)) - 360;
        const int length = std::snprintf(
            text, sizeof text, "%s%d.%08llu%08llue%c%0*d", next(2) ? "-" : "",
            static_cast<int>(next(10)), static_cast<unsigned long long>(next(100000000)),
            static_cast<unsigned long long>(next(100000000)), exponent < 0 ? '-' : '+',
            next(4) == 0 ? 3 : 2, std::abs(exponent));
        expect_read_as_strtod(text, static_cast<std::size_t>(length));
        if (HasFailure()) return;
    }
}

TEST(Scientific17, ZeroAsToCharsWritesIt)
{
    EXPECT_EQ(scientific17_text(0.0), "0.0000000000000000e+00");
    EXPECT_EQ(scientific17_text(-0.0), "-0.0000000000000000e+00");
    EXPECT_EQ(field_text(-0.0), "  -0.0000000000000000e+00");
}

// The table checked in is the one the script makes.
TEST(Scientific17, ScriptRegeneratesThePowerTable)
{
    if (std::string(PYTHON3_EXE).empty()) GTEST_SKIP() << "no python3";
    test_support::TempDir dir;
    test_support::RunOptions options;
    options.args = {POWERS_SCRIPT, (dir / "powers.inc").string()};
    options.timeout = std::chrono::seconds(60);
    const auto result = test_support::run(PYTHON3_EXE, options);
    ASSERT_EQ(result.exit_status, 0) << result.err;
    EXPECT_EQ(test_support::read_file(dir / "powers.inc"), test_support::read_file(POWERS_TABLE));
}

}  // namespace
