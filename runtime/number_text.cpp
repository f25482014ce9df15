#include "runtime/number_text.hpp"

#include <cstddef>
#include <string>

#include "runtime/real_reading.hpp"

namespace runtime {
namespace {

std::string_view trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// Checks the accepted grammar and rewrites the number in the form read_real
// reads: no '+', a decimal point, 'e' for the exponent. Returns false for anything else.
bool normalised(std::string_view text, std::string& out)
{
    out.clear();
    std::size_t i = 0;
    const auto at = [&](std::size_t k) { return k < text.size() ? text[k] : '\0'; };

    if (at(i) == '+' || at(i) == '-') {
        if (at(i) == '-') out += '-';
        ++i;
    }
    std::size_t digits = 0;
    for (; is_digit(at(i)); ++i, ++digits) out += at(i);
    if (at(i) == '.' || at(i) == ',') {
        out += '.';
        ++i;
        for (; is_digit(at(i)); ++i, ++digits) out += at(i);
    }
    if (digits == 0) return false;

    if (const char e = at(i); e == 'e' || e == 'E' || e == 'd' || e == 'D') {
        out += 'e';
        ++i;
        if (at(i) == '+' || at(i) == '-') out += text[i++];
        std::size_t exponent_digits = 0;
        for (; is_digit(at(i)); ++i, ++exponent_digits) out += at(i);
        if (exponent_digits == 0) return false;
    }
    return i == text.size();
}

template <class Real> NumberError parse(std::string_view text, Real& value)
{
    std::string number;
    if (!normalised(trimmed(text), number)) return NumberError::not_a_number;

    Real parsed{};
    const auto result = read_real(number.data(), number.data() + number.size(), parsed);
    // read_real rounds correctly to Real itself (no detour through a wider type) and
    // reports overflow and underflow to zero as out of range; subnormals are accepted.
    if (result.error == std::errc::result_out_of_range) return NumberError::out_of_range;
    if (result.error != std::errc{} || result.end != number.data() + number.size())
        return NumberError::not_a_number;
    value = parsed;
    return NumberError::none;
}

}  // namespace

NumberError parse_number(std::string_view text, double& value) { return parse(text, value); }
NumberError parse_number(std::string_view text, float& value) { return parse(text, value); }

}  // namespace runtime
