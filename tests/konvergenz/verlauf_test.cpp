// The chart of the methods at work: its geometry checked against runs made here, in the
// page's own coordinates, and the programs drawing it from real logs.
#include "method.hpp"
#include "plot_frame.hpp"
#include "quarlen_log.hpp"
#include "verlauf_chart.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <cstdlib>

namespace konvergenz {
namespace {

namespace fs = std::filesystem;
using test::Records;
using Point = std::pair<double, double>;

// The points of path data's absolute M and L commands (markers go on in relative ones).
std::vector<Point> absolute_points(const std::string& d)
{
    std::vector<Point> points;
    for (std::size_t at = d.find_first_of("ML"); at != std::string::npos;
         at = d.find_first_of("ML", at + 1)) {
        char* end;
        const double x = std::strtod(d.c_str() + at + 1, &end);
        points.emplace_back(x, std::strtod(end, nullptr));
    }
    return points;
}

// The value of each attribute `name`="..." in the text, in order.
std::vector<std::string> values_of(const std::string& text, const std::string& name)
{
    std::vector<std::string> values;
    const std::string key = ' ' + name + "=\"";
    for (std::size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + 1)) {
        const std::size_t start = at + key.size();
        values.push_back(text.substr(start, text.find('"', start) - start));
    }
    return values;
}

// The points of each <path> of the class outside the inset.
std::vector<std::vector<Point>> paths(const std::string& chart, const std::string& kind)
{
    const std::string svg = chart.substr(0, chart.find("<g class=\"zoom\">"));
    std::vector<std::vector<Point>> found;
    for (std::size_t at = svg.find("<path "); at != std::string::npos; at = svg.find("<path ", at + 1)) {
        const std::string element = svg.substr(at, svg.find('>', at) - at);
        if (element.find("class=\"" + kind + '"') == std::string::npos) continue;
        found.push_back(absolute_points(values_of(element, "d").at(0)));
    }
    return found;
}

// Every coordinate the document gives, against its width and height: where one lies outside.
std::string coordinate_outside(const std::string& svg)
{
    const std::string page = svg.substr(svg.find("<svg "), svg.find('>', svg.find("<svg ")));
    const double width = std::stod(values_of(page, "width").at(0));
    const double height = std::stod(values_of(page, "height").at(0));
    for (const char* name : {"x", "x1", "x2", "cx", "y", "y1", "y2", "cy"}) {
        const double limit = name[0] == 'y' || name[1] == 'y' ? height : width;
        for (const std::string& v : values_of(svg, name)) {
            if (!(std::stod(v) >= 0 && std::stod(v) <= limit)) return std::string(name) + '=' + v;
        }
    }
    for (const std::string& d : values_of(svg, "d")) {
        for (const auto& [x, y] : absolute_points(d)) {
            if (!(x >= 0 && x <= width && y >= 0 && y <= height)) return d;
        }
    }
    return "";
}

// Where the iterates' numbers stand in a panel, outside its inset.
std::vector<Point> number_positions(const std::string& panel)
{
    const std::string svg = panel.substr(0, panel.find("<g class=\"zoom\">"));
    std::vector<Point> found;
    for (std::size_t at = svg.find("<g class=\"iterate\">"); at != std::string::npos;
         at = svg.find("<g class=\"iterate\">", at + 1)) {
        const std::string item = svg.substr(at, svg.find("</g>", at) - at);
        const std::size_t text = item.find("<text ");
        if (text == std::string::npos) continue;
        found.emplace_back(std::stod(values_of(item.substr(text), "x").at(0)),
                           std::stod(values_of(item.substr(text), "y").at(0)));
    }
    return found;
}

// A number of the panel whose box a vertical to the graph crosses; "" where none does.
std::string number_struck_through(const std::string& panel)
{
    for (const auto& [x, y] : number_positions(panel)) {
        for (const auto& lot : paths(panel, "lot")) {
            const auto [top, bottom] = std::minmax(lot.front().second, lot.back().second);
            // A digit at size 11: 7 wide, from 9 above its baseline to 1 below.
            if (std::fabs(lot.front().first - x) < 3.5 && top < y + 1 && bottom > y - 9)
                return std::to_string(x) + ' ' + std::to_string(y);
        }
    }
    return "";
}

// A ringed or start point of the panel that its inset (with the strip above it) covers;
// "" where none is.
std::string point_under_inset(const std::string& panel)
{
    const std::size_t zoom = panel.find("<g class=\"zoom\">");
    if (zoom == std::string::npos) return "";
    double left = INFINITY, top = INFINITY, right = -INFINITY, bottom = -INFINITY;
    const std::string inset = panel.substr(zoom);
    for (std::size_t at = inset.find("<rect "); at != std::string::npos; at = inset.find("<rect ", at + 1)) {
        const std::string rect = inset.substr(at, inset.find('>', at) - at);
        const double x = std::stod(values_of(rect, "x").at(0)), y = std::stod(values_of(rect, "y").at(0));
        left = std::min(left, x), top = std::min(top, y);
        right = std::max(right, x + std::stod(values_of(rect, "width").at(0)));
        bottom = std::max(bottom, y + std::stod(values_of(rect, "height").at(0)));
    }
    const std::string main = panel.substr(0, zoom);
    for (std::size_t at = main.find("<circle "); at != std::string::npos; at = main.find("<circle ", at + 1)) {
        const std::string circle = main.substr(at, main.find('>', at) - at);
        const double x = std::stod(values_of(circle, "cx").at(0)), y = std::stod(values_of(circle, "cy").at(0));
        if (x > left - 3 && x < right + 3 && y > top - 3 && y < bottom + 3) return circle;
    }
    return "";
}

// Two numbers of a panel within 12 pixels of each other, which would read as one ("1" and
// "5" as "15"); "" where there are none.
std::string numbers_run_together(const std::string& panel)
{
    const auto numbers = number_positions(panel);
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            if (std::fabs(numbers[i].first - numbers[j].first) < 12 &&
                std::fabs(numbers[i].second - numbers[j].second) < 12)
                return std::to_string(numbers[j].first) + ", " + std::to_string(numbers[i].first);
        }
    }
    return "";
}

