#pragma once

#include "runtime/function_ref.hpp"

// A function of one real, without side effects: a method may evaluate it as often as it
// likes and always gets the same bits back. A built-in function or a typed formula.
using RealFunction = runtime::FunctionRef<double>;
