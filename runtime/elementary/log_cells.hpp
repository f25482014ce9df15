// The table both logarithms start from, made by tables.py: for each of 512 cells of
// [1, 2) a 10-bit 1/c and -log(1/c) in two parts, and ln 2 split so that e ln 2 is exact.
// One copy serves log and the precise logarithm pow and log10 stand on.
#pragma once

namespace runtime::correctly_rounded {

struct LogCell {
    double inverse;
    double minus_log_hi;
    double minus_log_lo;
};

#include "runtime/elementary/log_table.inc"

}  // namespace runtime::correctly_rounded