// The chart of one run, and the layout it was drawn with: one panel fills the page.
struct Drawn {
    std::string svg;
    PanelLayout layout;
};

Drawn draw(MethodKind kind, std::vector<double> inputs, const Records& records,
           const test::Function& f, const test::Function& df = {})
{
    VerlaufRun run;
    run.start.method = &method_of(kind);
    run.start.inputs = std::move(inputs);
    for (const test::Record& r : records) {
        if (run.start.records.size() < max_drawn_steps + 1)
            run.start.records.push_back({r.step, r.x, r.third_item});
    }
    (method_of(kind).on_g ? run.start.g : run.start.f) = f;
    if (df) run.start.df = df;
    run.steps = records.size();
    return {render_verlauf_svg({run}), lay_out_panel(run, 20, 76, 920)};
}

// Runs made here, independently of konvergenz and quarlen, stopping at quarlen's tolerance.
Records secant_run(const test::Function& f, double x0, double x1)
{
    Records records;
    while (std::fabs(x1 - x0) > test::tolerance && records.size() < 50) {
        records.push_back({std::ssize(records), x1, f(x1)});
        const double x2 = x1 - f(x1) * (x1 - x0) / (f(x1) - f(x0));
        x0 = x1, x1 = x2;
    }
    return records;
}

// Regula falsi, and with `halving` Illinois: FA or FB halved at an end kept twice in a row.
Records chord_run(const test::Function& f, double a, double b, bool halving)
{
    Records records;
    double fa = f(a), fb = f(b);
    int kept = 0;
    for (double x = a; records.size() < 60;) {
        x = b - fb * (b - a) / (fb - fa);
        if (std::fabs(f(x)) <= test::tolerance && !records.empty()) break;
        records.push_back({std::ssize(records), x, f(x)});
        const int now = (f(x) >= 0) == (fa >= 0) ? 1 : -1;
        (now > 0 ? a : b) = x;
        (now > 0 ? fa : fb) = f(x);
        if (halving && now == kept) (kept > 0 ? fb : fa) /= 2;
        kept = now;
    }
    return records;
}

Records steffensen_run(const test::Function& g, double x)
{
    Records records;
    while (std::fabs(g(x) - x) > test::tolerance) {
        const double y = g(x), z = g(y);
        const double next = x - (y - x) * (y - x) / ((z - y) - (y - x));
        records.push_back({std::ssize(records), x, next});
        x = next;
    }
    return records;
}

// Within the drawing's rounding: coordinates are written with one decimal.
constexpr double rounding = 0.051;

double f1(double x) { return x * x * x - 2 * x - 5; }
double df1(double x) { return 3 * x * x - 2; }
double tan_minus_x(double x) { return std::tan(x) - x; }
double g1(double x) { return x + std::exp(-x) - 0.1 / (x + 1); }
double f_readme(double x) { return ((x - 5) * x + 100) * x - 400; }

// The share of the graph's length (sampled along each segment) under the inset and the strip
// above it, and how many of the iterates it does not enlarge it covers, markers and numbers
// with them, and of the ringed and start points.
std::pair<double, std::size_t> hidden_by_inset(const std::string& svg, const PanelLayout& layout)
{
    const PlotFrame& z = *layout.zoom;
    const auto under = [&](double x, double y, double margin) {
        return x > z.left - margin && x < z.right + margin && y > z.top - 16 - margin &&
               y < z.bottom + margin;
    };
    double length = 0, hidden = 0;
    for (const auto& line : paths(svg, "graph")) {
        for (std::size_t i = 0; i + 1 < line.size(); ++i) {
            const auto [x1, y1] = line[i];
            const auto [x2, y2] = line[i + 1];
            const double piece = std::hypot(x2 - x1, y2 - y1) / 20;
            for (int t = 0; t < 20; ++t) {
                length += piece;
                if (under(x1 + (x2 - x1) * (t + 0.5) / 20, y1 + (y2 - y1) * (t + 0.5) / 20, 0)) hidden += piece;
            }
        }
    }
    std::size_t covered = 0;
    for (const DataPoint& p : layout.picture.iterates) {
        const PixelPoint at = layout.frame.at(p.x, p.y);
        if (!(p.x >= z.x_low && p.x <= z.x_high) && under(at.x, at.y, 5)) ++covered;
    }
    for (const auto* ringed : {&layout.picture.marked, &layout.picture.starts}) {
        for (const DataPoint& p : *ringed) {
            const PixelPoint at = layout.frame.at(p.x, p.y);
            if (under(at.x, at.y, 4)) ++covered;
        }
    }
    return {hidden / length, covered};
}


