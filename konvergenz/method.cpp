#include "method.hpp"

namespace konvergenz {

double function_value(MethodKind kind, double x, double third_item)
{
    switch (kind) {
    case MethodKind::bisection:
    case MethodKind::newton:
        return third_item;
    case MethodKind::fixed_point:
        return third_item - x;
    }
    return third_item;
}

}  // namespace konvergenz
