// A formula in x typed by the user, such as "x^3 - 2x - 5", compiled once into a flat
// sequence of operations and evaluated per step on a small fixed stack: no allocation
// and no virtual call per evaluation.
//
// The language: x, the constants pi and e, numbers as the dialogue reads them with a
// decimal point only ("2.5e-1"; a number never includes a sign), + - * / ^, unary minus,
// parentheses, and the functions exp log sqrt sin cos tan asin acos atan sinh cosh tanh
// abs (log is the natural logarithm). ^ binds tightest and groups to the right; unary
// minus comes next (-x^2 is -(x^2)); then * and /; then + and -, each grouping to the
// left. A number followed by x, a constant, a function or "(" is a product: 5x^2, 2pi,
// 2(x+1). Blanks between tokens are ignored.
//
// The order of evaluation is part of the result: every operation is done as written,
// left to right within a level, with no reassociation and no fused multiply-add. An
// exponent written as an integer literal of magnitude up to 64 (x^3, x^-2, x^(-2)) is
// the product of the base with itself, left to right, and a negative one is 1 over that
// product; every other exponent uses pow. So the built-in functions, typed, give their
// own values bit for bit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/elementary.hpp"
#include "runtime/expression_derivative.hpp"
#include "runtime/expression_steps.hpp"
#include "runtime/messages.hpp"
#include "runtime/underflow_tracking.hpp"

namespace runtime {

// Formulas longer than this, blanks included, are refused, and so are formulas with more
// parentheses inside each other (a function's own included) or that would need more
// partial results at once than the evaluation stack holds (x^x^...^x).
inline constexpr std::size_t FORMULA_MAX_LENGTH = 4096;
inline constexpr std::size_t FORMULA_MAX_NESTING = 200;
inline constexpr std::size_t FORMULA_STACK = 256;

enum class FormulaProblem {
    none,
    empty,
    too_long,
    too_deep,           // more than FORMULA_MAX_NESTING parentheses inside each other
    too_many_pending,   // more than FORMULA_STACK partial results at once
    operand_expected,   // a missing operand: "x +", "* 2"
    operator_expected,  // text after the end: "x 2", "2x 3"
    unknown_name,       // "sinn", "y"
    unknown_character,  // "#", ",", a byte outside ASCII
    open_expected,      // a function name not followed by "("
    close_expected,     // "(" without its ")"
    unmatched_close,    // ")" without its "("
    exponent_digits,    // "2e", "1e+"
    out_of_range,       // a number too large for the real type, or so small it would be 0
};

struct FormulaError {
    FormulaProblem problem = FormulaProblem::none;
    std::size_t position = 0;  // in characters, from 1; one past the end at the end
    std::string found;         // the token there; empty at the end
    // close_expected: the position of the "(" left open; too_long: the formula's length.
    std::size_t number = 0;
    explicit operator bool() const { return problem != FormulaProblem::none; }
};

enum class Operation : std::uint8_t {
    x,         // push x
    constant,  // push the constant
    negate,
    add,
    subtract,
    multiply,
    divide,
    power,          // pow(base, exponent)
    integer_power,  // base^exponent as a product, exponent -64..64
    function,       // an elementary function of the top of the stack
    // The top of the stack with x or the constant as right operand: the code of "push x"
    // or "push constant" followed by the operation, as one step.
    add_x,
    subtract_x,
    multiply_x,
    divide_x,
    add_constant,
    subtract_constant,
    multiply_constant,
    divide_constant,
    power_constant,
};

template <class Real> struct Instruction {
    Operation operation;
    Elementary function = Elementary::exp;
    std::int32_t exponent = 0;
    Real constant = 0;
};

// The parser's code as the chain of steps that evaluates it. A "push x" or "push
// constant" followed at once by a binary operation becomes one step: the same operations
// on the same operands in the same order, in fewer steps.
template <class Real> std::vector<Step<Real>> chain(const std::vector<Instruction<Real>>& code);

template <class Real> class Expression {
public:
    Real value(Real x) const;
    Dual<Real> value_and_derivative(Real x) const;
    // Whether an operation of the evaluation at x underflowed, or overflowed, and how far
    // that can have moved the value (see underflow_tracking.hpp).
    RangeLoss underflows(Real x) const;
    // The largest addend an addition or subtraction of the evaluation at x lost whole.
    Real dropped(Real x) const;

    // The formula as typed.
    const std::string& text() const { return text_; }

private:
    template <class R>
    friend FormulaError compile(std::string_view text, Expression<R>& expression);

    std::string text_;
    std::vector<Step<Real>> code_;  // empty, or ends with the step that returns
};

// Compiles `text` into `expression`; on failure returns what is wrong and where, and
// leaves `expression` as it was. Numbers are rounded once, directly to Real.
template <class Real> FormulaError compile(std::string_view text, Expression<Real>& expression);

// The one-line message for a formula that did not compile: names the formula (`name`,
// such as "f(x)"), shows it, and says where what was expected.
std::string describe(const FormulaError& error, std::string_view name, std::string_view text,
                     Language language);

// A compiled formula as a function of x, and its exact derivative (forward-mode
// automatic differentiation), for a FunctionRef. The expression must outlive them.
template <class Real> struct ValueOf {
    const Expression<Real>* expression;
    Real operator()(const Real& x) const { return expression->value(x); }
};

template <class Real> struct DerivativeOf {
    const Expression<Real>* expression;
    Real operator()(const Real& x) const { return expression->value_and_derivative(x).derivative; }
};

template <class Real> struct UnderflowOf {
    const Expression<Real>* expression;
    RangeLoss operator()(const Real& x) const { return expression->underflows(x); }
};

template <class Real> struct DroppedOf {
    const Expression<Real>* expression;
    Real operator()(const Real& x) const { return expression->dropped(x); }
};

}  // namespace runtime
