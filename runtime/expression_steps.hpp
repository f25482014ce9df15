// A compiled formula as a chain of steps. Each step holds the code that performs it and
// passes the result straight on to the next step's code, with the value on top of the
// evaluation stack in a register: one indirect jump per operation, where a loop over a
// switch pays for the loop, a range check and the jump table besides.
#pragma once

#include <cstdint>

#include "runtime/expression_derivative.hpp"

namespace runtime {

template <class Real> struct Tracked;
template <class Real> struct Step;

// A step's code for one kind of number: given the top of the stack, x and the slot
// above the pending operands, it finishes the evaluation and returns the formula's value.
template <class Real, class Number>
using StepCode = Number (*)(const Step<Real>* step, Number top, Number x, Number* free_slot);

template <class Real> struct Step {
    StepCode<Real, Real> value;
    StepCode<Real, Dual<Real>> dual;
    StepCode<Real, Tracked<Real>> tracked;
    Real constant = 0;
    std::int32_t exponent = 0;
};

}  // namespace runtime