struct GeometryCase {
    const char* name;
    MethodKind kind;
    std::vector<double> inputs;
    Records records;
    test::Function f, df;
    bool zoomed;
    bool clipped;  // a value beyond the y-range, marked at the edge
};

TEST(VerlaufGeometry, ConstructionsMeetTheLoggedIteratesOnTheAxisTheGraphAndTheDiagonal)
{
    const auto e = [](double x) { return std::exp(x) - 2; };
    const auto atan_ = [](double x) { return std::atan(x); };
    const auto reciprocal = [](double x) { return 1 / x - 2; };
    const auto cosine = [](double x) { return std::cos(x); };
    const auto square = [](double x) { return x * x - 2; };
    const auto doubling = [](double x) { return 2 * x + 1; };
    const GeometryCase cases[] = {
        {"Newton, last steps crowded", MethodKind::newton, {3}, test::newton_run(f1, df1, 3), f1,
         df1, true, false},
        // f(x_k) changes sign each step: verticals up and down.
        {"Newton swinging across the root", MethodKind::newton, {1.3},
         test::newton_run(atan_, [](double x) { return 1 / (1 + x * x); }, 1.3), atan_,
         [](double x) { return 1 / (1 + x * x); }, false, false},
        // Off toward -infinity: the first iterates must not vanish into one point.
        {"Newton running off", MethodKind::newton, {1.2},
         test::newton_run(reciprocal, [](double x) { return -1 / (x * x); }, 1.2), reciprocal,
         [](double x) { return -1 / (x * x); }, false, true},
        // f'(0) = 0: step 1 lies at infinity, not drawn nor counted; the tangent is level.
        {"Newton from where f' = 0", MethodKind::newton, {0}, Records{{0, 0, 1}, {1, INFINITY, NAN}},
         cosine, [](double x) { return -std::sin(x); }, false, false},
        {"Newton from far off", MethodKind::newton, {10},
         test::newton_run(e, [](double x) { return std::exp(x); }, 10), e,
         [](double x) { return std::exp(x); }, false, false},
        {"secant", MethodKind::secant, {0, 2}, secant_run(square, 0, 2), square, {}, true, false},
        {"regula falsi", MethodKind::regula_falsi, {0, 2}, chord_run(square, 0, 2, false), square,
         {}, true, false},
        {"Illinois, a value halved", MethodKind::illinois, {0, 3}, chord_run(square, 0, 3, true),
         square, {}, true, false},
        {"bisection of the README's f", MethodKind::bisection, {0, 10},
         test::bisection_run(f_readme, 0, 10, 30), f_readme, {}, true, false},
        {"bisection next to a pole", MethodKind::bisection, {4.6, 5},
         test::bisection_run(tan_minus_x, 4.6, 5, 30), tan_minus_x, {}, true, true},
        {"fixed point", MethodKind::fixed_point, {1}, test::fixed_point_run(cosine, 1), cosine, {},
         false, false},
        {"fixed point diverging", MethodKind::fixed_point, {0},
         Records{{0, 0, 1}, {1, 1, 3}, {2, 3, 7}, {3, 7, 15}, {4, 15, 31}}, doubling, {}, false,
         false},
        {"Steffensen", MethodKind::steffensen, {1}, steffensen_run(cosine, 1), cosine, {}, false,
         false},
        // Padded to x < 0, where e^(-x) would take the y-range to 10^24.
        {"Steffensen running off on the default g", MethodKind::steffensen, {10},
         steffensen_run(g1, 10), g1, {}, false, true},
    };
    for (const GeometryCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Drawn d = draw(c.kind, c.inputs, c.records, c.f, c.df);
        const PlotFrame& frame = d.layout.frame;
        const std::size_t shown = d.layout.picture.shown;
        ASSERT_GE(shown, 1u);
        EXPECT_LE(shown, std::min<std::size_t>(8, c.records.size()));
        EXPECT_NE(d.svg.find(std::to_string(shown) + " von " + std::to_string(c.records.size())),
                  std::string::npos);
        EXPECT_EQ(test::xmllint_errors(d.svg), "");
        EXPECT_EQ(coordinate_outside(d.svg), "");
        EXPECT_EQ(test::count_of(d.svg, "class=\"panel\""), 1u);
        EXPECT_NE(d.svg.find("data-verfahren=\"" + std::string(method_of(c.kind).key) + '"'),
                  std::string::npos);
        EXPECT_EQ(test::count_of(d.svg, "<g class=\"zoom\">"), c.zoomed ? 1u : 0u);
        EXPECT_EQ(numbers_run_together(d.svg), "");
        EXPECT_EQ(number_struck_through(d.svg), "");
        // Clear of the row of tick labels, which hang from 5 pixels below the plot.
        for (const auto& [x, y] : number_positions(d.svg)) EXPECT_LE(y + 1 + 3, frame.bottom + 5) << x;
        // Each step shown moves its point by half a pixel at least: in the panel, or in the
        // inset where it enlarges both ends. A run's very last step may land on its point.
        const auto& iterates = d.layout.picture.iterates;
        const std::size_t moves = iterates.size() - (shown == c.records.size() ? 2 : 1);
        for (std::size_t k = 1; k <= moves; ++k) {
            const double x = iterates[k].x, before = iterates[k - 1].x;
            const auto in_zoom = [&](double v) {
                return d.layout.zoom && v >= d.layout.zoom->x_low && v <= d.layout.zoom->x_high;
            };
            const PlotFrame& scale = in_zoom(x) && in_zoom(before) ? *d.layout.zoom : frame;
            EXPECT_GE(std::fabs(scale.px(x) - scale.px(before)), 0.5) << k;
        }
        ASSERT_EQ(d.layout.zoom.has_value(), c.zoomed);
        if (c.zoomed) {
            // The inset goes where it hides little: not a fifth of the graph, no other iterate.
            const auto [graph, iterates] = hidden_by_inset(d.svg, d.layout);
            EXPECT_LE(graph, 0.2);
            EXPECT_EQ(iterates, 0u);
            // The range of x stands above the inset's plot, not in it.
            const std::string inset = d.svg.substr(d.svg.find("<g class=\"zoom\">"));
            EXPECT_LE(std::stod(values_of(inset.substr(inset.find("<text ")), "y").at(0)) + 3,
                      d.layout.zoom->top);
        }
        EXPECT_EQ(test::count_of(d.svg, "class=\"clipped\"") > 0, c.clipped);
        const auto on_axis = [&](Point p, double x) {
            return std::fabs(p.first - frame.px(x)) <= rounding &&
                   std::fabs(p.second - frame.py(0)) <= rounding;
        };
        // The x where the step leads: the next record's, or one more step of the method.
        const auto next = [&](std::size_t k) {
            if (k + 1 < c.records.size()) return c.records[k + 1].x;
            const test::Record& r = c.records[k];
            return c.kind == MethodKind::newton ? r.x - c.f(r.x) / c.df(r.x) : r.x;
        };

        const auto tangents = paths(d.svg, "tangente");
        EXPECT_EQ(tangents.size(), c.kind == MethodKind::newton ? shown : 0u);
        for (std::size_t k = 0; k < tangents.size(); ++k) {
            if (std::isfinite(next(k))) {
                EXPECT_TRUE(on_axis(tangents[k].back(), next(k))) << k;
                continue;
            }
            // Level at f(x_k), from edge to edge.
            const double level = frame.py(c.records[k].third_item);
            EXPECT_NEAR(tangents[k].front().second, level, rounding);
            EXPECT_NEAR(tangents[k].back().second, level, rounding);
            EXPECT_NEAR(std::fabs(tangents[k].back().first - tangents[k].front().first),
                        frame.right - frame.left, 2 * rounding);
        }
        // A chord or a secant line meets the axis where its step leads: at the point the
        // step logged, or the next.
        const auto crossing = [&](const std::vector<Point>& line, double x) {
            const auto [x1, y1] = line.front();
            const auto [x2, y2] = line.back();
            const double slack = 2 * rounding * (1 + std::fabs((x2 - x1) / (y2 - y1)));
            return std::fabs(x1 + (frame.py(0) - y1) * (x2 - x1) / (y2 - y1) - frame.px(x)) <= slack;
        };
        const auto chords = paths(d.svg, "sehne");
        for (std::size_t k = 0; k < chords.size(); ++k)
            EXPECT_TRUE(crossing(chords[k], c.records[k].x)) << k;
        if (c.kind == MethodKind::secant) {
            const auto lines = paths(d.svg, "sekante");
            ASSERT_EQ(lines.size(), shown);
            for (std::size_t k = 0; k < shown; ++k) EXPECT_TRUE(crossing(lines[k], next(k))) << k;
        }
        if (c.kind == MethodKind::regula_falsi || c.kind == MethodKind::illinois) {
            EXPECT_EQ(chords.size(), shown);
        }
        EXPECT_EQ(test::count_of(d.svg, "class=\"halbiert\"") > 0, c.kind == MethodKind::illinois);

        // Each cobweb corner lies on y = x or on y = g(x); corners cut at the frame on neither.
        for (const char* kind : {"cobweb", "sekante"}) {
            if (!method_of(c.kind).on_g) break;
            for (const auto& line : paths(d.svg, kind)) {
                for (const auto& [px, py] : line) {
                    if (px <= frame.left || px >= frame.right || py <= frame.top || py >= frame.bottom)
                        continue;
                    const double x = frame.x_low + (px - frame.left) / (frame.right - frame.left) *
                                                       (frame.x_high - frame.x_low);
                    const double slack = rounding * (1 + (frame.bottom - frame.top) /
                                                             (frame.right - frame.left) * 3);
                    EXPECT_TRUE(std::fabs(py - frame.py(x)) <= slack ||
                                std::fabs(py - frame.py(c.f(x))) <= slack)
                        << kind << ' ' << px << ' ' << py;
                }
            }
        }
        // Bar k spans the bracket step k started from: bisection's is x_k -+ (b - a) / 2^(k+1);
        // a chord method's keeps, of [a, b], the end whose f has the sign f(x_k) has not.
        if (c.inputs.size() == 2 && c.kind != MethodKind::secant) {
            const std::string main = d.svg.substr(0, d.svg.find("<g class=\"zoom\">"));
            double a = c.inputs[0], b = c.inputs[1];
            std::size_t k = 0;
            for (std::size_t at = main.find("class=\"klammer\""); at != std::string::npos;
                 at = main.find("class=\"klammer\"", at + 1), ++k) {
                const std::string bar = main.substr(at, main.find("/>", at) - at);
                const double half = (c.inputs[1] - c.inputs[0]) / std::pow(2.0, double(k + 1));
                const bool halving = c.kind == MethodKind::bisection;
                const double left = std::stod(values_of(bar, "x").at(0));
                const double right = left + std::stod(values_of(bar, "width").at(0));
                EXPECT_NEAR(left, frame.px(halving ? c.records[k].x - half : a), 2 * rounding) << k;
                EXPECT_NEAR(right, frame.px(halving ? c.records[k].x + half : b), 2 * rounding) << k;
                ((c.f(c.records[k].x) < 0) == (c.f(a) < 0) ? a : b) = c.records[k].x;
            }
            EXPECT_EQ(k, shown);
        }
        // The construction is not squeezed into a strip by values far beyond it: its lines
        // take at least a quarter of the plot's height.
        double top = INFINITY, bottom = -INFINITY;
        for (const char* kind : {"lot", "tangente", "sehne", "sekante", "cobweb"}) {
            for (const auto& line : paths(d.svg, kind)) {
                for (const auto& [px, py] : line) top = std::min(top, py), bottom = std::max(bottom, py);
            }
        }
        if (top <= bottom) {
            EXPECT_GE(bottom - top, (frame.bottom - frame.top) / 4);
        }
    }
}

