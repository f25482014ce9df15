#include "runtime/step_records.hpp"

#include <charconv>
#include <cstring>

#include "runtime/console.hpp"

namespace runtime {
namespace {

std::uint64_t bits_of(double value)
{
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

}  // namespace

StepRecords::StepRecords(LogFile& log, First first)
    : log_(log), console_(console::channel()), first_(first)
{
}

void StepLine::count_from(std::int32_t step)
{
    char digits[INTEGER_WIDTH];
    const auto end = std::to_chars(digits, digits + sizeof digits, step).ptr;
    const std::size_t length = static_cast<std::size_t>(end - digits);
    std::memset(line_, ' ', INTEGER_WIDTH - length);
    std::memcpy(line_ + INTEGER_WIDTH - length, digits, length);
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
    const std::uint64_t a_bits = bits_of(a);
    const std::uint64_t b_bits = bits_of(b);
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
