#include "chart_axes.hpp"
#include "method.hpp"
#include "quarlen_log.hpp"
#include "svg_chart.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

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
        // As the fixed-point iteration from 0 beside the other six methods.
        {"short series zoomed beside 302 steps", decaying(21, 0.5), newton, decaying(302, 0.97), 2,
         6, 21 + 4 + 2, {"Schritt 0\u201320", "alle Schritte"}},
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

// Seven methods stay apart for colour-blind readers and in grey scale: each has its own
// colour and marker, and a long series without markers its own line.
TEST(SvgChart, EachMethodHasItsOwnColourMarkerAndLine) {
    std::set<std::string_view> colours;
    std::set<Marker> markers;
    std::set<std::pair<std::string_view, std::string_view>> lines;
    std::vector<ChartSeries> series;
    for (const Method& m : all_methods) {
        colours.insert(m.colour);
        markers.insert(m.marker);
        lines.emplace(m.colour, m.dashes);
        series.push_back({m.label, m.colour, decaying(4, 0.1)});
        series.back().marker = m.marker;
        series.back().dashes = m.dashes;
    }
    EXPECT_EQ(colours.size(), all_methods.size());
    EXPECT_EQ(markers.size(), all_methods.size());
    const std::string svg = render_chart_svg(series, 1e-4);
    EXPECT_EQ(test::xmllint_errors(svg), "");
    // Four markers on each series and one in its legend entry.
    EXPECT_EQ(count_of(svg, "stroke=\"#fff\""), 5 * all_methods.size());
    for (const Method& m : all_methods) {
        if (m.dashes.empty()) continue;
        // On the series' line and on its legend sample.
        EXPECT_EQ(count_of(svg, "stroke-dasharray=\"" + std::string(m.dashes) + '"'), 2u)
            << m.label;
    }
    EXPECT_EQ(count_of(svg, "rotate(45"), 5u);  // the cross is a turned plus
}

TEST(SvgChart, SubtitleSaysWhatIsPlottedAndTakesFurtherLinesOrShortensAPhrase) {
    ChartSeries fixed_point{"Fixpunktiteration", "#009E73", decaying(5, 0.5)};
    fixed_point.plotted_as = method_of(MethodKind::fixed_point).plotted_as;
    const std::string one_line = render_chart_svg({fixed_point}, 1e-4);
    EXPECT_NE(one_line.find("logarithmisch; bei der Fixpunktiteration |g(x) \u2212 x|</text>"),
              std::string::npos);
    EXPECT_NE(one_line.find("height=\"620\""), std::string::npos);

    ChartSeries steffensen{"Steffensen-Verfahren", "#000000", decaying(5, 0.5)};
    steffensen.plotted_as = method_of(MethodKind::steffensen).plotted_as;
    const std::string two_lines = render_chart_svg({fixed_point, steffensen, fixed_point}, 1e-4);
    EXPECT_NE(two_lines.find("y=\"76\" fill=\"#666\">beim Steffensen-Verfahren der Abstand"),
              std::string::npos);
    EXPECT_NE(two_lines.find("height=\"640\""), std::string::npos);
    EXPECT_EQ(count_of(two_lines, "bei der Fixpunktiteration"), 1u);  // said once

    // Anything a phrase holds is text, and one too long for a line ends in an ellipsis.
    const std::string long_phrase = "f(x) = x<2 & " + std::string(300, 'x');
    steffensen.plotted_as = long_phrase;
    const std::string shortened = render_chart_svg({steffensen}, 1e-4);
    EXPECT_EQ(test::xmllint_errors(shortened), "");
    const std::size_t start = shortened.find("f(x) = x&lt;2 &amp; x");
    ASSERT_NE(start, std::string::npos);
    const std::string line = shortened.substr(start, shortened.find("</text>", start) - start);
    EXPECT_TRUE(line.ends_with("x\u2026")) << line;
    EXPECT_LT(line.size(), 120u);
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
