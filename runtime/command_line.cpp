#include "runtime/command_line.hpp"

#include <cstdlib>
#include <string>

#include "runtime/console.hpp"
#include "runtime/messages.hpp"
#include "runtime/program.hpp"
#include "runtime/record.hpp"

#ifndef QUARLEN_VERSION
#error "QUARLEN_VERSION must be defined by the build"
#endif

namespace runtime {
namespace {

struct ProgramTexts {
    std::string_view program;
    std::string_view help;
    std::string_view unknown;     // "unknown argument", followed by it in quotes
    std::string_view surplus;     // an argument after --help or --version
    std::string_view where_help;  // "help", before the program's --help
};

// The help of each program in the language of its dialogue: what it does, what it
// asks for and in which order, what it writes, and how it ends.
constexpr ProgramTexts TEXTS[] = {
    {"quarlen",
     "Aufruf: quarlen\n"
     "        quarlen --help | --version\n"
     "\n"
     "Sucht die Nullstelle von F1(x) = x³ - 5x² + 100x - 400 mit Bisektion und\n"
     "Newton-Verfahren und einen Fixpunkt von g(x) = x + e^(-x) - 0,1/(x + 1) mit der\n"
     "Fixpunktiteration, und zeigt jeden Schritt.\n"
     "\n"
     "Fragt nacheinander nach vier Zahlen, jede auf einer eigenen Zeile:\n"
     "  a, b   die Intervallgrenzen für die Bisektion\n"
     "  x0     den Startwert für das Newton-Verfahren\n"
     "  x0     den Startwert für die Fixpunktiteration\n"
     "Die Zahlen dürfen auch aus einer Datei oder Pipe kommen:\n"
     "  printf '0\\n10\\n4\\n4\\n' | quarlen\n"
     "\n"
     "Jedes Verfahren schreibt seine Schritte auch in eine Datei im aktuellen Ordner:\n"
     "bisec_f1.dat, newto_f1.dat, fixpk_f1.dat. konvergenz zeichnet sie.\n"
     "\n"
     "  -h, --help     diese Hilfe\n"
     "      --version  Name und Version des Programms\n"
     "\n"
     "Exit-Status:\n"
     "  0              alle Verfahren konvergiert\n"
     "  1              ein Verfahren endete ohne Konvergenz\n"
     "  2              unbrauchbare oder fehlende Eingabe, falsches Argument\n"
     "  3              Protokolldatei oder Standardausgabe nicht schreibbar\n"
     "  129, 130, 143  beendet durch SIGHUP, Strg-C (SIGINT), SIGTERM\n"
     "\n"
     "Ausführlich: man quarlen\n",
     "unbekanntes Argument", "überzähliges Argument", "Hilfe"},
    {"mirtova",
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
     "In full: man mirtova\n",
     "unknown argument", "unexpected argument", "help"},
};

const ProgramTexts& texts_of(std::string_view program)
{
    for (const ProgramTexts& texts : TEXTS)
        if (texts.program == program) return texts;
    std::abort();  // a program this module has no texts for
}

[[noreturn]] void refuse(const ProgramTexts& texts, std::string_view what,
                         std::string_view argument)
{
    std::string message(what);
    message.append(" ").append(quoted(argument)).append(" (").append(texts.where_help);
    message.append(": ").append(texts.program).append(" --help)");
    fail(ExitStatus::bad_input, message);
}

// Each line as a record of its own, through the console, so that a failed write of
// standard output is reported and ends with status 3 as in a run.
[[noreturn]] void answer(std::string_view text)
{
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        console::write(Record().text(text.substr(0, end)));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    std::exit(end());
}

}  // namespace

std::string_view version() { return QUARLEN_VERSION; }

void command_line(int argc, const char* const argv[], std::string_view program)
{
    if (argc <= 1) return;
    const ProgramTexts& texts = texts_of(program);
    const std::string_view argument = argv[1];
    if (argument != "--help" && argument != "-h" && argument != "--version")
        refuse(texts, texts.unknown, argument);
    if (argc > 2) refuse(texts, texts.surplus, argv[2]);

    if (argument == "--version") {
        answer(std::string(program).append(" ").append(version()));
    }
    answer(texts.help);
}

}  // namespace runtime
