#include "quarlen/stop_report.hpp"

#include <string>

#include "runtime/program.hpp"
#include "runtime/record.hpp"

namespace METHODS {

void REPORT_STOP(std::string_view METHOD, runtime::Verdict WHY, std::int32_t STEPS, double X,
                 std::string_view CYCLE)
{
    std::string MESSAGE(METHOD);
    const std::string AFTER = " nach " + std::to_string(STEPS) + " Schritten";
    switch (WHY) {
    case runtime::Verdict::go:
        return;
    case runtime::Verdict::interrupted:
        MESSAGE += " unterbrochen" + AFTER + " bei x = " + runtime::shortest(X);
        runtime::fail(runtime::interrupted_status(), MESSAGE);
    case runtime::Verdict::step_limit:
        MESSAGE += " angehalten" + AFTER + " bei x = " + runtime::shortest(X) +
                   ": mehr Schritte kann der Schrittzähler nicht zählen";
        break;
    case runtime::Verdict::cycle:
        MESSAGE += " angehalten" + AFTER + ": ";
        MESSAGE += CYCLE;
        break;
    }
    runtime::warn(MESSAGE);
    runtime::note_not_converged();
}

void REPORT_BREAKDOWN(std::string_view METHOD, std::int32_t STEPS, std::string_view WHAT)
{
    std::string MESSAGE(METHOD);
    MESSAGE += " in Schritt " + std::to_string(STEPS) + " zusammengebrochen: ";
    MESSAGE += WHAT;
    runtime::warn(MESSAGE);
    runtime::note_not_converged();
}

}  // namespace METHODS
