#include "runtime/option_values.hpp"

#include <charconv>
#include <climits>
#include <cstdio>
#include <limits>
#include <string>

#include "runtime/console.hpp"
#include "runtime/number_text.hpp"
#include "runtime/program.hpp"

namespace runtime {
namespace {

[[noreturn]] void refuse(std::string_view what, std::string_view value, std::string_view expected)
{
    std::string message(what);
    message.append(" ").append(quoted(value)).append(": ").append(expected);
    fail(ExitStatus::bad_input, message);
}


// "<what> of the program's reals, about <smallest> to <largest>": the positive numbers
// Real holds, subnormal ones included.
template <class Real> std::string range_of_reals()
{
    const auto shown = [](Real bound) {
        char text[16];
        std::snprintf(text, sizeof text, "%.2g", static_cast<double>(bound));
        return std::string(text);
    };
    std::string range(phrases().range_of_reals);
    const auto put = [&range](std::string_view marker, const std::string& text) {
        range.replace(range.find(marker), marker.size(), text);
    };
    put("(bits)", std::to_string(sizeof(Real) * CHAR_BIT));
    put("(min)", shown(std::numeric_limits<Real>::denorm_min()));
    put("(max)", shown(std::numeric_limits<Real>::max()));
    return range;
}

}  // namespace

template <class Real> Real tolerance_option(std::string_view value)
{
    Real tolerance = 0;
    const NumberError error = parse_number(value, tolerance);
    // 1e-400 is a finite number too small for the program's reals, not "not finite".
    if (error == NumberError::out_of_range)
        refuse(phrases().bad_tolerance, value, range_of_reals<Real>());
    if (error != NumberError::none || !(tolerance > 0))
        refuse(phrases().bad_tolerance, value, phrases().expected_tolerance);
    return tolerance;
}

template double tolerance_option(std::string_view value);
template float tolerance_option(std::string_view value);

std::int32_t step_limit_option(std::string_view value)
{
    // from_chars takes no '+', no blank and no base prefix: digits, or a '-' that the
    // range then refuses.
    std::int32_t limit = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), limit);
    if (error != std::errc{} || end != value.data() + value.size() || limit < 1)
        refuse(phrases().bad_step_limit, value, phrases().expected_step_limit);
    return limit;
}

template <class Real>
void formula_option(std::string_view name, std::string_view value, Expression<Real>& expression)
{
    if (const FormulaError error = compile(value, expression))
        fail(ExitStatus::bad_input, describe(error, name, value, language()));
}

template void formula_option(std::string_view, std::string_view, Expression<double>&);
template void formula_option(std::string_view, std::string_view, Expression<float>&);

std::string_view without_blanks(std::string_view value)
{
    const std::size_t first = value.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return value.substr(first, value.find_last_not_of(" \t") - first + 1);
}

void show_formula(std::string_view name, std::string_view value)
{
    console::write(Record().text(name).text(" = "), without_blanks(value));
}

}  // namespace runtime
