#include "plot_frame.hpp"

#include "number_format.hpp"
#include "runtime/elementary/correctly_rounded.hpp"
#include "svg_drawing.hpp"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <numeric>

namespace konvergenz {

// Our own functions, correctly rounded, so that the ticks are the same on every machine.
namespace cr = runtime::correctly_rounded;

namespace {

struct Sample {
    double x, y;
};

// Values far beyond the frame are drawn toward the same point of its edge whether they
// are 1e10 or 1e300; this keeps the page's numbers finite without turning a line.
constexpr double far_off = 1e7;

PixelPoint on_page(const PlotFrame& frame, double x, double y)
{
    return {frame.px(x), std::clamp(frame.py(y), frame.top - far_off, frame.bottom + far_off)};
}

// Evenly spread samples to start from, and how far a curve may be split at most.
constexpr double first_spacing = 3;       // pixels
constexpr double finest_spacing = 0.2;    // pixels
constexpr double bend_tolerance = 0.4;    // pixels off the chord between two samples
constexpr int evaluation_budget = 40000;  // an oscillating function must not stall the run

struct Sampler {
    const PlotFunction& f;
    const PlotFrame& frame;
    std::vector<Sample>& out;
    int budget = evaluation_budget;

    double bounded_y(double y) const
    {
        const double height = frame.bottom - frame.top;
        return std::clamp(frame.py(y), frame.top - height, frame.bottom + height);
    }

