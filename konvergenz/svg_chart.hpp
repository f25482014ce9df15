#pragma once

#include "downsampler.hpp"

#include <string>
#include <string_view>
#include <vector>

namespace konvergenz {

// One method's line in the chart.
struct ChartSeries {
    std::string_view label;
    std::string_view colour;
    std::vector<ChartPoint> points;  // finite |f| in step order, already thinned out
};

// A self-contained SVG document: |f(x_k)| over k on a logarithmic axis, one
// line per series, the tolerance as a dashed horizontal line, legend above
// the plot so that it never covers data. Values of exactly 0 are drawn on
// the bottom edge. German labels.
std::string render_chart_svg(const std::vector<ChartSeries>& series, double tolerance);

}  // namespace konvergenz
