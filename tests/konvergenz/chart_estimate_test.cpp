// The chart's legend names each run's inputs, and an estimated error far above the tolerance
// is marked at its series' last step.
#include "number_format.hpp"
#include "quarlen_log.hpp"
#include "svg_chart.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>

namespace konvergenz {
namespace {

using test::count_of;

TEST(GermanReal, DecimalCommaTypographicMinusAndRaisedExponents)
{
    const std::tuple<double, int, const char*> cases[] = {
        {6.2487e-3, 2, "6,2\u00B710\u207B\u00B3"},
        {995.3, 2, "1,0\u00B710\u00B3"},
        {-3.5e-300, 2, "\u22123,5\u00B710\u207B\u00B3\u2070\u2070"},
        {900, 0, "900"},
        {5.853, 2, "5,9"},  // no power for the units
        {2.5, 0, "2,5"},
        {-0.001, 0, "\u22120,001"},
        {1e20, 0, "10\u00B2\u2070"},
        {-1e-7, 0, "\u221210\u207B\u2077"},
        {std::numeric_limits<double>::quiet_NaN(), 2, "NaN"},
        {-std::numeric_limits<double>::infinity(), 0, "-Infinity"},
    };
    for (const auto& [value, digits, expected] : cases)
        EXPECT_EQ(german_real(value, digits), expected) << value;
}

std::vector<ChartPoint> decaying(long long count, double first, double factor, long long stride = 1)
{
    std::vector<ChartPoint> points;
    for (long long k = 0; k < count; ++k)
        points.push_back({k * stride, first * std::pow(factor, double(k))});
    return points;
}

// The value of attribute name in the first element of the given class after position from.
double attribute(const std::string& svg, const std::string& element_class, const std::string& name,
                 std::size_t from = 0)
{
    const std::size_t group = svg.find("class=\"" + element_class + '"', from);
    const std::size_t at = svg.find(' ' + name + "=\"", group);
    return at == std::string::npos ? std::nan("") : std::stod(svg.substr(at + name.size() + 3));
}

// The plot's frame: its top and bottom edge.
std::pair<double, double> frame(const std::string& svg)
{
    const std::size_t at = svg.find("<rect x=\"90\" y=\"");
    const double top = std::stod(svg.substr(at + 16));
    return {top, top + std::stod(svg.substr(svg.find("height=\"", at) + 8))};
}

// Where the n-th mark of an estimated error sits: the middle of its bar, or the tip of the
// arrow that points beyond the axis.
struct Mark {
    double x = std::nan(""), y = std::nan("");
    bool beyond_axis = false;
};

Mark nth_mark(const std::string& svg, std::size_t n)
{
    std::size_t group = svg.find("class=\"error-mark\"");
    for (std::size_t i = 0; i < n && group != std::string::npos; ++i)
        group = svg.find("class=\"error-mark\"", group + 1);
    if (group == std::string::npos) return {};
    const std::size_t end = svg.find("</g>\n", group);
    const std::size_t bar = svg.find("class=\"estimate\"", group);
    if (bar < end) {
        return {(attribute(svg, "estimate", "x1", group) + attribute(svg, "estimate", "x2", group)) / 2,
                attribute(svg, "estimate", "y1", group), false};
    }
    const std::size_t arrow = svg.find("class=\"beyond-axis\" d=\"M", group);
    if (arrow > end) return {};
    std::istringstream tip(svg.substr(arrow + 24));
    Mark mark{0, 0, true};
    tip >> mark.x >> mark.y;
    return mark;
}

struct MarkCase {
    const char* name;
    std::vector<ChartPoint> points;
    std::optional<double> error;
    const char* label;  // "" for no mark
    bool beyond_axis = false;
    bool tolerance_unknown = false;  // no tolerance line then either
};

TEST(SvgChart, MarksAnEstimatedErrorFarAboveTheToleranceAtTheLastStep)
{
    const MarkCase cases[] = {
        {"slow fixed-point iteration", decaying(180, 1.7e-3, 0.984), 6.2487e-3,
         "gesch\u00E4tzter Fehler 6,2\u00B710\u207B\u00B3"},
        {"ten times the tolerance is not far off", decaying(180, 1.7e-3, 0.984), 1e-3, ""},
        {"no estimate", decaying(180, 1.7e-3, 0.984), std::nullopt, ""},
        // Beyond the values the axis is not widened: the mark sits on the edge.
        {"error above every value of |f|", decaying(20, 1e-3, 0.9), 50.0,
         "gesch\u00E4tzter Fehler 5,0\u00B710\u00B9", true},
        {"an extreme error", decaying(20, 1e-3, 0.9), 5e299,
         "gesch\u00E4tzter Fehler 5,0\u00B710\u00B2\u2079\u2079", true},
        {"no points: marked at step 0", {}, 1.0, "gesch\u00E4tzter Fehler 1,0", true},
        {"a run whose tolerance is unknown", decaying(180, 1.7e-3, 0.984), 6.2487e-3, "", false,
         true},
    };
    for (const MarkCase& c : cases) {
        SCOPED_TRACE(c.name);
        ChartSeries series{"Fixpunktiteration", "#009E73", c.points};
        series.estimated_error = c.error;
        series.tolerance_unknown = c.tolerance_unknown;
        const std::string svg = render_chart_svg({series}, 1e-4);
        EXPECT_EQ(test::xmllint_errors(svg), "");
        EXPECT_EQ(count_of(svg, "class=\"tolerance\""), c.tolerance_unknown ? 0u : 1u);
        EXPECT_EQ(count_of(svg, "class=\"error-mark\""), *c.label ? 1u : 0u);
        if (!*c.label) continue;
        EXPECT_NE(svg.find(c.label), std::string::npos);
        const auto [top, bottom] = frame(svg);
        const Mark mark = nth_mark(svg, 0);
        EXPECT_EQ(mark.beyond_axis, c.beyond_axis);
        if (c.beyond_axis) {
            EXPECT_EQ(mark.y, top);
            // The largest value, 10^-3, is still at the top of the axis.
            if (!c.points.empty()) {
                EXPECT_EQ(test::polyline(svg).front().second, top);
            }
        } else {
            // Inside the frame, above the series' last point.
            EXPECT_GT(mark.y, top);
            EXPECT_LT(mark.y, test::polyline(svg).back().second);
        }
        const double last_x = c.points.empty() ? 98 : test::polyline(svg).back().first;
        EXPECT_EQ(mark.x, last_x);  // at the last step; step 0 is 8 units inside the frame
        EXPECT_LE(bottom, 620);
    }
}

TEST(SvgChart, MarksAShortSeriesInTheZoomedPanel)
{
    ChartSeries long_run{"Fixpunktiteration", "#009E73", decaying(2000, 1e-4, 1.0, 2000)};
    ChartSeries short_run{"Newton-Verfahren", "#D55E00", decaying(4, 100, 0.01)};
    long_run.estimated_error = 6e-3;
    short_run.estimated_error = 2e-2;
    const std::string svg = render_chart_svg({long_run, short_run}, 1e-4);
    EXPECT_EQ(count_of(svg, "<clipPath"), 2u);
    ASSERT_EQ(count_of(svg, "class=\"error-mark\""), 2u);
    const double long_x = nth_mark(svg, 0).x;
    const double short_x = nth_mark(svg, 1).x;
    EXPECT_GT(long_x, 800);   // the last of 4 million steps, at the right end
    EXPECT_LT(short_x, 300);  // step 3, in the narrow panel of the first steps
}

// Runs without a step are both marked at step 0, beyond the axis: the labels stack.
TEST(SvgChart, LabelsOfMarksAtOneStepDoNotCoverEachOther)
{
    ChartSeries bisection{"Bisektion", "#0072B2", {}};
    ChartSeries fixed_point{"Fixpunktiteration", "#009E73", {}};
    bisection.estimated_error = 5e299;
    fixed_point.estimated_error = 1e3;
    const std::string svg = render_chart_svg({bisection, fixed_point}, 1e-4);
    std::vector<double> baselines;
    for (std::size_t at = svg.find("class=\"error-mark\""); at != std::string::npos;
         at = svg.find("class=\"error-mark\"", at + 1)) {
        baselines.push_back(std::stod(svg.substr(svg.find(" y=\"", svg.find("<text", at)) + 4)));
    }
    ASSERT_EQ(baselines.size(), 2u);
    EXPECT_GE(std::fabs(baselines[0] - baselines[1]), 12);
}

TEST(SvgChart, LegendNamesTheInputsAndWrapsRatherThanRunOffThePage)
{
    const std::vector<ChartPoint> points = decaying(5, 1, 0.1);
    std::vector<ChartSeries> series{
        {"Bisektion", "#0072B2", points, {{"a", 0}, {"b", 10}}},
        {"Newton-Verfahren", "#D55E00", points, {{"x0", 0}}},
        {"Fixpunktiteration", "#009E73", points, {{"x0", 2.5}}},
    };
    const std::string svg = render_chart_svg(series, 1e-4);
    for (const char* label : {"Bisektion, a = 0, b = 10", "Newton-Verfahren, x\u2080 = 0",
                              "Fixpunktiteration, x\u2080 = 2,5"}) {
        EXPECT_NE(svg.find(label), std::string::npos) << label;
    }
    EXPECT_NE(svg.find("height=\"620\""), std::string::npos);
    EXPECT_EQ(svg.find("transform=\"translate(0"), std::string::npos);

    series[0].inputs = {{"a", -1.2345678901234567e-300}, {"b", 1.2345678901234567e+300}};
    series[2].inputs = {{"x0", -9.8765432109876543e-200}};
    const std::string wrapped = render_chart_svg(series, 1e-4);
    EXPECT_EQ(test::xmllint_errors(wrapped), "");
    // One more row of 20 units; the page and everything below the legend move down by it.
    EXPECT_NE(wrapped.find("height=\"640\" viewBox=\"0 0 960 640\""), std::string::npos);
    EXPECT_NE(wrapped.find("transform=\"translate(0 20)\""), std::string::npos);
    EXPECT_NE(wrapped.find("y=\"102\">Fixpunktiteration, x\u2080 = \u22129,87"), std::string::npos);
}

}  // namespace
}  // namespace konvergenz
