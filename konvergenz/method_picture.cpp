#include "method_picture.hpp"

#include "rootfinding/sign.hpp"
#include "rootfinding/stopping_tests.hpp"

#include <algorithm>
#include <cmath>

namespace konvergenz {
namespace {

// The iterate each record's step leads to: the next record's x, or past the last
// record the step made again with the run's functions.
std::optional<double> next_iterate(const RunStart& run, std::size_t k, double previous_x)
{
    const LogRecord& r = run.records[k];
    switch (run.method->kind) {
    case MethodKind::fixed_point:
    case MethodKind::steffensen:
        return r.third_item;
    default:
        break;
    }
    if (k + 1 < run.records.size()) return run.records[k + 1].x;
    if (run.method->kind == MethodKind::newton && run.df) {
        return METHODS::NEWTON_STEP(r.x, r.third_item, (*run.df)(r.x));
    }
    if (run.method->kind == MethodKind::secant && run.f) {
        return METHODS::SECANT_STEP(previous_x, (*run.f)(previous_x), r.x, r.third_item);
    }
    return std::nullopt;
}

// Regula falsi and Illinois: the chord of each step between the ends it kept, with their
// values as the method holds them (Illinois halves the value of an end kept twice).
void add_chords(const RunStart& run, std::size_t steps, MethodPicture& p)
{
    if (run.inputs.size() < 2 || !run.f) return;
    double a = run.inputs[0], b = run.inputs[1];
    double fa = (*run.f)(a), fb = (*run.f)(b);
    int kept = 0;  // the end the last step kept: -1 a, +1 b
    const bool illinois = run.method->kind == MethodKind::illinois;
    for (std::size_t k = 0; k < steps; ++k) {
        const LogRecord& r = run.records[k];
        p.lines.push_back({{a, fa}, {b, fb}, "sehne"});
        p.brackets.push_back({a, b});
        int now_kept;
        if (METHODS::SIGN(r.third_item) == METHODS::SIGN(fa)) {
            a = r.x, fa = r.third_item, now_kept = 1;
        } else {
            b = r.x, fb = r.third_item, now_kept = -1;
        }
        if (illinois && now_kept == kept && k + 1 < steps) {
            double& halved = kept > 0 ? fb : fa;
            halved /= 2;
            p.marked.push_back({kept > 0 ? b : a, halved});
            p.marked_kinds.push_back("halbiert");
        }
        kept = now_kept;
    }
}

// Bisection: the bracket of each step, halved toward the end where F changes sign.
void add_halvings(const RunStart& run, std::size_t steps, MethodPicture& p)
{
    if (run.inputs.size() < 2 || !run.f) return;
    double a = run.inputs[0], b = run.inputs[1];
    double fa = (*run.f)(a);
    for (std::size_t k = 0; k < steps; ++k) {
        const LogRecord& r = run.records[k];
        p.brackets.push_back({a, b});
        if (METHODS::SIGN(r.third_item) == METHODS::SIGN(fa)) {
            a = r.x, fa = r.third_item;
        } else {
            b = r.x;
        }
    }
}

}  // namespace

MethodPicture picture_of(const RunStart& run, std::size_t steps)
{
    MethodPicture p;
    // A record whose iterate is not finite (Newton's step from where f' = 0) has no point
    // to draw: the steps drawn end before it.
    const std::size_t end = std::min(steps, run.records.size());
    while (p.shown < end && std::isfinite(run.records[p.shown].x)) ++p.shown;
    const MethodKind kind = run.method->kind;
    const bool on_g = run.method->on_g;
    // Drawn even where no step was made, so that such a run shows where it stood.
    if (const auto& fn = on_g ? run.g : run.f) {
        for (const double x : run.inputs) p.starts.push_back({x, (*fn)(x)});
    }
    double previous_x = run.inputs.empty() ? 0.0 : run.inputs.front();
    for (std::size_t k = 0; k < p.shown; ++k) {
        const LogRecord& r = run.records[k];
        const double x = r.x;
        p.iterates.push_back({x, on_g ? x : 0.0});
        p.numbers.push_back(r.step);
        const std::optional<double> next = next_iterate(run, k, previous_x);
        const bool last = k + 1 == p.shown;
        if (kind == MethodKind::newton && next) {
            p.lines.push_back({{x, 0.0}, {x, r.third_item}, "lot"});
            // Where f' = 0 the tangent is level and meets the axis nowhere: it runs on at f(x).
            const double meets = std::isinf(*next) ? r.third_item : 0.0;
            p.lines.push_back({{x, r.third_item}, {*next, meets}, "tangente"});
        } else if (kind == MethodKind::secant && next && run.f) {
            // One line through both points and on to the axis, from end to end.
            std::vector<DataPoint> on_line{{previous_x, (*run.f)(previous_x)}, {x, r.third_item},
                                           {*next, 0.0}};
            const auto [lo, hi] = std::minmax_element(
                on_line.begin(), on_line.end(),
                [](const DataPoint& u, const DataPoint& v) { return u.x < v.x; });
            p.lines.push_back({*lo, *hi, "sekante"});
        } else if (kind == MethodKind::fixed_point) {
            p.lines.push_back({{x, x}, {x, r.third_item}, "cobweb"});
            p.lines.push_back({{x, r.third_item}, {r.third_item, r.third_item}, "cobweb"});
        } else if (kind == MethodKind::steffensen && run.g) {
            const double y = (*run.g)(x), z = (*run.g)(y);
            p.lines.push_back({{x, x}, {x, y}, "cobweb"});
            p.lines.push_back({{x, y}, {y, y}, "cobweb"});
            p.lines.push_back({{y, y}, {y, z}, "cobweb"});
            p.lines.push_back({{x, y}, {r.third_item, r.third_item}, "sekante"});
            p.marked.push_back({x, y});
            p.marked_kinds.push_back("y");
            p.marked.push_back({y, z});
            p.marked_kinds.push_back("z");
        }
        // The point the last step leads to, numbered as the step after it.
        if (last && next && kind != MethodKind::bisection && kind != MethodKind::regula_falsi &&
            kind != MethodKind::illinois) {
            p.iterates.push_back({*next, on_g ? *next : 0.0});
            p.numbers.push_back(r.step + 1);
        }
        previous_x = x;
    }
    if (kind == MethodKind::bisection) add_halvings(run, p.shown, p);
    if (kind == MethodKind::regula_falsi || kind == MethodKind::illinois)
        add_chords(run, p.shown, p);
    return p;
}

std::pair<double, double> x_range(const RunStart& run, const MethodPicture& picture)
{
    const bool bracketing = run.method->inputs == HeaderInputs::interval;
    if (bracketing && run.inputs.size() == 2 && run.inputs[0] != run.inputs[1]) {
        const auto [a, b] = std::minmax(run.inputs[0], run.inputs[1]);
        return proper_range(a, b);
    }
    std::vector<double> xs;
    for (const DataPoint& p : picture.iterates) xs.push_back(p.x);
    for (const DataLine& l : picture.lines) {
        xs.push_back(l.from.x);
        xs.push_back(l.to.x);
    }
    for (const double input : run.inputs) xs.push_back(input);
    std::erase_if(xs, [](double x) { return !std::isfinite(x); });
    if (xs.empty()) return proper_range(0, 0);
    const auto [lo, hi] = std::minmax_element(xs.begin(), xs.end());
    const double pad = (*hi - *lo) * 0.08;
    if (!(pad > 0) || !std::isfinite(*lo - pad) || !std::isfinite(*hi + pad))
        return proper_range(*lo, *hi);
    return {*lo - pad, *hi + pad};
}

std::size_t distinguishable_steps(const RunStart& run, double pixels, double zoom, double crowd)
{
    const std::size_t limit = std::min(max_drawn_steps, run.records.size());
    // Whether n steps stay apart: their points are the records up to n (the last record's
    // step leads beyond them, to a point found only when it is drawn).
    const auto apart = [&](std::size_t n) {
        const std::size_t end = std::min(n, run.records.size() - 1);
        double low = run.records[0].x, high = low;
        for (std::size_t k = 1; k <= end; ++k) {
            low = std::min(low, run.records[k].x);
            high = std::max(high, run.records[k].x);
        }
        const double pixel = (high - low) / pixels;
        const double last = run.records[end].x;
        // Only the moves among the points that crowd the last one are enlarged, by the
        // inset; elsewhere a move must show at the panel's own scale.
        const auto crowded = [&](double x) { return std::fabs(x - last) < crowd * pixel; };
        for (std::size_t k = 1; k <= end; ++k) {
            const double x = run.records[k].x, before = run.records[k - 1].x;
            const double enlarged = crowded(x) && crowded(before) ? zoom : 1;
            if (!(std::fabs(x - before) >= pixel * 0.5 / enlarged)) return false;
        }
        return true;
    };
    std::size_t steps = std::min<std::size_t>(1, limit);
    while (steps < limit && apart(steps + 1)) ++steps;
    return steps;
}

}  // namespace konvergenz
