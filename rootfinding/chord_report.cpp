#include "rootfinding/chord_report.hpp"

#include <cmath>
#include <string>

#include "rootfinding/stop_report.hpp"
#include "runtime/record.hpp"

namespace METHODS {

ENDING REPORT_CHORD_END(std::string_view METHOD, runtime::Verdict WHY, std::int32_t STEPS, double X,
                        double FX, const std::array<double, 4>& START, std::string_view AUSGABE,
                        UnderflowTest UNDERFLOWS, double TOLERANCE)
{
    if (WHY != runtime::Verdict::go)
        return REPORT_STOP(
            METHOD, WHY, STEPS, X,
            "die Intervallenden wiederholen sich, zuletzt x = " + runtime::shortest(X), AUSGABE);
    // A chord that overflows meets the axis at an infinity, where F may pass the test
    // (1e308/x is -0 at -inf): no root either.
    if (!std::isnan(FX) && std::isfinite(X))
        return CONVERGED_UNLESS_UNDERFLOW(METHOD, STEPS, X, FX, UNDERFLOWS, TOLERANCE);
    // Numbered as the log numbers it: the NaN is in the last step's record, or in the
    // first point, which no record shows, when no step was taken.
    const std::int32_t BROKEN = STEPS > 0 ? STEPS - 1 : 0;
    if (std::isfinite(X))
        return REPORT_BREAKDOWN(METHOD, BROKEN,
                                "F(x) ist keine Zahl bei x = " + runtime::shortest(X));
    const auto [A, FA, B, FB] = START;
    return REPORT_BREAKDOWN(METHOD, BROKEN,
                            "die Sehne durch (" + runtime::shortest(A) + ", " +
                                runtime::shortest(FA) + ") und (" + runtime::shortest(B) + ", " +
                                runtime::shortest(FB) + ") ergibt x = " + runtime::shortest(X));
}

}  // namespace METHODS
