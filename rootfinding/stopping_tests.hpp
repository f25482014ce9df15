// What each method's loop compares with its tolerance, and the arithmetic of a step that
// leads to it, written once: the methods use these, and konvergenz replays a run's last
// step with them, so that both come to the same bits. A loop goes on while the measure
// exceeds the tolerance; a NaN measure ends it without meeting the test.
#pragma once

#include <algorithm>
#include <cmath>

namespace METHODS {

// (A + B)/2 wherever A + B is finite; for ends near the largest doubles the halves are
// added instead, which is exact there and cannot overflow.
inline double MIDPOINT(double A, double B)
{
    const double SUM = A + B;
    return std::isfinite(SUM) ? SUM / 2 : A / 2 + B / 2;
}

// The first point of bisection, regula falsi and Illinois, with FA = F(A), FB = F(B): an
// end where F is exactly 0 is the root and needs no step; otherwise FIRST.
inline double FIRST_POINT(double A, double FA, double B, double FB, double FIRST)
{
    return FA == 0 ? A : FB == 0 ? B : FIRST;
}

// Bisection, regula falsi and Illinois: |F| at the new point, FX = F(X).
inline double BISEC_MEASURE(double FX) { return std::abs(FX); }

// Regula falsi and Illinois: where the chord through (A, FA) and (B, FB) meets the axis.
// Where a product or difference in it overflows for finite ends and values, the point is
// found from halves instead, which cannot overflow, going the smaller share of the way
// from the end where |F| is smaller; every point that is finite today stays as it is.
inline double CHORD_POINT(double A, double FA, double B, double FB)
{
    const double X = B - FB * (B - A) / (FB - FA);
    // Across a sign change the point lies between the ends; outside, B - FB(B - A)/(FB - FA)
    // lost it in cancellation where FB is far larger than FA (1e100 less nearly 1e100), and
    // the same point taken from A keeps it.
    const bool ACROSS = (FA < 0 && FB > 0) || (FA > 0 && FB < 0);
    if (ACROSS && std::isfinite(X) && (X < std::min(A, B) || X > std::max(A, B)))
        return A - FA * (B - A) / (FB - FA);
    if (std::isfinite(X) || !std::isfinite(A) || !std::isfinite(B) || !std::isfinite(FA) ||
        !std::isfinite(FB))
        return X;
    const double HA = A / 2, HB = B / 2, HFA = FA / 2, HFB = FB / 2;
    const double HALF = std::abs(FA) < std::abs(FB) ? HA + HFA / (HFA - HFB) * (HB - HA)
                                                    : HB - HFB / (HFB - HFA) * (HB - HA);
    return HALF + HALF;
}

// Newton's step from X, with FX = F(X) and DFX = DF(X): X less the correction.
inline double NEWTON_CORRECTION(double FX, double DFX) { return FX / DFX; }
inline double NEWTON_STEP(double X, double FX, double DFX)
{
    return X - NEWTON_CORRECTION(FX, DFX);
}

// How long Newton's step from a point with FX and DFX is; 0 at an exact root, whatever DFX.
inline double NEWTON_AHEAD(double FX, double DFX)
{
    return FX == 0 ? 0 : std::abs(NEWTON_CORRECTION(FX, DFX));
}

// Newton and the secant method: how far the iterate X lies from the one before, ALT.
inline double NEWTON_MEASURE(double X, double ALT) { return std::abs(X - ALT); }

// The secant step from X0, X1 with FX0 = F(X0), FX1 = F(X1): X1 less the correction.
inline double SECANT_CORRECTION(double X0, double FX0, double X1, double FX1)
{
    return FX1 * (X1 - X0) / (FX1 - FX0);
}
inline double SECANT_STEP(double X0, double FX0, double X1, double FX1)
{
    return X1 - SECANT_CORRECTION(X0, FX0, X1, FX1);
}

// Fixed point and Steffensen: |g(X) - X|, with GX = g(X) evaluated first.
inline double FIX_MEASURE(double GX, double X) { return std::abs(GX - X); }

// Steffensen's step from X, with Y = g(X) and Z = g(Y).
inline double STEFFENSEN_STEP(double X, double Y, double Z)
{
    const double D = Y - X;
    return X - D * D / ((Z - Y) - D);
}

// How long that step is; 0 at an exact fixed point, where it would be 0/0.
inline double STEFFENSEN_AHEAD(double X, double Y, double Z)
{
    return Y == X ? 0 : std::abs(STEFFENSEN_STEP(X, Y, Z) - X);
}

}  // namespace METHODS
