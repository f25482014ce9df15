#include "rootfinding/functions.hpp"

#include "runtime/elementary.hpp"
#include "runtime/underflow_tracking.hpp"

namespace FUNCTIONS {
namespace {

using runtime::cube;
using runtime::exponential;
using runtime::square;

// F1 and GF2 for any number type: on reals for their values, on tracked reals to learn
// whether an operation underflowed or overflowed.
template <class Number> Number F1_OF(const Number& X)
{
    return ((cube(X) + X * 100.0) - 5.0 * square(X)) + -400.0;
}

template <class Number> Number GF2_OF(const Number& X)
{
    return (exponential(-X) - 0.1 / (X + 1.0)) + X;
}

}  // namespace

// At x = -1 the test functions 2 divide by zero and return an infinity, which the
// iterations carry on with until a NaN ends them.

double F1(const double& X) { return F1_OF(X); }

double DF1(const double& X) { return (3.0 * square(X) - X * 10.0) + 100.0; }

double GF1(const double& X) { return ((cube(X) + X * 101.0) - 5.0 * square(X)) - 400.0; }

double F2(const double& X) { return exponential(-X) - 0.1 / (X + 1.0); }

double DF2(const double& X) { return -exponential(-X) + 0.1 / square(X + 1.0); }

double GF2(const double& X) { return GF2_OF(X); }

runtime::RangeLoss F1_UNDERFLOWS(const double& X)
{
    return F1_OF(runtime::Tracked<double>(X)).range_loss();
}

runtime::RangeLoss GF2_UNDERFLOWS(const double& X)
{
    return GF2_OF(runtime::Tracked<double>(X)).range_loss();
}

double GF2_DROPPED(const double& X) { return GF2_OF(runtime::Tracked<double>(X)).dropped; }

}  // namespace FUNCTIONS
