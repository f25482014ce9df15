#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace konvergenz {

inline constexpr std::string_view default_chart_name = "konvergenz.svg";
inline constexpr std::string_view verlauf_chart_name = "verlauf.svg";
inline constexpr std::string_view function_chart_name = "funktion.svg";

struct Options {
    std::filesystem::path folder = ".";           // where the logs are read
    std::optional<std::filesystem::path> output;  // chart file, if given
    bool help = false;
    bool csv = false;       // the table as CSV on stdout instead of the text table
    bool no_chart = false;    // write no chart
    bool no_verlauf = false;  // write the first chart, but not that of the first steps
    // A function to draw over [from, to] instead of reading logs.
    std::optional<std::string> function;
    std::optional<double> from, to;
    bool version = false;

    // The given output file, or the default name inside the folder, so that
    // the chart lands beside the logs it shows.
    std::filesystem::path chart_path() const;

    // The chart of the first steps, beside the first chart: -o names only that one.
    std::filesystem::path verlauf_path() const;

    // The graph of a function: the given output file, or funktion.svg in the current folder.
    std::filesystem::path function_chart_path() const;
};

// A command line that cannot be understood; the message is ready for the user.
struct OptionsError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Parses the arguments after the program name:
//   -d DIR, --dir DIR, --dir=DIR        folder with the logs
//   -o FILE, --output FILE, --output=FILE   chart file
//   --csv, --kein-diagramm, --kein-verlauf
//   --funktion F, --von A, --bis B (all three, and no folder)
//   -h, --help
//   --version
// A long name may be shortened while it stays unique ("--kein-d", "--out=x").
Options parse_options(std::span<const std::string_view> arguments);

std::string usage_text();

}  // namespace konvergenz
