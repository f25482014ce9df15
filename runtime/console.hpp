// The console: standard output for prompts and records, standard input for numbers.
//
// Output is buffered and goes out in large blocks, or record by record when standard
// output is a terminal, so that a person sees every step as it is made. It is always
// written out before a read and before a message, so prompts, records and messages keep
// their order through pipes.
#pragma once

#include <string_view>

#include "runtime/output_channel.hpp"
#include "runtime/record.hpp"

namespace runtime::console {

void write(const Record& record);
// The buffered standard output itself, for writers that format their lines in place.
OutputChannel& channel();
// The record with `tail` added to its line: a text of any length after a short one.
void write(const Record& record, std::string_view tail);

// A prompt is a record of one text. The console keeps it, to ask again on a terminal.
void prompt(std::string_view text);

// Reads the next non-blank line, which must hold exactly one finite number. What is not
// such a number is named in a message on stderr; a person at a terminal is asked again,
// a script is stopped with status 2 so that none of its later lines is taken for the
// wrong value. Input that ends first stops the program with status 2, Ctrl-C with 130.
void read(double& value);
void read(float& value);

void flush();
void flush_quietly();

// Whether standard output ends inside a record cut short after a stop and `fd` writes to
// the same pipe, terminal or file (2>&1). The caller then writes a line end to `fd`
// first, which ends that record for the console too.
bool ends_cut_where(int fd);

// Whether standard output is a terminal, so that a person watches the run.
bool on_terminal();

}  // namespace runtime::console