    // Adds the samples strictly between a and b, splitting where the curve bends or
    // stops being finite.
    void refine(Sample a, Sample b)
    {
        if (budget <= 0 || frame.px(b.x) - frame.px(a.x) < finest_spacing) return;
        const double middle = std::midpoint(a.x, b.x);
        const Sample m{middle, f(middle)};
        --budget;
        const bool finite_a = std::isfinite(a.y), finite_b = std::isfinite(b.y),
                   finite_m = std::isfinite(m.y);
        bool split = finite_a != finite_b || finite_a != finite_m;
        if (!split && finite_a) {
            const double chord = (bounded_y(a.y) + bounded_y(b.y)) / 2;
            split = std::fabs(bounded_y(m.y) - chord) > bend_tolerance;
        }
        if (!split) return;
        refine(a, m);
        out.push_back(m);
        refine(m, b);
    }
};

}  // namespace

std::optional<ClippedLine> clip_to_frame(const PlotFrame& frame, PixelPoint from, PixelPoint to)
{
    if (!std::isfinite(from.x) || !std::isfinite(from.y) || !std::isfinite(to.x) ||
        !std::isfinite(to.y))
        return std::nullopt;
    // Liang and Barsky: the line as from + t (to - from), cut to each edge in turn.
    const double dx = to.x - from.x, dy = to.y - from.y;
    double t0 = 0, t1 = 1;
    std::optional<Edge> edge0, edge1;
    const auto cut = [&](double p, double q, Edge edge) {
        if (p == 0) return q >= 0;
        const double t = q / p;
        if (p < 0) {
            if (t > t1) return false;
            if (t > t0) t0 = t, edge0 = edge;
        } else {
            if (t < t0) return false;
            if (t < t1) t1 = t, edge1 = edge;
        }
        return true;
    };
    if (!cut(-dx, from.x - frame.left, Edge::left) || !cut(dx, frame.right - from.x, Edge::right) ||
        !cut(-dy, from.y - frame.top, Edge::top) || !cut(dy, frame.bottom - from.y, Edge::bottom))
        return std::nullopt;
    ClippedLine line{{from.x + t0 * dx, from.y + t0 * dy}, {from.x + t1 * dx, from.y + t1 * dy},
                     edge0, edge1};
    // Exactly on the edge, as the rounding of the points may leave it a hair outside.
    for (PixelPoint* p : {&line.from, &line.to}) {
        p->x = std::clamp(p->x, frame.left, frame.right);
        p->y = std::clamp(p->y, frame.top, frame.bottom);
    }
    return line;
}

Curve sample_curve(const PlotFunction& f, const PlotFrame& frame)
{
    std::vector<Sample> samples;
    const int intervals =
        std::max(16, static_cast<int>((frame.right - frame.left) / first_spacing));
    Sampler sampler{f, frame, samples};
    Sample previous{frame.x_low, f(frame.x_low)};
    samples.push_back(previous);
    for (int i = 1; i <= intervals; ++i) {
        const double x = i == intervals ? frame.x_high
                                        : part_way(frame.x_low, frame.x_high, i, intervals);
        const Sample next{x, f(x)};
        sampler.refine(previous, next);
        samples.push_back(next);
        previous = next;
    }

    Curve curve;
    bool open = false;  // the last piece goes on with the next segment
    const auto mark = [&](PixelPoint at, Edge edge) {
        const auto near = [&](const ClipMark& m) {
            // Squared, with basic operations only, so that every platform drops the same marks.
            const double dx = m.at.x - at.x;
            const double dy = m.at.y - at.y;
            return m.edge == edge && dx * dx + dy * dy < 36;
        };
        if (std::none_of(curve.marks.begin(), curve.marks.end(), near))
            curve.marks.push_back({at, edge});
    };
    const double height = frame.bottom - frame.top;
    for (std::size_t i = 0; i + 1 < samples.size(); ++i) {
        const Sample a = samples[i], b = samples[i + 1];
        const bool crosses_plot =
            (a.y > frame.y_high && b.y < frame.y_low) || (a.y < frame.y_low && b.y > frame.y_high);
        const PixelPoint pa = on_page(frame, a.x, a.y), pb = on_page(frame, b.x, b.y);
        // Across the whole height within a pixel: a jump, or a pole, not a line.
        const bool jumps = pb.x - pa.x < 1 && std::fabs(pb.y - pa.y) > height;
        const std::optional<ClippedLine> line =
            std::isfinite(a.y) && std::isfinite(b.y) && !crosses_plot && !jumps
                ? clip_to_frame(frame, pa, pb)
                : std::nullopt;
        if (!line) {
            open = false;
            continue;
        }
        if (!open || line->from_cut) {
            curve.pieces.push_back({line->from});
            if (line->from_cut) mark(line->from, *line->from_cut);
        }
        curve.pieces.back().push_back(line->to);
        open = !line->to_cut;
        if (line->to_cut) mark(line->to, *line->to_cut);
    }
    // A graph wholly above or below the frame would leave it blank without a word: it is
    // marked at the edge where it comes nearest.
    if (curve.pieces.empty()) {
        const Sample* above = nullptr;
        const Sample* below = nullptr;
        for (const Sample& s : samples) {
            if (!std::isfinite(s.y)) continue;
            if (s.y > frame.y_high && (!above || s.y < above->y)) above = &s;
            if (s.y < frame.y_low && (!below || s.y > below->y)) below = &s;
        }
        if (above) curve.marks.push_back({{frame.px(above->x), frame.top}, Edge::top});
        if (below) curve.marks.push_back({{frame.px(below->x), frame.bottom}, Edge::bottom});
    }
    return curve;
}

std::pair<double, double> value_range(const PlotFunction& f, double x_low, double x_high,
                                      std::pair<double, double> always,
                                      std::optional<std::pair<double, double>> core)
{
    constexpr int count = 401;
    std::vector<double> values;
    for (int i = 0; i < count; ++i) {
        const double y = f(part_way(x_low, x_high, i, count - 1));
        if (std::isfinite(y)) values.push_back(y);
    }
    double low = always.first, high = always.second;
    if (!values.empty()) {
        std::sort(values.begin(), values.end());
        const auto quantile = [&](double q) {
            return values[static_cast<std::size_t>(q * static_cast<double>(values.size() - 1))];
        };
        // The middle of the values, widened by half its spread where the rest reach so far.
        const double inner_low = quantile(0.03), inner_high = quantile(0.97);
        const double spread = inner_high - inner_low;
        low = std::min(low, std::max(values.front(), inner_low - spread / 2));
        high = std::max(high, std::min(values.back(), inner_high + spread / 2));
        if (core) {
            // No further beyond the core than its width, or than the middle values spread.
            const double reach = std::max(core->second - core->first,
                                          quantile(0.9) - quantile(0.1));
            low = std::max(low, std::min(always.first, core->first - reach));
            high = std::min(high, std::max(always.second, core->second + reach));
        }
    }
    const double pad = std::isfinite(high - low) ? (high - low) * 0.06 : half_width(low, high) * 0.12;
    return proper_range(std::max(low - pad, -DBL_MAX), std::min(high + pad, DBL_MAX));
}

std::pair<double, double> proper_range(double low, double high)
{
    if (!std::isfinite(low) || !std::isfinite(high)) return {-1.0, 1.0};
    if (high > low) return {low, high};
    const double half_width = std::max(1.0, std::fabs(low) / 10);
    // Where adding the width changes nothing, or leaves the doubles, no range is left.
    if (!(high + half_width > low - half_width) || !std::isfinite(high + half_width) ||
        !std::isfinite(low - half_width))
        return {-1.0, 1.0};
    return {low - half_width, high + half_width};
}

std::vector<double> round_ticks(double low, double high, int count)
{
    if (!(high > low) || !std::isfinite(low) || !std::isfinite(high)) return {};
    const double span = high - low;
    const double raw = std::isfinite(span) ? span / count : half_width(low, high) / count * 2;
    const double magnitude = cr::pow(10.0, std::floor(cr::log10(raw)));
    const double scaled = raw / magnitude;
    const double step =
        (scaled <= 1.0 ? 1.0 : scaled <= 2.0 ? 2.0 : scaled <= 5.0 ? 5.0 : 10.0) * magnitude;
    // Counted in whole steps, so that where low / step is too large for ++ to change it
    // the loop still ends.
    const double first = std::ceil(low / step);
    std::vector<double> ticks;
    for (int i = 0; i <= 3 * count; ++i) {
        const double tick = (first + i) * step;
        if (tick > high) break;
        // A tick near 0 by rounding is 0.
        ticks.push_back(std::fabs(first + i) < 0.5 ? 0.0 : tick);
    }
    return ticks;
}

std::string tick_label(double value, double spacing)
{
    if (value == 0) return "0";
    if (!(spacing > 0) || !std::isfinite(spacing)) return german_real(value);
    const int step_magnitude = static_cast<int>(std::floor(cr::log10(spacing) + 1e-9));
    // The digits down to the spacing's own, so that 4,9999999999999999·10²³ on ticks 10²³
    // apart reads 5·10²³; a value below the spacing is the nearest multiple of it.
    const auto digits = [&] {
        return static_cast<int>(std::floor(cr::log10(std::fabs(value)))) - step_magnitude + 1;
    };
    if (digits() < 1) {
        value = std::round(value / spacing) * spacing;
        if (value == 0) return "0";
    }
    const int decimals = std::max(0, -step_magnitude);
    if (std::fabs(value) >= 1e7 || decimals > 8) return german_real(value, std::clamp(digits(), 1, 17));
    std::string text;
    for (const char c : format_real(value, std::chars_format::fixed, decimals)) {
        if (c == '-') {
            text += minus_sign;
        } else {
            text += c == '.' ? ',' : c;
        }
    }
    return text;
}

namespace {

// The size of a set of labels that keeps the widest of them within `room`.
std::string label_size(const std::vector<std::string>& labels, double room)
{
    double widest = 0;
    for (const std::string& l : labels) widest = std::max(widest, estimated_width(l, 11));
    if (widest <= room) return "11";
    return number(std::max(6.0, std::floor(10 * 11 * room / widest) / 10));
}

std::vector<std::string> tick_labels(const std::vector<double>& ticks)
{
    std::vector<std::string> labels;
    for (const double t : ticks) labels.push_back(tick_label(t, ticks.size() > 1 ? ticks[1] - ticks[0] : 1));
    return labels;
}

}  // namespace

void append_plot_axes(std::string& svg, const PlotFrame& frame, bool ticks_labelled)
{
    const std::vector<double> xs =
        round_ticks(frame.x_low, frame.x_high, std::max(2, int((frame.right - frame.left) / 90)));
    const std::vector<double> ys =
        round_ticks(frame.y_low, frame.y_high, std::max(2, int((frame.bottom - frame.top) / 60)));
    svg += "<g stroke=\"" + std::string(grid_colour) + "\" stroke-width=\"1\">";
    for (const double x : xs) append_line(svg, frame.px(x), frame.top, frame.px(x), frame.bottom);
    for (const double y : ys) append_line(svg, frame.left, frame.py(y), frame.right, frame.py(y));
    svg += "</g>\n";
    svg += "<rect x=\"" + number(frame.left) + "\" y=\"" + number(frame.top) + "\" width=\"" +
           number(frame.right - frame.left) + "\" height=\"" + number(frame.bottom - frame.top) +
           "\" fill=\"" + (ticks_labelled ? "none" : "#fff") +
           "\" stroke=\"#999\" stroke-width=\"1\"/>\n";
    if (frame.y_low < 0 && frame.y_high > 0) {
        svg += "<g class=\"x-axis\" stroke=\"#333\" stroke-width=\"1\">";
        append_line(svg, frame.left, frame.py(0), frame.right, frame.py(0));
        svg += "</g>\n";
    }
    if (!ticks_labelled) return;
    // Labels too long for the room between the ticks, or left of the plot, are set smaller.
    const std::string fill = "fill=\"" + std::string(text_colour) + "\" font-size=\"";
    const std::vector<std::string> x_labels = tick_labels(xs), y_labels = tick_labels(ys);
    const double x_room = xs.size() > 1 ? frame.px(xs[1]) - frame.px(xs[0]) - 8 : 80;
    svg += "<g text-anchor=\"middle\" " + fill + label_size(x_labels, x_room) + "\">";
    for (std::size_t i = 0; i < xs.size(); ++i) append_text(svg, frame.px(xs[i]), frame.bottom + 14, x_labels[i]);
    svg += "</g>\n<g text-anchor=\"end\" " + fill + label_size(y_labels, y_label_room) + "\">";
    for (std::size_t i = 0; i < ys.size(); ++i) append_text(svg, frame.left - 5, frame.py(ys[i]) + 4, y_labels[i]);
    svg += "</g>\n";
}

std::string path_data(const std::vector<PixelPoint>& points)
{
    std::string d;
    for (std::size_t i = 0; i < points.size(); ++i) {
        d += (i == 0 ? "M" : " L") + number(points[i].x) + ' ' + number(points[i].y);
    }
    return d;
}

void append_curve(std::string& svg, const Curve& curve, std::string_view attributes)
{
    for (const auto& piece : curve.pieces) {
        if (piece.size() < 2) continue;
        svg += "<path d=\"" + path_data(piece) + "\" " + std::string(attributes) + "/>\n";
    }
}

void append_clip_marks(std::string& svg, const std::vector<ClipMark>& marks,
                       std::string_view colour)
{
    for (const ClipMark& m : marks) {
        // A small arrow whose tip sits on the edge, pointing out.
        const double x = m.at.x, y = m.at.y;
        std::string shape;
        switch (m.edge) {
        case Edge::top: shape = "l-4 7h8z"; break;
        case Edge::bottom: shape = "l-4-7h8z"; break;
        case Edge::left: shape = "l7-4v8z"; break;
        case Edge::right: shape = "l-7-4v8z"; break;
        }
        svg += "<path class=\"clipped\" d=\"M" + number(x) + ' ' + number(y) + shape +
               "\" fill=\"" + std::string(colour) + "\"/>";
    }
    if (!marks.empty()) svg += '\n';
}

}  // namespace konvergenz
