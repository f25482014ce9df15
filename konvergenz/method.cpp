#include "method.hpp"

#include <cmath>

namespace konvergenz {

double residual(MethodKind kind, double x, double third_item)
{
    switch (kind) {
    case MethodKind::bisection:
    case MethodKind::newton:
        return std::fabs(third_item);
    case MethodKind::fixed_point:
        return std::fabs(third_item - x);
    }
    return std::fabs(third_item);
}

}  // namespace konvergenz
