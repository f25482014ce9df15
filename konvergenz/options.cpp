#include "options.hpp"

#include "runtime/command_line.hpp"
#include "runtime/messages.hpp"
#include "runtime/number_text.hpp"

namespace konvergenz {
namespace {

// The long options, which may be shortened as long as they stay unique.
constexpr std::string_view long_names[] = {"help",         "version", "csv",    "kein-diagramm",
                                           "kein-verlauf", "dir",     "output", "funktion",
                                           "von",          "bis"};

// ARGUMENT with a shortened long name written out ("--kein-d" as "--kein-diagramm",
// "--out=x" as "--output=x"); one that fits several names is refused, naming them.
std::string in_full(std::string_view argument)
{
    const std::vector<std::string_view> fitting = runtime::long_names_fitting(argument, long_names);
    if (fitting.size() > 1) {
        constexpr runtime::Language german = runtime::Language::german;
        throw OptionsError(std::string(runtime::phrases_for(german).ambiguous_option) + " " +
                           runtime::quoted(argument) + runtime::fits_several(fitting, german) +
                           " (Hilfe: konvergenz --help)");
    }
    if (fitting.empty()) return std::string(argument);
    const std::size_t value = argument.find('=');
    return "--" + std::string(fitting.front()) +
           std::string(value == std::string_view::npos ? "" : argument.substr(value));
}

// Matches "-d VALUE", "-dVALUE", "--dir VALUE" and "--dir=VALUE", as getopt does, in
// ARGUMENT, which is arguments[i] with its long name in full; advances i past the value.
std::optional<std::string_view> option_value(std::string_view argument,
                                             std::span<const std::string_view> arguments,
                                             std::size_t& i, std::string_view short_name,
                                             std::string_view long_name)
{
    if (argument.starts_with(long_name) && argument.size() > long_name.size() &&
        argument[long_name.size()] == '=') {
        return argument.substr(long_name.size() + 1);
    }
    if (argument.size() > short_name.size() && argument.starts_with(short_name)) {
        return argument.substr(short_name.size());
    }
    if (argument != short_name && argument != long_name) return std::nullopt;
    if (i + 1 == arguments.size()) {
        throw OptionsError("zu " + runtime::quoted(arguments[i]) + " fehlt der Wert");
    }
    return arguments[++i];
}

// An end of the function's interval: a number as quarlen reads one.
double interval_end(std::string_view option, std::string_view value)
{
    double end = 0;
    if (runtime::parse_number(value, end) != runtime::NumberError::none) {
        throw OptionsError(runtime::quoted(value) + " bei " + std::string(option) +
                           " ist keine endliche Zahl");
    }
    return end;
}

}  // namespace

std::filesystem::path Options::chart_path() const
{
    return output ? *output : (folder / default_chart_name).lexically_normal();
}

std::filesystem::path Options::verlauf_path() const
{
    return (chart_path().parent_path() / verlauf_chart_name).lexically_normal();
}

std::filesystem::path Options::function_chart_path() const
{
    return output ? *output : std::filesystem::path(function_chart_name);
}

Options parse_options(std::span<const std::string_view> arguments)
{
    Options options;
    std::string for_logs;  // the first option given that only applies to reading logs
    const auto only_for_logs = [&for_logs](std::string_view name) {
        if (for_logs.empty()) for_logs = name;
    };
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string typed(arguments[i]);
        const std::string full = in_full(typed);
        const std::string_view argument = full;
        if (argument == "-h" || argument == "--help") {
            options.help = true;
        } else if (argument == "--csv") {
            options.csv = true;
            only_for_logs(argument);
        } else if (argument == "--kein-diagramm") {
            options.no_chart = true;
            only_for_logs(argument);
        } else if (argument == "--kein-verlauf") {
            options.no_verlauf = true;
            only_for_logs(argument);
        } else if (argument == "--version") {
            options.version = true;
        } else if (const auto folder = option_value(argument, arguments, i, "-d", "--dir")) {
            options.folder = *folder;
            only_for_logs(argument.starts_with("--") ? "--dir" : "-d");
        } else if (const auto output = option_value(argument, arguments, i, "-o", "--output")) {
            options.output = *output;
        } else if (const auto function =
                       option_value(argument, arguments, i, "--funktion=", "--funktion")) {
            options.function = *function;
        } else if (const auto from = option_value(argument, arguments, i, "--von=", "--von")) {
            options.from = interval_end("--von", *from);
        } else if (const auto to = option_value(argument, arguments, i, "--bis=", "--bis")) {
            options.to = interval_end("--bis", *to);
        } else {
            throw OptionsError("unbekanntes Argument " + runtime::quoted(typed) +
                               " (Hilfe: konvergenz --help)");
        }
        if (options.folder.empty() || (options.output && options.output->empty())) {
            throw OptionsError("leerer Pfad bei " + runtime::quoted(typed));
        }
    }
    if (options.function || options.from || options.to) {
        if (!options.function || !options.from || !options.to)
            throw OptionsError("--funktion, --von und --bis gehören zusammen");
        if (!(*options.from < *options.to))
            throw OptionsError("--von muss kleiner sein als --bis");
        if (!for_logs.empty())
            throw OptionsError(for_logs +
                               " gilt nur für Protokolle, nicht mit --funktion (dazu passt nur -o)");
    }
    return options;
}

