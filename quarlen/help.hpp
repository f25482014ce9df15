// quarlen --help, in the language of its dialogue: what it does, what it asks for
// and in which order, what it writes, and how it ends.
#pragma once

#include <string_view>

inline constexpr std::string_view HELP =
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
    "Ausführlich: man quarlen\n";
