// mirtova --help, in the language of its dialogue: what it does, what it asks for,
// and how it ends.
#pragma once

#include <string_view>

inline constexpr std::string_view HELP =
    "Usage: mirtova\n"
    "       mirtova --help | --version\n"
    "\n"
    "Finds a root of f(x) = e^x - x² by Newton's method in 32-bit reals, and prints it\n"
    "with the number of steps.\n"
    "\n"
    "Asks for one number, the start value, on a line of its own. It may also come\n"
    "from a file or a pipe:\n"
    "  echo 0 | mirtova\n"
    "Writes no files.\n"
    "\n"
    "  -h, --help     this help\n"
    "      --version  the program's name and version\n"
    "\n"
    "Exit status:\n"
    "  0              converged\n"
    "  1              the iteration ended without converging\n"
    "  2              unusable or missing input, a bad argument\n"
    "  3              standard output could not be written\n"
    "  129, 130, 143  stopped by SIGHUP, Ctrl-C (SIGINT), SIGTERM\n"
    "\n"
    "In full: man mirtova\n";
