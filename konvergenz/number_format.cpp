#include "number_format.hpp"

#include "runtime/real_format.hpp"

#include <array>
#include <cmath>
#include <string_view>

namespace konvergenz {
namespace {

constexpr std::array<std::string_view, 10> superscript_digits{
    "\xE2\x81\xB0", "\xC2\xB9",     "\xC2\xB2",     "\xC2\xB3",     "\xE2\x81\xB4",
    "\xE2\x81\xB5", "\xE2\x81\xB6", "\xE2\x81\xB7", "\xE2\x81\xB8", "\xE2\x81\xB9"};
constexpr std::string_view superscript_minus = "\xE2\x81\xBB";  // U+207B

std::string_view non_finite_name(double value)
{
    if (std::isnan(value)) return "NaN";
    return value > 0 ? "Infinity" : "-Infinity";
}

template <typename... Format> std::string to_text(double value, Format... format)
{
    if (!std::isfinite(value)) return std::string(non_finite_name(value));
    return runtime::real_text(value, format...);
}

}  // namespace

std::string format_real(double value, std::chars_format style, int precision)
{
    return to_text(value, style, precision);
}

std::string format_real(double value, std::chars_format style) { return to_text(value, style); }

std::string german_real(double value, int significant_digits)
{
    if (!std::isfinite(value)) return std::string(non_finite_name(value));
    const std::string plain = significant_digits > 0 ? to_text(value, std::chars_format::scientific,
                                                               significant_digits - 1)
                                                     : to_text(value);
    const std::size_t e = plain.find('e');
    std::string text;
    for (const char c : std::string_view(plain).substr(0, e)) {
        if (c == '-') {
            text += minus_sign;
        } else {
            text += c == '.' ? ',' : c;
        }
    }
    if (e == std::string::npos) return text;

    const int exponent = std::stoi(plain.substr(e + 1));
    if (exponent == 0) return text;  // 5,9 rather than 5,9·10⁰
    if (text != "1" && text != std::string(minus_sign) + "1") {
        text += "\xC2\xB7";  // middle dot
    } else {
        text.erase(text.size() - 1);  // 1·10ⁿ is written 10ⁿ
    }
    text += "10";
    if (exponent < 0) text += superscript_minus;
    for (const char digit : std::to_string(std::abs(exponent))) {
        text += superscript_digits[static_cast<std::size_t>(digit - '0')];
    }
    return text;
}

}  // namespace konvergenz
