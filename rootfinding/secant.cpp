// Secant method: x2 = x1 - F(x1)(x1 - x0)/(F(x1) - F(x0)).
#include <array>
#include <cmath>

#include "rootfinding/methods.hpp"
#include "rootfinding/stop_report.hpp"
#include "rootfinding/stopping_tests.hpp"
#include "runtime/console.hpp"
#include "runtime/iteration_watch.hpp"
#include "runtime/log_file.hpp"
#include "runtime/record.hpp"
#include "runtime/step_records.hpp"

namespace METHODS {

ENDING SECANT(double& X0, double& X1, std::int32_t& STEPS, RealFunction F, std::string_view AUSGABE,
              const SETTINGS& RUN)
{
    STEPS = 0;
    runtime::LogFile LOG(AUSGABE);
    runtime::StepRecords RECORDS(LOG, runtime::StepRecords::First::console);
    LOG.write(runtime::Record().text("Startwerte - x0= ").real(X0).text(", x1= ").real(X1),
              RUN.HEADER);

    runtime::IterationWatch<std::array<double, 2>> WATCH(RUN.MAX_STEPS);
    runtime::Verdict WHY = runtime::Verdict::go;
    double ALT = X0;  // the x0 of the last step, for the messages
    // F(x0) is F(x1) of the step before: F is pure, so keeping it changes no bit.
    double FX0 = F(X0);
    while (NEWTON_MEASURE(X1, X0) > RUN.TOLERANCE) {
        if ((WHY = WATCH.check({X0, X1}, STEPS)) != runtime::Verdict::go) break;
        const double FX1 = F(X1);
        // No guard against F(x1) = F(x0): the infinity leads to a NaN, which ends the loop.
        const double X2 = SECANT_STEP(X0, FX0, X1, FX1);
        RECORDS.write(STEPS, X1, FX1);
        ALT = X0;
        X0 = X1;
        FX0 = FX1;
        X1 = X2;
        ++STEPS;
    }
    LOG.close();

    if (WHY != runtime::Verdict::go)
        return REPORT_STOP(SECANT_NAME, WHY, STEPS, X1,
                           "die Iterierten wiederholen sich, zuletzt x = " + runtime::shortest(X1),
                           AUSGABE);
    if (std::isnan(X1 - X0) && STEPS == 0)
        return REPORT_BREAKDOWN(SECANT_NAME, 0,
                                "der Abstand der Startwerte x0 = " + runtime::shortest(X0) +
                                    " und x1 = " + runtime::shortest(X1) + " ist keine Zahl");
    if (STEPS == 0) {
        // The first test compared the starts: not a root found, no step taken.
        return REPORT_NO_STEP(SECANT_NAME,
                              "die Startwerte x0 = " + runtime::shortest(X0) +
                                  " und x1 = " + runtime::shortest(X1) +
                                  " liegen nicht weiter als die Toleranz auseinander, so dass "
                                  "der Test auf den Abstand zweier Iterierter schon vor dem "
                                  "ersten Schritt erfüllt ist");
    }
    // The last step went from ALT and X0, where F was FX0, to X1.
    if (std::isnan(X1 - X0)) {
        // F(inf) = 0, as for 1/x, makes no root: the iterate left the reals.
        if (FX0 != 0 || !std::isfinite(X0)) {
            // Numbered as the log numbers it: the broken step is the last one recorded.
            return REPORT_BREAKDOWN(SECANT_NAME, STEPS - 1,
                                    "der Schritt von x0 = " + runtime::shortest(ALT) +
                                        ", x1 = " + runtime::shortest(X0) +
                                        " mit F(x0) = " + runtime::shortest(F(ALT)) +
                                        ", F(x1) = " + runtime::shortest(FX0) + " führt auf " +
                                        runtime::shortest(X1));
        }
        X1 = X0;  // a root: its step is 0, even where F(x0) is 0 too
    }
    const double FALT = F(ALT);
    if (const ENDING E = CONVERGED_UNLESS_UNDERFLOW(
            SECANT_NAME, STEPS, X0, FX0, RUN.UNDERFLOWS,
            STEP_TOLERANCE(FX0, SECANT_CORRECTION(ALT, FALT, X0, FX0), RUN.TOLERANCE));
        E != ENDING::CONVERGED)
        return E;
    if (FX0 == 0 || SECANT_CORRECTION(ALT, FALT, X0, FX0) != 0) {
        const double LAST = std::abs(X1 - X0);
        // A steep chord makes a short step anywhere: through a far start, or after a long
        // jump, as on x^2 + 1. The next step, from the result, shows what is left.
        const double FX1 = F(X1);
        // A short step onto a pole, or out of F's domain, ends by the test all the same.
        if (!std::isfinite(FX1))
            return REPORT_NOT_CONVERGED(SECANT_NAME, STEPS, X1, NOT_FINITE_THERE("F", FX1));
        const double CORRECTION = SECANT_AHEAD_CORRECTION(X0, FX0, X1, FX1, F, RUN.TOLERANCE);
        const double NEXT = std::abs(CORRECTION);
        if (LAST == 0) {
            if (const ENDING E =
                    CONVERGED_UNLESS_STILL_AHEAD(SECANT_NAME, STEPS, X1, NEXT, RUN.TOLERANCE);
                E != ENDING::CONVERGED)
                return E;
            if (const ENDING E = CONVERGED_UNLESS_FOLLOWED_FAR(
                    SECANT_NAME, STEPS, X1, SECANT_FOLLOWED(X1, CORRECTION, RUN.TOLERANCE, F));
                E != ENDING::CONVERGED)
                return E;
        } else {
            for (const STEP_PAIR& P :
                 SECANT_STEP_PAIRS(STEPS, std::abs(X0 - ALT), LAST, NEXT, RUN.TOLERANCE))
                if (const ENDING E = CONVERGED_UNLESS_SLOW(SECANT_NAME, STEPS, X1, P.EARLIER,
                                                           P.LATER, P.AHEAD, RUN.TOLERANCE);
                    E != ENDING::CONVERGED)
                    return E;
        }
        return CONVERGED_UNLESS_NO_ROOT_WITHIN_ROUNDING(SECANT_NAME, STEPS, X1, FX1, RUN.TOLERANCE,
                                                        F, "F");
    }
    // A correction of exactly 0 where F is not 0: not a root, the step could not move.
    return REPORT_NOT_CONVERGED(
        SECANT_NAME, STEPS, X1,
        (std::isinf(FALT)
             ? "F ist bei x0 = " + runtime::shortest(ALT) +
                   " unendlich, der Sekantenschritt daher 0"
             : std::string("der Sekantenschritt ist nur durch Über- oder Unterlauf 0")) +
            ", obwohl F(x1) = " + runtime::shortest(FX0) + " ist");
}

}  // namespace METHODS
