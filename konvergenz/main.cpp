#include "app.hpp"
#include "checked_output.hpp"
#include "options.hpp"
#include "runtime/command_line.hpp"
#include "runtime/program.hpp"

#include <cerrno>
#include <fcntl.h>
#include <iostream>
#include <string_view>
#include <unistd.h>
#include <vector>

int main(int argc, char* argv[])
{
    using namespace konvergenz;
    // Looked at before the run-time layer puts /dev/null in its place: a table written
    // there would be lost without a word.
    const bool stdout_closed = ::fcntl(STDOUT_FILENO, F_GETFD) == -1 && errno == EBADF;
    runtime::start("konvergenz", runtime::Language::german);

    const std::vector<std::string_view> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    Options options;
    try {
        options = parse_options(arguments);
    } catch (const OptionsError& e) {
        std::cerr << "konvergenz: " << e.what() << '\n';
        return exit_bad_input;
    }

    CheckedOutput standard_output(STDOUT_FILENO, stdout_closed ? EBADF : 0);
    std::ostream out(&standard_output);
    int status = exit_ok;
    if (options.help) {
        out << usage_text();
    } else if (options.version) {
        out << "konvergenz " << runtime::version() << '\n';
    } else {
        status = run(options, out, std::cerr);
    }
    return close_standard_output(standard_output, status, std::cerr);
}
