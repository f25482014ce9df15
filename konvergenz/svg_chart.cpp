#include "svg_chart.hpp"

#include "chart_axes.hpp"
#include "error_estimate.hpp"
#include "number_format.hpp"
#include "runtime/elementary/correctly_rounded.hpp"
#include "runtime/record.hpp"
#include "svg_drawing.hpp"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <optional>
#include <span>

namespace konvergenz {

// Our own functions, correctly rounded, so that the printed values are the same on every
// machine.
namespace cr = runtime::correctly_rounded;

namespace {

// Page and plot area in SVG user units (pixels at 100 %).
constexpr double page_width = 960;
constexpr double page_height = 620;
constexpr double plot_left = 90;
constexpr double plot_right = page_width - 96;  // room for the tolerance label
constexpr double plot_top = 116;
constexpr double plot_bottom = page_height - 66;
constexpr double legend_baseline = 82;
constexpr double legend_row_height = 20;  // further rows push the plot down by this much
constexpr double caption_baseline = plot_top - 8;

// Data keeps this distance from the left and right edges, so that markers of
// the first and last step do not sit on the frame.
constexpr double plot_inset = 8;

// When one series runs this many times longer than all others (the
// fixed-point iteration from a far start), the others would be squeezed
// into a sliver at k = 0; a second, narrower panel then shows their steps.
// At 12 the fixed-point iteration's 302 steps from 0 beside six methods of at
// most 21 steps get one; its 180 steps from 4 beside bisection's 21 do not.
constexpr long long zoom_ratio = 12;
constexpr double zoom_share = 0.28;  // of the plot width
constexpr double panel_gap = 30;

// Series with few points get a marker on each, so that Newton's four steps
// are seen as steps; long series are plain lines.
constexpr std::size_t max_points_with_markers = 60;

constexpr std::string_view zero_note = "|f| = 0 am unteren Rand";

// "|f(x_k)|" with a lowered k.
constexpr std::string_view residual_symbol =
    "|f(x<tspan dy=\"0.3em\" font-size=\"75%\">k</tspan><tspan dy=\"-0.3em\">)|</tspan>";

// A plot frame with its own step axis; all panels share the decade axis.
struct Panel {
    double left;
    double right;
    StepAxis steps;
    std::string caption;  // empty when there is only one panel
};

struct Chart {
    std::vector<Panel> panels;
    DecadeAxis decades;
    bool has_zero = false;

    static double to_x(const Panel& panel, long long step)
    {
        const double fraction = static_cast<double>(step - panel.steps.first) /
                                static_cast<double>(panel.steps.last - panel.steps.first);
        return panel.left + plot_inset + fraction * (panel.right - panel.left - 2 * plot_inset);
    }

    // Zero, and anything below the axis, sits on the bottom edge.
    double to_y(double value) const
    {
        if (!(value > 0.0)) return plot_bottom;
        const double fraction = (cr::log10(value) - decades.lowest) /
                                static_cast<double>(decades.highest - decades.lowest);
        return plot_bottom - std::clamp(fraction, 0.0, 1.0) * (plot_bottom - plot_top);
    }

