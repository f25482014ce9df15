#include "runtime/record.hpp"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

#include "runtime/messages.hpp"
#include "runtime/step_records.hpp"

namespace {

using runtime::Record;

std::string line_of(const Record& r) { return std::string(r.line()); }

constexpr double INF = std::numeric_limits<double>::infinity();
constexpr double DMAX = std::numeric_limits<double>::max();

struct RealCase {
    const char* name;
    double value;
    const char* field;  // the 25 characters
};

const RealCase REALS[] = {
    {"five", 5.0, "   5.0000000000000000e+00"},
    {"zero", 0.0, "   0.0000000000000000e+00"},
    {"minus_zero", -0.0, "  -0.0000000000000000e+00"},
    {"negative", -165.625, "  -1.6562500000000000e+02"},
    {"seventeen_digits", 4.1481481481481479, "   4.1481481481481479e+00"},
    {"tenth", 0.1, "   1.0000000000000001e-01"},
    {"largest", -DMAX, " -1.7976931348623157e+308"},
    {"smallest_subnormal", std::numeric_limits<double>::denorm_min(), "  4.9406564584124654e-324"},
    {"infinity", INF, "                 Infinity"},
    {"minus_infinity", -INF, "                -Infinity"},
    {"nan", std::nan(""), "                      NaN"},
};

TEST(Record, RealFields)
{
    for (const RealCase& c : REALS) {
        SCOPED_TRACE(c.name);
        const std::string line = line_of(Record().real(c.value));
        ASSERT_EQ(line.size(), runtime::REAL64_WIDTH + 1);
        EXPECT_EQ(line, std::string(c.field) + "\n");
        if (std::isfinite(c.value)) {  // reads back to the very bits written
            const double back = std::strtod(line.c_str(), nullptr);
            EXPECT_EQ(std::memcmp(&back, &c.value, sizeof back), 0);
        }
    }
}

TEST(Record, RealsReadBackExactly)
{
    // A spread of values with all their 53 bits in use.
    double x = 1.0 / 3.0;
    for (int i = 0; i < 2000; ++i, x *= -1.0009765625 * 7.3) {
        if (!std::isfinite(x)) x = 1.0 / 7.0 + i;
        const std::string line = line_of(Record().real(x));
        ASSERT_EQ(line.size(), 26u) << line;
        ASSERT_EQ(std::strtod(line.c_str(), nullptr), x) << line;
    }
}

TEST(Record, FloatAndIntegerFields)
{
    EXPECT_EQ(line_of(Record().real(-0.703125f)), " -7.03125000e-01\n");
    EXPECT_EQ(line_of(Record().real(std::numeric_limits<float>::infinity())), "        Infinity\n");
    const float f = 3.14159274f;
    EXPECT_EQ(std::strtof(line_of(Record().real(f)).c_str(), nullptr), f);

    EXPECT_EQ(line_of(Record().integer(0)), "          0\n");
    EXPECT_EQ(line_of(Record().integer(21)), "         21\n");
    EXPECT_EQ(line_of(Record().integer(-100)), "       -100\n");
    EXPECT_EQ(line_of(Record().integer(std::numeric_limits<std::int32_t>::max())), " 2147483647\n");
    EXPECT_EQ(line_of(Record().integer(std::numeric_limits<std::int32_t>::min())), "-2147483648\n");
}

TEST(Record, ItemsInCallOrder)
{
    EXPECT_EQ(line_of(Record()), "\n");
    EXPECT_EQ(line_of(Record().text("a= ")), "a= \n");
    EXPECT_EQ(line_of(Record().integer(0).real(5.0).real(100.0)),
              "          0   5.0000000000000000e+00   1.0000000000000000e+02\n");
    // As a method keeps its step record: a copy, and an assignment over a longer line.
    const Record step = Record().integer(7).real(-0.5);
    Record assigned = Record().text("a longer line than the step's, which must not show through");
    assigned = step;
    EXPECT_EQ(line_of(step), "          7  -5.0000000000000000e-01\n");
    EXPECT_EQ(line_of(assigned), line_of(step));
    // The longest record the programs write.
    EXPECT_EQ(line_of(Record().text("Ausgangswerte - a= ").real(-DMAX).text(", b= ").real(DMAX)),
              "Ausgangswerte - a=  -1.7976931348623157e+308, b=   1.7976931348623157e+308\n");
}

TEST(Record, ShortestText)
{
    EXPECT_EQ(runtime::shortest(5.0), "5");
    EXPECT_EQ(runtime::shortest(-1.5e300), "-1.5e+300");
    EXPECT_EQ(runtime::shortest(0.1), "0.1");
    EXPECT_EQ(runtime::shortest(std::nan("")), "NaN");
    EXPECT_EQ(runtime::shortest(-INF), "-Infinity");
    EXPECT_EQ(runtime::shortest(2.5f), "2.5");
}

TEST(Quoted, ShortensAndEscapes)
{
    const auto quoted = [](std::string_view text, std::size_t limit = 40) {
        return runtime::quoted(text, limit);
    };
    EXPECT_EQ(quoted("abc"), "\"abc\"");
    EXPECT_EQ(quoted(""), "\"\"");
    EXPECT_EQ(quoted(std::string(40, 'x')), "\"" + std::string(40, 'x') + "\"");
    EXPECT_EQ(quoted(std::string(41, 'x')), "\"" + std::string(40, 'x') + "\"...");
    EXPECT_EQ(quoted(std::string("a\0b", 3)), "\"a\\x00b\"");
    EXPECT_EQ(quoted("\t\r\n\x1b\x7f"), "\"\\t\\x0d\\x0a\\x1b\\x7f\"");
    EXPECT_EQ(quoted("\"q\\"), "\"\\\"q\\\\\"");
    EXPECT_EQ(quoted("\xc3\xa4"), "\"\\xc3\\xa4\"");  // bytes outside ASCII, one by one
    EXPECT_EQ(quoted("abcdef", 3), "\"abc\"...");
}

// A step line kept from record to record writes what a fresh Record writes, whatever
// repeats, swaps or jumps come: the texts it keeps or moves must be those of the very
// bits asked for (-0 is not 0), and the counter must carry into a new digit.
TEST(StepLine, EachLineIsTheRecordOfItsItems)
{
    struct Item {
        std::int32_t step;
        double a;
        double b;
    };
    const double NAN_A = std::nan("1");
    const double NAN_B = -std::nan("2");
    const std::vector<std::vector<Item>> SEQUENCES = {
        {{0, 1.5, 2.5}, {1, 2.5, 3.5}, {2, 3.5, 3.5}, {3, 3.5, 1.5}},  // the fixed point's shift
        {{0, 1.5, 2.5}, {1, 2.5, 1.5}, {2, 2.5, 2.5}, {3, 1.5, 2.5}},  // swaps and both alike
        {{0, 0.0, -0.0}, {1, -0.0, 0.0}, {2, 0.0, 0.0}, {3, -0.0, -0.0}},
        {{0, NAN_A, NAN_B}, {1, NAN_B, NAN_A}, {2, INF, -INF}, {3, -INF, INF}},
        {{7, 1.0, 2.0}, {8, 1.0, 2.0}, {9, 1.0, 2.0}, {10, 1.0, 2.0}, {99, 1.0, 2.0}, {100, 1.0, 2.0}},
        {{999999998, 1.0, 2.0}, {999999999, 2.0, 3.0}, {1000000000, 3.0, 4.0}},
        {{2147483646, 1.0, 2.0}, {2147483647, 2.0, 3.0}, {0, 3.0, 4.0}, {5, 4.0, 5.0}},
    };
    for (std::size_t s = 0; s < SEQUENCES.size(); ++s) {
        runtime::StepLine line;
        for (const Item& item : SEQUENCES[s]) {
            SCOPED_TRACE("sequence " + std::to_string(s) + ", step " + std::to_string(item.step));
            EXPECT_EQ(std::string(line.make(item.step, item.a, item.b)),
                      line_of(Record().integer(item.step).real(item.a).real(item.b)));
        }
    }
}

}  // namespace
