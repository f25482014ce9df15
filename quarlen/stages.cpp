#include "quarlen/stages.hpp"

#include <algorithm>
#include <array>

#include "runtime/messages.hpp"

namespace STAGES {
namespace {

// The names in the order of STAGE.
constexpr std::array<std::string_view, 7> NAMES = {
    "bisektion", "regula-falsi", "illinois", "newton", "sekante", "fixpunkt", "steffensen",
};

std::string KNOWN()
{
    std::string LIST;
    for (const std::string_view NAME : NAMES) LIST.append(LIST.empty() ? "" : ", ").append(NAME);
    return LIST;
}

}  // namespace

std::string PARSE(std::string_view LISTE, std::vector<STAGE>& ORDER)
{
    ORDER.clear();
    if (LISTE.empty()) return "--verfahren: die Liste ist leer (bekannt: " + KNOWN() + ")";
    for (std::string_view REST = LISTE;;) {
        const std::size_t COMMA = REST.find(',');
        const std::string_view NAME = REST.substr(0, COMMA);
        if (NAME.empty())
            return "--verfahren: ein Name fehlt in der Liste " + runtime::quoted(LISTE);
        const auto AT = std::find(NAMES.begin(), NAMES.end(), NAME);
        if (AT == NAMES.end())
            return "--verfahren: unbekanntes Verfahren " + runtime::quoted(NAME) +
                   " (bekannt: " + KNOWN() + ")";
        const auto STAGE_NAMED = static_cast<STAGE>(AT - NAMES.begin());
        if (std::find(ORDER.begin(), ORDER.end(), STAGE_NAMED) != ORDER.end())
            return "--verfahren: " + runtime::quoted(NAME) + " steht zweimal in der Liste";
        ORDER.push_back(STAGE_NAMED);
        if (COMMA == std::string_view::npos) return "";
        REST.remove_prefix(COMMA + 1);
    }
}

}  // namespace STAGES
