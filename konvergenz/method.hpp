#pragma once

#include "replay.hpp"

#include <array>
#include <string_view>

namespace konvergenz {

enum class MethodKind { bisection, newton, fixed_point };

// One of the three root-finding methods whose log quarlen writes.
struct Method {
    MethodKind kind;
    std::string_view log_file;        // file name quarlen gives the log
    std::string_view header_keyword;  // the log's header line starts with this
    std::string_view label;           // German name for chart and table
    std::string_view colour;          // series colour in the chart
    std::string_view key;             // the method's name in the CSV table
    ReplayFunction replay;            // makes its stopping test again where the run ended
    // Whether the order of convergence p says anything: bisection halves its interval
    // each step, but |f| at its midpoints falls and rises without any order.
    bool shows_order;
};

// Order of the table rows and of the legend. Colours from the Okabe-Ito
// palette, which stays distinct for colour-blind readers.
inline constexpr std::array<Method, 3> all_methods{{
    {MethodKind::bisection, "bisec_f1.dat", "Ausgangswerte", "Bisektion", "#0072B2", "bisektion",
     replay_bisection, false},
    {MethodKind::newton, "newto_f1.dat", "Startwert=", "Newton-Verfahren", "#D55E00", "newton",
     replay_newton, true},
    {MethodKind::fixed_point, "fixpk_f1.dat", "Startwert=", "Fixpunktiteration", "#009E73",
     "fixpunkt", replay_fixed_point, true},
}};

// f(x_k) from one log record, with its sign. Bisection and Newton log F(x)
// as the third item; the fixed-point log holds x and g(x) instead, and there
// f = g(x) - x.
double function_value(MethodKind kind, double x, double third_item);

}  // namespace konvergenz
