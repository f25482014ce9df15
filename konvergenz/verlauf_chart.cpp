#include "verlauf_chart.hpp"

#include "chart_axes.hpp"
#include "number_format.hpp"
#include "svg_drawing.hpp"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <tuple>

namespace konvergenz {
namespace {

constexpr double page_width = 960;
constexpr double page_margin = 20;
constexpr double heading_height = 76;
constexpr double column_gap = 30;
constexpr double panel_height = 400;

// Inside a panel: title, the line under it, the plot, its tick labels and the brackets.
constexpr double title_baseline = 16;
constexpr double caption_baseline = 34;
constexpr double plot_top_offset = 48;
constexpr double plot_height = 270;
constexpr double plot_left_offset = 58;
constexpr double plot_right_offset = 12;
constexpr double bracket_offset = 26;  // below the plot, under the tick labels
constexpr double bracket_row = 6;

// A step that moves its point by less than half a pixel at this much enlargement ends
// the steps drawn: it would only be seen as a thicker line.
constexpr double max_zoom = 50;
// Iterates whose markers would overlap the last one's crowd together.
constexpr double marker_width = 8;
constexpr double zoom_share = 0.42;  // of the plot's width and height
constexpr double zoom_label_strip = 16;  // above the inset's plot, for its range of x

constexpr std::string_view graph_colour = "#555";

const PlotFunction* drawn_function(const RunStart& run)
{
    const auto& fn = run.method->on_g ? run.g : run.f;
    return fn ? &*fn : nullptr;
}

// The run's f or g sampled across the frame, where the run names one.
std::optional<Curve> graph_in(const RunStart& run, const PlotFrame& frame)
{
    const PlotFunction* fn = drawn_function(run);
    return fn ? std::optional<Curve>(sample_curve(*fn, frame)) : std::nullopt;
}

// The y-range of a frame over [x_low, x_high]: f's values there and the axis, or for a
// cobweb g's values and the range of x; where f's values reach far beyond the
// construction's own points ((x_k, f(x_k)), its lines' ends, the bracket's ends), they are
// cut there: a pole, or e^(-x) over a padded negative x, cannot flatten the construction.
std::pair<double, double> y_range(const RunStart& run, const MethodPicture& picture, double x_low,
                                  double x_high)
{
    const bool on_g = run.method->on_g;
    const std::pair<double, double> always = on_g ? std::pair{x_low, x_high} : std::pair{0.0, 0.0};
    std::pair<double, double> core = always;
    const auto take = [&](DataPoint p) {
        if (std::isfinite(p.y) && p.x >= x_low && p.x <= x_high) {
            core.first = std::min(core.first, p.y);
            core.second = std::max(core.second, p.y);
        }
    };
    for (const DataLine& l : picture.lines) take(l.from), take(l.to);
    for (const DataPoint& p : picture.marked) take(p);
    for (const DataPoint& p : picture.starts) take(p);
    const PlotFunction* fn = drawn_function(run);
    if (!fn) {
        const double pad = (core.second - core.first) * 0.06;
        return proper_range(core.first - pad, core.second + pad);
    }
    for (const DataPoint& p : picture.iterates) take({p.x, (*fn)(p.x)});
    for (const Bracket& b : picture.brackets) take({b.a, (*fn)(b.a)}), take({b.b, (*fn)(b.b)});
    return value_range(*fn, x_low, x_high, always, core);
}

PlotFrame frame_for(const RunStart& run, const MethodPicture& picture, PixelPoint top_left,
                    PixelPoint bottom_right, std::pair<double, double> xs)
{
    const auto ys = y_range(run, picture, xs.first, xs.second);
    return {top_left.x, top_left.y, bottom_right.x, bottom_right.y,
            xs.first,   xs.second,  ys.first,       ys.second};
}

// How much of what the panel draws would lie under the rectangle: the length of the graph
// and of the construction's lines inside it, and each iterate with its number as a short
// stretch of line; a ringed or start point, which the construction turns on, as much as a
// long one; the crowded iterates the inset enlarges must stay in sight.
double covered(const PlotFrame& rect, const std::vector<std::vector<PixelPoint>>& lines,
               const std::vector<PixelPoint>& iterates, const std::vector<PixelPoint>& ringed,
               const std::vector<PixelPoint>& crowd)
{
    double ink = 0;
    for (const auto& line : lines) {
        for (std::size_t i = 0; i + 1 < line.size(); ++i) {
            if (const auto part = clip_to_frame(rect, line[i], line[i + 1])) {
                const double dx = part->to.x - part->from.x, dy = part->to.y - part->from.y;
                ink += std::sqrt(dx * dx + dy * dy);
            }
        }
    }
    const auto inside = [&](PixelPoint p, double margin) {
        return p.x > rect.left - margin && p.x < rect.right + margin &&
               p.y > rect.top - margin - 14 && p.y < rect.bottom + margin;
    };
    for (const PixelPoint& p : iterates) ink += inside(p, 6) ? 30 : 0;
    for (const PixelPoint& p : ringed) ink += inside(p, 4) ? 1000 : 0;
    for (const PixelPoint& p : crowd) ink += inside(p, 6) ? 1e6 : 0;
    return ink;
}

// The inset over the last iterates where at least three of those shown lie within a
// marker's width of the last one, in the plot's corner where it hides least.
std::optional<PlotFrame> zoom_frame(const RunStart& run, const MethodPicture& picture,
                                    const PlotFrame& frame, const std::optional<Curve>& graph)
{
    const auto& points = picture.iterates;
    if (points.size() < 3) return std::nullopt;
    const PixelPoint last = frame.at(points.back().x, points.back().y);
    if (!std::isfinite(last.x) || !std::isfinite(last.y)) return std::nullopt;
    std::vector<PixelPoint> shown, ringed, crowd;
    for (const auto* kind : {&picture.marked, &picture.starts}) {
        for (const DataPoint& d : *kind) ringed.push_back(frame.at(d.x, d.y));
    }
    double low = points.back().x, high = low;
    for (const DataPoint& d : points) {
        const PixelPoint p = frame.at(d.x, d.y);
        shown.push_back(p);
        // Squared, with basic operations only, so that every platform finds the same crowd.
        const double dx = p.x - last.x, dy = p.y - last.y;
        if (!(dx * dx + dy * dy < marker_width * marker_width)) continue;
        crowd.push_back(p);
        low = std::min(low, d.x);
        high = std::max(high, d.x);
    }
    if (crowd.size() < 3 || !(high > low)) return std::nullopt;

    std::vector<std::vector<PixelPoint>> lines;
    if (graph) lines = graph->pieces;
    if (run.method->on_g) {
        const double from = std::max(frame.x_low, frame.y_low), to = std::min(frame.x_high, frame.y_high);
        lines.push_back({frame.at(from, from), frame.at(to, to)});
    }
    for (const DataLine& l : picture.lines)
        lines.push_back({frame.at(l.from.x, l.from.y), frame.at(l.to.x, l.to.y)});

    const double width = (frame.right - frame.left) * zoom_share;
    const double height = (frame.bottom - frame.top) * zoom_share;
    const double middle_x = (frame.left + frame.right) / 2, middle_y = (frame.top + frame.bottom) / 2;
    // The corner away from the last point first, so that it wins where corners hide alike.
    const bool away_left = last.x > middle_x, away_top = !(last.y < middle_y);
    std::optional<PixelPoint> best;
    double least = 0;
    for (const bool left_side : {away_left, !away_left}) {
        for (const bool top_side : {away_top, !away_top}) {
            const double left = left_side ? frame.left + 8 : frame.right - 8 - width;
            const double top = top_side ? frame.top + 8 : frame.bottom - 8 - height;
            const PlotFrame rect{left, top, left + width, top + height, 0, 1, 0, 1};
            const double ink = covered(rect, lines, shown, ringed, crowd);
            if (!best || ink < least) best = PixelPoint{left, top}, least = ink;
        }
    }
    const double pad = (high - low) * 0.2;
    return frame_for(run, picture, {best->x, best->y + zoom_label_strip},
                     {best->x + width, best->y + height}, {low - pad, high + pad});
}

std::string attribute(std::string_view name, std::string_view value)
{
    return ' ' + std::string(name) + "=\"" + std::string(value) + '"';
}

void append_clipped(std::string& svg, const PlotFrame& frame, DataPoint from, DataPoint to,
                    std::string_view attributes, std::vector<ClipMark>& marks)
{
    // A level line with an end infinitely far spans the frame.
    if (from.y == to.y && std::isfinite(from.y) && (std::isinf(from.x) || std::isinf(to.x)))
        from.x = frame.x_low, to.x = frame.x_high;
    const std::optional<ClippedLine> line = clip_to_frame(frame, frame.at(from.x, from.y),
                                                          frame.at(to.x, to.y));
    if (!line) return;
    svg += "<path d=\"" + path_data({line->from, line->to}) + '"' + std::string(attributes) + "/>";
    if (line->from_cut) marks.push_back({line->from, *line->from_cut});
    if (line->to_cut) marks.push_back({line->to, *line->to_cut});
}

// The graph, the construction and the numbered iterates in one frame.
void append_contents(std::string& svg, const PlotFrame& frame, const std::optional<Curve>& graph,
                     const RunStart& run, const MethodPicture& picture, bool numbered)
{
    const Method& method = *run.method;
    const std::string colour(method.colour);
    std::vector<ClipMark> marks;
    if (method.on_g) {
        const double low = std::min(frame.x_low, frame.y_low);
        const double high = std::max(frame.x_high, frame.y_high);
        append_clipped(svg, frame, {low, low}, {high, high},
                       " class=\"diagonale\" stroke=\"#999\" stroke-dasharray=\"4 3\"", marks);
        marks.clear();  // y = x runs on beyond the frame; that is no news
    }
    if (graph) {
        append_curve(svg, *graph,
                     "class=\"graph\" fill=\"none\" stroke=\"" + std::string(graph_colour) +
                         "\" stroke-width=\"1.6\" stroke-linejoin=\"round\"");
        if (numbered) append_clip_marks(svg, graph->marks, graph_colour);
    }
    svg += "<g fill=\"none\" stroke=\"" + colour + "\" stroke-width=\"1.3\">";
    for (const DataLine& l : picture.lines) {
        std::string attributes = attribute("class", l.kind);
        if (l.kind == "lot" || l.kind == "cobweb") attributes += " stroke-dasharray=\"3 2\"";
        append_clipped(svg, frame, l.from, l.to, attributes, marks);
    }
    for (std::size_t i = 0; i < picture.marked.size(); ++i) {
        const PixelPoint p = frame.at(picture.marked[i].x, picture.marked[i].y);
        if (!clip_to_frame(frame, p, p)) continue;
        svg += "<circle class=\"" + std::string(picture.marked_kinds[i]) + "\" cx=\"" +
               number(p.x) + "\" cy=\"" + number(p.y) + "\" r=\"3.5\"/>";
    }
    for (const DataPoint& start : picture.starts) {
        const PixelPoint p = frame.at(start.x, start.y);
        if (!clip_to_frame(frame, p, p)) continue;
        svg += "<circle class=\"start\" cx=\"" + number(p.x) + "\" cy=\"" + number(p.y) +
               "\" r=\"2.5\" fill=\"" + colour + "\"/>";
    }
    svg += "</g>\n";
    // The inset cuts everything at its edges: it marks nothing.
    if (numbered) append_clip_marks(svg, marks, colour);

    std::vector<ClipMark> outside;
    std::vector<double> labelled;  // where the numbers drawn so far stand
    for (std::size_t i = 0; i < picture.iterates.size(); ++i) {
        const PixelPoint p = frame.at(picture.iterates[i].x, picture.iterates[i].y);
        if (!std::isfinite(p.x) || !std::isfinite(p.y)) continue;
        if (p.x < frame.left || p.x > frame.right || p.y < frame.top || p.y > frame.bottom) {
            const PixelPoint edge{std::clamp(p.x, frame.left, frame.right),
                                  std::clamp(p.y, frame.top, frame.bottom)};
            outside.push_back({edge, p.x < frame.left    ? Edge::left
                                     : p.x > frame.right ? Edge::right
                                     : p.y < frame.top   ? Edge::top
                                                         : Edge::bottom});
            continue;
        }
        svg += "<g class=\"iterate\">";
        append_marker(svg, method.marker, p.x, p.y, colour);
        const double position = method.on_g ? p.x + p.y : p.x;
        // A number too near any other would run into it: "1" and "5" read as "15".
        if (numbered && std::none_of(labelled.begin(), labelled.end(), [&](double other) {
                return std::fabs(position - other) < 12;
            })) {
            // Above the axis, or below where a vertical to the graph rises through there;
            // below and right of y = x, away from the cobweb's legs.
            const auto crossed = [&](bool upward) {
                return std::any_of(picture.lines.begin(), picture.lines.end(), [&](const DataLine& l) {
                    return l.kind == "lot" && std::fabs(frame.px(l.from.x) - p.x) < 8 &&
                           (upward ? l.to.y > l.from.y : l.to.y < l.from.y);
                });
            };
            // On an axis along the plot's bottom, below would be among the tick labels:
            // above then, beside the vertical.
            const bool below = crossed(true) && !crossed(false);
            const bool beside = below && p.y > frame.bottom - 18;
            append_text(svg, method.on_g || beside ? p.x + 6 : p.x,
                        beside                  ? p.y - 6
                        : method.on_g || below ? p.y + (below ? 16 : 14)
                                               : p.y - 8,
                        std::to_string(picture.numbers[i]),
                        std::string("text-anchor=\"") + (method.on_g || beside ? "start" : "middle") +
                            "\" font-size=\"11\" fill=\"" + std::string(text_colour) + '"');
            labelled.push_back(position);
        }
        svg += "</g>";
    }
    svg += '\n';
    if (numbered) append_clip_marks(svg, outside, colour);
}

std::string shown_text(const VerlaufRun& run, const PanelLayout& layout)
{
    std::string text = run.steps == 0 ? "kein Schritt protokolliert"
                                      : std::to_string(layout.picture.shown) + " von " +
                                            group_digits(static_cast<long long>(run.steps)) +
                                            (run.steps == 1 ? " Schritt" : " Schritten") + " gezeigt";
    if (layout.zoom) text += ", die letzten davon vergrößert";
    const std::optional<Curve>& graph = layout.graph;
    if (!graph) {
        if (run.steps > 0) text += "; Funktion unbekannt, nur die Iterierten";
    } else if (graph->pieces.empty() && graph->marks.empty()) {
        // An empty frame says why.
        text += std::string("; ") + (run.start.method->on_g ? 'g' : 'f') +
                " ist hier an keiner abgetasteten Stelle endlich";
    }
    return text;
}

std::string fitted(std::string_view text, double font_size, double width)
{
    return xml_escaped(cut_to_width(text, font_size, width));
}

// The marks the table gives the run, as the title shows them.
std::string title_marks(const VerlaufRun& run)
{
    return run.notes.empty() ? "" : "(" + run.notes + ')';
}

// The method, its function and the run's marks.
std::string whole_title(const VerlaufRun& run)
{
    const std::string marks = title_marks(run);
    return std::string(run.start.method->label) + (run.function.empty() ? "" : ": " + run.function) +
           (marks.empty() ? "" : " " + marks);
}

// The size at which the text fills the width, at most `largest`, to a tenth.
double fitting_size(const std::string& text, double width, double largest)
{
    return std::min(largest, std::floor(10 * width / estimated_width(text, 1)) / 10);
}

struct Title {
    std::vector<std::string> lines;
    double size;
};

// The whole title on one line at the chart's title size where it fits; else the marks go
// whole on a line of their own, set smaller where they need it, and the function is
// shortened (or left out) only where it does not fit beside the method's name alone.
Title panel_title(const VerlaufRun& run, double width, double size)
{
    const std::string whole = whole_title(run);
    if (estimated_width(whole, size) <= width) return {{whole}, size};
    const std::string label(run.start.method->label);
    const std::string marks = title_marks(run);
    std::string first = label;
    const double room = width - estimated_width(label + ": ", size);
    if (!run.function.empty() && room >= estimated_width("f(x) = x\u2026", size))
        first += ": " + cut_to_width(run.function, size, room);
    if (marks.empty()) return {{first}, size};
    if (estimated_width(marks, size) > width)
        return {{first, marks}, std::max(7.0, fitting_size(marks, width, size))};
    return {{first, marks}, size};
}

// How far a second title line moves the rest of the panel down.
double extra_title_height(const Title& title)
{
    return title.lines.size() > 1 ? title.size + 4 : 0;
}

void append_panel(std::string& svg, const VerlaufRun& run, double left, double top, double width,
                  double title_size)
{
    const PanelLayout layout = lay_out_panel(run, left, top, width, title_size);
    const Method& method = *run.start.method;
    const PlotFrame& frame = layout.frame;
    svg += "<g class=\"panel\" data-verfahren=\"" + std::string(method.key) + "\">\n";
    const Title title{layout.title, layout.title_size};
    for (std::size_t i = 0; i < title.lines.size(); ++i) {
        append_text(svg, left, top + title_baseline + static_cast<double>(i) * (title.size + 4),
                    xml_escaped(title.lines[i]),
                    "font-size=\"" + number(title.size) + "\" font-weight=\"bold\" fill=\"" +
                        std::string(text_colour) + '"');
    }
    append_text(svg, left, top + caption_baseline + extra_title_height(title), shown_text(run, layout),
                "font-size=\"12\" fill=\"" + std::string(muted_colour) + '"');
    svg += '\n';
    append_plot_axes(svg, frame);
    append_contents(svg, frame, layout.graph, run.start, layout.picture, true);

    if (!layout.picture.brackets.empty()) {
        const double first_row = frame.bottom + bracket_offset;
        append_text(svg, frame.left - 5, first_row + 4, "Klammern",
                    "text-anchor=\"end\" font-size=\"10\" fill=\"" + std::string(muted_colour) + '"');
        svg += "<g fill=\"" + std::string(method.colour) + "\" fill-opacity=\"0.75\">";
        for (std::size_t k = 0; k < layout.picture.brackets.size(); ++k) {
            const Bracket& b = layout.picture.brackets[k];
            const double x1 = std::clamp(frame.px(std::min(b.a, b.b)), frame.left, frame.right);
            const double x2 = std::clamp(frame.px(std::max(b.a, b.b)), frame.left, frame.right);
            svg += "<rect class=\"klammer\" x=\"" + number(x1) + "\" y=\"" +
                   number(first_row + static_cast<double>(k) * bracket_row) + "\" width=\"" +
                   number(std::max(x2 - x1, 0.5)) + "\" height=\"4\"/>";
        }
        svg += "</g>\n";
    }
    if (layout.zoom) {
        const PlotFrame& zoom = *layout.zoom;
        svg += "<g class=\"zoom\">\n";
        // The range of x in a strip of its own above the plot, clear of what it shows.
        svg += "<rect x=\"" + number(zoom.left) + "\" y=\"" + number(zoom.top - zoom_label_strip) +
               "\" width=\"" + number(zoom.right - zoom.left) + "\" height=\"" +
               number(zoom_label_strip) + "\" fill=\"#fff\" stroke=\"#999\" stroke-width=\"1\"/>\n";
        append_plot_axes(svg, zoom, false);
        append_contents(svg, zoom, graph_in(run.start, zoom), run.start, layout.picture, false);
        append_text(svg, zoom.left + 4, zoom.top - 4,
                    "x " + tick_label(zoom.x_low, (zoom.x_high - zoom.x_low) / 4) + " " +
                        std::string(en_dash) + " " +
                        tick_label(zoom.x_high, (zoom.x_high - zoom.x_low) / 4),
                    "font-size=\"10\" fill=\"" + std::string(muted_colour) + '"');
        svg += "\n</g>\n";
    }
    svg += "</g>\n";
}

// A change of sign between neighbouring finite samples of f, the zeros between them passed
// over: at a root; at a pole where |f| grows towards it; or at a jump where f stays bounded
// on both sides of it.
enum class ChangeKind { root, pole, jump };

struct SignChange {
    double x;
    ChangeKind kind;
};

// |f| at the last finite point of a halving approach from `from` towards `to`, where f is
// not finite; |f(from)| where it is not finite at the first.
double nearest_finite(const PlotFunction& f, double from, double to)
{
    double value = std::fabs(f(from));
    for (int k = 0; k < 80; ++k) {
        const double next = std::midpoint(from, to);
        if (next == from || next == to) break;
        const double y = f(next);
        if (!std::isfinite(y)) break;
        from = next, value = std::fabs(y);
    }
    return value;
}

// The change across [gap_from, gap_to], where f is not finite, from a and b either side of
// it: a pole where |f| grows towards it on both sides, as at 1/x over 0; a jump where it
// stays bounded, as at abs(x)/x. Some 80 halvings towards a pole of 1/x multiply |f| by
// 2^80, of 1/sqrt(|x|) by 2^40; a bounded f may rise a little, not a thousandfold.
SignChange across_gap(const PlotFunction& f, double a, double gap_from, double gap_to, double b,
                      double before)
{
    constexpr double unbounded_growth = 1000;
    const bool grows = std::min(nearest_finite(f, a, gap_from), nearest_finite(f, b, gap_to)) >
                       unbounded_growth * before;
    return {std::midpoint(gap_from, gap_to), grows ? ChangeKind::pole : ChangeKind::jump};
}

// The change between a and b, f(a) and f(b) of opposite signs, narrowed down by halving.
SignChange narrowed(const PlotFunction& f, double a, double fa, double b, double fb)
{
    const double before = std::max(std::fabs(fa), std::fabs(fb));
    for (int k = 0; k < 80 && a < std::midpoint(a, b) && std::midpoint(a, b) < b; ++k) {
        const double m = std::midpoint(a, b), fm = f(m);
        if (!std::isfinite(fm)) return across_gap(f, a, m, m, b, before);
        if (fm == 0) return {m, ChangeKind::root};
        if ((fm < 0) == (fa < 0)) {
            a = m, fa = fm;
        } else {
            b = m, fb = fm;
        }
    }
    // Towards a root |f| shrinks on the side nearer to it; towards a pole it grows on both.
    return {std::midpoint(a, b),
            std::min(std::fabs(fa), std::fabs(fb)) > before ? ChangeKind::pole : ChangeKind::root};
}

// The sign changes of f over [from, to] at 2001 samples; `drawable` where two neighbouring
// samples are finite, a piece of graph to draw.
std::vector<SignChange> sign_changes(const PlotFunction& f, double from, double to, bool& drawable)
{
    constexpr int count = 2000;
    std::vector<SignChange> changes;
    std::optional<DataPoint> last;  // the last finite sample other than 0
    // The runs of zeros and of values not finite since then.
    std::optional<std::pair<double, double>> zeros, gap;
    const auto extend = [](std::optional<std::pair<double, double>>& run, double x) {
        run = run ? std::pair{run->first, x} : std::pair{x, x};
    };
    double previous = NAN;
    for (int i = 0; i <= count; ++i) {
        const double x = i == 0 ? from : i == count ? to : part_way(from, to, i, count);
        const double y = f(x);
        drawable = drawable || (std::isfinite(previous) && std::isfinite(y));
        previous = y;
        if (!std::isfinite(y)) {
            extend(gap, x);
            continue;
        }
        if (y == 0) {
            extend(zeros, x);
            continue;
        }
        if (last && (last->y < 0) != (y < 0)) {
            if (gap) {
                changes.push_back(across_gap(f, last->x, gap->first, gap->second, x,
                                             std::max(std::fabs(last->y), std::fabs(y))));
            } else if (zeros) {
                changes.push_back({std::midpoint(zeros->first, zeros->second), ChangeKind::root});
            } else {
                changes.push_back(narrowed(f, last->x, last->y, x, y));
            }
        }
        last = DataPoint{x, y};
        zeros.reset(), gap.reset();
    }
    return changes;
}

// `values` after `text`, as many as fit the page with `after` behind them, then how many more.
std::string listed(std::string text, const std::vector<double>& values, std::string_view after)
{
    const auto more = [&](std::size_t shown) {
        return shown == values.size()
                   ? std::string()
                   : " und " + group_digits(static_cast<long long>(values.size() - shown)) + " weitere";
    };
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::string longer = text + (i > 0 ? ", " : "") + german_real(values[i], 6);
        if (i > 0 && estimated_width(longer + more(i + 1) + std::string(after), 13) >
                         page_width - 2 * page_margin)
            return text + more(i);
        text = longer;
    }
    return text;
}

}  // namespace

