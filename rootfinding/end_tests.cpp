#include "rootfinding/end_tests.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "rootfinding/stopping_tests.hpp"

namespace METHODS {

double ROUNDING_LEVEL(double X) { return runtime::rounding_level(X); }

runtime::Loss LOSS_BEHIND(double X, double V, UnderflowTest UNDERFLOWS, double TOLERANCE)
{
    if (runtime::tiny(V)) return UNDERFLOWS(X).loss;
    if (std::isinf(TOLERANCE)) return runtime::Loss::none;
    const runtime::RangeLoss LOST = UNDERFLOWS(X);
    return std::abs(V) + LOST.hidden <= TOLERANCE ? runtime::Loss::none : LOST.loss;
}

double STEP_TOLERANCE(double FX, double CORRECTION, double TOLERANCE)
{
    const double SLOPE = std::abs(FX / CORRECTION);
    if (CORRECTION == 0 || !std::isfinite(SLOPE)) return std::numeric_limits<double>::infinity();
    return std::abs(FX) + TOLERANCE * SLOPE;
}

bool ZERO_BY_ROUNDING(double X, double V, RealFunction G, DropTest DROPPED, double TOLERANCE,
                      double& DROPPED_OUT)
{
    DROPPED_OUT = V == 0 ? DROPPED(X) : 0;
    if (!(DROPPED_OUT > TOLERANCE)) return false;
    const double NEAR = ROUNDING_LEVEL(X);
    const double BELOW = G(X - NEAR) - (X - NEAR), ABOVE = G(X + NEAR) - (X + NEAR);
    return !((BELOW > 0 && ABOVE < 0) || (BELOW < 0 && ABOVE > 0));
}

double STEPS_LEFT(double EARLIER, double LATER, double AHEAD)
{
    // Shrinking by Q each, the steps from where LATER starts add up to LATER/(1 - Q); the
    // part of LATER already taken lies behind X.
    const double Q = LATER / EARLIER;
    return LATER / (1 - Q) - (LATER - AHEAD);
}

bool STEPS_TOO_SLOW(double X, double EARLIER, double LATER, double AHEAD, double TOLERANCE)
{
    if (!(LATER > ROUNDING_LEVEL(X))) return false;
    return !(LATER / EARLIER < 1 && STEPS_LEFT(EARLIER, LATER, AHEAD) <= 10 * TOLERANCE);
}

STEP_PAIRS SECANT_STEP_PAIRS(std::int64_t STEPS, double BEFORE, double LAST, double NEXT,
                             double TOLERANCE)
{
    // The starts are no step of the method: after one step only the next one tells.
    if (STEPS == 1) return {{{{LAST, NEXT, NEXT}}}, 1};
    // The test bounds the last step; the one before shows how fast the steps shrink. Near a
    // root the next step is shorter than the last; one far beyond the tolerance says the
    // short step was the chord's doing (below that, rounding may lengthen it). That is
    // judged where both ends of the last chord are the method's own iterates, from the third
    // step on; a second step from a typed start keeps its verdict.
    if (STEPS >= 3 && NEXT > 10 * TOLERANCE) return {{{{BEFORE, LAST, 0}, {LAST, NEXT, NEXT}}}, 2};
    return {{{{BEFORE, LAST, 0}}}, 1};
}

STEP_PAIRS STEFFENSEN_STEP_PAIRS(std::int64_t STEPS, double BEFORE, double LAST, double AHEAD)
{
    // The step from the result weighed against the last; where it is no number (g as good
    // as linear there), the last against the one before.
    if (std::isfinite(AHEAD)) return {{{{LAST, AHEAD, AHEAD}}}, 1};
    if (STEPS == 1) return {};
    return {{{{BEFORE, LAST, 0}}}, 1};
}

namespace {

// Follows an iteration on from X, each point from the two before it (the first two X and
// NEXT): until a point lies more than ten tolerances from X, or a step moves no further
// than the rounding level, is no number, or turns back shorter than the step before it.
// Steps that turn back shorter close in on a point, a root or the noise about one (where
// f' is noise too, a later step can jump anywhere); a long jump back, as beside a pole,
// closes in on nothing.
template <class STEP_FROM> FOLLOWED FOLLOW(double X, double NEXT, double TOLERANCE, STEP_FROM STEP)
{
    // Below the rounding level of X a distance is rounding, whatever the tolerance.
    const double FAR = std::max(10 * TOLERANCE, ROUNDING_LEVEL(X));
    const bool UP = NEXT > X;
    double A = X, B = NEXT;
    for (std::int32_t K = 1; K <= FOLLOW_STEPS; ++K) {
        if (const double D = std::abs(B - X); D > FAR) return {K, D};
        if (!(std::abs(B - A) > ROUNDING_LEVEL(B))) return {};
        const double C = STEP(A, B);
        if (!std::isfinite(C) || C == B) return {};
        if ((C > B) != UP && std::abs(C - B) < std::abs(B - A)) return {};
        A = B;
        B = C;
    }
    return {};
}

}  // namespace

FOLLOWED NEWTON_FOLLOWED(std::int64_t STEPS, double X, double FX, double FBEFORE, double TOLERANCE,
                         RealFunction F, RealFunction DF)
{
    if (STEPS != 1 || !(std::abs(FX) > std::abs(FBEFORE)) || FX == 0) return {};
    return FOLLOW(X, NEWTON_STEP(X, FX, DF(X)), TOLERANCE, [&](double, double B) {
        const double FB = F(B);
        return FB == 0 ? B : NEWTON_STEP(B, FB, DF(B));
    });
}

FOLLOWED SECANT_FOLLOWED(double X1, double CORRECTION, double TOLERANCE, RealFunction F)
{
    if (!(std::abs(CORRECTION) > std::max(TOLERANCE, ROUNDING_LEVEL(X1)))) return {};
    return FOLLOW(X1, X1 - CORRECTION, TOLERANCE, [&](double A, double B) {
        const double FB = F(B);
        return FB == 0 ? B : SECANT_STEP(A, F(A), B, FB);
    });
}

bool STILL_AHEAD_TOO_FAR(double X, double AHEAD, double TOLERANCE)
{
    return !(AHEAD <= ROUNDING_LEVEL(X) || AHEAD <= 10 * TOLERANCE);
}

bool NO_ROOT_WITHIN_ROUNDING(double X, double FX, double TOLERANCE, RealFunction F)
{
    if (FX == 0 || !(ROUNDING_LEVEL(X) > TOLERANCE)) return false;
    const double NEAR = 2 * ROUNDING_LEVEL(X);
    for (const double XN : {X - NEAR, X + NEAR}) {
        const double FN = F(XN);
        if ((FX > 0 && FN <= 0) || (FX < 0 && FN >= 0)) return false;
    }
    // At a root of even order, |F| grows at least as the square of the distance: 2^20 times
    // as far off it is 2^40 times as large, where doubles resolve F there at all.
    const double FAR_OFF = 0x1p20 * NEAR;
    for (const double XN : {X - FAR_OFF, X + FAR_OFF}) {
        const double FN = std::abs(F(XN));
        if (std::isfinite(FN) && std::abs(FX) <= 0x1p-20 * FN) return false;
    }
    return true;
}

double SECANT_AHEAD_CORRECTION(double X0, double FX0, double X1, double FX1, RealFunction F,
                               double TOLERANCE)
{
    if (FX1 == 0) return 0;
    if (X1 != X0) return SECANT_CORRECTION(X0, FX0, X1, FX1);
    // Widened until F differs from F(X1) at one side: at the rounding level a slope can
    // round away, and at the edge of F's domain one side may have no value.
    double H = std::max(TOLERANCE, ROUNDING_LEVEL(X1));
    for (int WIDENINGS = 0; WIDENINGS < 8; ++WIDENINGS, H *= 16) {
        for (const double XH : {X1 + H, X1 - H}) {
            const double FH = F(XH);
            if (std::isfinite(FH) && FH != FX1) return SECANT_CORRECTION(XH, FH, X1, FX1);
        }
    }
    return std::numeric_limits<double>::infinity();
}

}  // namespace METHODS
