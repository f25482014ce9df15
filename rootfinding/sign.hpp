// The sign rule of the bracketing methods.
#pragma once

namespace METHODS {

// +1 or -1: 0 counts as +1, NaN as -1.
inline int SIGN(double FX) { return FX >= 0 ? 1 : -1; }

}  // namespace METHODS
