// Messages for an iteration that ended otherwise than by meeting its tolerance. Called
// after the method has closed its log, so the log is complete whatever follows.
#pragma once

#include <cstdint>
#include <string_view>

#include "runtime/iteration_watch.hpp"

namespace METHODS {

// WHY is not go. A stop signal ends the program with 128 + its number, naming the last
// step in the log AUSGABE; a step limit or a cycle is reported, with CYCLE saying what
// repeats, and the run goes on to end with status 1.
void REPORT_STOP(std::string_view METHOD, runtime::Verdict WHY, std::int32_t STEPS, double X,
                 std::string_view CYCLE, std::string_view AUSGABE);

// A NaN ended the loop; WHAT says which value it is and where. STEP numbers the broken
// step as the log does: the number of its own record where the log holds one, otherwise
// the number after the log's last.
void REPORT_BREAKDOWN(std::string_view METHOD, std::int32_t STEP, std::string_view WHAT);

// The method took no step at all although X does not meet its test; WHY says why.
void REPORT_NO_STEP(std::string_view METHOD, std::string_view WHY);

}  // namespace METHODS
