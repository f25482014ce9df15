#include "mirtova/functions.hpp"

#include "runtime/elementary.hpp"

namespace FUNCTIONS {

float F1(const float& X)
{
    const float X2 = runtime::square(X);
    return runtime::exponential(X) - X2;
}

float F1DOT(const float& X)
{
    const float TWO_X = 2.0f * X;
    return runtime::exponential(X) - TWO_X;
}

}  // namespace FUNCTIONS
