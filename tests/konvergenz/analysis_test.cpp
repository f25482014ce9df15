// What konvergenz takes from one log: its records, the chart points, the figures of the table.
#include "convergence_stats.hpp"
#include "downsampler.hpp"
#include "log_reader.hpp"
#include "quarlen_log.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <cmath>
#include <limits>
#include <optional>

namespace konvergenz {
namespace {

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double nan = std::numeric_limits<double>::quiet_NaN();

bool same(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

TEST(ParseRecord, AcceptsIntegerRealRealAndNothingElse) {
    const std::pair<const char*, LogRecord> accepted[] = {
        {"          1   2.5000000000000000e+00  -1.6234375000000000e+02", {1, 2.5, -162.34375}},
        {"3 1.2345678901234567e+100 -4e-300", {3, 1.2345678901234567e+100, -4e-300}},
        {"\t7\t\t1.5   \t-2  ", {7, 1.5, -2.0}},
        {"         12                 Infinity                -Infinity", {12, inf, -inf}},
        {"13 NaN NaN", {13, nan, nan}},
        {"14 4.9406564584124654e-324 -2.2250738585072014e-308",
         {14, std::numeric_limits<double>::denorm_min(), -std::numeric_limits<double>::min()}},
        {"15 1.7976931348623157e+308 9007199254740993",
         {15, std::numeric_limits<double>::max(), 9007199254740992.0}},
    };
    for (const auto& [line, expected] : accepted) {
        const auto record = parse_record(line);
        ASSERT_TRUE(record) << line;
        EXPECT_EQ(record->step, expected.step) << line;
        EXPECT_TRUE(same(record->x, expected.x) && same(record->third_item, expected.third_item)) << line;
    }
    for (const char* line :
         {"", "   ", "1 2.0", "1 2.0 3.0 4.0", "1.0 2.0 3.0", "x 2.0 3.0", "1 2.0x 3.0",
          "1 2.0 3.0;", "1 2,5 3.0", "Startwert=   4.0000000000000000e+00", "1 1e999 3.0",
          "1 2.0 -1e-400", "1 0x1p3 3.0", "1 +2.0 3.0"}) {
        EXPECT_FALSE(parse_record(line)) << '"' << line << '"';
    }
}

struct LogCase {
    const char* name;
    std::string text;
    const char* keyword;
    std::size_t records;  // read before the end or the error
    const char* error;    // expected in the message; "" for none
    // Done to the log after its first record has been read: what a run of quarlen, a
    // writer that takes no lock, or one on a file system without locks may do.
    std::function<void(const std::filesystem::path&)> meanwhile = {};
};

TEST(LogReader, ReadsWholeLogsAndNamesFileAndLineOfAFault) {
    const std::string good = "Startwert= " + test::real(1) + '\n' + test::record_line({0, 1.0, 2.0});
    const LogCase cases[] = {
        {"quarlen layout", good + test::record_line({1, 3.5, 3.25}), "Startwert=", 2, ""},
        {"CRLF", "Startwert= 1\r\n0 1 2\r\n1 3 4\r\n", "Startwert=", 2, ""},
        {"header only", "Startwert= 0\n", "Startwert=", 0, ""},
        {"bisection header only", "Ausgangswerte - a= 0, b= 10\n", "Ausgangswerte", 0, ""},
        {"empty file", "", "Startwert=", 0, "newto_f1.dat\" ist leer"},
        {"no header", "0 1 2\n", "Startwert=", 0, "newto_f1.dat\", Zeile 1: unerwartete Kopfzeile"},
        {"short line", good + "1 1.0\n", "Startwert=", 1, "newto_f1.dat\", Zeile 3: keine Schrittzeile"},
        {"blank line", good + "1 1 2\n\n", "Startwert=", 2, "newto_f1.dat\", Zeile 4: keine Schrittzeile"},
        {"step repeated", good + "0 1 2\n", "Startwert=", 1, "newto_f1.dat\", Zeile 3: Schrittnummer 0, erwartet 1"},
        // A run of quarlen that starts meanwhile meets the lock and leaves the log alone.
        {"a run of quarlen started while it is read", good + "1 3 4\n", "Startwert=", 2, "",
         [](const std::filesystem::path& log) {
             const auto run = test::run_in(log.parent_path(), QUARLEN_EXE, {"-m", "newton"}, "1\n");
             EXPECT_EQ(run.exit_status, 3) << run.err;
         }},
        {"emptied while it is read", good + "1 3 4\n", "Startwert=", 2,
         "newto_f1.dat\" wird noch geschrieben: es hat sich geändert, während es gelesen wurde",
         [](const std::filesystem::path& log) { std::filesystem::resize_file(log, 0); }},
        // Read on from where it was, the log written anew breaks off in a line.
        {"written anew while it is read", good + "1 3 4\n", "Startwert=", 2, "wird noch geschrieben",
         [](const std::filesystem::path& log) {
             test::write_log(log, "Startwert= " + test::real(2) + '\n',
                             {{0, 2, 1}, {1, 3, 1}, {2, 4, 1}, {3, 5, 1}, {4, 6, 1}});
         }},
        {"replaced while it is read", good, "Startwert=", 1, "wird noch geschrieben",
         [](const std::filesystem::path& log) {
             test_support::write_file(log.string() + ".neu", "Startwert= 2\n");
             std::filesystem::rename(log.string() + ".neu", log);
         }},
    };
    for (const LogCase& c : cases) {
        SCOPED_TRACE(c.name);
        const test_support::TempDir dir;
        test_support::write_file(dir / "newto_f1.dat", c.text);
        std::size_t records = 0;
        std::string error;
        try {
            LogReader reader(dir / "newto_f1.dat", c.keyword);
            for (LogRecord record; reader.next(record);) {
                if (++records == 1 && c.meanwhile) c.meanwhile(dir / "newto_f1.dat");
            }
        } catch (const LogError& e) {
            error = e.what();
        }
        EXPECT_EQ(records, c.records);
        EXPECT_TRUE(*c.error ? error.find(c.error) != std::string::npos : error.empty()) << error;
    }
}

// A sawtooth with, in each period, a spike up and one down to 0, each alone in its bucket.
double value_at(long long k, long long period) {
    if (k % period == period / 2) return 1e3;
    if (k % period == period / 4) return 0.0;
    return 1.0 + 0.01 * static_cast<double>(k % 97);
}

TEST(Downsampler, KeepsHeadEndAndEveryBucketsExtremesWithinTheLimit) {
    EXPECT_TRUE(Downsampler().points().empty());
    // Every bucket's extremes apart from the head and the last point: one bucket too many
    // would keep 9.
    Downsampler smallest(8, 2);
    const double values[] = {5, 5, 1, 9, 5, 1, 9, 5, 5, 9, 1, 5};
    for (long long k = 0; k < 12; ++k) smallest.add({k, values[k]});
    EXPECT_LE(smallest.points().size(), 8u);
    const std::pair<long long, long long> cases[] = {  // count, period
        {50, 20}, {2001, 1000}, {1'000'000, 4099}, {4'000'003, 16411}};
    for (const auto& [count, period] : cases) {
        SCOPED_TRACE(count);
        Downsampler downsampler;  // at most 2000 points, the first 100 exactly
        for (long long k = 0; k < count; ++k) downsampler.add({k, value_at(k, period)});
        std::vector<long long> steps;
        for (const ChartPoint& p : downsampler.points()) {
            EXPECT_EQ(p.value, value_at(p.step, period)) << p.step;
            steps.push_back(p.step);
        }
        ASSERT_LE(steps.size(), 2000u);
        ASSERT_TRUE(std::adjacent_find(steps.begin(), steps.end(), std::greater_equal<>()) == steps.end());
        for (long long k = 0; k < std::min(count, 100LL); ++k) EXPECT_EQ(steps[k], k);
        EXPECT_EQ(steps.back(), count - 1);
        for (long long k = 0; k < count; ++k) {
            const double value = value_at(k, period);
            if (value == 0.0 || value == 1e3) {
                EXPECT_TRUE(std::binary_search(steps.begin(), steps.end(), k)) << k;
            }
        }
    }
}

// e_{k+1} = c * e_k^p: errors of a known order p.
std::vector<double> sequence(double p, double c, double e0, std::size_t count) {
    std::vector<double> errors{e0};
    while (errors.size() < count) errors.push_back(c * std::pow(errors.back(), p));
    return errors;
}

// Like the fixed-point iteration from 900: |f| creeps up for a long time, then shrinks by 0.98.
std::vector<double> climb_then_settle()
{
    std::vector<double> errors = sequence(1, 1.0000001, 1e-4, 100'000);
    for (int k = 0; k < 30; ++k) errors.push_back(errors.back() * 0.98);
    return errors;
}

// Halving, with one step among the last ten that jumps up a hundredfold.
std::vector<double> halving_with_a_stray_step()
{
    std::vector<double> errors = sequence(1, 0.5, 1, 20);
    for (std::size_t k = 15; k < errors.size(); ++k) errors[k] *= 100;
    return errors;
}

// Errors from e0 on, each the one before times the next factor.
std::vector<double> factors(double e0, std::vector<double> step_factors)
{
    std::vector<double> errors{e0};
    for (const double factor : step_factors) errors.push_back(errors.back() * factor);
    return errors;
}

struct StatsCase {
    const char* name;
    std::vector<double> errors;  // |f| at steps 0, 1, ...
    std::optional<double> order;
    std::optional<double> factor;
    std::size_t non_finite = 0;
    bool diverging = false;
    double last_x = 1.0;  // the iterate of the last record
};

TEST(ConvergenceStats, EstimatesOrderAndFinalFactorOrLeavesThemOut)
{
    const StatsCase cases[] = {
        {"halving like bisection", sequence(1, 0.5, 100, 21), 1.0, 0.5},
        {"slow linear like the fixed-point iteration", sequence(1, 0.95, 3, 180), 1.0, 0.95},
        {"quadratic like Newton", sequence(2, 1, 0.1, 4), 2.0,
         0.01},  // the middle of 0.1, 0.01, 1e-4
        // No order where the last three do not decrease: it would come out negative.
        {"ups and downs", {1.0, 4.0, 0.25}, std::nullopt, 0.5},
        {"subnormal values", {4.9e-314, 4.9e-319, 4.9e-324}, 1.0, 1e-5},
        {"quotients beyond the range of double", {1e-300, 1e300, 1e-300}, std::nullopt, 1.0, 0,
         true},
        {"growing by 1.5", sequence(1, 1.5, 1, 20), std::nullopt, 1.5, 0, true},
        // As g(x) - x = x e^x - 1 far left of the root, where x e^x is below the last bit of 1.
        {"standing still at 1", sequence(1, 1, 1, 20), std::nullopt, 1.0, 0, true},
        {"halving, then growing in the last two steps", factors(1, {0.5, 0.5, 0.5, 0.5, 0.5, 3, 3}),
         std::nullopt, 0.5, 0, true},
        {"breakdown after quadratic", {1e-1, 1e-2, 0.0, 1e-4, nan, inf}, 2.0, 0.1, 2},
        {"no values", {}, std::nullopt, std::nullopt},
        {"one value", {1.0}, std::nullopt, std::nullopt},
        {"two values", {1.0, 0.25}, std::nullopt, 0.25},
        {"two values growing: one ratio is no trend", {1.0, 4.0}, std::nullopt, 4.0},
        {"no change at first", {1.0, 1.0, 0.25}, std::nullopt, 0.5},
        {"zeros only", {0.0, 0.0, 0.0}, std::nullopt, std::nullopt},
        {"a long climb, then settling: the end counts", climb_then_settle(), 1.0, 0.98},
        {"a stray step among the last ten", halving_with_a_stray_step(), 1.0, 0.5},
        // Ten ratios 0.1, 0.2, ..., 0.9, 0.95: the geometric mean of the middle two, 0.5 and 0.6.
        // The last ratio is larger than the one before: no order.
        {"an even number of ratios", factors(1, {0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9, 0.95}),
         std::nullopt, std::sqrt(0.3)},
        // Newton's method on sin(x) from 1.5: a cubic step, then one to the rounding level.
        {"a last value at the rounding level",
         {3.5042157161019036e-02, 1.4359240500635157e-05, 1.2864981197413093e-15,
          4.8985871965894128e-16},
         std::nullopt, 1.4359240500635157e-05 / 3.5042157161019036e-02},
        // Regula falsi on tan(x) - x from -1 and 2: a step that barely shrinks, then a jump.
        {"a jump after a stall", {7.6075313152177682, 6.2832298204207646, 6.2818542118606011,
                                  3.9094729251688831e-04},
         std::nullopt, 6.2832298204207646 / 7.6075313152177682},
        // Newton's method on 1/x from 1: x doubles until it is infinite, where 1/x is 0.
        {"halving, then an infinite iterate", factors(1, {0.5, 0.5, 0.5, 0}), std::nullopt,
         std::nullopt, 1, true, inf},
    };
    for (const StatsCase& c : cases) {
        SCOPED_TRACE(c.name);
        ConvergenceStats stats;
        long long step = 0;
        for (const double error : c.errors) {
            stats.add(step, step + 1 == std::ssize(c.errors) ? c.last_x : 1.0, error);
            ++step;
        }
        EXPECT_EQ(stats.steps(), c.errors.size());
        EXPECT_EQ(stats.non_finite(), c.non_finite);
        EXPECT_EQ(stats.order().has_value(), c.order.has_value());
        EXPECT_NEAR(stats.order().value_or(0), c.order.value_or(0), 0.01);
        EXPECT_EQ(stats.final_factor().has_value(), c.factor.has_value());
        EXPECT_NEAR(stats.final_factor().value_or(0), c.factor.value_or(0),
                    0.01 * c.factor.value_or(0));
        EXPECT_EQ(stats.diverging(), c.diverging);
    }
}

}  // namespace
}  // namespace konvergenz
