#pragma once

#include <cmath>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace konvergenz {

// A point on the page, in SVG user units.
struct PixelPoint {
    double x;
    double y;
};

// Half of high - low, finite for any finite low and high: where high - low exceeds the
// doubles, the halves are taken first, which changes no digit.
inline double half_width(double low, double high) { return high / 2 - low / 2; }

// (v - low) / (high - low) for any finite values.
inline double share_of(double v, double low, double high)
{
    const double width = high - low;
    if (std::isfinite(width)) return (v - low) / width;
    return half_width(low, v) / half_width(low, high);
}

// The point i / n of the way from low to high, for any finite low and high.
inline double part_way(double low, double high, int i, int n)
{
    const double width = high - low;
    if (std::isfinite(width)) return low + width * i / n;
    return (low / 2 + half_width(low, high) / n * i) * 2;
}

// A plot's rectangle on the page and the ranges of x and y it shows, both linear.
struct PlotFrame {
    double left, top, right, bottom;
    double x_low, x_high, y_low, y_high;

    double px(double x) const { return left + share_of(x, x_low, x_high) * (right - left); }
    double py(double y) const { return bottom - share_of(y, y_low, y_high) * (bottom - top); }
    PixelPoint at(double x, double y) const { return {px(x), py(y)}; }
};

// Where a line left the frame: the point on its edge, and the way out.
enum class Edge { top, bottom, left, right };
struct ClipMark {
    PixelPoint at;
    Edge edge;
};

// What of a line lies inside the frame, with a mark at each end that was cut.
struct ClippedLine {
    PixelPoint from, to;
    std::optional<Edge> from_cut, to_cut;
};

// The part of the segment inside the frame; nullopt where none is, or an end is not finite.
std::optional<ClippedLine> clip_to_frame(const PlotFrame& frame, PixelPoint from, PixelPoint to);

// A function's graph as drawn: connected pieces, each a polyline inside the frame, and a
// mark wherever the graph leaves it.
struct Curve {
    std::vector<std::vector<PixelPoint>> pieces;
    std::vector<ClipMark> marks;
};

using PlotFunction = std::function<double(double)>;

// Samples f across the frame's x-range, more densely where it bends, and breaks the
// graph where a value is not finite or where it jumps from beyond one edge to beyond the
// other (a pole): no piece spans either.
Curve sample_curve(const PlotFunction& f, const PlotFrame& frame);

// The y-range of f over [x_low, x_high]: its values at evenly spread points, without the
// few that would squeeze the rest into a strip (a pole, an enormous end), widened to take
// in `always` (the axis y = 0, or the range of x for a cobweb); padded a little. Where a
// `core` is given, it reaches beyond it by no more than its width or the spread of the
// middle values, whichever is more.
std::pair<double, double> value_range(const PlotFunction& f, double x_low, double x_high,
                                      std::pair<double, double> always,
                                      std::optional<std::pair<double, double>> core = {});

// [low, high] where it is a finite range of some width; else one that is, around it.
std::pair<double, double> proper_range(double low, double high);

// Ticks at round values, about `count` of them, within [low, high].
std::vector<double> round_ticks(double low, double high, int count);

// A tick's label in German: decimal comma, typographic minus, as many digits as the
// spacing of the ticks needs; 0 as "0".
std::string tick_label(double value, double spacing);

// The width left of a plot that its y-labels may take.
inline constexpr double y_label_room = 50;

// The frame, its grid and its labelled ticks, and the line y = 0 where it is in range.
void append_plot_axes(std::string& svg, const PlotFrame& frame, bool ticks_labelled = true);

// The pieces as <path> elements with the given attributes; the marks as small arrows
// pointing out of the frame, class "clipped".
void append_curve(std::string& svg, const Curve& curve, std::string_view attributes);
void append_clip_marks(std::string& svg, const std::vector<ClipMark>& marks,
                       std::string_view colour);

// A polyline as path data "M x y L x y ...".
std::string path_data(const std::vector<PixelPoint>& points);

}  // namespace konvergenz
