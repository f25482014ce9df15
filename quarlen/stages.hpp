// The stages of a run: which methods run, in which order, as the list given with
// --verfahren names them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace STAGES {

// In the order the help and the manual page list them.
enum class STAGE { BISEKTION, REGULA_FALSI, ILLINOIS, NEWTON, SEKANTE, FIXPUNKT, STEFFENSEN };

// The run without --verfahren.
inline constexpr std::string_view DEFAULT = "bisektion,newton,fixpunkt";

// Reads LISTE, names separated by commas ("bisektion,newton"), into ORDER. Returns ""
// when every name is known and none repeats, else the message that says what is wrong;
// ORDER is then of no use.
std::string PARSE(std::string_view LISTE, std::vector<STAGE>& ORDER);

}  // namespace STAGES
