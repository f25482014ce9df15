// The program's start and end, its messages on stderr, and the run's exit status.
#pragma once

#include <string>
#include <string_view>

#include "runtime/exit_status.hpp"
#include "runtime/messages.hpp"

namespace runtime {

// Called once before the program's first statement: names the program in its
// messages, picks their language, opens any closed standard descriptor on /dev/null,
// and takes over the stop signals (so that an iteration can stop cleanly after its
// current step), SIGPIPE (a closed pipe ends the program only once its log is written
// out) and SIGXFSZ (reported as a failed write).
void start(std::string_view program_name, Language language);

// The name start() was given, as messages show it.
std::string_view program_name();

// The language of the program's dialogue and messages.
Language language();

// Writes out the console and returns the exit status of the run.
int end();

// A method stopped without converging; the run goes on but will end with status 1.
void note_not_converged();

// One line on stderr, "<program>: <message>", after the console has been written out,
// so that prompts, records and messages appear in order even through pipes.
void warn(std::string_view message);

// warn(message), then end the program at once with `status`. A log that is open is
// written out and closed first, so that it holds every whole record.
[[noreturn]] void fail(ExitStatus status, std::string_view message);

// The reader of standard output has gone (`quarlen | head`): the program ends quietly,
// as Unix tools do, with 141 (128 + SIGPIPE), once the open log is written out.
[[noreturn]] void end_as_the_reader_has_gone();

// A stop signal (Ctrl-C, SIGHUP, SIGTERM) has arrived. Read once per step by the
// iterations.
bool interrupted();

// The status to end with after a stop signal: 128 + its number (130 for Ctrl-C).
ExitStatus interrupted_status();

// The word for the stop in messages: "unterbrochen" after Ctrl-C, which the person
// pressed; after another signal, which may come from elsewhere, it is named:
// "unterbrochen (SIGTERM)".
std::string interruption();

const Phrases& phrases();

// The system's reason for `error` (an errno) in the language of the program's dialogue.
std::string system_reason(int error);

}  // namespace runtime
