// Bisection: x = (a + b)/2; keep the half of [a, b] whose ends differ in the sign of F.
#include <array>
#include <cmath>

#include "rootfinding/methods.hpp"
#include "rootfinding/sign.hpp"
#include "rootfinding/stop_report.hpp"
#include "rootfinding/stopping_tests.hpp"
#include "runtime/console.hpp"
#include "runtime/iteration_watch.hpp"
#include "runtime/log_file.hpp"
#include "runtime/record.hpp"
#include "runtime/step_records.hpp"

namespace METHODS {
namespace {

std::string WHY_NO_END(double A, double B, double X, RealFunction F)
{
    const std::string AT = runtime::shortest(X);
    if (SIGN(F(A)) == SIGN(F(B))) {
        return "das Intervall enthält keinen Vorzeichenwechsel von F; "
               "die Mittelpunkte laufen bei x = " +
               AT + " zusammen";
    }
    return "F wechselt bei x = " + AT +
           " das Vorzeichen, aber |F| wird dort nicht kleiner als die Toleranz";
}

}  // namespace

ENDING BISEC(double& A, double& B, double& X, RealFunction F, std::int32_t& STEPS,
             std::string_view AUSGABE, const SETTINGS& RUN)
{
    runtime::LogFile LOG(AUSGABE);
    runtime::StepRecords RECORDS(LOG);
    STEPS = 0;
    LOG.write(runtime::Record().text("Ausgangswerte - a= ").real(A).text(", b= ").real(B),
              RUN.HEADER);

    runtime::IterationWatch<std::array<double, 2>> WATCH(RUN.MAX_STEPS);
    runtime::Verdict WHY = runtime::Verdict::go;
    X = FIRST_POINT(A, F(A), B, F(B), MIDPOINT(A, B));
    while (BISEC_MEASURE(F(X)) > RUN.TOLERANCE) {
        if ((WHY = WATCH.check({A, B}, STEPS)) != runtime::Verdict::go) break;
        X = MIDPOINT(A, B);
        const double FX = F(X);
        RECORDS.write(STEPS, X, FX);
        // F(A) is evaluated afresh each step rather than remembered from the step that
        // moved A; F is pure, so this costs an evaluation and never changes a bit.
        const int VZFA = SIGN(F(A));
        const int VZFX = SIGN(FX);
        if (VZFX == VZFA) {
            A = X;
        } else {
            B = X;
        }
        ++STEPS;
    }
    LOG.close();

    if (WHY != runtime::Verdict::go)
        return REPORT_STOP(BISEC_NAME, WHY, STEPS, X, WHY_NO_END(A, B, X, F), AUSGABE);
    const double FX = F(X);
    if (std::isnan(FX)) {
        // A NaN at a later midpoint is in the log, written before the test; at the first
        // midpoint no record holds it.
        return REPORT_BREAKDOWN(BISEC_NAME, STEPS > 0 ? STEPS - 1 : 0,
                                "F(x) ist keine Zahl bei x = " + runtime::shortest(X));
    }
    return CONVERGED_UNLESS_UNDERFLOW(BISEC_NAME, STEPS, X, FX, RUN.UNDERFLOWS, RUN.TOLERANCE);
}

}  // namespace METHODS