struct CurveCase {
    const char* name;
    test::Function f;
    double from, to;
    double pole;  // no piece spans it, nor reaches into where f is not finite beyond it
    bool finite_left, finite_right;
    bool marked;
    std::pair<double, double> range{};  // the frame's y-range where not f's own
};

TEST(VerlaufGeometry, NoPieceOfAGraphSpansAPoleOrANonFiniteValueAndWhatIsClippedIsMarked)
{
    const CurveCase cases[] = {
        {"pole of 1/(x - 0.3)", [](double x) { return 1 / (x - 0.3); }, -1, 1, 0.3, true, true, true},
        {"pole exactly on a sample", [](double x) { return 1 / x; }, -1, 1, 0, true, true, true},
        {"log(x), NaN left of 0", [](double x) { return std::log(x); }, -1, 2, 0, false, true, true},
        {"sqrt(x), NaN left of 0", [](double x) { return std::sqrt(x); }, -1, 4, 0, false, true,
         false},
        {"tan(x) - x near 3pi/2", tan_minus_x, 4.6, 5, 3 * std::numbers::pi / 2, true, true, true},
        {"smooth", [](double x) { return x * x - 2; }, -2, 2, 10, true, true, false},
        {"wholly above the frame", [](double x) { return x * x + 10; }, -2, 2, 10, true, true,
         true, {-1, 1}},
    };
    for (const CurveCase& c : cases) {
        SCOPED_TRACE(c.name);
        const auto [low, high] = c.range.second > c.range.first
                                     ? c.range
                                     : value_range(c.f, c.from, c.to, {0, 0});
        const PlotFrame frame{50, 50, 850, 350, c.from, c.to, low, high};
        const Curve curve = sample_curve(c.f, frame);
        ASSERT_EQ(curve.pieces.empty(), c.range.second > c.range.first);
        for (const auto& piece : curve.pieces) {
            const bool left = piece.front().x < frame.px(c.pole);
            for (const PixelPoint& p : piece) {
                EXPECT_EQ(p.x < frame.px(c.pole), left) << p.x;
                EXPECT_TRUE(left ? c.finite_left : c.finite_right) << p.x;
                EXPECT_TRUE(p.x >= frame.left && p.x <= frame.right && p.y >= frame.top &&
                            p.y <= frame.bottom) << p.x << ' ' << p.y;
            }
        }
        EXPECT_EQ(!curve.marks.empty(), c.marked);
        // Every end of a piece cut at the top or bottom has its mark there.
        for (const auto& piece : curve.pieces) {
            for (const PixelPoint& end : {piece.front(), piece.back()}) {
                if (end.y != frame.top && end.y != frame.bottom) continue;
                EXPECT_TRUE(std::any_of(curve.marks.begin(), curve.marks.end(), [&](const ClipMark& m) {
                    return m.at.y == end.y && std::fabs(m.at.x - end.x) < 6;
                })) << end.x << ' ' << end.y;
            }
        }
        for (const ClipMark& m : curve.marks)
            EXPECT_TRUE(m.at.y == frame.top || m.at.y == frame.bottom) << m.at.y;
        // The pole's values do not squeeze the rest into a strip.
        EXPECT_LT(high - low, 1e4);
    }
}

