#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace konvergenz {

inline constexpr std::string_view default_chart_name = "konvergenz.svg";

struct Options {
    std::filesystem::path folder = ".";           // where the logs are read
    std::optional<std::filesystem::path> output;  // chart file, if given
    bool help = false;
    bool csv = false;       // the table as CSV on stdout instead of the text table
    bool no_chart = false;  // write no chart
    bool version = false;

    // The given output file, or the default name inside the folder, so that
    // the chart lands beside the logs it shows.
    std::filesystem::path chart_path() const;
};

// A command line that cannot be understood; the message is ready for the user.
struct OptionsError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Parses the arguments after the program name:
//   -d DIR, --dir DIR, --dir=DIR        folder with the logs
//   -o FILE, --output FILE, --output=FILE   chart file
//   --csv, --kein-diagramm
//   -h, --help
//   --version
Options parse_options(std::span<const std::string_view> arguments);

std::string usage_text();

}  // namespace konvergenz
