#include "mirtova/functions.hpp"

#include "runtime/elementary.hpp"
#include "runtime/underflow_tracking.hpp"

namespace FUNCTIONS {
namespace {

// F1 for any number type: on reals for its value, on tracked reals to learn whether an
// operation underflowed.
template <class Number> Number F1_OF(const Number& X)
{
    const Number X2 = runtime::square(X);
    return runtime::exponential(X) - X2;
}

}  // namespace

float F1(const float& X) { return F1_OF(X); }

float F1DOT(const float& X)
{
    const float TWO_X = 2.0f * X;
    return runtime::exponential(X) - TWO_X;
}

runtime::RangeLoss F1_UNDERFLOWS(const float& X)
{
    return F1_OF(runtime::Tracked<float>(X)).range_loss();
}

}  // namespace FUNCTIONS
