#include "rootfinding/functions.hpp"

#include "runtime/elementary.hpp"

namespace FUNCTIONS {

using runtime::cube;
using runtime::exponential;
using runtime::square;

// At x = -1 the test functions 2 divide by zero and return an infinity, which the
// iterations carry on with until a NaN ends them.

double F1(const double& X) { return ((cube(X) + X * 100.0) - 5.0 * square(X)) + -400.0; }

double DF1(const double& X) { return (3.0 * square(X) - X * 10.0) + 100.0; }

double GF1(const double& X) { return ((cube(X) + X * 101.0) - 5.0 * square(X)) - 400.0; }

double F2(const double& X) { return exponential(-X) - 0.1 / (X + 1.0); }

double DF2(const double& X) { return -exponential(-X) + 0.1 / square(X + 1.0); }

double GF2(const double& X) { return (exponential(-X) - 0.1 / (X + 1.0)) + X; }

}  // namespace FUNCTIONS
