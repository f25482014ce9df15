// The command line of quarlen and mirtova. Their dialogue needs no arguments; they
// answer --help and --version as command-line tools do, take the options a program
// names, and refuse anything else.
#pragma once

#include <span>
#include <string_view>

namespace runtime {

// The project's version, as the build states it ("1.0").
std::string_view version();

// An option with a value, given as "-m LISTE", "-mLISTE", "--verfahren LISTE" or
// "--verfahren=LISTE". `value` is left as it is unless the option is given; given more
// than once, the last one counts.
struct ValueOption {
    char short_name;
    const char* long_name;
    std::string_view* value;
};

// Called right after start(). The options are read in the GNU way (getopt_long): a long
// option may be shortened as long as it stays unambiguous, and "--" ends the options.
// "--help" (or "-h") writes `help`, "--version" a line "<program> <version>", both on
// stdout, and the program ends with status 0. An unknown option, a missing value or an
// argument that is no option ends it with a message on stderr and status 2, before
// anything is read or written. Otherwise it returns, with the values of the options
// given, and the dialogue runs.
void command_line(int argc, char* const argv[], std::string_view help,
                  std::span<const ValueOption> options = {});

}  // namespace runtime
