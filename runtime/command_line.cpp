#include "runtime/command_line.hpp"

#include <cstdlib>
#include <getopt.h>
#include <string>
#include <vector>

#include "runtime/console.hpp"
#include "runtime/messages.hpp"
#include "runtime/program.hpp"
#include "runtime/record.hpp"

#ifndef QUARLEN_VERSION
#error "QUARLEN_VERSION must be defined by the build"
#endif

namespace runtime {
namespace {

// getopt_long's code for --version, which has no short form.
constexpr int VERSION = 1;

[[noreturn]] void refuse(std::string_view what, std::string_view argument)
{
    std::string message(what);
    message.append(" ").append(quoted(argument)).append(" (").append(phrases().help);
    message.append(": ").append(program_name()).append(" --help)");
    fail(ExitStatus::bad_input, message);
}

// Each line as a record of its own, through the console, so that a failed write of
// standard output is reported and ends with status 3 as in a run.
[[noreturn]] void answer(std::string_view text)
{
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        console::write(Record().text(text.substr(0, end)));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    std::exit(end());
}

}  // namespace

std::string_view version() { return QUARLEN_VERSION; }

void command_line(int argc, char* const argv[], std::string_view help,
                  std::span<const ValueOption> options)
{
    // '+': the options end at the first argument that is none, which is then refused;
    // ':': a missing value is told apart from an unknown option.
    std::string short_names = "+:h";
    std::vector<option> long_names = {{"help", no_argument, nullptr, 'h'},
                                      {"version", no_argument, nullptr, VERSION}};
    for (const ValueOption& o : options) {
        short_names.append({o.short_name, ':'});
        long_names.push_back({o.long_name, required_argument, nullptr, o.short_name});
    }
    long_names.push_back({});

    opterr = 0;     // the messages are ours, in the dialogue's language
    int asked = 0;  // 'h' or VERSION
    for (;;) {
        const int at = optind;  // the argument being read, for the message
        const int code = getopt_long(argc, argv, short_names.c_str(), long_names.data(), nullptr);
        if (code == -1) break;
        if (code == '?') refuse(phrases().unknown_argument, argv[at]);
        if (code == ':') refuse(phrases().missing_value, argv[at]);
        if (code == 'h' || code == VERSION) {
            if (asked != 0) refuse(phrases().surplus_argument, argv[at]);
            asked = code;
        }
        for (const ValueOption& o : options)
            if (code == o.short_name) *o.value = optarg;
    }
    if (optind < argc)
        refuse(asked != 0 ? phrases().surplus_argument : phrases().unknown_argument, argv[optind]);

    if (asked == VERSION) answer(std::string(program_name()).append(" ").append(version()));
    if (asked == 'h') answer(help);
}

}  // namespace runtime