    double decade_y(int exponent) const { return to_y(cr::pow(10.0, exponent)); }
    bool labelled(int exponent) const { return exponent % decades.label_stride == 0; }
};

// The estimated error is marked where the stopping test misleads: the series
// ended below its tolerance line, but its last iterate is far from the root.
bool marks_error(const ChartSeries& s, double chart_tolerance)
{
    return !s.tolerance_unknown &&
           far_beyond_tolerance(s.estimated_error, s.tolerance.value_or(chart_tolerance));
}

// The tolerances of the series' runs, each once, in ascending order; the chart's where
// there is no series.
std::vector<double> tolerances_of(const std::vector<ChartSeries>& series, double chart_tolerance)
{
    if (series.empty()) return {chart_tolerance};
    std::vector<double> tolerances;
    for (const ChartSeries& s : series) {
        if (!s.tolerance_unknown) tolerances.push_back(s.tolerance.value_or(chart_tolerance));
    }
    std::sort(tolerances.begin(), tolerances.end());
    tolerances.erase(std::unique(tolerances.begin(), tolerances.end()), tolerances.end());
    return tolerances;
}

// The axis encloses the values and the tolerances, never an estimated error: one mark
// far off would squeeze every series into a strip.
Chart lay_out(const std::vector<ChartSeries>& series, const std::vector<double>& tolerances,
              double chart_tolerance)
{
    std::optional<long long> min_step;
    // The smallest tolerance gets a decade to spare around it; the others count as values.
    std::optional<double> smallest_positive, largest;
    for (std::size_t i = 1; i < tolerances.size(); ++i) {
        smallest_positive = std::min(smallest_positive.value_or(tolerances[i]), tolerances[i]);
        largest = std::max(largest.value_or(tolerances[i]), tolerances[i]);
    }
    std::vector<long long> last_steps;
    Chart chart;
    for (const ChartSeries& s : series) {
        if (s.points.empty()) continue;
        last_steps.push_back(s.points.back().step);
        for (const ChartPoint& p : s.points) {
            min_step = std::min(min_step.value_or(p.step), p.step);
            if (p.value > 0.0) {
                smallest_positive = std::min(smallest_positive.value_or(p.value), p.value);
                largest = std::max(largest.value_or(p.value), p.value);
            } else {
                chart.has_zero = true;
            }
        }
    }
    chart.decades =
        make_decade_axis(smallest_positive, largest,
                         tolerances.empty() ? chart_tolerance : tolerances.front(), chart.has_zero);

    std::sort(last_steps.begin(), last_steps.end(), std::greater<>());
    const long long first = min_step.value_or(0);
    const long long last = last_steps.empty() ? 1 : last_steps[0];
    const bool zoom = last_steps.size() >= 2 && last_steps[1] >= 0 &&
                      last - first > zoom_ratio * (last_steps[1] - first + 1);
    if (!zoom) {
        chart.panels.push_back({plot_left, plot_right, make_step_axis(first, last), ""});
        return chart;
    }
    const double zoom_right = plot_left + zoom_share * (plot_right - plot_left);
    const StepAxis head = make_step_axis(first, last_steps[1]);
    chart.panels.push_back(
        {plot_left, zoom_right, head,
         "Schritt " + group_digits(head.first) + std::string(en_dash) + group_digits(head.last)});
    chart.panels.push_back(
        {zoom_right + panel_gap, plot_right, make_step_axis(first, last), "alle Schritte"});
    return chart;
}

void append_frame_and_grid(std::string& svg, const Chart& chart, const Panel& panel)
{
    svg += "<g stroke=\"" + std::string(grid_colour) + "\" stroke-width=\"1\">";
    for (int e = chart.decades.lowest; e <= chart.decades.highest; ++e) {
        if (chart.labelled(e))
            append_line(svg, panel.left, chart.decade_y(e), panel.right, chart.decade_y(e));
    }
    for (long long k = panel.steps.first; k <= panel.steps.last; k += panel.steps.tick_step) {
        append_line(svg, Chart::to_x(panel, k), plot_top, Chart::to_x(panel, k), plot_bottom);
    }
    svg += "</g>\n<rect x=\"" + number(panel.left) + "\" y=\"" + number(plot_top) + "\" width=\"" +
           number(panel.right - panel.left) + "\" height=\"" + number(plot_bottom - plot_top) +
           "\" fill=\"none\" stroke=\"#999\" stroke-width=\"1\"/>\n";
    if (!panel.caption.empty()) {
        append_text(svg, panel.left, caption_baseline, panel.caption,
                    "font-size=\"12\" fill=\"" + std::string(muted_colour) + '"');
        svg += '\n';
    }
}

// Ticks on every panel's left edge, labels and the axis title only on the first.
void append_y_axis(std::string& svg, const Chart& chart)
{
    const DecadeAxis& d = chart.decades;
    // Minor ticks at 2..9 times a decade where there is room, a tick at every
    // decade unless they would crowd into a solid bar.
    const bool minor_ticks = d.label_stride == 1 && d.highest - d.lowest <= 12;
    const bool decade_ticks = d.highest - d.lowest <= 60;
    svg += "<g stroke=\"#333\" stroke-width=\"1\">";
    for (const Panel& panel : chart.panels) {
        for (int e = d.lowest; e <= d.highest; ++e) {
            const double y = chart.decade_y(e);
            if (chart.labelled(e)) {
                append_line(svg, panel.left - 6, y, panel.left, y);
            } else if (decade_ticks) {
                append_line(svg, panel.left - 3, y, panel.left, y);
            }
            if (!minor_ticks || e == d.highest) continue;
            for (int m = 2; m <= 9; ++m) {
                const double ym = chart.to_y(m * cr::pow(10.0, e));
                append_line(svg, panel.left - 3, ym, panel.left, ym);
            }
        }
    }
    svg += "</g>\n<g text-anchor=\"end\" fill=\"" + std::string(text_colour) + "\">";
    for (int e = d.lowest; e <= d.highest; ++e) {
        if (chart.labelled(e))
            append_text(svg, plot_left - 10, chart.decade_y(e) + 5, power_of_ten(e));
    }
    svg += "</g>\n<text transform=\"translate(24 " + number((plot_top + plot_bottom) / 2) +
           ") rotate(-90)\" text-anchor=\"middle\" font-size=\"14\" fill=\"" +
           std::string(text_colour) + "\">" + std::string(residual_symbol) + "</text>\n";
}

void append_x_axis(std::string& svg, const Chart& chart)
{
    svg += "<g stroke=\"#333\" stroke-width=\"1\">";
    for (const Panel& panel : chart.panels) {
        for (long long k = panel.steps.first; k <= panel.steps.last; k += panel.steps.tick_step) {
            append_line(svg, Chart::to_x(panel, k), plot_bottom, Chart::to_x(panel, k),
                        plot_bottom + 6);
        }
    }
    svg += "</g>\n<g text-anchor=\"middle\" fill=\"" + std::string(text_colour) + "\">";
    for (const Panel& panel : chart.panels) {
        for (long long k = panel.steps.first; k <= panel.steps.last; k += panel.steps.tick_step) {
            append_text(svg, Chart::to_x(panel, k), plot_bottom + 22, group_digits(k));
        }
    }
    svg += "</g>\n";
    append_text(svg, (plot_left + plot_right) / 2, page_height - 16, "Schritt k",
                "text-anchor=\"middle\" font-size=\"14\" fill=\"" + std::string(text_colour) + '"');
    svg += '\n';
}

// Drawn over the series, so that one running along it does not hide it.
void append_tolerance(std::string& svg, const Chart& chart, double tolerance)
{
    const double y = chart.to_y(tolerance);
    svg += "<g class=\"tolerance\" stroke=\"#444\" stroke-width=\"1.2\" stroke-dasharray=\"6 4\">";
    for (const Panel& panel : chart.panels) append_line(svg, panel.left, y, panel.right, y);
    svg += "</g>\n";

    const int exponent = static_cast<int>(std::lround(cr::log10(tolerance)));
    const std::string value = cr::pow(10.0, exponent) == tolerance ? power_of_ten(exponent)
                                                                   : runtime::shortest(tolerance);
    svg += "<g fill=\"#444\" font-size=\"12\">";
    append_text(svg, plot_right + 8, y - 3, "Toleranz");
    append_text(svg, plot_right + 8, y + 13, value);
    svg += "</g>\n";
}

// The points a panel needs: those in its step range and the first one past
// it, so that the line runs on to the edge, where the clip path cuts it.
std::span<const ChartPoint> points_for(const Panel& panel, const std::vector<ChartPoint>& points)
{
    const auto past =
        std::upper_bound(points.begin(), points.end(), panel.steps.last,
                         [](long long step, const ChartPoint& p) { return step < p.step; });
    const auto end = past == points.end() ? past : past + 1;
    return {points.data(), static_cast<std::size_t>(end - points.begin())};
}

// The attribute that dashes a series' line, if it has dashes.
std::string dash_attribute(const ChartSeries& s)
{
    return s.dashes.empty() ? "" : " stroke-dasharray=\"" + std::string(s.dashes) + '"';
}

void append_series(std::string& svg, const Chart& chart, const Panel& panel, const ChartSeries& s)
{
    const auto points = points_for(panel, s.points);
    if (points.empty()) return;
    svg += "<g class=\"series\" data-label=\"" + std::string(s.label) + "\">";
    svg += "<polyline fill=\"none\" stroke=\"" + std::string(s.colour) +
           "\" stroke-width=\"1.8\" stroke-linejoin=\"round\"" + dash_attribute(s) + " points=\"";
    for (const ChartPoint& p : points) {
        svg += number(Chart::to_x(panel, p.step)) + ',' + number(chart.to_y(p.value)) + ' ';
    }
    svg.back() = '"';
    svg += "/>";
    // Markers only where the steps are spread out; in the full panel beside
    // a zoomed one, the short series are a vertical sliver without them.
    const double spread = Chart::to_x(panel, std::min(points.back().step, panel.steps.last)) -
                          Chart::to_x(panel, points.front().step);
    const bool markers =
        s.points.size() <= max_points_with_markers &&
        (points.size() == 1 || spread >= 2.0 * static_cast<double>(points.size() - 1));
    if (markers) {
        for (const ChartPoint& p : points) {
            if (p.step > panel.steps.last) break;
            append_marker(svg, s.marker, Chart::to_x(panel, p.step), chart.to_y(p.value), s.colour);
        }
    }
    svg += "</g>\n";
}

// Each panel clips its lines to its frame, leaving room for markers on the edges.
void append_panel_series(std::string& svg, const Chart& chart,
                         const std::vector<ChartSeries>& series)
{
    // Longest series first, so that short ones (Newton) stay visible on top.
    std::vector<std::size_t> drawing_order(series.size());
    std::iota(drawing_order.begin(), drawing_order.end(), std::size_t{0});
    std::stable_sort(drawing_order.begin(), drawing_order.end(), [&](std::size_t a, std::size_t b) {
        return series[a].points.size() > series[b].points.size();
    });

    for (std::size_t i = 0; i < chart.panels.size(); ++i) {
        const Panel& panel = chart.panels[i];
        const std::string id = "panel-" + std::to_string(i);
        svg += "<clipPath id=\"" + id + "\"><rect x=\"" + number(panel.left) + "\" y=\"" +
               number(plot_top - 6) + "\" width=\"" + number(panel.right - panel.left) +
               "\" height=\"" + number(plot_bottom - plot_top + 12) + "\"/></clipPath>\n";
        svg += "<g clip-path=\"url(#" + id + ")\">\n";
        for (const std::size_t s : drawing_order) append_series(svg, chart, panel, series[s]);
        svg += "</g>\n";
    }
}

constexpr double legend_font_size = 13;

// "Bisektion, a = 0, b = 10"
std::string legend_label(const ChartSeries& s)
{
    std::string label(s.label);
    for (const NamedValue& input : s.inputs) {
        label += ", ";
        // x with subscript 0 or 1
        label += input.name == "x0"   ? "x\xE2\x82\x80"
                 : input.name == "x1" ? "x\xE2\x82\x81"
                                      : std::string(input.name);
        label += " = " + german_real(input.value);
    }
    std::string notes = s.points.empty() && !s.has_records ? "keine Werte" : "";
    if (!notes.empty() && !s.notes.empty()) notes += ", ";
    notes += s.notes;
    if (!notes.empty()) label += " (" + notes + ')';
    return label;
}

// Where each legend entry goes: entries run left to right and wrap onto a
// further row rather than past the page's edge.
struct LegendLayout {
    std::vector<std::pair<double, int>> entries;  // x, row; the series, then the note on zeros
    int rows = 1;
};

LegendLayout lay_out_legend(const std::vector<std::string>& labels, bool has_zero)
{
    constexpr double right_edge = page_width - 16;
    LegendLayout layout;
    double x = plot_left;
    const auto place = [&](double width) {
        if (x > plot_left && x + width > right_edge) {
            x = plot_left;
            ++layout.rows;
        }
        layout.entries.emplace_back(x, layout.rows - 1);
        x += width + 28;
    };
    for (const std::string& label : labels) place(36 + estimated_width(label, legend_font_size));
    if (has_zero) place(estimated_width(zero_note, legend_font_size));
    return layout;
}

// top: the first row's baseline.
void append_legend(std::string& svg, const std::vector<ChartSeries>& series,
                   const std::vector<std::string>& labels, const LegendLayout& layout, double top)
{
    svg += "<g class=\"legend\" fill=\"" + std::string(text_colour) + "\">";
    for (std::size_t i = 0; i < series.size(); ++i) {
        const ChartSeries& s = series[i];
        const auto [x, row] = layout.entries[i];
        const double baseline = top + row * legend_row_height;
        const double y = baseline - 4.5;  // middle of the text
        svg += "<g stroke=\"" + std::string(s.colour) + "\" stroke-width=\"2.2\"" +
               dash_attribute(s) + ">";
        append_line(svg, x, y, x + 28, y);
        svg += "</g>";
        if (s.points.size() <= max_points_with_markers)
            append_marker(svg, s.marker, x + 14, y, s.colour);
        append_text(svg, x + 36, baseline, labels[i]);
    }
    if (layout.entries.size() > series.size()) {
        const auto [x, row] = layout.entries.back();
        append_text(svg, x, top + row * legend_row_height, zero_note,
                    "fill=\"" + std::string(muted_colour) + '"');
    }
    svg += "</g>\n";
}

// At the series' last step: a dotted line from its last |f| to the estimated
// error of that iterate, a bar across there (no record is drawn so), and the figure
// beside it. An error beyond the axis is drawn at its edge, with an arrow pointing
// out.
void append_error_marks(std::string& svg, const Chart& chart,
                        const std::vector<ChartSeries>& series, double chart_tolerance)
{
    constexpr double font_size = 12;
    struct Label {
        double left, right, baseline;
    };
    std::vector<Label> placed;
    for (const ChartSeries& s : series) {
        if (!marks_error(s, chart_tolerance)) continue;
        const ChartPoint* last = s.points.empty() ? nullptr : &s.points.back();
        const long long step = last ? last->step : 0;
        // The first panel that shows the last step: the zoomed one for a short
        // series. The last panel shows every step.
        const auto panel = std::find_if(chart.panels.begin(), std::prev(chart.panels.end()),
                                        [&](const Panel& p) { return step <= p.steps.last; });
        const double x = Chart::to_x(*panel, step);
        const double error = *s.estimated_error;
        const double y = chart.to_y(error);
        const int beyond = error > cr::pow(10.0, chart.decades.highest)  ? 1
                           : error < cr::pow(10.0, chart.decades.lowest) ? -1
                                                                         : 0;
        const std::string colour(s.colour);
        svg += "<g class=\"error-mark\" stroke=\"" + colour + "\" fill=\"none\">";
        if (last) {
            svg += "<g stroke-width=\"1.2\" stroke-dasharray=\"2 3\">";
            append_line(svg, x, chart.to_y(last->value), x, y);
            svg += "</g>";
        }
        if (beyond == 0) {
            svg += "<line class=\"estimate\" x1=\"" + number(x - 7) + "\" y1=\"" + number(y) +
                   "\" x2=\"" + number(x + 7) + "\" y2=\"" + number(y) +
                   "\" stroke-width=\"2.4\"/>";
        } else {
            const double back = beyond > 0 ? 9 : -9;  // from the tip into the plot
            const std::string tip = "M" + number(x) + ' ' + number(y);
            svg += "<path class=\"beyond-axis\" d=\"" + tip + "l-5 " + number(back) + tip + "l5 " +
                   number(back) + tip + "v" + number(2 * back) +
                   "\" stroke-width=\"2\" stroke-linecap=\"round\"/>";
        }
        const std::string label =
            (s.error_is_bound ? "Klammerbreite " : "gesch\xC3\xA4tzter Fehler ") +
            german_real(error, 2);
        const double width = estimated_width(label, font_size);
        const bool room_on_left = x - 12 - width >= panel->left + 4;
        const double left = room_on_left ? x - 12 - width : x + 12;
        // Beside the bar, or just inside the edge beside the arrow; moved further in while
        // it would cover the label of another series' mark nearby.
        double baseline = beyond > 0 ? y + 14 : beyond < 0 ? y - 6 : y + 4;
        const double line_step = beyond < 0 ? -(font_size + 2) : font_size + 2;
        const auto covers = [&](const Label& other) {
            return left < other.right && other.left < left + width &&
                   std::fabs(baseline - other.baseline) < font_size + 2;
        };
        while (std::any_of(placed.begin(), placed.end(), covers)) baseline += line_step;
        placed.push_back({left, left + width, baseline});
        append_text(svg, room_on_left ? x - 12 : x + 12, baseline, label,
                    "stroke=\"none\" fill=\"" + colour + "\" font-size=\"" + number(font_size) +
                        "\" text-anchor=\"" + (room_on_left ? "end" : "start") + '"');
        svg += "</g>\n";
    }
}

constexpr double subtitle_baseline = 56;
constexpr double subtitle_line_height = 20;

// A piece of the subtitle: as drawn, and as plain text to size it.
struct SubtitlePiece {
    std::string markup;
    std::string plain;
};

SubtitlePiece plain_piece(std::string_view text) { return {xml_escaped(text), std::string(text)}; }

// The subtitle's lines: its pieces separated by "; ", a piece that would run past the
// page's edge put on a further line, and one too long for any line cut short with "…".
std::vector<std::string> subtitle_lines(const std::vector<SubtitlePiece>& pieces)
{
    constexpr double room = page_width - 16 - plot_left;
    constexpr double font_size = 13;
    std::vector<std::string> lines;
    std::string plain;
    for (const SubtitlePiece& piece : pieces) {
        const std::string joined = plain.empty() ? piece.plain : plain + "; " + piece.plain;
        if (!lines.empty() && !plain.empty() && estimated_width(joined, font_size) <= room) {
            lines.back() += "; " + piece.markup;
            plain = joined;
            continue;
        }
        plain = piece.plain;
        std::string markup = piece.markup;
        if (estimated_width(plain, font_size) > room) {
            plain = cut_to_width(plain, font_size, room);
            markup = xml_escaped(plain);
        }
        lines.push_back(markup);
    }
    return lines;
}

}  // namespace

std::string render_chart_svg(const std::vector<ChartSeries>& series, double tolerance)
{
    const std::vector<double> tolerances = tolerances_of(series, tolerance);
    const Chart chart = lay_out(series, tolerances, tolerance);
    std::vector<std::string> labels;
    for (const ChartSeries& s : series) labels.push_back(legend_label(s));
    const LegendLayout legend = lay_out_legend(labels, chart.has_zero);

    std::vector<SubtitlePiece> pieces{
        {"Betrag des Funktionswerts " + std::string(residual_symbol) +
             " je Schritt k, logarithmisch",
         "Betrag des Funktionswerts |f(xk)| je Schritt k, logarithmisch"}};
    const auto add = [&pieces](std::string_view text) {
        const bool said = std::any_of(pieces.begin(), pieces.end(),
                                      [&](const SubtitlePiece& p) { return p.plain == text; });
        if (!text.empty() && !said) pieces.push_back(plain_piece(text));
    };
    for (const ChartSeries& s : series) {
        for (const std::string& function : s.functions) add(function);
    }
    for (const ChartSeries& s : series) add(s.plotted_as);
    const std::vector<std::string> subtitle = subtitle_lines(pieces);

    // Lines of the subtitle and rows of the legend beyond the first push everything below
    // them down.
    const double subtitle_shift = static_cast<double>(subtitle.size() - 1) * subtitle_line_height;
    const double shift = subtitle_shift + (legend.rows - 1) * legend_row_height;
    const double height = page_height + shift;

    std::string svg;
    svg.reserve(8192 + 32 * 2100 * series.size());
    append_document_start(svg, page_width, height,
                          "Konvergenz der Verfahren: |f(x_k)| je Schritt");
    append_heading(svg, plot_left, 34, "Konvergenz der Verfahren");
    for (std::size_t i = 0; i < subtitle.size(); ++i) {
        append_text(svg, plot_left,
                    subtitle_baseline + static_cast<double>(i) * subtitle_line_height, subtitle[i],
                    "fill=\"" + std::string(muted_colour) + '"');
    }
    svg += '\n';

    if (shift > 0) svg += "<g transform=\"translate(0 " + number(shift) + ")\">\n";
    for (const Panel& panel : chart.panels) append_frame_and_grid(svg, chart, panel);
    append_panel_series(svg, chart, series);
    for (const double t : tolerances) append_tolerance(svg, chart, t);
    append_error_marks(svg, chart, series, tolerance);
    append_y_axis(svg, chart);
    append_x_axis(svg, chart);
    if (shift > 0) svg += "</g>\n";
    append_legend(svg, series, labels, legend, legend_baseline + subtitle_shift);
    svg += "</svg>\n";
    return svg;
}

}  // namespace konvergenz
