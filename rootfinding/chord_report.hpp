// How the chord methods, regula falsi and Illinois, ended, with a message when they
// did otherwise than by meeting their test. Called after the method has closed its log.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "rootfinding/methods.hpp"
#include "runtime/iteration_watch.hpp"

namespace METHODS {

// WHY, STEPS and AUSGABE as the method ended; X its last point and FX = F(X). START holds
// a, F(a), b, F(b) as the last step began (as given, when no step was taken), with the
// values the method's formula used. UNDERFLOWS and TOLERANCE as the method's settings
// give them.
ENDING REPORT_CHORD_END(std::string_view METHOD, runtime::Verdict WHY, std::int32_t STEPS, double X,
                        double FX, const std::array<double, 4>& START, std::string_view AUSGABE,
                        UnderflowTest UNDERFLOWS, double TOLERANCE);

}  // namespace METHODS
