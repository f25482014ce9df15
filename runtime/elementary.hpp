// The exponential function and the integer powers the test functions are built from.
// Powers are products, so they are defined for negative arguments and round exactly
// as the written product does: cube(x) is (x * x) * x.
#pragma once

#include <cmath>

namespace runtime {

inline double exponential(double x) { return std::exp(x); }

// Formed in 64 bits, then rounded once to 32: closer to e^x than a 32-bit exp.
inline float exponential(float x) { return static_cast<float>(std::exp(static_cast<double>(x))); }

inline double square(double x) { return x * x; }
inline float square(float x) { return x * x; }
inline double cube(double x) { return x * x * x; }

}  // namespace runtime