TEST(VerlaufGeometry, TicksAreRoundAndFewWhereverTheRangeLies)
{
    const struct {
        double low, high;
        std::vector<double> ticks;  // empty: only that there are a few
        const char* label;          // of the first tick
    } cases[] = {
        {-0.3, 10.7, {0, 5, 10}, "0"},
        {4.6, 5.0, {4.6, 4.7, 4.8, 4.9, 5.0}, "4,6"},
        {-1e-3, 1e-3, {-1e-3, -5e-4, 0, 5e-4, 1e-3}, "\u22120,0010"},
        // Two doubles apart: low / step is beyond 2^53, where adding 1 changes nothing.
        {1e22, std::nextafter(std::nextafter(1e22, 2e22), 2e22), {}, ""},
        // 5 * 10^23 is 4.9999999999999996e23: to the spacing's digits it is 5.
        {4.9e23, 9.5e23, {}, "5\u00B710\u00B2\u00B3"},
        // Zero as "0", not with the decimals of a fine spacing or in a subnormal range.
        {-1e-13, 5e-12, {0, 2e-12, 4e-12}, "0"},
        {0, 1e-320, {}, "0"},
        // Wider than the largest double: the span halved first.
        {-1.1e308, 1.1e308, {}, "\u22121,0\u00B710\u00B3\u2070\u2078"},
    };
    for (const auto& c : cases) {
        const std::vector<double> ticks = round_ticks(c.low, c.high, 5);
        if (c.ticks.empty()) {
            EXPECT_LE(ticks.size(), 16u) << c.low;
        } else {
            ASSERT_EQ(ticks.size(), c.ticks.size()) << c.low;
            for (std::size_t i = 0; i < ticks.size(); ++i) EXPECT_NEAR(ticks[i], c.ticks[i], 1e-12) << c.low;
        }
        if (*c.label) {
            ASSERT_GE(ticks.size(), 2u) << c.low;
            EXPECT_EQ(tick_label(ticks[0], ticks[1] - ticks[0]), c.label) << c.low;
        }
    }
}

