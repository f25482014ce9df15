// The compiled formula run on a fixed stack, for a value, for a value with its
// derivative, or for a value that notes underflow: the same loop over the same
// operations, on reals, on dual numbers or on tracked reals.
#include "runtime/expression.hpp"

#include <limits>

#include "runtime/underflow_tracking.hpp"

namespace runtime {
namespace {

template <class Real> Real lift(Real constant, Real*) { return constant; }
template <class Real> Dual<Real> lift(Real constant, Dual<Real>*) { return {constant, Real(0)}; }
template <class Real> Tracked<Real> lift(Real constant, Tracked<Real>*) { return constant; }

template <class Real, class Number> Number run(const std::vector<Instruction<Real>>& code, Number x)
{
    // The compiler refuses a formula that needs more than FORMULA_STACK slots.
    Number stack[FORMULA_STACK];
    std::size_t top = 0;  // stack[top - 1] is the top
    for (const Instruction<Real>& step : code) {
        switch (step.operation) {
        case Operation::x:
            stack[top++] = x;
            break;
        case Operation::constant:
            stack[top++] = lift(step.constant, static_cast<Number*>(nullptr));
            break;
        case Operation::negate:
            stack[top - 1] = -stack[top - 1];
            break;
        case Operation::add:
            --top;
            stack[top - 1] = stack[top - 1] + stack[top];
            break;
        case Operation::subtract:
            --top;
            stack[top - 1] = stack[top - 1] - stack[top];
            break;
        case Operation::multiply:
            --top;
            stack[top - 1] = stack[top - 1] * stack[top];
            break;
        case Operation::divide:
            --top;
            stack[top - 1] = stack[top - 1] / stack[top];
            break;
        case Operation::power:
            --top;
            stack[top - 1] = power(stack[top - 1], stack[top]);
            break;
        case Operation::integer_power:
            stack[top - 1] = integer_power(stack[top - 1], step.exponent);
            break;
        case Operation::function:
            stack[top - 1] = elementary(step.function, stack[top - 1]);
            break;
        }
    }
    return stack[0];
}

}  // namespace

template <class Real> Real Expression<Real>::value(Real x) const
{
    if (code_.empty()) return std::numeric_limits<Real>::quiet_NaN();
    return run<Real, Real>(code_, x);
}

template <class Real> Dual<Real> Expression<Real>::value_and_derivative(Real x) const
{
    if (code_.empty())
        return {std::numeric_limits<Real>::quiet_NaN(), std::numeric_limits<Real>::quiet_NaN()};
    return run<Real, Dual<Real>>(code_, Dual<Real>{x, Real(1)});
}

template <class Real> bool Expression<Real>::underflows(Real x) const
{
    return !code_.empty() && run<Real, Tracked<Real>>(code_, Tracked<Real>(x)).underflowed;
}

template class Expression<double>;
template class Expression<float>;

}  // namespace runtime
