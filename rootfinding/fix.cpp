// Fixed-point iteration: x(k+1) = F(x(k)), where a fixed point of F is sought.
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

ENDING FIX(double& XSTART, RealFunction F, std::int32_t& STEPS, std::string_view AUSGABE,
           const SETTINGS& RUN)
{
    STEPS = 0;
    runtime::LogFile LOG(AUSGABE);
    runtime::StepRecords RECORDS(LOG);
    LOG.write(runtime::Record().text("Startwert= ").real(XSTART), RUN.HEADER);

    runtime::IterationWatch<double> WATCH(RUN.MAX_STEPS);
    runtime::Verdict WHY = runtime::Verdict::go;
    // X = F(XSTART) serves both the test and the step: one evaluation per step.
    double X = F(XSTART);
    while (FIX_MEASURE(X, XSTART) > RUN.TOLERANCE) {
        if ((WHY = WATCH.check(XSTART, STEPS)) != runtime::Verdict::go) break;
        RECORDS.write(STEPS, XSTART, X);
        XSTART = X;
        ++STEPS;
        X = F(XSTART);
    }
    LOG.close();

    if (WHY != runtime::Verdict::go)
        return REPORT_STOP(
            FIX_NAME, WHY, STEPS, XSTART,
            "die Iterierten wiederholen sich, zuletzt x = " + runtime::shortest(XSTART), AUSGABE);
    if (std::isnan(FIX_MEASURE(X, XSTART))) {
        // The test comes before the record, so the broken step has none: it is the one
        // after the log's last.
        return REPORT_BREAKDOWN(FIX_NAME, STEPS,
                                "g(x) = " + runtime::shortest(X) +
                                    " bei x = " + runtime::shortest(XSTART));
    }
    return FIXED_POINT_UNLESS_LOST(FIX_NAME, STEPS, XSTART, X - XSTART, F, RUN);
}

}  // namespace METHODS
