#pragma once

#include "replay.hpp"

#include <array>
#include <string_view>

namespace konvergenz {

// In the order of all_methods below.
enum class MethodKind {
    bisection,
    regula_falsi,
    illinois,
    newton,
    secant,
    fixed_point,
    steffensen
};

// What a log's header names, after the keyword it starts with.
enum class HeaderInputs {
    interval,    // "Ausgangswerte - a= <real>, b= <real>"
    two_starts,  // "Startwerte - x0= <real>, x1= <real>"
    start,       // "Startwert= <real>"
};

// The word a log's header line starts with.
constexpr std::string_view header_keyword(HeaderInputs inputs)
{
    return inputs == HeaderInputs::interval     ? "Ausgangswerte"
           : inputs == HeaderInputs::two_starts ? "Startwerte"
                                                : "Startwert=";
}

// How the error of the last iterate is estimated (see error_estimate.hpp).
enum class ErrorRule {
    secant,         // a secant step through the last two records
    halving_bound,  // bisection: |b - a| / 2^(n+1)
    bracket_bound,  // the distance to the other end of the bracket the records' signs give
    next_iterate,   // the distance to the next iterate, which the record holds
};

// The shape of a series' markers; each method has its own, so that the series stay apart
// in grey scale too.
enum class Marker { circle, triangle_up, triangle_down, square, plus, diamond, cross };

// One of the root-finding methods whose log quarlen writes.
struct Method {
    MethodKind kind;
    std::string_view log_file;  // file name quarlen gives the log
    HeaderInputs inputs;
    std::string_view label;   // German name for chart and table
    std::string_view key;     // the method's name in the CSV table
    std::string_view colour;  // series colour in the chart
    Marker marker;
    std::string_view dashes;  // the series line's stroke-dasharray; "" for a solid line
    ReplayFunction* replay;   // makes its stopping test again where the run ended
    ErrorRule error_rule;
    // Iterates g(x) rather than solving f(x) = 0. A record then holds x_k and the next
    // iterate x_k+1 rather than F(x_k); the chart shows their distance, and the chart's
    // subtitle says so with this phrase.
    bool on_g;
    std::string_view plotted_as;
    // Whether the order of convergence p says anything. Bisection halves its interval
    // each step, but |f| at its midpoints falls and rises without any order; Illinois
    // alternates chord steps with steps that barely change |f|, so that three successive
    // values give figures in the hundreds.
    bool shows_order;
};

// Order of the table rows and of the legend, the order quarlen lists its stages in.
// Colours from the Okabe-Ito palette, which stays distinct for colour-blind readers;
// where two come close in grey scale, markers and dashes set them apart.
inline constexpr std::array<Method, 7> all_methods{{
    {MethodKind::bisection, "bisec_f1.dat", HeaderInputs::interval, "Bisektion", "bisektion",
     "#0072B2", Marker::circle, "", replay_bisection, ErrorRule::halving_bound, false, "", false},
    {MethodKind::regula_falsi, "regfa_f1.dat", HeaderInputs::interval, "Regula falsi",
     "regula_falsi", "#E69F00", Marker::triangle_up, "9 3", replay_chord, ErrorRule::bracket_bound,
     false, "", true},
    {MethodKind::illinois, "illin_f1.dat", HeaderInputs::interval, "Illinois-Verfahren", "illinois",
     "#56B4E9", Marker::triangle_down, "9 3 2 3", replay_chord, ErrorRule::bracket_bound, false, "",
     false},
    {MethodKind::newton, "newto_f1.dat", HeaderInputs::start, "Newton-Verfahren", "newton",
     "#D55E00", Marker::square, "", replay_newton, ErrorRule::secant, false, "", true},
    {MethodKind::secant, "sekan_f1.dat", HeaderInputs::two_starts, "Sekantenverfahren", "sekante",
     "#CC79A7", Marker::plus, "3 2", replay_secant, ErrorRule::secant, false, "", true},
    {MethodKind::fixed_point, "fixpk_f1.dat", HeaderInputs::start, "Fixpunktiteration", "fixpunkt",
     "#009E73", Marker::diamond, "", replay_fixed_point, ErrorRule::secant, true,
     "bei der Fixpunktiteration |g(x) \u2212 x|", true},
    {MethodKind::steffensen, "steff_f1.dat", HeaderInputs::start, "Steffensen-Verfahren",
     "steffensen", "#000000", Marker::cross, "6 2 1 2", replay_steffensen, ErrorRule::next_iterate,
     true, "beim Steffensen-Verfahren der Abstand zweier Iterierter", true},
}};

inline const Method& method_of(MethodKind kind) { return all_methods[static_cast<int>(kind)]; }

// f(x_k) from one log record, with its sign: the record's third item, or where that is
// the next iterate, the step to it (for the fixed point g(x) - x).
inline double function_value(const Method& method, double x, double third_item)
{
    return method.on_g ? third_item - x : third_item;
}

}  // namespace konvergenz
