#include "runtime/console.hpp"

#include <csignal>
#include <string>
#include <unistd.h>

#include "runtime/line_reader.hpp"
#include "runtime/messages.hpp"
#include "runtime/number_text.hpp"
#include "runtime/output_channel.hpp"
#include "runtime/program.hpp"

namespace runtime::console {
namespace {

OutputChannel& output()
{
    static const bool terminal = ::isatty(STDOUT_FILENO) == 1;
    static OutputChannel channel(STDOUT_FILENO, std::string(phrases().standard_output), terminal,
                                 terminal ? OutputChannel::Sink::terminal
                                          : OutputChannel::Sink::shared);
    return channel;
}

LineReader& input()
{
    static LineReader reader(STDIN_FILENO);
    return reader;
}

std::string last_prompt;

bool blank(std::string_view line)
{
    return line.find_first_not_of(" \t\r") == std::string_view::npos;
}

std::string complaint(std::string_view problem, std::string_view text)
{
    std::string message(problem);
    message.append(": ").append(quoted(text));
    return message;
}

template <class Real> void read_real(Real& value)
{
    const Phrases& say = phrases();
    const bool person_at_terminal = ::isatty(STDIN_FILENO) == 1;
    for (;;) {
        flush();
        std::string problem;
        switch (input().next()) {
        case LineReader::Status::end:
            // A closed terminal reads as the end of input a moment before its SIGHUP
            // arrives; it is no terminal any more then, unlike one where Ctrl-D was typed.
            if (person_at_terminal && ::isatty(STDIN_FILENO) != 1) std::raise(SIGHUP);
            if (interrupted()) fail(interrupted_status(), interruption());
            fail(ExitStatus::bad_input, say.input_ended);
        case LineReader::Status::interrupted:
            fail(interrupted_status(), interruption());
        case LineReader::Status::error:
            fail(ExitStatus::bad_input,
                 std::string(say.input_unreadable) + ": " + system_reason(input().error()));
        case LineReader::Status::too_long:
            problem = complaint(say.line_too_long, input().line());
            break;
        case LineReader::Status::line:
            if (blank(input().line())) continue;
            switch (parse_number(input().line(), value)) {
            case NumberError::none:
                return;
            case NumberError::out_of_range:
                problem = complaint(say.out_of_range, input().line());
                break;
            case NumberError::not_a_number:
                problem = complaint(say.not_a_number, input().line()) + " (" +
                          std::string(say.expected_number) + ")";
                break;
            }
            break;
        }
        if (!person_at_terminal) fail(ExitStatus::bad_input, problem);
        warn(problem);
        write(Record().text(last_prompt));
    }
}

}  // namespace

void write(const Record& record) { output().write(record.line()); }

void prompt(std::string_view text)
{
    last_prompt = text;
    write(Record().text(text));
}

void read(double& value) { read_real(value); }
void read(float& value) { read_real(value); }

void flush() { output().flush(); }
void flush_quietly() { output().flush_quietly(); }

}  // namespace runtime::console
