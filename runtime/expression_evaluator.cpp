// The compiled formula run as a chain of steps (expression_steps.hpp), for a value, for a
// value with its derivative, or for a value that notes underflow: the same steps on
// reals, on dual numbers or on tracked reals.
#include "runtime/expression.hpp"

#include <array>
#include <cstddef>
#include <limits>
#include <type_traits>
#include <utility>

#include "runtime/underflow_tracking.hpp"

namespace runtime {
namespace {

template <class Real> Real lift(Real constant, Real*) { return constant; }
template <class Real> Dual<Real> lift(Real constant, Dual<Real>*) { return {constant, Real(0)}; }
template <class Real> Tracked<Real> lift(Real constant, Tracked<Real>*) { return constant; }

template <class Real, class Number> StepCode<Real, Number> code_of(const Step<Real>& step)
{
    if constexpr (std::is_same_v<Number, Real>) {
        return step.value;
    } else if constexpr (std::is_same_v<Number, Dual<Real>>) {
        return step.dual;
    } else {
        return step.tracked;
    }
}

// The stack lives in the caller's frame; `free_slot` points above the pending operands,
// so free_slot[-1] is the one under the top. A push stores the old top there first; the
// very first push stores x as a dummy that no operation reads.
template <class Real, class Number>
Number pass_on(const Step<Real>* step, Number top, Number x, Number* free_slot)
{
    const Step<Real>* next = step + 1;
    return code_of<Real, Number>(*next)(next, top, x, free_slot);
}

template <class Real, class Number>
Number finish(const Step<Real>*, Number top, Number, Number*)
{
    return top;
}

// The operations that replace the top without touching the stack below it.
template <class Real, class Number, Operation OPERATION>
Number unary(const Step<Real>* step, Number top, Number x)
{
    using O = Operation;
    const Number literal = lift(step->constant, static_cast<Number*>(nullptr));
    if constexpr (OPERATION == O::negate) return -top;
    else if constexpr (OPERATION == O::integer_power) return runtime::integer_power(top, step->exponent);
    else if constexpr (OPERATION == O::add_x) return top + x;
    else if constexpr (OPERATION == O::subtract_x) return top - x;
    else if constexpr (OPERATION == O::multiply_x) return top * x;
    else if constexpr (OPERATION == O::divide_x) return top / x;
    else if constexpr (OPERATION == O::add_constant) return top + literal;
    else if constexpr (OPERATION == O::subtract_constant) return top - literal;
    else if constexpr (OPERATION == O::multiply_constant) return top * literal;
    else if constexpr (OPERATION == O::divide_constant) return top / literal;
    else if constexpr (OPERATION == O::power_constant) return runtime::power(top, literal);
    else return top;  // Operation::function: each function has steps of its own
}

template <class Real, class Number, Operation OPERATION>
Number perform(const Step<Real>* step, Number top, Number x, Number* free_slot)
{
    using O = Operation;
    if constexpr (OPERATION == O::x || OPERATION == O::constant) {
        *free_slot = top;
        const Number pushed = OPERATION == O::x ? x : lift(step->constant, static_cast<Number*>(nullptr));
        return pass_on(step, pushed, x, free_slot + 1);
    } else if constexpr (OPERATION == O::add || OPERATION == O::subtract || OPERATION == O::multiply ||
                         OPERATION == O::divide || OPERATION == O::power) {
        const Number left = free_slot[-1];
        Number result;
        if constexpr (OPERATION == O::add) result = left + top;
        if constexpr (OPERATION == O::subtract) result = left - top;
        if constexpr (OPERATION == O::multiply) result = left * top;
        if constexpr (OPERATION == O::divide) result = left / top;
        if constexpr (OPERATION == O::power) result = runtime::power(left, top);
        return pass_on(step, result, x, free_slot - 1);
    } else {
        return pass_on(step, unary<Real, Number, OPERATION>(step, top, x), x, free_slot);
    }
}

template <class Real, class Number, Elementary FUNCTION>
Number apply(const Step<Real>* step, Number top, Number x, Number* free_slot)
{
    return pass_on(step, elementary(FUNCTION, top), x, free_slot);
}

template <class Real, Operation OPERATION> constexpr Step<Real> operation_step()
{
    return {&perform<Real, Real, OPERATION>, &perform<Real, Dual<Real>, OPERATION>,
            &perform<Real, Tracked<Real>, OPERATION>};
}

// One step for each operation, and one for each elementary function, indexed by them.
template <class Real, std::size_t... I>
constexpr std::array<Step<Real>, sizeof...(I)> operation_steps(std::index_sequence<I...>)
{
    return {operation_step<Real, static_cast<Operation>(I)>()...};
}
template <class Real, std::size_t... I>
constexpr std::array<Step<Real>, sizeof...(I)> function_steps(std::index_sequence<I...>)
{
    return {Step<Real>{&apply<Real, Real, static_cast<Elementary>(I)>,
                       &apply<Real, Dual<Real>, static_cast<Elementary>(I)>,
                       &apply<Real, Tracked<Real>, static_cast<Elementary>(I)>}...};
}
constexpr std::size_t OPERATIONS = static_cast<std::size_t>(Operation::power_constant) + 1;
constexpr std::size_t ELEMENTARY_COUNT = static_cast<std::size_t>(Elementary::abs) + 1;

// The operation that does `binary` with x (with_x) or a constant as its right operand,
// or `binary` itself where there is none.
Operation merged(Operation binary, bool with_x)
{
    switch (binary) {
    case Operation::add: return with_x ? Operation::add_x : Operation::add_constant;
    case Operation::subtract: return with_x ? Operation::subtract_x : Operation::subtract_constant;
    case Operation::multiply: return with_x ? Operation::multiply_x : Operation::multiply_constant;
    case Operation::divide: return with_x ? Operation::divide_x : Operation::divide_constant;
    case Operation::power: return with_x ? Operation::power : Operation::power_constant;
    default: return binary;
    }
}

template <class Real, class Number> Number run(const std::vector<Step<Real>>& code, Number x)
{
    // The compiler refuses a formula that needs more than FORMULA_STACK slots.
    Number stack[FORMULA_STACK];
    return code_of<Real, Number>(code[0])(code.data(), x, x, stack);
}

}  // namespace

template <class Real> std::vector<Step<Real>> chain(const std::vector<Instruction<Real>>& code)
{
    static constexpr auto BY_OPERATION = operation_steps<Real>(std::make_index_sequence<OPERATIONS>());
    static constexpr auto BY_FUNCTION =
        function_steps<Real>(std::make_index_sequence<ELEMENTARY_COUNT>());
    std::vector<Step<Real>> steps;
    steps.reserve(code.size() + 1);
    for (std::size_t i = 0; i < code.size(); ++i) {
        Instruction<Real> instruction = code[i];
        const bool operand =
            instruction.operation == Operation::x || instruction.operation == Operation::constant;
        if (operand && i + 1 < code.size()) {
            const Operation both = merged(code[i + 1].operation, instruction.operation == Operation::x);
            if (both != code[i + 1].operation) {
                instruction.operation = both;
                ++i;
            }
        }
        Step<Real> step = instruction.operation == Operation::function
                              ? BY_FUNCTION[static_cast<std::size_t>(instruction.function)]
                              : BY_OPERATION[static_cast<std::size_t>(instruction.operation)];
        step.constant = instruction.constant;
        step.exponent = instruction.exponent;
        steps.push_back(step);
    }
    steps.push_back({&finish<Real, Real>, &finish<Real, Dual<Real>>, &finish<Real, Tracked<Real>>});
    return steps;
}

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

template <class Real> RangeLoss Expression<Real>::underflows(Real x) const
{
    return code_.empty() ? RangeLoss{} : run<Real, Tracked<Real>>(code_, Tracked<Real>(x)).range_loss();
}

template <class Real> Real Expression<Real>::dropped(Real x) const
{
    return code_.empty() ? Real(0) : run<Real, Tracked<Real>>(code_, Tracked<Real>(x)).dropped;
}

template std::vector<Step<double>> chain(const std::vector<Instruction<double>>&);
template std::vector<Step<float>> chain(const std::vector<Instruction<float>>&);
template class Expression<double>;
template class Expression<float>;

}  // namespace runtime
