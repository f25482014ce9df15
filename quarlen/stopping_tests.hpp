// What each method's loop compares with its tolerance, and the arithmetic of a step that
// leads to it, written once: the methods use these, and konvergenz replays a run's last
// step with them, so that both come to the same bits. A loop goes on while the measure
// exceeds the tolerance; a NaN measure ends it without meeting the test.
#pragma once

#include <cmath>

namespace METHODS {

// (A + B)/2 wherever A + B is finite; for ends near the largest doubles the halves are
// added instead, which is exact there and cannot overflow.
inline double MIDPOINT(double A, double B)
{
    const double SUM = A + B;
    return std::isfinite(SUM) ? SUM / 2 : A / 2 + B / 2;
}

// Bisection: |F| at the midpoint, FX = F(X).
inline double BISEC_MEASURE(double FX) { return std::abs(FX); }

// Newton's step from X, with FX = F(X) and DFX = DF(X).
inline double NEWTON_STEP(double X, double FX, double DFX) { return X - FX / DFX; }

// Newton: how far the iterate X lies from the one before, ALT.
inline double NEWTON_MEASURE(double X, double ALT) { return std::abs(X - ALT); }

// Fixed point: |g(X) - X|, with GX = g(X) evaluated first.
inline double FIX_MEASURE(double GX, double X) { return std::abs(GX - X); }

}  // namespace METHODS
