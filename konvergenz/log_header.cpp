#include "log_header.hpp"

#include <cmath>
#include <system_error>

#include "runtime/real_reading.hpp"

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
        const auto [end, error] =
            runtime::read_real(rest_.data(), rest_.data() + rest_.size(), value);
        if (error != std::errc{}) return std::nullopt;
        rest_.remove_prefix(static_cast<std::size_t>(end - rest_.data()));
        return value;
    }

    // A formula holds no comma, so it runs to the next one; without the blanks around it.
    std::string_view up_to_comma()
    {
        skip_blanks();
        const std::string_view text = rest_.substr(0, rest_.find(','));
        rest_.remove_prefix(text.size());
        return text.substr(0, text.find_last_not_of(" \t") + 1);
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

// Whether quarlen writes these items for the method's log: a g that is not the method's
// would replay the run on a function it never used.
bool written_for(const Method& method, const TypedEquation& typed)
{
    if (method.on_g) return !typed.df && typed.f.has_value() == (typed.g == typed.g_of_f);
    if (typed.g) return false;
    return !typed.df || (method.kind == MethodKind::newton && typed.f);
}

}  // namespace

std::optional<LogHeader> parse_header(const Method& method, std::string_view header)
{
    const HeaderInputs inputs = method.inputs;
    HeaderScanner scan(header);
    LogHeader parsed;
    if (!scan.expect(header_keyword(inputs))) return std::nullopt;
    if (inputs == HeaderInputs::start) {
        const auto start = scan.real();
        if (!start) return std::nullopt;
        parsed.inputs = {{"x0", *start}};
    } else {
        const bool interval = inputs == HeaderInputs::interval;
        const std::string_view first = interval ? "a" : "x0", second = interval ? "b" : "x1";
        if (!scan.expect("-") || !scan.expect(first) || !scan.expect("=")) return std::nullopt;
        const auto one = scan.real();
        if (!one || !scan.expect(",") || !scan.expect(second) || !scan.expect("=")) {
            return std::nullopt;
        }
        const auto two = scan.real();
        if (!two) return std::nullopt;
        parsed.inputs = {{first, *one}, {second, *two}};
    }

    // What quarlen adds for a run on typed formulas, each item once.
    TypedEquation& typed = parsed.equation;
    while (!scan.at_end()) {
        if (!scan.expect(",")) return std::nullopt;
        if (scan.expect("Toleranz=")) {
            const auto tolerance = scan.real();
            if (typed.tolerance || !tolerance || !std::isfinite(*tolerance) || !(*tolerance > 0))
                return std::nullopt;
            typed.tolerance = tolerance;
            continue;
        }
        std::optional<std::string>* formula = scan.expect("f(x)")    ? &typed.f
                                              : scan.expect("f'(x)") ? &typed.df
                                              : scan.expect("g(x)")  ? &typed.g
                                                                     : nullptr;
        if (!formula || *formula || !scan.expect("=")) return std::nullopt;
        *formula = std::string(scan.up_to_comma());
    }
    if (!written_for(method, typed)) return std::nullopt;
    return parsed;
}

}  // namespace konvergenz
