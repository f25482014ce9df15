#include "options.hpp"

namespace konvergenz {
namespace {

// Matches "-d VALUE", "--dir VALUE" and "--dir=VALUE"; advances i past the value.
std::optional<std::string_view> option_value(std::span<const std::string_view> arguments,
                                             std::size_t& i, std::string_view short_name,
                                             std::string_view long_name)
{
    const std::string_view argument = arguments[i];
    if (argument.starts_with(long_name) && argument.size() > long_name.size() &&
        argument[long_name.size()] == '=') {
        return argument.substr(long_name.size() + 1);
    }
    if (argument != short_name && argument != long_name) return std::nullopt;
    if (i + 1 == arguments.size()) {
        throw OptionsError("zu " + std::string(argument) + " fehlt der Wert");
    }
    return arguments[++i];
}

}  // namespace

std::filesystem::path Options::chart_path() const
{
    return output ? *output : (folder / default_chart_name).lexically_normal();
}

Options parse_options(std::span<const std::string_view> arguments)
{
    Options options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        if (argument == "-h" || argument == "--help") {
            options.help = true;
        } else if (argument == "--version") {
            options.version = true;
        } else if (const auto folder = option_value(arguments, i, "-d", "--dir")) {
            options.folder = *folder;
        } else if (const auto output = option_value(arguments, i, "-o", "--output")) {
            options.output = *output;
        } else {
            throw OptionsError("unbekanntes Argument \"" + std::string(argument) +
                               "\" (Hilfe: konvergenz --help)");
        }
        if (options.folder.empty() || (options.output && options.output->empty())) {
            throw OptionsError("leerer Pfad bei " + std::string(argument));
        }
    }
    return options;
}

std::string usage_text()
{
    return "Aufruf: konvergenz [-d ORDNER] [-o DATEI]\n"
           "\n"
           "Vergleicht Bisektion, Newton-Verfahren und Fixpunktiteration anhand der\n"
           "Protokolle von quarlen (bisec_f1.dat, newto_f1.dat, fixpk_f1.dat; es genügt eines).\n"
           "Zeichnet |f(x_k)| je Schritt logarithmisch in ein SVG-Diagramm und gibt eine\n"
           "Tabelle mit Schrittzahl, letzter Iterierter, mittlerem Faktor und geschätzter\n"
           "Konvergenzordnung aus.\n"
           "\n"
           "  -d, --dir ORDNER      Ordner mit den Protokollen (Vorgabe: aktueller Ordner)\n"
           "  -o, --output DATEI    Diagrammdatei (Vorgabe: konvergenz.svg im Ordner)\n"
           "  -h, --help            diese Hilfe\n"
           "      --version         Name und Version des Programms\n"
           "\n"
           "Exit-Status: 0 fertig, 2 kein oder unbrauchbares Protokoll, 3 Diagramm nicht\n"
           "schreibbar, 130 abgebrochen.\n";
}

}  // namespace konvergenz
