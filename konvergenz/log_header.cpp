#include "log_header.hpp"

#include <charconv>
#include <system_error>

namespace konvergenz {
namespace {

// Reads the header from left to right; every step fails once one has failed.
class HeaderScanner {
public:
    explicit HeaderScanner(std::string_view text) : rest_(text) {}

    bool expect(std::string_view word)
    {
        skip_blanks();
        if (!rest_.starts_with(word)) return false;
        rest_.remove_prefix(word.size());
        return true;
    }

    std::optional<double> real()
    {
        skip_blanks();
        double value = 0.0;
        const auto [end, ec] = std::from_chars(rest_.data(), rest_.data() + rest_.size(), value);
        if (ec != std::errc{}) return std::nullopt;
        rest_.remove_prefix(static_cast<std::size_t>(end - rest_.data()));
        return value;
    }

    bool at_end()
    {
        skip_blanks();
        return rest_.empty();
    }

private:
    void skip_blanks()
    {
        const std::size_t start = rest_.find_first_not_of(" \t");
        rest_.remove_prefix(start == std::string_view::npos ? rest_.size() : start);
    }

    std::string_view rest_;
};

}  // namespace

std::optional<std::vector<NamedValue>> parse_start_values(HeaderInputs inputs,
                                                          std::string_view header)
{
    HeaderScanner scan(header);
    if (inputs == HeaderInputs::start) {
        if (!scan.expect("Startwert=")) return std::nullopt;
        const auto start = scan.real();
        if (!start || !scan.at_end()) return std::nullopt;
        return std::vector<NamedValue>{{"x0", *start}};
    }
    const bool interval = inputs == HeaderInputs::interval;
    const std::string_view first = interval ? "a" : "x0", second = interval ? "b" : "x1";
    if (!scan.expect(interval ? "Ausgangswerte" : "Startwerte") || !scan.expect("-") ||
        !scan.expect(first) || !scan.expect("=")) {
        return std::nullopt;
    }
    const auto one = scan.real();
    if (!one || !scan.expect(",") || !scan.expect(second) || !scan.expect("=")) return std::nullopt;
    const auto two = scan.real();
    if (!two || !scan.at_end()) return std::nullopt;
    return std::vector<NamedValue>{{first, *one}, {second, *two}};
}

}  // namespace konvergenz
