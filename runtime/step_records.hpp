// The records of an iteration, "step  value  value", written to its log and to the
// console. Most of a long run's time goes into these lines, so each is made with as
// little work as its bytes allow: the line is kept from one step to the next, its step
// number is counted up in place as text, and a value bit for bit equal to one the line
// already shows keeps that value's text, which is then only moved (in the fixed-point
// iteration each record's first value is the second of the record before). The bytes
// are those of a Record of one integer and two 64-bit reals.
#pragma once

#include <climits>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "runtime/log_file.hpp"
#include "runtime/output_channel.hpp"
#include "runtime/record.hpp"

namespace runtime {

// The line of one record, kept from one record to the next.
class StepLine {
public:
    StepLine() { line_[LENGTH - 1] = '\n'; }

    // The record of step `step` with the values `a` and `b`, '\n' included; valid until
    // the next call.
    std::string_view make(std::int32_t step, double a, double b)
    {
        if (step == counted_ + 1) {
            count_up();
        } else if (step != counted_) {
            count_from(step);
        }
        put_values(a, b);
        return {line_, LENGTH};
    }

private:
    static constexpr std::size_t A = INTEGER_WIDTH;
    static constexpr std::size_t B = A + REAL64_WIDTH;
    static constexpr std::size_t LENGTH = B + REAL64_WIDTH + 1;

    void count_from(std::int32_t step);
    void count_up();
    void put_values(double a, double b);

    // The step number the line shows; before the first record, one that neither a
    // step nor the step after it can have.
    std::int64_t counted_ = std::int64_t{INT32_MIN} - 2;
    bool shown_ = false;         // whether the line shows two values yet
    std::uint64_t a_bits_ = 0;   // the values the line shows, bit for bit
    std::uint64_t b_bits_ = 0;
    char line_[LENGTH];
};

class StepRecords {
public:
    // Which of the two gets each record first; it matters only when a write fails.
    enum class First { log, console };

    explicit StepRecords(LogFile& log, First first = First::log);

    // The record of step `step` with the values `a` and `b`, to the log and the console.
    void write(std::int32_t step, double a, double b)
    {
        const std::string_view line = line_.make(step, a, b);
        if (first_ == First::log) {
            log_.write(line);
            console_.write(line);
        } else {
            console_.write(line);
            log_.write(line);
        }
    }

private:
    LogFile& log_;
    OutputChannel& console_;
    First first_;
    StepLine line_;
};

}  // namespace runtime