// A folder of logs, made by quarlen or written by hand.
struct SampleFolder {
    const char* name;
    std::vector<std::string> quarlen_args;
    const char* input;
    std::function<void(const fs::path&)> write_logs;  // instead of quarlen
    std::vector<const char*> panels;                  // data-verfahren of each, in order
    std::vector<const char*> texts;
};

TEST(Programs, KonvergenzDrawsTheFirstStepsOfEveryRunInItsFolder)
{
    const std::vector<std::string> all{"-m", "bisektion,regula-falsi,illinois,newton,sekante,fixpunkt,steffensen"};
    const SampleFolder folders[] = {
        {"the README's session", {}, "0\n10\n0\n4\n", {}, {"bisektion", "newton", "fixpunkt"},
         {"8 von 21 Schritten", "4 von 4 Schritten", "8 von 180 Schritten", "<g class=\"zoom\">"}},
        {"the seven methods", all, "0\n10\n0\n0\n10\n0\n", {},
         {"bisektion", "regula_falsi", "illinois", "newton", "sekante", "fixpunkt", "steffensen"},
         {"class=\"tangente\"", "class=\"sehne\"", "class=\"cobweb\"", "class=\"halbiert\""}},
        {"bisection of tan(x) - x closing in on the pole", {"-m", "bisektion", "-f", "tan(x) - x"},
         "4.6\n5\n", {}, {"bisektion"}, {"tan(x) - x (Toleranz nicht erreicht, divergiert)", "class=\"clipped\""}},
        // Two columns: the marks stay whole, the numbers of steps 1 and 5 apart.
        {"bisection and Illinois next to the pole", {"-m", "bisektion,illinois", "-f", "tan(x) - x"},
         "4.6\n5\n", {}, {"bisektion", "illinois"},
         {"(Toleranz nicht erreicht, divergiert)</text>", "<g class=\"zoom\">"}},
        // Steffensen doubles x from 10 until g(x) - x is within the tolerance, far from the
        // fixed point: quarlen and both titles say so.
        {"fixed point and Steffensen on the default g", {"-m", "fixpunkt,steffensen", "-n", "30"},
         "10\n", {}, {"fixpunkt", "steffensen"},
         {"Fixpunktiteration: g(x) = x + e", "Steffensen-Verfahren: g(x) = x + e",
          "(Toleranz nicht erreicht, divergiert)</text>"}},
        // Two columns: g stays whole beside the marks, which take a line of their own.
        {"a diverging fixed point", {"-m", "fixpunkt,steffensen", "-g", "2*x + 1", "-n", "30"},
         "0\n", {}, {"fixpunkt", "steffensen"},
         {"8 von 30 Schritten", ">Fixpunktiteration: g(x) = 2*x + 1</text>",
          ">(Toleranz nicht erreicht, divergiert)</text>"}},
        // The corner the inset hides least in holds the start, high up on g.
        {"a fixed point from high up on g", {"-m", "fixpunkt,steffensen", "-g", "exp(-x)"}, "-1\n",
         {}, {"fixpunkt", "steffensen"}, {"<g class=\"zoom\">"}},
        {"a fixed point running off to infinity", {"-m", "fixpunkt,steffensen", "-g", "x^2 + 1", "-n", "40"},
         "2\n", {}, {"fixpunkt", "steffensen"}, {"3 von 10 Schritten", "8 von 40 Schritten"}},
        // Marks the table gives as a sentence carry words of their own in the title.
        {"a fixed point ending far from its root", {"-m", "fixpunkt"}, "0\n", {}, {"fixpunkt"},
         {"(weit von der Nullstelle)</text>"}},
        {"regula falsi ending with its bracket still wide", {"-m", "regula-falsi", "-f", "x^10 - 1"},
         "0\n1.3\n", {}, {"regula_falsi"}, {"x^10 - 1 (Klammer noch breit)</text>"}},
        {"a run of one step", {"-m", "newton"}, "4.1467235\n", {}, {"newton"},
         {"1 von 1 Schritt gezeigt"}},
        // The start drawn on f, and f around it: log(x) lies far above the axis there.
        {"a run of no step", {"-m", "sekante", "-f", "log(x)"}, "3\n3\n", {}, {"sekante"},
         {"kein Schritt protokolliert", "<circle class=\"start\"", "class=\"graph\""}},
        {"a run of no step where f is nowhere finite", {"-m", "newton", "-f", "exp(x) - 2"},
         "1e300\n", {}, {"newton"}, {"kein Schritt protokolliert; f ist hier an keiner abgetasteten Stelle endlich"}},
        {"a run interrupted", {}, "", [](const fs::path& d) {
             test::write_log(d / "newto_f1.dat", test::start_header(0), {{0, 0, -400}, {1, 4, -16}});
         }, {"newton"}, {"2 von 2 Schritten", "(Toleranz nicht erreicht, weit von der Nullstelle)"}},
        {"a log without a header function", {}, "", [](const fs::path& d) {
             test::write_log(d / "bisec_f1.dat", test::bisection_header(0, 10), {{0, 5, 100}});
             test::write_log(d / "fixpk_f1.dat", "Startwert= 4 oder so\n", {{0, 4, 3.9}, {1, 3.9, 3.85}});
         }, {"bisektion", "fixpunkt"}, {"x\u00B3 \u2212 5x\u00B2", "Funktion unbekannt, nur die Iterierten"}},
    };
    for (const SampleFolder& s : folders) {
        SCOPED_TRACE(s.name);
        const test_support::TempDir dir;
        if (s.write_logs) {
            s.write_logs(dir.path());
        } else {
            test::run_in(dir.path(), QUARLEN_EXE, s.quarlen_args, s.input);
        }
        const auto r = test::run_in(dir.path(), KONVERGENZ_EXE);
        ASSERT_EQ(r.exit_status, 0) << r.err;
        EXPECT_NE(r.out.find("Verlauf: verlauf.svg\n"), std::string::npos) << r.out;
        const std::string svg = test_support::read_file(dir / "verlauf.svg");
        EXPECT_EQ(test::xmllint_errors(svg), "");
        EXPECT_EQ(coordinate_outside(svg), "");
        std::vector<std::string> panels;
        for (const std::string& key : values_of(svg, "data-verfahren")) panels.push_back(key);
        EXPECT_EQ(panels, std::vector<std::string>(s.panels.begin(), s.panels.end()));
        EXPECT_EQ(test::count_of(svg, "class=\"panel\""), s.panels.size());
        for (const char* text : s.texts) EXPECT_NE(svg.find(text), std::string::npos) << text;
        for (std::size_t at = svg.find("class=\"panel\""); at != std::string::npos;
             at = svg.find("class=\"panel\"", at + 1)) {
            const std::string panel = svg.substr(at, svg.find("class=\"panel\"", at + 1) - at);
            EXPECT_EQ(numbers_run_together(panel), "");
            EXPECT_EQ(point_under_inset(panel), "");
        }
    }
}

