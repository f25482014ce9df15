#pragma once

#include <optional>
#include <string>

namespace konvergenz {

// The linear x axis of step numbers: from first to last, ticks every tick_step.
struct StepAxis {
    long long first = 0;
    long long last = 1;
    long long tick_step = 1;
};

// An axis from min_step to max_step, extended to 0 on the left and to the
// next tick on the right, with about six ticks spaced 1, 2 or 5 times a power of ten.
StepAxis make_step_axis(long long min_step, long long max_step);

// The logarithmic y axis: decades 10^lowest .. 10^highest, labelled every
// label_stride decades (at exponents divisible by it).
struct DecadeAxis {
    int lowest = -5;
    int highest = 1;
    int label_stride = 1;
};

// Decades enclosing all values and the marked value (the tolerance) with a
// decade to spare around the mark. With room_for_zero about a twentieth of
// the height (at least a decade) is added below, so that zeros, drawn at the
// bottom edge, stand apart from the data.
DecadeAxis make_decade_axis(std::optional<double> smallest_positive, std::optional<double> largest,
                            double marked_value, bool room_for_zero);

// 4194304 -> "4 194 304", grouped with narrow no-break spaces as in German typesetting.
std::string group_digits(long long value);

}  // namespace konvergenz
