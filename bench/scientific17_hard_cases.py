#!/usr/bin/env python3
"""Finds every positive double whose 17-digit rounding lies within 2^-58 of a midpoint
without being on it: the hardest inputs of runtime/scientific17.cpp. Exact arithmetic.

For each binary exponent, x = m * c with c = 2^e * 10^k fixed and m running over every
significand; (m * 2 num) mod (2 den) is the fraction of x (of x/10 for 18 digits) and
the search for m with it near one half is the classic first-solution-of-a-modular-
inequality recursion, which takes a few steps of Euclid's algorithm per exponent.

Prints one line per double, nearest first: its hexadecimal form, its 17 digits, the digit
count of N, the signed distance from the midpoint in units of 2^-64 of x, F - 2^63
(17 digits) or r and F (18 digits), and whether scientific17 must fall back there.

  python3 bench/scientific17_hard_cases.py
"""

import pathlib
import struct
import sys
from fractions import Fraction

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "runtime"))
import scientific17_powers  # noqa: E402

WINDOW_SHIFT = 58
sys.setrecursionlimit(100000)


def first(a, mod, low, high):
    """The least y >= 0 with low <= a*y mod mod <= high (0 <= low <= high < mod), or None."""
    a %= mod
    if low == 0:
        return 0
    if a == 0:
        return None
    y = (low + a - 1) // a
    if a * y <= high:
        return y
    z = first(mod % a, a, (a - high % a) % a, (a - low % a) % a)
    return None if z is None else (low + mod * z + a - 1) // a


def solutions(a, b, mod, low, high, count):
    """Every y in [0, count) with (a*y + b) mod mod in [low, high]."""
    found, start = [], 0
    while start < count:
        shift = (a * start + b) % mod
        lo, hi = (low - shift) % mod, (high - shift) % mod
        parts = [(lo, hi)] if lo <= hi else [(lo, mod - 1), (0, hi)]
        steps = [s for s in (first(a, mod, p, q) for p, q in parts) if s is not None]
        if not steps or start + min(steps) >= count:
            return found
        found.append(start + min(steps))
        start = found[-1] + 1
    return found


def significand_ranges():
    """(e, z, first m, end of m): v = m * 2^e, M = m * 2^z in [2^63, 2^64)."""
    for field in range(1, 2047):
        yield field - 1075, 11, 2**52, 2**53
    for z in range(12, 64):
        yield -1074, z, 2 ** (63 - z), 2 ** (64 - z)


def hard_cases():
    exponents = scientific17_powers.exponents()
    for e, z, m_first, m_end in significand_ranges():
        k, s = exponents[e - z]
        c = Fraction(2) ** e * Fraction(10) ** k
        for scale in (1, 10):  # x, or x/10 when N has 18 digits
            mod, centre = 2 * scale * c.denominator, scale * c.denominator
            width = mod >> WINDOW_SHIFT
            if width == 0:
                continue
            a, b = 2 * c.numerator, 2 * c.numerator * m_first % mod
            near = solutions(a, b, mod, centre - width, centre - 1, m_end - m_first)
            near += solutions(a, b, mod, centre + 1, centre + width, m_end - m_first)
            for m in (m_first + y for y in near):
                if (m * c >= 10**17) == (scale == 10):
                    yield m, e, z, k, s, scale


def describe(m, e, z, k, s, scale):
    x = m * Fraction(2) ** e * Fraction(10) ** k
    power, _ = scientific17_powers.power(k)
    product = (m << z) * power
    n, f = product >> (128 + s), (product >> (64 + s)) % 2**64
    if scale == 1:
        distance = (x - int(x) - Fraction(1, 2)) * 2**64
        bits, undecided = f"F - 2^63 = {f - 2**63}", f in (2**63 - 2, 2**63 - 1)
    else:
        distance = (x - 10 * int(x / 10) - 5) * 2**64
        r = n % 10
        bits = f"r = 4, F - 2^64 = {f - 2**64}" if r == 4 else f"r = {r}, F = {f}"
        undecided = r == 4 and f >= 2**64 - 2
    pattern = ((e + 1075) << 52 | (m - 2**52)) if z == 11 else m
    value = struct.unpack("<d", struct.pack("<Q", pattern))[0]
    return abs(distance), f"{value.hex()}  {value:.16e}  {16 + scale // 10 + 1} digits  " \
        f"{float(distance):+.3f}  {bits}  {'fallback' if undecided else 'decided'}"


def main():
    for _, line in sorted(describe(*case) for case in hard_cases()):
        print(line)


if __name__ == "__main__":
    main()
