#pragma once

#include "downsampler.hpp"
#include "log_header.hpp"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace konvergenz {

// One method's line in the chart.
struct ChartSeries {
    std::string_view label;
    std::string_view colour;
    std::vector<ChartPoint> points;              // finite |f| in step order, already thinned out
    std::vector<NamedValue> inputs = {};         // shown in the legend after the label
    std::optional<double> estimated_error = {};  // of the last iterate, or of the run's result
    bool error_is_bound = false;  // the error is a bracketing method's bound, labelled so
    std::string notes = {};       // what the legend says about the run, after its inputs
    bool has_records = false;     // a series without points had records, none of them finite
    Marker marker = Marker::circle;
    std::string_view dashes = {};      // stroke-dasharray of its line; empty for a solid one
    std::string_view plotted_as = {};  // for the subtitle: what |f| stands for in this series
    std::vector<std::string> functions = {};  // for the subtitle: "f(x) = x^2 - 2", ...
    std::optional<double> tolerance = {};     // its run's, where not the chart's
    bool tolerance_unknown = false;           // its run's is unknown: no line for it, no mark
};

// A self-contained SVG document: |f(x_k)| over k on a logarithmic axis, one
// line per series (each with its colour, marker and dashes), each series'
// tolerance (`tolerance` where it names none) as a dashed horizontal line drawn over them,
// legend above the plot so that it never covers data; none for a series whose tolerance
// is unknown. Values of exactly 0 are
// drawn on the bottom edge. An estimated error more than ten times the
// tolerance is marked and labelled at its series' last step (step 0 for a
// series without points) without widening the axis: one beyond it is drawn at
// the edge with an arrow. The subtitle names the series' functions and says what |f|
// stands for where a series plots something else; it takes further lines where one is
// not enough. German labels.
std::string render_chart_svg(const std::vector<ChartSeries>& series, double tolerance);

}  // namespace konvergenz
