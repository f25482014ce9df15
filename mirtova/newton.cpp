// Newton's method: x(k+1) = x(k) - F(x(k)) / FDOT(x(k)), until |F(x(k+1))| < tolerance.
#include "mirtova/newton.hpp"

#include <cmath>
#include <limits>
#include <string>

#include "runtime/elementary.hpp"
#include "runtime/iteration_watch.hpp"
#include "runtime/program.hpp"
#include "runtime/record.hpp"

namespace NEWTON {
namespace {

void REPORT_STOP(runtime::Verdict WHY, std::int32_t NR_STEPS, float XSTART)
{
    const std::string AFTER = " after " + std::to_string(NR_STEPS) +
                              (NR_STEPS == 1 ? " step" : " steps") +
                              " at x = " + runtime::shortest(XSTART);
    if (WHY == runtime::Verdict::interrupted)
        runtime::fail(runtime::interrupted_status(),
                      "Newton iteration " + runtime::interruption() + AFTER);
    const char* REASON = ": the step counter cannot count further";
    if (WHY == runtime::Verdict::cycle) {
        REASON = ": the iterates repeat, it would never end";
    } else if (NR_STEPS < std::numeric_limits<std::int32_t>::max()) {
        REASON = ": the step limit (-n/--max-steps) is reached";
    }
    runtime::warn("Newton iteration stopped" + AFTER + REASON);
    runtime::note_not_converged();
}

void REPORT_BREAKDOWN(std::int32_t NR_STEPS, float FROM, float XSTART, bool BUILT_IN)
{
    std::string WHY =
        !BUILT_IN || std::isfinite(runtime::exponential(FROM))
            ? "the step from x = " + runtime::shortest(FROM) + " gives " + runtime::shortest(XSTART)
            : "e^x overflows at x = " + runtime::shortest(FROM);
    runtime::warn("Newton iteration broke down in step " + std::to_string(NR_STEPS) + ": " + WHY);
    runtime::note_not_converged();
}

}  // namespace

void FIND_ZERO(float& XSTART, std::int32_t& NR_STEPS, RealFunction F, RealFunction FDOT,
               const SETTINGS& RUN)
{
    NR_STEPS = 0;
    runtime::IterationWatch<float> WATCH(RUN.MAX_STEPS);
    float FROM = XSTART;  // the iterate the last step started from, for the messages
    bool TERMINATE = false;
    do {
        if (const runtime::Verdict WHY = WATCH.check(XSTART, NR_STEPS);
            WHY != runtime::Verdict::go) {
            REPORT_STOP(WHY, NR_STEPS, XSTART);
            return;
        }
        FROM = XSTART;
        const float NEWTON_ZERO = XSTART - F(XSTART) / FDOT(XSTART);
        XSTART = NEWTON_ZERO;
        // Written so that a NaN, which compares false, ends the loop too.
        TERMINATE = !(std::abs(F(XSTART)) >= RUN.TOLERANCE);
        ++NR_STEPS;
    } while (!TERMINATE);

    if (!std::isfinite(XSTART) || std::isnan(F(XSTART)))
        REPORT_BREAKDOWN(NR_STEPS, FROM, XSTART, RUN.BUILT_IN);
}

}  // namespace NEWTON
