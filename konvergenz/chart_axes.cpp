#include "chart_axes.hpp"

#include "runtime/elementary/correctly_rounded.hpp"

#include <algorithm>
#include <array>
#include <cmath>

namespace konvergenz {

// Our own functions, correctly rounded, so that the printed values are the same on every
// machine.
namespace cr = runtime::correctly_rounded;

namespace {

// Guards floor/ceil of log10 against rounding: log10(1e-5) may come out a
// hair off -5, and 1e-5 must sit on its decade, not one below.
constexpr double log_slack = 1e-9;

int decade_below(double value)
{
    return static_cast<int>(std::floor(cr::log10(value) + log_slack));
}

int decade_above(double value) { return static_cast<int>(std::ceil(cr::log10(value) - log_slack)); }

long long nice_step(double span, int target_ticks)
{
    const double raw = span / target_ticks;
    if (raw <= 1.0) return 1;
    const double magnitude = cr::pow(10.0, std::floor(cr::log10(raw)));
    const double scaled = raw / magnitude;
    const double factor = scaled <= 1.0 ? 1.0 : scaled <= 2.0 ? 2.0 : scaled <= 5.0 ? 5.0 : 10.0;
    return static_cast<long long>(factor * magnitude);
}

}  // namespace

StepAxis make_step_axis(long long min_step, long long max_step)
{
    StepAxis axis;
    axis.first = std::min(0LL, min_step);
    const long long last = std::max(max_step, axis.first + 1);
    axis.tick_step = nice_step(static_cast<double>(last - axis.first), 6);
    // Round the end up to a tick, unless that wastes more than a tenth of the width.
    const long long rounded = (last + axis.tick_step - 1) / axis.tick_step * axis.tick_step;
    axis.last = (rounded - last) * 10 <= last - axis.first ? rounded : last;
    return axis;
}

DecadeAxis make_decade_axis(std::optional<double> smallest_positive, std::optional<double> largest,
                            double marked_value, bool room_for_zero)
{
    DecadeAxis axis;
    axis.lowest = decade_below(marked_value) - 1;
    axis.highest = decade_above(marked_value) + 1;
    if (smallest_positive) axis.lowest = std::min(axis.lowest, decade_below(*smallest_positive));
    if (largest && *largest > 0.0) axis.highest = std::max(axis.highest, decade_above(*largest));
    if (room_for_zero) axis.lowest -= std::max(1, (axis.highest - axis.lowest) / 20);

    // At most about a dozen labels, however many decades the data spans.
    constexpr std::array strides{1, 2, 3, 5, 10, 20, 25, 50, 100, 200};
    const int decades = axis.highest - axis.lowest;
    axis.label_stride = strides.back();
    for (const int stride : strides) {
        if (decades / stride <= 12) {
            axis.label_stride = stride;
            break;
        }
    }
    return axis;
}

std::string group_digits(long long value)
{
    constexpr std::string_view narrow_space = "\xE2\x80\xAF";
    const std::string digits = std::to_string(value < 0 ? -value : value);
    std::string grouped = value < 0 ? "-" : "";
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) grouped += narrow_space;
        grouped += digits[i];
    }
    return grouped;
}

}  // namespace konvergenz
