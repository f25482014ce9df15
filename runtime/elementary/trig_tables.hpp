// The constants sine, cosine and tangent reduce and evaluate with, made by trig_tables.py:
// 2/pi and pi/2 in the splits each reduction needs, and the tables of sin, cos and tan on
// the grid of multiples of pi/1024. One copy serves the reduction, the fast paths and the
// exact path.
#pragma once

#include <cstdint>

namespace runtime::correctly_rounded {

#include "runtime/elementary/trig_tables.inc"

}  // namespace runtime::correctly_rounded