PanelLayout lay_out_panel(const VerlaufRun& run, double left, double top, double width,
                          double title_size)
{
    const RunStart& start = run.start;
    const Title title = panel_title(run, width, title_size);
    const double extra = extra_title_height(title);
    const PixelPoint top_left{left + plot_left_offset, top + plot_top_offset + extra};
    const PixelPoint bottom_right{left + width - plot_right_offset,
                                  top + plot_top_offset + plot_height};
    const std::size_t steps = distinguishable_steps(start, bottom_right.x - top_left.x, max_zoom,
                                                    marker_width);
    PanelLayout layout{{}, picture_of(start, steps), {}, {}, title.lines, title.size};
    layout.frame = frame_for(start, layout.picture, top_left, bottom_right,
                             x_range(start, layout.picture));
    layout.graph = graph_in(start, layout.frame);
    layout.zoom = zoom_frame(start, layout.picture, layout.frame, layout.graph);
    return layout;
}

std::string render_verlauf_svg(const std::vector<VerlaufRun>& runs)
{
    const std::size_t columns = runs.size() > 1 ? 2 : 1;
    const double width =
        (page_width - 2 * page_margin - static_cast<double>(columns - 1) * column_gap) /
        static_cast<double>(columns);
    const std::size_t rows = std::max<std::size_t>(1, (runs.size() + columns - 1) / columns);
    const double height = heading_height + static_cast<double>(rows) * panel_height + 10;

    // One size for every panel's title: the largest up to 14 at which all fit, but not
    // below 11, where the longest give up part of their function instead.
    double title_size = 14;
    for (const VerlaufRun& run : runs)
        title_size = std::min(title_size, std::max(11.0, fitting_size(whole_title(run), width, 14)));

    std::string svg;
    append_document_start(svg, page_width, height, "Verlauf der Verfahren: die ersten Schritte");
    append_heading(svg, page_margin, 34, "Verlauf der Verfahren");
    append_text(svg, page_margin, 56,
                "die ersten Schritte jedes Verfahrens an f oder g, die Iterierten nummeriert",
                "fill=\"" + std::string(muted_colour) + '"');
    svg += '\n';
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const double left =
            page_margin + static_cast<double>(i % columns) * (width + column_gap);
        const double top = heading_height + static_cast<double>(i / columns) * panel_height;
        append_panel(svg, runs[i], left, top, width, title_size);
    }
    svg += "</svg>\n";
    return svg;
}

