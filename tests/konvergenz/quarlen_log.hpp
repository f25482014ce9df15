// Logs in quarlen's layout, running programs, and checks of the charts.
#pragma once

#include <cstdint>
#include <filesystem>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "runtime/record.hpp"
#include "tests/support/process.hpp"
#include "tests/support/temp_dir.hpp"

namespace konvergenz::test {

struct Record {
    long long step;
    double x;
    double third_item;
};

// A real as quarlen's own record writer lays it out, in its 25-character field.
inline std::string real(double value)
{
    const runtime::Record record = runtime::Record().real(value);
    return std::string(record.line().substr(0, runtime::REAL64_WIDTH));
}

// The line quarlen's own record writer makes of a step.
inline std::string record_line(const Record& r)
{
    return std::string(runtime::Record()
                           .integer(static_cast<std::int32_t>(r.step))
                           .real(r.x)
                           .real(r.third_item)
                           .line());
}

inline void write_log(const std::filesystem::path& path, std::string text,
                      const std::vector<Record>& records) {
    for (const Record& r : records) text += record_line(r);
    test_support::write_file(path, text);
}

inline test_support::RunResult run_in(const std::filesystem::path& folder, const std::string& program,
                                      std::vector<std::string> args = {}, std::string input = "") {
    test_support::RunOptions options;
    options.working_dir = folder;
    options.args = std::move(args);
    options.input = std::move(input);
    return test_support::run(program, options);
}

// What xmllint says about the document; "" if it is well-formed.
inline std::string xmllint_errors(const std::string& xml) {
    const test_support::TempDir dir;
    test_support::write_file(dir / "chart.svg", xml);
    const auto lint = run_in(dir.path(), XMLLINT_EXE, {"--noout", "chart.svg"});
    return lint.exit_status == 0 ? "" : lint.err + " (status " + std::to_string(lint.exit_status) + ")";
}

inline std::size_t count_of(std::string_view text, std::string_view needle) {
    std::size_t count = 0;
    for (auto at = text.find(needle); at != text.npos; at = text.find(needle, at + 1)) ++count;
    return count;
}

// The points of the first <polyline> in an SVG document.
inline std::vector<std::pair<double, double>> polyline(const std::string& svg) {
    const std::size_t start = svg.find("points=\"", svg.find("<polyline")) + 8;
    std::istringstream text(svg.substr(start, svg.find('"', start) - start));
    std::vector<std::pair<double, double>> points;
    char comma;
    for (double x, y; text >> x >> comma >> y;) points.emplace_back(x, y);
    return points;
}

}  // namespace konvergenz::test
