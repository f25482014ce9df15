// Logs in quarlen's layout, running programs, and checks of the charts.
#pragma once

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
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

// Runs of the three methods as quarlen makes them, on functions whose roots are known
// exactly, stopping at quarlen's tolerance.
inline constexpr double tolerance = 1e-4;
using Function = std::function<double(double)>;
using Records = std::vector<Record>;

// x_k+1 = g(x_k) while |g(x) - x| > tolerance; each record holds x_k and g(x_k).
inline Records fixed_point_run(const Function& g, double x)
{
    Records records;
    for (long long k = 0; std::fabs(g(x) - x) > tolerance; ++k) {
        records.push_back({k, x, g(x)});
        x = g(x);
    }
    return records;
}

// Newton's method while the last correction exceeds the tolerance; each record holds x_k, f(x_k).
inline Records newton_run(const Function& f, const Function& df, double x)
{
    Records records;
    for (double previous = x + 1; std::fabs(x - previous) > tolerance;) {
        previous = x;
        records.push_back({static_cast<long long>(records.size()), x, f(x)});
        x = x - f(x) / df(x);
    }
    return records;
}

// Bisection while |F| at the midpoint exceeds the tolerance, at most max_steps steps.
inline Records bisection_run(const Function& f, double a, double b, long long max_steps = 200)
{
    Records records;
    for (double x = (a + b) / 2; std::fabs(f(x)) > tolerance && std::ssize(records) < max_steps;) {
        x = (a + b) / 2;
        records.push_back({static_cast<long long>(records.size()), x, f(x)});
        ((f(x) >= 0) == (f(a) >= 0) ? a : b) = x;
    }
    return records;
}

// Positive on [0, 1], and shrinking towards 1 by 2^-0.005 a halving: bisection closes in on
// no root, and a bound is all that shrinks fast.
inline double slowly_shrinking_without_root(double x) { return std::pow(1 - x, 0.005) + 0.001; }

// A log of a quarlen run under tests/quarlen/golden, whose values were computed in exact
// arithmetic, independently of quarlen; with `keep`, only its header and first records.
inline std::string golden_log(const std::string& folder, const std::string& log,
                              std::size_t keep = std::string::npos)
{
    const std::string text =
        test_support::read_file(std::filesystem::path(QUARLEN_GOLDEN_DIR) / folder / log);
    std::size_t end = text.find('\n');
    for (std::size_t i = 0; i < keep && end != std::string::npos; ++i)
        end = text.find('\n', end + 1);
    return end == std::string::npos ? text : text.substr(0, end + 1);
}

inline std::string bisection_header(double a, double b)
{
    return "Ausgangswerte - a= " + real(a) + ", b= " + real(b) + '\n';
}

inline std::string start_header(double x) { return "Startwert= " + real(x) + '\n'; }

inline double map_linearly(double x, double fixed_point, double c)
{
    return fixed_point + c * (x - fixed_point);
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

// Pieces of a line between runs of two or more blanks: the cells of a table
// whose columns are at least two blanks apart.
inline std::vector<std::string> cells_of(std::string_view line)
{
    std::vector<std::string> cells;
    std::size_t pos = line.find_first_not_of(' ');
    while (pos != line.npos) {
        const std::size_t gap = std::min(line.find("  ", pos), line.size());
        cells.emplace_back(line.substr(pos, gap - pos));
        pos = line.find_first_not_of(' ', gap);
    }
    return cells;
}

// The cells of the table line that starts with label, by the headings of the
// table's first line; empty if there is no such line.
inline std::map<std::string, std::string> table_row(const std::string& table,
                                                    const std::string& label)
{
    std::istringstream lines(table);
    std::string heading_line, line;
    std::getline(lines, heading_line);
    const auto headings = cells_of(heading_line);
    std::map<std::string, std::string> row;
    while (std::getline(lines, line)) {
        if (!line.starts_with(label + "  ")) continue;
        const auto cells = cells_of(line);
        for (std::size_t i = 0; i < std::min(cells.size(), headings.size()); ++i)
            row[headings[i]] = cells[i];
        if (cells.size() != headings.size()) row["(cells)"] = std::to_string(cells.size());
        break;
    }
    return row;
}

// The fields of a CSV line; none is quoted in konvergenz's tables.
inline std::vector<std::string> csv_fields(std::string_view line)
{
    std::vector<std::string> fields;
    for (std::size_t start = 0;;) {
        const std::size_t comma = line.find(',', start);
        fields.emplace_back(line.substr(start, comma == line.npos ? line.npos : comma - start));
        if (comma == line.npos) return fields;
        start = comma + 1;
    }
}

}  // namespace konvergenz::test
