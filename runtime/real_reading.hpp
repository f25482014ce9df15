// Reading a real from text, rounded correctly once, the same on every platform: the
// grammar of std::from_chars in its general format (an optional '-', digits with an
// optional point, an optional exponent; "inf", "infinity" and "nan" in any case), and
// its answer for a number the type cannot hold.
#pragma once

#include <system_error>

namespace runtime {

struct RealReading {
    const char* end;  // past the number read
    std::errc error;  // invalid_argument: no number; result_out_of_range: too large for
                      // the type, or not 0 but so small that it would read as 0
};

inline bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Reads the number that begins at `first`; `value` is set only where error is none.
RealReading read_real(const char* first, const char* last, double& value);
RealReading read_real(const char* first, const char* last, float& value);

}  // namespace runtime
