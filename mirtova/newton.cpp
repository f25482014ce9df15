// Newton's method: x(k+1) = x(k) - F(x(k)) / FDOT(x(k)), until |F(x(k+1))| < tolerance.
#include "mirtova/newton.hpp"

#include <cmath>
#include <limits>
#include <string>

#include "runtime/elementary.hpp"
#include "runtime/iteration_watch.hpp"
#include "runtime/program.hpp"
#include "runtime/record.hpp"
#include "runtime/underflow_tracking.hpp"

namespace NEWTON {
namespace {

// Where the iterates repeat beside a root: the least |F| of the 32-bit reals up to 16
// places either side of X, when F changes sign among them and none meets TOLERANCE, so
// that no 32-bit real there can; otherwise 0.
float LEAST_NEAR_A_ROOT(float X, RealFunction F, float TOLERANCE)
{
    float AT = X;
    for (int K = 0; K < 16; ++K) AT = std::nextafter(AT, -std::numeric_limits<float>::infinity());
    float LEAST = std::numeric_limits<float>::infinity();
    bool NEGATIVE = false, POSITIVE = false;
    for (int K = 0; K <= 32; ++K, AT = std::nextafter(AT, std::numeric_limits<float>::infinity())) {
        const float FX = F(AT);
        if (!(std::abs(FX) >= TOLERANCE)) return 0;
        LEAST = std::min(LEAST, std::abs(FX));
        (FX < 0 ? NEGATIVE : POSITIVE) = true;
    }
    return NEGATIVE && POSITIVE ? LEAST : 0;
}

void REPORT_STOP(runtime::Verdict WHY, std::int32_t NR_STEPS, float XSTART, RealFunction F,
                 RealFunction FDOT, const SETTINGS& RUN)
{
    const std::string AFTER = " after " + std::to_string(NR_STEPS) +
                              (NR_STEPS == 1 ? " step" : " steps") +
                              " at x = " + runtime::shortest(XSTART);
    if (WHY == runtime::Verdict::interrupted)
        runtime::fail(runtime::interrupted_status(),
                      "Newton iteration " + runtime::interruption() + AFTER);
    std::string REASON = ": the step counter cannot count further";
    if (WHY == runtime::Verdict::cycle) {
        const float FX = F(XSTART), FDOTX = FDOT(XSTART);
        const float LEAST = LEAST_NEAR_A_ROOT(XSTART, F, RUN.TOLERANCE);
        if (std::isinf(FDOTX) && FX / FDOTX == 0) {
            REASON =
                ": the derivative is infinite there, so the Newton step is 0 although f(x) = " +
                runtime::shortest(FX);
        } else {
            REASON = ": the iterates repeat, it would never end";
            if (LEAST > 0)
                REASON += "; in 32-bit reals |f| near this root is at least " +
                          runtime::shortest(LEAST) + ", so the tolerance " +
                          runtime::shortest(RUN.TOLERANCE) + " cannot be reached";
        }
    } else if (NR_STEPS < std::numeric_limits<std::int32_t>::max()) {
        REASON = ": the step limit (-n/--max-steps) is reached";
    }
    runtime::warn("Newton iteration stopped" + AFTER + REASON);
    runtime::note_not_converged();
}

// The NaN or infinity that ended the iteration came from the step from FROM, the
// NR_STEPS-th. Where FROM is no finite number itself, an earlier step left the reals:
// the steps are taken again from START (F and FDOT are pure) to name that one.
void REPORT_BREAKDOWN(float START, std::int32_t NR_STEPS, float FROM, float XSTART, RealFunction F,
                      RealFunction FDOT, bool BUILT_IN)
{
    for (std::int32_t K = 1; !std::isfinite(FROM) && K < NR_STEPS; ++K) {
        const float NEXT = START - F(START) / FDOT(START);
        if (!std::isfinite(NEXT)) {
            FROM = START;
            XSTART = NEXT;
            NR_STEPS = K;
        }
        START = NEXT;
    }
    std::string WHY =
        "the step from x = " + runtime::shortest(FROM) + " gives " + runtime::shortest(XSTART);
    if (std::isfinite(XSTART) && std::isnan(F(XSTART))) {
        WHY = "f(x) is not a number at x = " + runtime::shortest(XSTART);
    } else if (std::isfinite(F(FROM)) && FDOT(FROM) == 0) {
        WHY = "the derivative is 0 at x = " + runtime::shortest(FROM);
    } else if (BUILT_IN && !std::isfinite(runtime::exponential(FROM))) {
        WHY = "e^x overflows at x = " + runtime::shortest(FROM);
    }
    runtime::warn("Newton iteration broke down in step " + std::to_string(NR_STEPS) + ": " + WHY);
    runtime::note_not_converged();
}

// The test held at XSTART after NR_STEPS steps, but for the reason WHY no root is found.
void REPORT_NOT_CONVERGED(std::int32_t NR_STEPS, float XSTART, const std::string& WHY)
{
    runtime::warn("Newton iteration did not converge after " + std::to_string(NR_STEPS) +
                  (NR_STEPS == 1 ? " step" : " steps") + " at x = " + runtime::shortest(XSTART) +
                  ": " + WHY);
    runtime::note_not_converged();
}

// How a loss on the way made F(x) = FX pass the test: a tiny value only by it; a larger
// one may be right, but what the loss can have hidden reaches beyond the tolerance.
std::string WHAT_THE_LOSS_HID(float FX, runtime::Loss LOSS)
{
    const std::string BY = LOSS == runtime::Loss::overflow ? "overflow or underflow" : "underflow";
    if (runtime::tiny(FX))
        return (FX == 0 ? " is 0" : " = " + runtime::shortest(FX) + " is this small") +
               " only by " + BY;
    return " = " + runtime::shortest(FX) + ", but what " + BY +
           " on the way can have hidden reaches beyond the tolerance";
}

// The test bounds |f|, not the distance to a root: along a tail where f nears 0 without a
// root (e^x, 1/x, x e^-x beyond 1) it passes far from any. The next step from X, with
// F(X) = FX and F'(X) = FDX, weighed against the LAST (X less the iterate before), tells:
// where the steps go on the same way without shrinking, or those still to come add up to
// a distance over which f changes by more than ten tolerances, X is no root found, and the
// reason is returned; "" where it is one. A next step back the other way encloses a point
// between the two (as Newton's steps bounce about the root of sqrt(|x|)), over which f
// changes by |f| < tolerance alone. Steps at the rounding level of X say nothing.
std::string STILL_FAR(float X, float FX, float FDX, float LAST, float TOLERANCE)
{
    const double STEP = FX == 0 ? 0.0 : -double(FX) / FDX;
    const double NEXT = std::abs(STEP);
    const double ROUNDING = runtime::rounding_level(X);
    if (!(NEXT > ROUNDING) || !(LAST != 0)) return "";
    if ((STEP < 0) != (LAST < 0)) return "";
    const double Q = NEXT / std::abs(LAST);
    if (Q >= 1)
        return "|f| is below the tolerance, but the steps do not shrink (" +
               runtime::shortest(std::abs(LAST)) + ", then " + runtime::shortest(float(NEXT)) +
               "): f only nears 0 here, it does not show a root";
    const double LEFT = NEXT / (1 - Q);
    if (!(std::abs(double(FDX)) * LEFT > 10.0 * TOLERANCE)) return "";
    return "|f| is below the tolerance, but the steps shrink too slowly: those still to come "
           "add up to about " +
           runtime::shortest(float(LEFT));
}

}  // namespace

bool FIND_ZERO(float& XSTART, std::int32_t& NR_STEPS, RealFunction F, RealFunction FDOT,
               const SETTINGS& RUN)
{
    NR_STEPS = 0;
    const float START = XSTART;
    runtime::IterationWatch<float> WATCH(RUN.MAX_STEPS);
    float FROM = XSTART;  // the iterate the last step started from, for the messages
    bool TERMINATE = false;
    do {
        if (const runtime::Verdict WHY = WATCH.check(XSTART, NR_STEPS);
            WHY != runtime::Verdict::go) {
            // An infinite iterate that repeats left the reals: no result to show.
            if (WHY == runtime::Verdict::cycle && !std::isfinite(XSTART)) {
                REPORT_BREAKDOWN(START, NR_STEPS, FROM, XSTART, F, FDOT, RUN.BUILT_IN);
                return false;
            }
            REPORT_STOP(WHY, NR_STEPS, XSTART, F, FDOT, RUN);
            return true;
        }
        FROM = XSTART;
        const float NEWTON_ZERO = XSTART - F(XSTART) / FDOT(XSTART);
        XSTART = NEWTON_ZERO;
        // Written so that a NaN, which compares false, ends the loop too.
        TERMINATE = !(std::abs(F(XSTART)) >= RUN.TOLERANCE);
        ++NR_STEPS;
    } while (!TERMINATE);

    if (std::isnan(XSTART) && F(FROM) == 0) XSTART = FROM;  // a root: its step is 0, whatever f'
    const float FX = F(XSTART);
    if (!std::isfinite(XSTART) || std::isnan(FX)) {
        REPORT_BREAKDOWN(START, NR_STEPS, FROM, XSTART, F, FDOT, RUN.BUILT_IN);
        return false;
    }
    const runtime::RangeLoss LOST = RUN.UNDERFLOWS(XSTART);
    const bool ONLY_BY_LOSS =
        runtime::tiny(FX) || !(std::abs(FX) + LOST.hidden < static_cast<double>(RUN.TOLERANCE));
    if (const runtime::Loss LOSS = ONLY_BY_LOSS ? LOST.loss : runtime::Loss::none;
        LOSS != runtime::Loss::none) {
        REPORT_NOT_CONVERGED(NR_STEPS, XSTART,
                             "f(x)" + WHAT_THE_LOSS_HID(FX, LOSS) +
                                 "; it does not show whether x is near a root");
        return true;
    }
    if (const std::string WHY = STILL_FAR(XSTART, FX, FDOT(XSTART), XSTART - FROM, RUN.TOLERANCE);
        !WHY.empty())
        REPORT_NOT_CONVERGED(NR_STEPS, XSTART, WHY);
    return true;
}

}  // namespace NEWTON
