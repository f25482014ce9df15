// mirtova --help, in the language of its dialogue: what it does, what it asks for,
// and how it ends.
#pragma once

#include <string_view>

inline constexpr std::string_view HELP =
    "Usage: mirtova [-f F] [--derivative D] [-t EPS] [-n N]\n"
    "       mirtova --help | --version\n"
    "\n"
    "Finds a root of f(x) = e^x - x², or of the function given with -f, by Newton's\n"
    "method in 32-bit reals, and prints it with the number of steps (nothing after a\n"
    "breakdown: a value that is no number, or infinite).\n"
    "\n"
    "Asks for one number, the start value, on a line of its own. It may also come\n"
    "from a file or a pipe:\n"
    "  echo 0 | mirtova\n"
    "Writes no files.\n"
    "\n"
    "  -f, --function F      f(x) as a formula, such as 'exp(x) - 3x'\n"
    "      --derivative D    f'(x) (only with -f); without it the derivative of F is\n"
    "                        computed exactly alongside f\n"
    "  -t, --tolerance EPS   stop when |f| is below EPS (default 1e-6)\n"
    "  -n, --max-steps N     stop after N steps\n"
    "  -h, --help            this help\n"
    "      --version         the program's name and version\n"
    "\n"
    "Formulas: x, pi, e, numbers with a decimal point, + - * / ^, parentheses and\n"
    "exp log sqrt sin cos tan asin acos atan sinh cosh tanh abs (log: natural\n"
    "logarithm). ^ binds tightest, from the right; -x^2 is -(x^2); 5x^2 is 5*x^2.\n"
    "\n"
    "Exit status:\n"
    "  0              converged\n"
    "  1              the iteration ended without converging, or met its test only\n"
    "                 by a value that underflowed to 0, or came out 0 after an overflow,\n"
    "                 or along a tail of f where the steps do not shrink enough\n"
    "  2              unusable or missing input, a bad argument\n"
    "  3              standard output could not be written\n"
    "  129, 130, 143  stopped by SIGHUP, Ctrl-C (SIGINT), SIGTERM\n"
    "  141            the reader of standard output has gone (| head), no message\n"
    "\n"
    "In full: man mirtova\n";
