#include "runtime/step_records.hpp"

#include <cstring>

#include "runtime/bit_cast.hpp"
#include "runtime/console.hpp"

namespace runtime {
StepRecords::StepRecords(LogFile& log, First first)
    : log_(log), console_(console::channel()), first_(first)
{
}

void StepLine::count_from(std::int32_t step)
{
    integer_field(line_, step);
    counted_ = step;
}

void StepLine::count_up()
{
    ++counted_;
    // Carry through the nines; a blank before them becomes the new leading digit.
    char* digit = line_ + INTEGER_WIDTH - 1;
    while (*digit == '9') *digit-- = '0';
    *digit = *digit == ' ' ? '1' : static_cast<char>(*digit + 1);
}

void StepLine::put_values(double a, double b)
{
    const std::uint64_t a_bits = bit_cast<std::uint64_t>(a);
    const std::uint64_t b_bits = bit_cast<std::uint64_t>(b);
    char* const a_text = line_ + A;
    char* const b_text = line_ + B;
    const bool keep_a = shown_ && a_bits == a_bits_;
    const bool keep_b = shown_ && b_bits == b_bits_;
    const bool a_from_b = shown_ && !keep_a && a_bits == b_bits_;
    const bool b_from_a = shown_ && !keep_b && b_bits == a_bits_;
    char old_a[REAL64_WIDTH];
    if (b_from_a && !keep_a) std::memcpy(old_a, a_text, REAL64_WIDTH);
    if (a_from_b) {
        std::memcpy(a_text, b_text, REAL64_WIDTH);
    } else if (!keep_a) {
        real64_field(a_text, a);
    }
    if (b_from_a) {
        std::memcpy(b_text, keep_a ? a_text : old_a, REAL64_WIDTH);
    } else if (!keep_b) {
        real64_field(b_text, b);
    }
    a_bits_ = a_bits;
    b_bits_ = b_bits;
    shown_ = true;
}

}  // namespace runtime
