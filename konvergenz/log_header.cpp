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

std::optional<std::vector<NamedValue>> parse_start_values(MethodKind kind, std::string_view header)
{
    HeaderScanner scan(header);
    if (kind == MethodKind::bisection) {
        if (!scan.expect("Ausgangswerte") || !scan.expect("-") || !scan.expect("a=")) {
            return std::nullopt;
        }
        const auto a = scan.real();
        if (!a || !scan.expect(",") || !scan.expect("b=")) return std::nullopt;
        const auto b = scan.real();
        if (!b || !scan.at_end()) return std::nullopt;
        return std::vector<NamedValue>{{"a", *a}, {"b", *b}};
    }
    if (!scan.expect("Startwert=")) return std::nullopt;
    const auto start = scan.real();
    if (!start || !scan.at_end()) return std::nullopt;
    return std::vector<NamedValue>{{"x0", *start}};
}

}  // namespace konvergenz
