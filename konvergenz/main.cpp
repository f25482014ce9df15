#include "app.hpp"
#include "checked_output.hpp"
#include "options.hpp"
#include "runtime/channel_stream.hpp"
#include "runtime/command_line.hpp"
#include "runtime/output_channel.hpp"
#include "runtime/program.hpp"

#include <cerrno>
#include <fcntl.h>
#include <ostream>
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

    // Standard output and error through the run-time layer's channels: a slow or
    // non-blocking reader is waited for, and after a stop signal only while it reads.
    using Sink = runtime::OutputChannel::Sink;
    runtime::OutputChannel errors(STDERR_FILENO, "", true, Sink::shared, false);
    runtime::ChannelStream error_stream(errors);
    std::ostream err(&error_stream);

    const std::vector<std::string_view> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    Options options;
    try {
        options = parse_options(arguments);
    } catch (const OptionsError& e) {
        err << "konvergenz: " << e.what() << '\n';
        return exit_bad_input;
    }

    const std::string standard_output(runtime::phrases().standard_output);
    runtime::OutputChannel output(STDOUT_FILENO, standard_output, false, Sink::shared, false);
    runtime::ChannelStream output_stream(output);
    std::ostream out(&output_stream);
    int status = exit_ok;
    if (options.help) {
        out << usage_text();
    } else if (options.version) {
        out << "konvergenz " << runtime::version() << '\n';
    } else {
        status = run(options, out, err);
    }
    return close_standard_output(output, stdout_closed ? EBADF : 0, status, err);
}
