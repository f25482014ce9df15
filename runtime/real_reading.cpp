#include "runtime/real_reading.hpp"

#include <cmath>
#include <fast_float/fast_float.h>

namespace runtime {
namespace {

// fast_float rounds a number outside the type's range to infinity or zero without a
// word; the digits it read tell whether that was the number's own value.
template <class Real> RealReading read(const char* first, const char* last, Real& value)
{
    Real parsed{};
    const auto result = fast_float::from_chars(first, last, parsed);
    if (result.ec != std::errc{}) return {result.ptr, result.ec};
    const char* digit = first + (*first == '-');
    const bool numeral = *digit == '.' || (*digit >= '0' && *digit <= '9');
    if (numeral && std::isinf(parsed)) return {result.ptr, std::errc::result_out_of_range};
    if (parsed == 0) {
        for (; digit != result.ptr && *digit != 'e' && *digit != 'E'; ++digit)
            if (*digit >= '1' && *digit <= '9') return {result.ptr, std::errc::result_out_of_range};
    }
    value = parsed;
    return {result.ptr, std::errc{}};
}

}  // namespace

RealReading read_real(const char* first, const char* last, double& value)
{
    return read(first, last, value);
}

RealReading read_real(const char* first, const char* last, float& value)
{
    return read(first, last, value);
}

}  // namespace runtime
