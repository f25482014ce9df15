// Newton's method: x(k+1) = x(k) - F(x(k)) / DF(x(k)).
#include <cmath>

#include "rootfinding/methods.hpp"
#include "rootfinding/stop_report.hpp"
#include "rootfinding/stopping_tests.hpp"
#include "runtime/console.hpp"
#include "runtime/iteration_watch.hpp"
#include "runtime/log_file.hpp"
#include "runtime/record.hpp"

namespace METHODS {

void NEWTON(double& XSTART, std::int32_t& STEPS, RealFunction F, RealFunction DF,
            std::string_view AUSGABE, const SETTINGS& RUN)
{
    STEPS = 0;
    runtime::LogFile LOG(AUSGABE);
    LOG.write(runtime::Record().text("Startwert= ").real(XSTART), RUN.HEADER);

    runtime::IterationWatch<double> WATCH(RUN.MAX_STEPS);
    runtime::Verdict WHY = runtime::Verdict::go;
    // A previous iterate 1 away makes the first test pass, unless XSTART is so large
    // (2^53 or more) that adding 1 changes nothing: then no step is taken at all.
    double ALT = XSTART + 1;
    while (NEWTON_MEASURE(XSTART, ALT) > RUN.TOLERANCE) {
        if ((WHY = WATCH.check(XSTART, STEPS)) != runtime::Verdict::go) break;
        ALT = XSTART;
        const double FX = F(XSTART);
        // No guard against DF = 0: the infinity leads to a NaN, which ends the loop.
        const double NEWTON_ZERO = NEWTON_STEP(XSTART, FX, DF(XSTART));
        const runtime::Record STEP = runtime::Record().integer(STEPS).real(XSTART).real(FX);
        runtime::console::write(STEP);
        LOG.write(STEP);
        XSTART = NEWTON_ZERO;
        ++STEPS;
    }
    LOG.close();

    if (WHY != runtime::Verdict::go) {
        REPORT_STOP("Newton-Verfahren", WHY, STEPS, XSTART,
                    "die Iterierten wiederholen sich, zuletzt x = " + runtime::shortest(XSTART),
                    AUSGABE);
    } else if (STEPS == 0 && XSTART + 1 == XSTART) {
        // The first test compared XSTART with itself: not a root found, no step taken.
        REPORT_NO_STEP("Newton-Verfahren",
                       "beim Startwert x = " + runtime::shortest(XSTART) +
                           " ergibt x + 1 wieder x (ab |x| = 2^53), so dass der Test auf den "
                           "Abstand zweier Iterierter schon vor dem ersten Schritt erfüllt ist");
    } else if (std::isnan(NEWTON_MEASURE(XSTART, ALT))) {
        // The step that led to the NaN is the last one in the log.
        REPORT_BREAKDOWN("Newton-Verfahren", STEPS - 1,
                         "der Schritt von x = " + runtime::shortest(ALT) + " führt auf " +
                             runtime::shortest(XSTART));
    }
}

}  // namespace METHODS