std::string render_function_svg(const PlotFunction& f, std::string_view formula, double from,
                                double to)
{
    constexpr double height = 560;
    const PlotFrame frame = [&] {
        const auto ys = value_range(f, from, to, {0.0, 0.0});
        return PlotFrame{page_margin + plot_left_offset + 20, heading_height,
                         page_width - page_margin - plot_right_offset, height - 50,
                         from, to, ys.first, ys.second};
    }();
    std::string svg;
    append_document_start(svg, page_width, height, "Funktion f(x) = " + std::string(formula));
    append_heading(svg, page_margin, 34, fitted("f(x) = " + std::string(formula), 20, page_width - 40));

    bool drawable = false;
    const std::vector<SignChange> changes = sign_changes(f, from, to, drawable);
    std::vector<double> roots, poles, jumps;
    for (const SignChange& c : changes) {
        (c.kind == ChangeKind::root ? roots : c.kind == ChangeKind::pole ? poles : jumps).push_back(c.x);
    }
    const std::string interval = "[" + german_real(from) + "; " + german_real(to) + "]";
    std::string caption = !drawable ? "f ist in " + interval + " an keiner abgetasteten Stelle endlich"
                          : changes.empty() ? "kein Vorzeichenwechsel in " + interval
                                            : "Vorzeichenwechsel in " + interval;
    // The changes that are no roots, each kind listed after the roots.
    struct NoRoots {
        std::string text;
        const std::vector<double>& at;
        std::string after;
    };
    std::vector<NoRoots> no_roots;
    for (const auto& [at, one, several] :
         {std::tuple{&poles, " an einer Polstelle bei x \u2248 ", " an Polstellen bei x \u2248 "},
          std::tuple{&jumps, " an einer Sprungstelle bei x \u2248 ", " an Sprungstellen bei x \u2248 "}}) {
        if (at->empty()) continue;
        no_roots.push_back({at->size() == 1 ? one : several, *at,
                            at->size() == 1 ? " (keine Nullstelle)" : " (keine Nullstellen)"});
    }
    if (!roots.empty()) {
        // Room kept for the first of each other kind at least.
        std::string room;
        for (const NoRoots& n : no_roots) room += ";" + listed(n.text, {n.at.front()}, n.after) + n.after;
        caption = listed(caption + " bei x \u2248 ", roots, room);
    }
    bool first = roots.empty();
    for (const NoRoots& n : no_roots) {
        caption = listed(caption + (first ? "" : ";") + n.text, n.at, n.after) + n.after;
        first = false;
    }
    append_text(svg, page_margin, 56, caption, "fill=\"" + std::string(muted_colour) + '"');
    svg += '\n';
    append_plot_axes(svg, frame);
    const Curve curve = sample_curve(f, frame);
    append_curve(svg, curve,
                 "class=\"graph\" fill=\"none\" stroke=\"#0072B2\" stroke-width=\"1.8\" "
                 "stroke-linejoin=\"round\"");
    append_clip_marks(svg, curve.marks, "#0072B2");
    if (frame.y_low <= 0 && frame.y_high >= 0) {
        for (const double x : roots) {
            svg += "<circle class=\"vorzeichenwechsel\" cx=\"" + number(frame.px(x)) + "\" cy=\"" +
                   number(frame.py(0)) + "\" r=\"4.5\" fill=\"#fff\" stroke=\"#D55E00\" "
                   "stroke-width=\"2\"/>";
        }
    }
    svg += "\n</svg>\n";
    return svg;
}

}  // namespace konvergenz
