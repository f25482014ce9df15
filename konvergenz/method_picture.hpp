#pragma once

#include "log_reader.hpp"
#include "method.hpp"
#include "plot_frame.hpp"

#include <optional>
#include <string_view>
#include <vector>

namespace konvergenz {

// A point of a method's construction, in the run's own coordinates.
struct DataPoint {
    double x;
    double y;
};

// A line of the construction: a tangent, a chord, a secant line, a leg of the cobweb.
struct DataLine {
    DataPoint from, to;
    std::string_view kind;  // its class in the chart: "lot", "tangente", "sekante", ...
};

// A bracket [a, b] that a bracketing method held at a step.
struct Bracket {
    double a, b;
};

// What a run's first steps draw: the numbered iterates (on the axis y = 0, or on y = x
// for the methods on g), the lines of the construction, the brackets, and marked points
// (Steffensen's y and z, a value Illinois halved), and the values the run started from.
struct MethodPicture {
    std::vector<DataPoint> iterates;
    std::vector<long long> numbers;  // each iterate's step
    std::vector<DataLine> lines;
    std::vector<Bracket> brackets;
    std::vector<DataPoint> marked;
    std::vector<std::string_view> marked_kinds;  // "y", "z", "halbiert"
    std::vector<DataPoint> starts;               // the typed values on f or g, where known
    std::size_t shown = 0;                      // steps drawn
};

// What a run's log tells of its start: its first records and inputs, and its functions
// where its header names them (quarlen's own where it names none).
struct RunStart {
    const Method* method = nullptr;
    std::vector<LogRecord> records;  // the first ones, at most max_drawn_steps + 1
    std::vector<double> inputs;      // a, b; x0, x1; or x0; empty where the header is not read
    std::optional<PlotFunction> f, df, g;
};

inline constexpr std::size_t max_drawn_steps = 8;

// The construction of the first `steps` steps (at most those the records hold).
MethodPicture picture_of(const RunStart& run, std::size_t steps);

// The x-range a panel shows: the typed interval for the bracketing methods, else the span
// of the iterates drawn, padded.
std::pair<double, double> x_range(const RunStart& run, const MethodPicture& picture);

// How many of the first steps stay apart on a plot `pixels` wide: steps are added while
// every step among them still moves its point by half a pixel where the plot spans their
// points, enlarged up to `zoom` times among the points within `crowd` pixels of the last
// one (an inset shows those); at least one where there is one.
std::size_t distinguishable_steps(const RunStart& run, double pixels, double zoom, double crowd);

}  // namespace konvergenz
