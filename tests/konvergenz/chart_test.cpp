#include "chart_axes.hpp"
#include "quarlen_log.hpp"
#include "svg_chart.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace konvergenz {
namespace {

using test::count_of;

struct DecadeCase {
    std::optional<double> smallest, largest;
    bool zero;
    DecadeAxis expected;
};

TEST(ChartAxes, DecadesEncloseDataAndToleranceAndStepTicksAreRound) {
    const DecadeCase decades[] = {
        {1e-8, 100.0, false, {-8, 2, 1}},  // exact powers sit on their decade
        {3e-8, 150.0, false, {-8, 3, 1}},
        {1e-3, 1e-2, false, {-5, -2, 1}},  // tolerance 1e-4 with a decade around it
        {1e-3, 1e-2, true, {-6, -2, 1}},   // a decade below for zeros
        {std::nullopt, std::nullopt, false, {-5, -3, 1}},
        {1e-300, 1e300, false, {-300, 300, 50}},  // a dozen labels at most
    };
    for (const DecadeCase& c : decades) {
        const DecadeAxis axis = make_decade_axis(c.smallest, c.largest, 1e-4, c.zero);
        EXPECT_EQ(axis.lowest, c.expected.lowest) << c.expected.highest;
        EXPECT_EQ(axis.highest, c.expected.highest) << c.expected.lowest;
        EXPECT_EQ(axis.label_stride, c.expected.label_stride) << c.expected.lowest;
    }
    const std::pair<long long, StepAxis> steps[] = {  // the last step, the axis
        {3, {0, 3, 1}}, {20, {0, 20, 5}}, {0, {0, 1, 1}},
        {4'194'303, {0, 4'194'303, 1'000'000}},  // rounding up would waste too much
        {3'999'999, {0, 4'000'000, 1'000'000}}};
    for (const auto& [last, expected] : steps) {
        const StepAxis axis = make_step_axis(0, last);
        EXPECT_EQ(axis.last, expected.last) << last;
        EXPECT_EQ(axis.tick_step, expected.tick_step) << last;
    }
}

std::vector<ChartPoint> decaying(long long count, double factor, long long stride = 1) {
    std::vector<ChartPoint> points;
    for (long long k = 0; k < count; ++k) points.push_back({k * stride, 100.0 * std::pow(factor, double(k))});
    return points;
}

struct ChartCase {
    const char* name;
    std::vector<ChartPoint> bisection, newton, fixed_point;
    std::size_t panels, lines;
    std::size_t markers;  // on each point of short series, and beside their labels
    std::vector<const char*> texts;
};

TEST(SvgChart, IsWellFormedWithLinesMarkersAndLegend) {
    const std::vector<ChartPoint> newton{{0, 100.0}, {1, 1.0}, {2, 1e-4}, {3, 1e-8}};
    const ChartCase cases[] = {
        {"similar lengths", decaying(21, 0.5), newton, decaying(180, 0.95), 1, 3, 21 + 4 + 2,
         {"Bisektion", "Newton-Verfahren", "Fixpunktiteration", "Toleranz"}},
        {"short series zoomed beside 4 million steps", decaying(21, 0.5), newton, decaying(2000, 0.95, 2000),
         2, 6, 21 + 4 + 2, {"4\u202F000\u202F000", "Schritt 0\u201320", "alle Schritte"}},
        {"series without values", {}, newton, {}, 1, 1, 4 + 3, {"Bisektion (keine Werte)"}},
    };
    for (const ChartCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string svg = render_chart_svg({{"Bisektion", "#0072B2", c.bisection},
                                                  {"Newton-Verfahren", "#D55E00", c.newton},
                                                  {"Fixpunktiteration", "#009E73", c.fixed_point}}, 1e-4);
        EXPECT_EQ(test::xmllint_errors(svg), "");
        EXPECT_EQ(count_of(svg, "<clipPath"), c.panels);
        EXPECT_EQ(count_of(svg, "<polyline"), c.lines);
        EXPECT_EQ(count_of(svg, "stroke=\"#fff\""), c.markers);
        EXPECT_EQ(count_of(svg, "class=\"legend\""), 1u);
        // The tolerance line is drawn over the series, so that none can hide it.
        EXPECT_GT(svg.find("class=\"tolerance\""), svg.rfind("class=\"series\""));
        for (const char* text : c.texts) EXPECT_NE(svg.find(text), std::string::npos) << text;
        EXPECT_LT(svg.size(), 200'000u);
    }
}

TEST(SvgChart, DrawsZerosOnTheBottomEdgeAndSaysSo) {
    const std::string svg = render_chart_svg({{"Newton-Verfahren", "#D55E00", {{0, 1.0}, {1, 0.0}}}}, 1e-4);
    EXPECT_NE(svg.find("am unteren Rand"), std::string::npos);
    const std::size_t frame = svg.find("<rect x=\"90\" y=\"");  // the plot's frame
    ASSERT_NE(frame, std::string::npos);
    const double bottom = std::stod(svg.substr(frame + 16)) +
                          std::stod(svg.substr(svg.find("height=\"", frame) + 8));
    const auto points = test::polyline(svg);
    ASSERT_EQ(points.size(), 2u);
    EXPECT_LT(points[0].second, bottom);
    EXPECT_EQ(points[1].second, bottom);
}

}  // namespace
}  // namespace konvergenz
