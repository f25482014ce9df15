// The command line of quarlen and mirtova, read GNU style with getopt_long: every
// option takes a value, given as "--name=VALUE", "--name VALUE", "-xVALUE" or
// "-x VALUE"; a long name may be shortened as long as it stays unique (one that fits
// several is refused as ambiguous, naming them, in the dialogue's language). Both answer
// --help and --version as command-line tools do, and refuse anything else. With no
// argument the dialogue runs as it always has.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/messages.hpp"

namespace runtime {

// The project's version, as the build states it ("1.0").
std::string_view version();

struct OptionDefinition {
    std::string_view long_name;  // without the dashes: "funktion"
    char short_name = 0;         // 'f', or 0 for none
};

struct GivenOption {
    std::size_t option;      // its index in the table of OptionDefinition
    std::string_view value;  // as typed
};

// The long option names that TYPED, a long option as typed ("--ver", "--dir=logs"),
// may stand for, without their dashes: every one it is the start of, itself included
// (no name is the start of another). None where it is no long option.
std::vector<std::string_view> long_names_fitting(std::string_view typed,
                                                 std::span<const std::string_view> names);

// For a long option that fits several names: ": passt zu --a, --b" in LANGUAGE, the
// names sorted.
std::string fits_several(std::vector<std::string_view> fitting, Language language);

// Called right after start(). Reads the whole command line first; an unknown option, a
// missing value or an argument that is no option ends the program with a message on
// stderr and status 2, before anything is read or written. Then "--help" (or "-h")
// writes `help`, "--version" a line "<program> <version>", both on stdout, and the
// program ends with status 0. Otherwise returns the options given, in their order.
std::vector<GivenOption> command_line(int argc, char* argv[], std::string_view help,
                                      std::span<const OptionDefinition> options = {});

}  // namespace runtime
