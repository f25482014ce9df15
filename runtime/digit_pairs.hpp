// Decimal digits two at a time, from a table of the hundred pairs "00" to "99": half the
// divisions of writing them one by one.
#pragma once

#include <cstdint>
#include <cstring>

namespace runtime {

inline constexpr char DIGIT_PAIRS[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// n < 100 as two digits at `out`; returns the end.
inline char* put_pair(char* out, std::uint32_t n)
{
    std::memcpy(out, DIGIT_PAIRS + 2 * n, 2);
    return out + 2;
}

}  // namespace runtime
