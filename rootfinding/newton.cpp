// Newton's method: x(k+1) = x(k) - F(x(k)) / DF(x(k)).
#include <cmath>
#include <limits>

#include "rootfinding/methods.hpp"
#include "rootfinding/stop_report.hpp"
#include "rootfinding/stopping_tests.hpp"
#include "runtime/console.hpp"
#include "runtime/iteration_watch.hpp"
#include "runtime/log_file.hpp"
#include "runtime/record.hpp"
#include "runtime/step_records.hpp"

namespace METHODS {
namespace {

// The NaN that ended the iteration came from the step from ALT to XSTART, the STEPS-th.
// Where ALT is no finite number itself, an earlier step left the reals: the steps are
// taken again from START (F and DF are pure), without records, to name that one.
ENDING NEWTON_BREAKDOWN(double START, double XSTART, double ALT, std::int32_t STEPS, RealFunction F,
                        RealFunction DF)
{
    double FROM = ALT, TO = XSTART;
    std::int32_t AT = STEPS - 1;
    for (std::int32_t K = 0; !std::isfinite(FROM) && K < STEPS - 1; ++K) {
        const double NEXT = NEWTON_STEP(START, F(START), DF(START));
        if (!std::isfinite(NEXT)) {
            FROM = START;
            TO = NEXT;
            AT = K;
        }
        START = NEXT;
    }
    if (std::isnan(F(FROM)))
        return REPORT_BREAKDOWN(NEWTON_NAME, AT,
                                "f(x) ist keine Zahl bei x = " + runtime::shortest(FROM));
    if (std::isnan(DF(FROM)))
        return REPORT_BREAKDOWN(NEWTON_NAME, AT,
                                "f'(x) ist keine Zahl bei x = " + runtime::shortest(FROM));
    if (std::isfinite(F(FROM)) && DF(FROM) == 0)
        return REPORT_BREAKDOWN(NEWTON_NAME, AT,
                                "die Ableitung ist bei x = " + runtime::shortest(FROM) +
                                    " gleich 0, die Tangente trifft die Achse nicht");
    return REPORT_BREAKDOWN(NEWTON_NAME, AT,
                            "der Schritt von x = " + runtime::shortest(FROM) + " führt auf " +
                                runtime::shortest(TO));
}

}  // namespace

ENDING NEWTON(double& XSTART, std::int32_t& STEPS, RealFunction F, RealFunction DF,
              std::string_view AUSGABE, const SETTINGS& RUN)
{
    STEPS = 0;
    runtime::LogFile LOG(AUSGABE);
    runtime::StepRecords RECORDS(LOG, runtime::StepRecords::First::console);
    LOG.write(runtime::Record().text("Startwert= ").real(XSTART), RUN.HEADER);

    const double START = XSTART;
    runtime::IterationWatch<double> WATCH(RUN.MAX_STEPS);
    runtime::Verdict WHY = runtime::Verdict::go;
    // There is no iterate before the first, so the first test must pass. A previous
    // iterate 1 away makes it pass below a tolerance of 1, unless XSTART is so large
    // (2^53 or more) that adding 1 changes nothing: then no step is taken at all. From a
    // tolerance of 1 on, only one infinitely far makes it pass.
    double ALT = RUN.TOLERANCE < 1 ? XSTART + 1 : std::numeric_limits<double>::infinity();
    while (NEWTON_MEASURE(XSTART, ALT) > RUN.TOLERANCE) {
        if ((WHY = WATCH.check(XSTART, STEPS)) != runtime::Verdict::go) break;
        ALT = XSTART;
        const double FX = F(XSTART);
        // No guard against DF = 0: the infinity leads to a NaN, which ends the loop.
        const double NEWTON_ZERO = NEWTON_STEP(XSTART, FX, DF(XSTART));
        RECORDS.write(STEPS, XSTART, FX);
        XSTART = NEWTON_ZERO;
        ++STEPS;
    }
    LOG.close();

    if (WHY != runtime::Verdict::go)
        return REPORT_STOP(
            NEWTON_NAME, WHY, STEPS, XSTART,
            "die Iterierten wiederholen sich, zuletzt x = " + runtime::shortest(XSTART), AUSGABE);
    if (STEPS == 0 && XSTART + 1 == XSTART) {
        // The first test compared XSTART with itself: not a root found, no step taken.
        return REPORT_NO_STEP(NEWTON_NAME,
                              "beim Startwert x = " + runtime::shortest(XSTART) +
                                  " ergibt x + 1 wieder x (ab |x| = 2^53), so dass der Test auf "
                                  "den Abstand zweier Iterierter schon vor dem ersten Schritt "
                                  "erfüllt ist");
    }
    // The last step went from ALT to XSTART.
    const double FX = F(ALT);
    if (std::isnan(NEWTON_MEASURE(XSTART, ALT))) {
        // f(inf) = 0, as for 1/x, makes no root: the iterate left the reals.
        if (FX != 0 || !std::isfinite(ALT))
            return NEWTON_BREAKDOWN(START, XSTART, ALT, STEPS, F, DF);
        XSTART = ALT;  // a root: its step is 0, even where f'(x) is 0 too
    }
    const double DFX = DF(ALT);
    if (const ENDING E = CONVERGED_UNLESS_UNDERFLOW(
            NEWTON_NAME, STEPS, ALT, FX, RUN.UNDERFLOWS,
            STEP_TOLERANCE(FX, NEWTON_CORRECTION(FX, DFX), RUN.TOLERANCE));
        E != ENDING::CONVERGED)
        return E;
    if (FX == 0 || NEWTON_CORRECTION(FX, DFX) != 0) {
        // The test bounds the last step; the next one, from XSTART, shows what is left.
        const double FNEXT = F(XSTART);
        // A short step onto a pole, or out of f's domain, ends by the test all the same.
        if (!std::isfinite(FNEXT))
            return REPORT_NOT_CONVERGED(NEWTON_NAME, STEPS, XSTART, NOT_FINITE_THERE("f", FNEXT));
        const double NEXT = NEWTON_AHEAD(FNEXT, DF(XSTART));
        if (const ENDING E = CONVERGED_UNLESS_SLOW(
                NEWTON_NAME, STEPS, XSTART, std::abs(XSTART - ALT), NEXT, NEXT, RUN.TOLERANCE);
            E != ENDING::CONVERGED)
            return E;
        if (const ENDING E = CONVERGED_UNLESS_FOLLOWED_FAR(
                NEWTON_NAME, STEPS, XSTART,
                NEWTON_FOLLOWED(STEPS, XSTART, FNEXT, FX, RUN.TOLERANCE, F, DF));
            E != ENDING::CONVERGED)
            return E;
        return CONVERGED_UNLESS_NO_ROOT_WITHIN_ROUNDING(NEWTON_NAME, STEPS, XSTART, FNEXT,
                                                        RUN.TOLERANCE, F, "f");
    }
    // A correction of exactly 0 where f is not 0: not a root, the step could not move.
    return REPORT_NOT_CONVERGED(
        NEWTON_NAME, STEPS, XSTART,
        std::isinf(DFX)
            ? "die Ableitung ist dort unendlich, der Newton-Schritt daher 0, obwohl f(x) = " +
                  runtime::shortest(FX) + " ist"
            : "der Newton-Schritt f(x)/f'(x) = " + runtime::shortest(FX) + "/" +
                  runtime::shortest(DFX) + " ist nur durch Unterlauf 0");
}

}  // namespace METHODS
