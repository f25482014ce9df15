// Steffensen's method: x(k+1) = x - d*d/((g(g(x)) - g(x)) - d) with d = g(x) - x.
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

ENDING STEFFENSEN(double& XSTART, RealFunction F, std::int32_t& STEPS, std::string_view AUSGABE,
                  const SETTINGS& RUN)
{
    STEPS = 0;
    runtime::LogFile LOG(AUSGABE);
    runtime::StepRecords RECORDS(LOG);
    LOG.write(runtime::Record().text("Startwert= ").real(XSTART), RUN.HEADER);

    runtime::IterationWatch<double> WATCH(RUN.MAX_STEPS);
    runtime::Verdict WHY = runtime::Verdict::go;
    double ALT = XSTART;   // the x the last step started from, for the messages
    double ALT2 = XSTART;  // and the one the step before started from
    // Y = F(XSTART) serves both the test and the step.
    double Y = F(XSTART);
    while (FIX_MEASURE(Y, XSTART) > RUN.TOLERANCE) {
        if ((WHY = WATCH.check(XSTART, STEPS)) != runtime::Verdict::go) break;
        const double Z = F(Y);
        // No guard against a zero denominator: the infinity leads to a NaN, which ends the loop.
        const double X = STEFFENSEN_STEP(XSTART, Y, Z);
        RECORDS.write(STEPS, XSTART, X);
        ALT2 = ALT;
        ALT = XSTART;
        XSTART = X;
        ++STEPS;
        Y = F(XSTART);
    }
    LOG.close();

    if (WHY != runtime::Verdict::go)
        return REPORT_STOP(
            STEFFENSEN_NAME, WHY, STEPS, XSTART,
            "die Iterierten wiederholen sich, zuletzt x = " + runtime::shortest(XSTART), AUSGABE);
    if (std::isnan(XSTART) && STEPS > 0) {
        // Numbered as the log numbers it: the last record shows the NaN its step gave.
        return REPORT_BREAKDOWN(STEFFENSEN_NAME, STEPS - 1,
                                "der Schritt von x = " + runtime::shortest(ALT) +
                                    " mit g(x) = " + runtime::shortest(F(ALT)) + ", g(g(x)) = " +
                                    runtime::shortest(F(F(ALT))) + " führt auf NaN");
    }
    if (std::isnan(Y - XSTART)) {
        // The test of a step that was not taken, so not logged: the step after the last.
        return REPORT_BREAKDOWN(STEFFENSEN_NAME, STEPS,
                                "g(x) = " + runtime::shortest(Y) +
                                    " bei x = " + runtime::shortest(XSTART));
    }
    if (const ENDING E =
            FIXED_POINT_UNLESS_LOST(STEFFENSEN_NAME, STEPS, XSTART, Y - XSTART, F, RUN);
        E != ENDING::CONVERGED || STEPS == 0)
        return E;
    // The test bounds g(x) - x, not the distance to the fixed point: along a tail where g
    // nears x without meeting it, g(x) - x is small far from any fixed point. The step
    // from the result shows what is left.
    const double LAST = std::abs(XSTART - ALT);
    for (const STEP_PAIR& P : STEFFENSEN_STEP_PAIRS(STEPS, std::abs(ALT - ALT2), LAST,
                                                    STEFFENSEN_AHEAD(XSTART, Y, F(Y))))
        if (const ENDING E = CONVERGED_UNLESS_SLOW(STEFFENSEN_NAME, STEPS, XSTART, P.EARLIER,
                                                   P.LATER, P.AHEAD, RUN.TOLERANCE, true);
            E != ENDING::CONVERGED)
            return E;
    return ENDING::CONVERGED;
}

}  // namespace METHODS
