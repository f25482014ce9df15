#include "runtime/command_line.hpp"

#include <cstdlib>
#include <string>

#include "runtime/console.hpp"
#include "runtime/messages.hpp"
#include "runtime/program.hpp"
#include "runtime/record.hpp"

#ifndef QUARLEN_VERSION
#error "QUARLEN_VERSION must be defined by the build"
#endif

namespace runtime {
namespace {

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

void command_line(int argc, const char* const argv[], std::string_view help)
{
    if (argc <= 1) return;
    const std::string_view argument = argv[1];
    if (argument != "--help" && argument != "-h" && argument != "--version")
        refuse(phrases().unknown_argument, argument);
    if (argc > 2) refuse(phrases().surplus_argument, argv[2]);

    if (argument == "--version") answer(std::string(program_name()).append(" ").append(version()));
    answer(help);
}

}  // namespace runtime
