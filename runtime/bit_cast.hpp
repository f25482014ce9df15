// The bits of one type read as another of the same size, as std::bit_cast does; kept
// here because not every standard library the programs are built with has it yet.
#pragma once

namespace runtime {

template <class To, class From> constexpr To bit_cast(const From& from) noexcept
{
    static_assert(sizeof(To) == sizeof(From));
    return __builtin_bit_cast(To, from);
}

}  // namespace runtime
