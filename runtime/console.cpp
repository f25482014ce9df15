#include "runtime/console.hpp"

#include <csignal>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "runtime/line_reader.hpp"
#include "runtime/messages.hpp"
#include "runtime/number_text.hpp"
#include "runtime/output_channel.hpp"
#include "runtime/program.hpp"
#include "runtime/terminal.hpp"

namespace runtime::console {
namespace {

OutputChannel& output()
{
    static const bool terminal = on_terminal();
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

// Whether a person types the input. Settled before the first prompt is shown: once the
// person has seen it, the terminal may already be closed and no terminal any more.
bool person_at_terminal()
{
    static const bool at_terminal = is_terminal(STDIN_FILENO);
    return at_terminal;
}

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
    for (;;) {
        flush();
        std::string problem;
        const LineReader::Status status = input().next();
        // A stop signal during the flush or the read ends the dialogue here, so that a
        // line already waiting in the input cannot start the next stage.
        if (interrupted()) fail(interrupted_status(), interruption());
        switch (status) {
        case LineReader::Status::end:
            // A closed terminal reads as the end of input a moment before its SIGHUP
            // arrives (or never, when a shell leads the session and keeps it); that end
            // is taken as the SIGHUP, unless it is ignored. After Ctrl-D the terminal is
            // still one, which tells the two ends of input apart.
            if (person_at_terminal() && !is_terminal(STDIN_FILENO)) std::raise(SIGHUP);
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
        if (!person_at_terminal()) fail(ExitStatus::bad_input, problem);
        warn(problem);
        write(Record().text(last_prompt));
    }
}

}  // namespace

void write(const Record& record) { output().write(record.line()); }

OutputChannel& channel() { return output(); }

void write(const Record& record, std::string_view tail) { output().write(record.line_with(tail)); }

void prompt(std::string_view text)
{
    person_at_terminal();  // before the person can see the prompt and close the terminal
    last_prompt = text;
    write(Record().text(text));
}

void read(double& value) { read_real(value); }
void read(float& value) { read_real(value); }

void flush() { output().flush(); }

bool on_terminal()
{
    static const bool terminal = is_terminal(STDOUT_FILENO);
    return terminal;
}
void flush_quietly() { output().flush_quietly(); }

bool ends_cut_where(int fd)
{
    if (!output().ends_inside_a_line()) return false;
    struct stat out {};
    struct stat other {};
    if (::fstat(STDOUT_FILENO, &out) != 0 || ::fstat(fd, &other) != 0 ||
        out.st_dev != other.st_dev || out.st_ino != other.st_ino)
        return false;
    output().line_ended_elsewhere();
    return true;
}

}  // namespace runtime::console