std::string usage_text()
{
    return "Aufruf: konvergenz [-d ORDNER] [-o DATEI] [--csv] [--kein-diagramm]\n"
           "                  [--kein-verlauf]\n"
           "       konvergenz --funktion F --von A --bis B [-o DATEI]\n"
           "\n"
           "Vergleicht die Verfahren von quarlen anhand ihrer Protokolle: Bisektion,\n"
           "Newton-Verfahren und Fixpunktiteration (bisec_f1.dat, newto_f1.dat, fixpk_f1.dat)\n"
           "und, wo quarlen sie gerechnet hat, Regula falsi, Illinois-, Sekanten- und\n"
           "Steffensen-Verfahren (regfa_f1.dat, illin_f1.dat, sekan_f1.dat, steff_f1.dat);\n"
           "es genügt eines.\n"
           "Zeichnet |f(x_k)| je Schritt logarithmisch in ein SVG-Diagramm und gibt eine\n"
           "Tabelle mit Startwerten, Schrittzahl, letzter Iterierter, Faktor q am Ende,\n"
           "geschätzter Konvergenzordnung, geschätztem Fehler der letzten Iterierten und\n"
           "geschätztem Grenzwert aus.\n"
           "Zeichnet außerdem die ersten Schritte jedes Verfahrens an f oder g in\n"
           "verlauf.svg neben dem Diagramm: Tangenten, Sekanten, Sehnen, Klammern und\n"
           "das Spinnennetz der Fixpunktiteration, die Iterierten nummeriert.\n"
           "Mit --funktion zeichnet es nur den Graphen von F über [A, B] mit seinen\n"
           "Vorzeichenwechseln in funktion.svg, ohne Protokolle zu lesen; dazu passt nur -o,\n"
           "-d, --csv, --kein-diagramm und --kein-verlauf werden dann abgelehnt.\n"
           "\n"
           "  -d, --dir ORDNER      Ordner mit den Protokollen (Vorgabe: aktueller Ordner)\n"
           "  -o, --output DATEI    Diagrammdatei (Vorgabe: konvergenz.svg im Ordner);\n"
           "                        verlauf.svg kommt daneben, in denselben Ordner;\n"
           "                        mit --funktion die Datei des Graphen\n"
           "                        (Vorgabe: funktion.svg im aktuellen Ordner)\n"
           "      --csv             die Tabelle als CSV statt als Text: Komma als Trenner,\n"
           "                        Punkt als Dezimalzeichen, 17 gültige Stellen, leeres Feld\n"
           "                        wo ein Wert fehlt; Tabellenkalkulation und pandas lesen\n"
           "                        sie unverändert\n"
           "      --kein-diagramm   kein Diagramm schreiben (auch mit --csv wird sonst\n"
           "                        eines geschrieben), auch verlauf.svg nicht\n"
           "      --kein-verlauf    verlauf.svg nicht schreiben\n"
           "      --funktion F      f(x) als Formel, wie quarlen sie liest\n"
           "      --von A, --bis B  das Intervall, über dem F gezeichnet wird\n"
           "  -h, --help            diese Hilfe\n"
           "      --version         Name und Version des Programms\n"
           "Lange Optionen dürfen abgekürzt werden, solange sie eindeutig bleiben\n"
           "(--kein-d).\n"
           "\n"
           "Exit-Status: 0 fertig, 2 kein oder unbrauchbares Protokoll oder falscher Aufruf,\n"
           "3 Diagramm oder Standardausgabe nicht schreibbar, 129, 130, 143 durch SIGHUP,\n"
           "Strg-C (SIGINT) oder SIGTERM unterbrochen, 141 ohne Meldung, wenn der Leser\n"
           "der Standardausgabe fort ist (| head).\n"
           "\n"
           "Ausführlich: man konvergenz\n";
}

}  // namespace konvergenz
