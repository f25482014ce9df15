// log x = e ln 2 - log r + log(1 + z), to 2^-86: the logarithm pow and log10 build on
//
// The cells are log.cpp's (r a 10-bit 1/c, -log r within 2^-97), u = 2^-53:
//    z = m r - 1 = zh + zl exactly (two_sum of the two exact products), |z| <= 2^-9, so
//    no cancellation near x = 1 loses the low part of z^2, as it may in log.cpp's sum.
//    z^2 = q + 2 zh zl (q by two_prod; zl^2 < 2^-124 |z| left out); zh - q.hi/2 is exact;
//    z^3/3 and z^4/4 are double-double (below 2^-100 |z| each); z^5 (1/5 - ...) up to
//    z^11/11 is in double, from zh: within 7u of itself, 2^-88.2 |z|; z^12/12 and beyond
//    are below 2^-100 |z|. So log(1 + z) is within 2^-88 |z|. Outside the cell of 1,
//    |log x| >= 2^-10.001 >= |z|/2, and the table and ln 2 (e LN2_HIGH exact, e LN2_LOW by
//    two_prod, 2^-97 |e| left) add 2^-97 + 2^-97 |e|: log x is within 2^-86 relative,
//    PRECISE_LOG_ERROR. Subnormal x are scaled by 2^52 first.
#include <cstdint>

#include "runtime/bit_cast.hpp"
#include "runtime/elementary/correctly_rounded.hpp"
#include "runtime/elementary/log_cells.hpp"

namespace runtime::correctly_rounded {
namespace {

constexpr DoubleDouble THIRD = {0x1.5555555555555p-2, 0x1.5555555555555p-56};

}  // namespace

DoubleDouble precise_log(double x)
{
    int offset = 0;
    if (x < 0x1p-1022) {
        x *= 0x1p52;
        offset = -52;
    }
    const std::uint64_t bits = runtime::bit_cast<std::uint64_t>(x);
    const std::uint64_t nearest = bits + HALF_CELL;
    const int exponent = static_cast<int>(nearest >> 52) - 1023;
    const LogCell& cell = LOG_CELLS[(nearest >> 43) & 511];
    const std::uint64_t m_bits = bits - (static_cast<std::uint64_t>(exponent) << 52);
    const double m = runtime::bit_cast<double>(m_bits);
    const double m_hi = runtime::bit_cast<double>(m_bits & ~LOW_27_BITS);
    const DoubleDouble z = two_sum(m_hi * cell.inverse - 1.0, (m - m_hi) * cell.inverse);

    const DoubleDouble q = two_prod(z.hi, z.hi);
    const double q_lo = q.lo + 2 * z.hi * z.lo;  // z^2 = q.hi + q_lo
    DoubleDouble cube = two_prod(q.hi, z.hi);
    cube.lo += q.hi * z.lo + q_lo * z.hi;
    DoubleDouble third = two_prod(cube.hi, THIRD.hi);
    third.lo += cube.lo * THIRD.hi + cube.hi * THIRD.lo;
    DoubleDouble quarter = two_prod(q.hi, -0.25 * q.hi);
    quarter.lo -= 0.5 * q.hi * q_lo;
    const double zh = z.hi;
    const double z5 = (q.hi * q.hi) * zh;
    const double tail =
        z5 * (0.2 + zh * (-0x1.5555555555555p-3 +
                          zh * (0x1.2492492492492p-3 +
                                zh * (-0.125 + zh * (0x1.c71c71c71c71cp-4 +
                                                     zh * (-0.1 + zh * 0x1.745d1745d1746p-4))))));
    const DoubleDouble head = fast_two_sum(zh, -0.5 * q.hi);
    const DoubleDouble terms =
        add(fast_two_sum(third.hi, third.lo), fast_two_sum(quarter.hi, quarter.lo));
    const DoubleDouble log1p = add(head, add(terms, (z.lo - 0.5 * q_lo) + tail));

    const double e = exponent + offset;
    const DoubleDouble ln2_low = two_prod(e, LN2_LOW);
    const DoubleDouble base =
        add(DoubleDouble{e * LN2_HIGH + cell.minus_log_hi, 0.0}, add(ln2_low, cell.minus_log_lo));
    return add(base, log1p);
}

}  // namespace runtime::correctly_rounded