TEST(Programs, KeinVerlaufAndOutputNameOnlyTheFirstChartAndFunktionDrawsAFormulaAlone)
{
    const test_support::TempDir dir;
    test::run_in(dir.path(), QUARLEN_EXE, {}, "0\n10\n0\n4\n");
    const auto none = test::run_in(dir.path(), KONVERGENZ_EXE, {"--kein-verlauf"});
    EXPECT_EQ(none.exit_status, 0) << none.err;
    EXPECT_FALSE(fs::exists(dir / "verlauf.svg"));
    EXPECT_EQ(none.out.find("Verlauf:"), std::string::npos);
    // -o names the first chart; the second goes beside it, and never over it.
    fs::create_directory(dir / "bilder");
    const auto named = test::run_in(dir.path(), KONVERGENZ_EXE, {"-o", "bilder/vergleich.svg"});
    EXPECT_EQ(named.exit_status, 0) << named.err;
    EXPECT_TRUE(fs::exists(dir / "bilder/verlauf.svg"));
    EXPECT_EQ(test::run_in(dir.path(), KONVERGENZ_EXE, {"-o", "verlauf.svg"}).exit_status, 0);
    EXPECT_NE(test_support::read_file(dir / "verlauf.svg").find("Konvergenz der Verfahren"),
              std::string::npos);

    struct FunctionCase {
        std::vector<std::string> args;
        int status;
        const char* expected;  // in the chart, or on stderr
    };
    const FunctionCase functions[] = {
        {{"--funktion", "x^2 - 2", "--von", "-2", "--bis", "2"}, 0,
         "bei x \u2248 \u22121,41421, 1,41421"},
        // A change across a pole is no root: |f| grows towards it; at 1/x's, f is not finite.
        {{"--funktion=tan(x) - x", "--von=4,6", "--bis=5"}, 0,
         "Vorzeichenwechsel in [4,6; 5] an einer Polstelle bei x \u2248 4,71239 (keine Nullstelle)</text>"},
        {{"--funktion", "1/x", "--von", "-1", "--bis", "1"}, 0,
         "in [\u22121; 1] an einer Polstelle bei x \u2248 0"},
        // Across a place where f is not finite but stays bounded on both sides: a jump, sampled
        // at 0, met by halving at 0.3; at 1 f rises from 0.998 to 1, which is no pole.
        {{"--funktion", "abs(x)/x", "--von", "-1", "--bis", "3"}, 0,
         "Vorzeichenwechsel in [\u22121; 3] an einer Sprungstelle bei x \u2248 0,00000 (keine "
         "Nullstelle)</text>"},
        {{"--funktion", "abs(x-0.3)/(x-0.3)", "--von", "-1", "--bis", "3"}, 0,
         "an einer Sprungstelle bei x \u2248 3,00000\u00B710\u207B\u00B9 (keine Nullstelle)</text>"},
        {{"--funktion", "1/x + abs(x-1)/(x-1) - 1", "--von", "-1", "--bis", "3"}, 0,
         "bei x \u2248 5,00000\u00B710\u207B\u00B9; an einer Polstelle bei x \u2248 0,00000 "
         "(keine Nullstelle); an einer Sprungstelle bei x \u2248 1,00000 (keine Nullstelle)</text>"},
        // The root atan(1000) on a stretch too steep for the frame, the pole pi/2 beside it.
        {{"--funktion", "tan(x) - 1000", "--von", "0", "--bis", "1.6"}, 0,
         "bei x \u2248 1,56980; an einer Polstelle bei x \u2248 1,57080 (keine Nullstelle)"},
        // A zero is a sign change only where f has other signs on either side of it.
        {{"--funktion", "(x-1)^2*(x-3)", "--von", "0", "--bis", "4"}, 0,
         "Vorzeichenwechsel in [0; 4] bei x \u2248 3,00000</text>"},
        {{"--funktion", "0", "--von", "-1", "--bis", "1"}, 0, "kein Vorzeichenwechsel in [\u22121; 1]</text>"},
        // Wider than the doubles reach: sampled and ticked all the same.
        {{"--funktion", "x", "--von", "-1e308", "--bis", "1e308"}, 0,
         "in [\u221210\u00B3\u2070\u2078; 10\u00B3\u2070\u2078] bei x \u2248 "},
        // Nothing to draw, and the caption says why. x^2 + 1 is finite for |x| < 10^154, all
        // between two samples: the caption speaks of those, not of f everywhere.
        {{"--funktion", "sqrt(x)", "--von", "-5", "--bis", "-1"}, 0,
         "f ist in [\u22125; \u22121] an keiner abgetasteten Stelle endlich"},
        {{"--funktion", "x^2 + 1", "--von", "-1e300", "--bis", "1e300"}, 0,
         "f ist in [\u221210\u00B3\u2070\u2070; 10\u00B3\u2070\u2070] an keiner abgetasteten Stelle endlich"},
        {{"--funktion", "x +", "--von", "0", "--bis", "1"}, 2, "Formel für f(x) \"x +\""},
        {{"--funktion", "x", "--von", "1", "--bis", "1"}, 2, "--von muss kleiner sein als --bis"},
        {{"--funktion", "x", "--von", "0"}, 2, "gehören zusammen"},
        {{"--funktion", "x", "--von", "null", "--bis", "1"}, 2, "keine endliche Zahl"},
        // Dozens of sign changes: the first few, and how many more, within the page.
        {{"--funktion", "sin(1/x)", "--von", "-1", "--bis", "1"}, 0, " weitere"},
        // Options for logs and their charts have nothing to do with a formula alone.
        {{"--funktion", "x", "--von", "0", "--bis", "1", "-d", "/nonexist"}, 2,
         "-d gilt nur für Protokolle, nicht mit --funktion"},
        {{"--funktion", "x", "--von", "0", "--bis", "1", "--csv"}, 2, "--csv gilt nur"},
        {{"--kein-diagramm", "--funktion", "x", "--von", "0", "--bis", "1"}, 2,
         "--kein-diagramm gilt nur"},
        {{"--funktion", "x", "--von", "0", "--bis", "1", "--kein-verlauf"}, 2, "--kein-verlauf gilt nur"},
    };
    for (const FunctionCase& c : functions) {
        SCOPED_TRACE(c.args[0] + ' ' + c.args[1]);
        const test_support::TempDir here;
        const auto r = test::run_in(here.path(), KONVERGENZ_EXE, c.args);
        EXPECT_EQ(r.exit_status, c.status) << r.err;
        if (c.status != 0) {
            EXPECT_TRUE(r.err.starts_with("konvergenz: ")) << r.err;
            EXPECT_NE(r.err.find(c.expected), std::string::npos) << r.err;
            EXPECT_FALSE(fs::exists(here / "funktion.svg"));
            continue;
        }
        EXPECT_EQ(r.out, "Diagramm: funktion.svg\n");
        const std::string svg = test_support::read_file(here / "funktion.svg");
        EXPECT_EQ(test::xmllint_errors(svg), "");
        EXPECT_EQ(coordinate_outside(svg), "");
        EXPECT_NE(svg.find(c.expected), std::string::npos);
    }
}

}  // namespace
}  // namespace konvergenz
