// The command line of quarlen and mirtova. Their dialogue takes no arguments; they
// answer --help and --version as command-line tools do, and refuse anything else.
#pragma once

#include <string_view>

namespace runtime {

// The project's version, as the build states it ("1.0").
std::string_view version();

// Called right after start(): with no argument it returns, and the dialogue runs as it
// always has. "--help" (or "-h") writes `help`, "--version" a line "<program> <version>",
// both on stdout, and the program ends with status 0. Anything else ends it with a
// message on stderr and status 2, before anything is read or written.
void command_line(int argc, const char* const argv[], std::string_view help);

}  // namespace runtime
