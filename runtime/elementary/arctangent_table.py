#!/usr/bin/env python3
"""Writes arctangent_table.inc and wide_arctangent_table.inc: atan(i/256) for i = 0 ... 256
and pi/2, each as a double-double in the first and as a WideFloat (256-bit significand,
rounded to nearest) in the second, and in the first the Taylor coefficients of atan at
each i/256, and atan with its Taylor coefficients at the steps c = 2^e (1 + j/128) of
[1, 16] (e = 0 ... 3, and c = 16), where atan(c) = pi/2 - atan(1/c); and arcsine_table.inc: asin(i/512) on [0, 1/2] as double-doubles with the
Taylor coefficients of asin there. Exact integer and rational arithmetic throughout; a
float is only ever the correctly rounded image of an exact value.

atan(x) comes from Euler's series
  atan(x) = sum_n 4^n (n!)^2 / (2n+1)! * x^(2n+1) / (1 + x^2)^(n+1),
whose ratio x^2 / (1 + x^2) is at most 1/2 on [0, 1]; pi/4 = 4 atan(1/5) - atan(1/239)
comes from Machin's formula and must agree with the series at x = 1.

TAYLOR[i] holds the Taylor coefficients of atan at c = i/256, atan(c + h) = atan(c) +
sum_k a_k h^k for k = 1 ... 8, exact rationals from (1 + x^2) atan'(x) = 1:
with atan'(c + h) = sum_k g_k h^k, (1 + c^2) g_k + 2c g_(k-1) + g_(k-2) = 0 for k >= 1,
g_0 = 1 / (1 + c^2), and a_k = g_(k-1) / k. a_1 is written as two doubles, the rest as one.

  python3 runtime/elementary/arctangent_table.py          rewrites the files beside this script
  python3 runtime/elementary/arctangent_table.py FOLDER   writes them into FOLDER instead
"""

import math
import pathlib
import sys
from fractions import Fraction

STEPS = 256
BITS = 400  # fixed-point scale 2^BITS; each series adds at most one unit per term
ONE = 1 << BITS
DEGREE = 8
WIDE_BITS = 256
ASIN_STEPS = 512  # asin is tabulated at i/512 for i = 0 ... 256, on [0, 1/2]
FAR_STEPS = 128  # steps per binade of [1, 16]
FAR_BINADES = 4


def euler_atan(p, q):
    """atan(p/q) * 2^BITS, 0 <= p <= q, to within a few hundred units."""
    denominator = q * q + p * p
    term = ONE * p * q // denominator
    total, n = 0, 0
    while term:
        total += term
        n += 1
        term = term * 2 * n * p * p // ((2 * n + 1) * denominator)
    return total


def taylor_atan_inverse(m):
    """atan(1/m) * 2^BITS by its Taylor series."""
    power = ONE // m
    total, n, sign = 0, 0, 1
    while power:
        total += sign * (power // (2 * n + 1))
        power //= m * m
        n += 1
        sign = -sign
    return total


def root_of_rest(i):
    """sqrt(512^2 - i^2) * 2^BITS, rounded down."""
    return math.isqrt((ASIN_STEPS**2 - i * i) << (2 * BITS))


def euler_asin(i):
    """asin(i/512) * 2^BITS = atan(x) for x = i / sqrt(512^2 - i^2), whose Euler ratio
    x^2 / (1 + x^2) is i^2 / 512^2 and first term x / (1 + x^2) = i sqrt(512^2 - i^2) / 512^2."""
    square = ASIN_STEPS**2
    term = i * root_of_rest(i) // square
    total, n = 0, 0
    while term:
        total += term
        n += 1
        term = term * 2 * n * i * i // ((2 * n + 1) * square)
    return total


def asin_taylor(i):
    """b_1 ... b_DEGREE of asin at c = i/512: with asin'(c + h) = sum_k g_k h^k,
    (1 - x^2) asin''(x) = x asin'(x) gives (1 - c^2)(k + 1) g_(k+1) = (2k + 1) c g_k + k g_(k-1),
    g_0 = 1 / sqrt(1 - c^2) (to 2^-390), and b_k = g_(k-1) / k."""
    c = Fraction(i, ASIN_STEPS)
    g = [Fraction(ASIN_STEPS * ONE, root_of_rest(i))]
    for k in range(0, DEGREE - 1):
        previous = g[k - 1] if k >= 1 else 0
        g.append(((2 * k + 1) * c * g[k] + k * previous) / ((1 - c * c) * (k + 1)))
    return [g[k - 1] / k for k in range(1, DEGREE + 1)]


def to_26_bits(x):
    """x > 0 rounded to 26 significant bits, so that its product with 26 bits is exact."""
    e = x.numerator.bit_length() - x.denominator.bit_length()
    if Fraction(2) ** e > x:
        e -= 1
    unit = Fraction(2) ** (e - 25)
    return round(x / unit) * unit


def taylor_row(coefficients, i):
    """A Taylor row: the first coefficient as a 26-bit double and the double nearest the
    rest of it, the others as one double each."""
    first = to_26_bits(coefficients[0])
    head = ", ".join(x.hex() for x in (float(first), float(coefficients[0] - first)))
    rest = ", ".join(float(v).hex() for v in coefficients[1:])
    return f"    {{{head}, {{{rest}}}}},  // {i}"


def far_step(j):
    """The j-th step of [1, 16]: 2^e (1 + m/FAR_STEPS) for j = e FAR_STEPS + m."""
    e, m = divmod(j, FAR_STEPS)
    return Fraction((FAR_STEPS + m) << e, FAR_STEPS)


def taylor(c):
    """a_1 ... a_DEGREE of atan at c."""
    g = [1 / (1 + c * c)]
    for k in range(1, DEGREE):
        previous = g[k - 2] if k >= 2 else 0
        g.append(-(2 * c * g[k - 1] + previous) / (1 + c * c))
    return [g[k - 1] / k for k in range(1, DEGREE + 1)]


def two_doubles(value):
    """The double nearest value / 2^BITS, and the double nearest what it leaves."""
    hi = float(Fraction(value, ONE))  # Fraction to float rounds correctly
    return hi, float(Fraction(value, ONE) - Fraction(hi))


def wide(value):
    """value / 2^BITS as WideFloat's parts {negative, exponent, limbs least significant first}."""
    if value == 0:
        return "{false, 0, {" + ", ".join(["0x00000000"] * (WIDE_BITS // 32)) + "}}"
    exponent = value.bit_length() - BITS  # value / 2^BITS = m 2^exponent, m in [1/2, 1)
    shift = value.bit_length() - WIDE_BITS
    significand = (value + (1 << (shift - 1))) >> shift
    if significand == 1 << WIDE_BITS:
        significand >>= 1
        exponent += 1
    limbs = ", ".join(f"0x{(significand >> (32 * i)) & 0xFFFFFFFF:08x}" for i in range(WIDE_BITS // 32))
    return f"{{false, {exponent}, {{{limbs}}}}}"


def texts():
    half_pi = 2 * (4 * taylor_atan_inverse(5) - taylor_atan_inverse(239))
    table = [euler_atan(i, STEPS) for i in range(STEPS + 1)]
    assert abs(2 * table[STEPS] - half_pi) < 2**12, "Machin and Euler disagree on pi/4"

    def pair(value):
        return "{" + ", ".join(part.hex() for part in two_doubles(value)) + "}"

    lines = [
        "// Generated by arctangent_table.py in exact integer arithmetic; do not edit.",
        "// Double-doubles within 2^-106 relatively.",
        "",
        f"constexpr int ATAN_STEPS = {STEPS};",
        f"constexpr DoubleDouble HALF_PI = {pair(half_pi)};",
        "",
        "// ATAN_TABLE[i] = atan(i / ATAN_STEPS)",
        "constexpr DoubleDouble ATAN_TABLE[ATAN_STEPS + 1] = {",
    ]
    for i, value in enumerate(table):
        lines.append(f"    {pair(value)},  // {i}")
    lines.append("};")
    wide_lines = [
        lines[0],
        "// WideFloats rounded to the nearest 256-bit significand: within 2^-256 relatively.",
        "",
        f"constexpr WideFloat WIDE_HALF_PI{wide(half_pi)};",
        "",
        "// WIDE_ATAN_TABLE[i] = atan(i / 256)",
        f"constexpr WideFloat WIDE_ATAN_TABLE[{STEPS + 1}] = {{",
    ]
    for i, value in enumerate(table):
        wide_lines.append(f"    WideFloat{wide(value)},  // {i}")
    wide_lines.append("};")
    lines += [
        "",
        "// TAYLOR[i] = {a_1 as two doubles, a_2 ... a_8}: atan(c + h) = atan(c) + sum_k a_k h^k",
        "constexpr Taylor TAYLOR[ATAN_STEPS + 1] = {",
    ]
    for i in range(STEPS + 1):
        lines.append(taylor_row(taylor(Fraction(i, STEPS)), i))
    lines.append("};")
    far = [far_step(j) for j in range(FAR_BINADES * FAR_STEPS + 1)]
    lines += [
        "",
        f"constexpr int ATAN_FAR_STEPS = {FAR_STEPS};  // per binade of [1, 16]",
        f"constexpr int ATAN_FAR_BINADES = {FAR_BINADES};",
        "",
        "// ATAN_FAR_TABLE[j] = atan(c), c = 2^e (1 + m / ATAN_FAR_STEPS), j = e ATAN_FAR_STEPS + m",
        "constexpr DoubleDouble ATAN_FAR_TABLE[ATAN_FAR_BINADES * ATAN_FAR_STEPS + 1] = {",
    ]
    for j, c in enumerate(far):
        lines.append(f"    {pair(half_pi - euler_atan(c.denominator, c.numerator))},  // {j}")
    lines += [
        "};",
        "",
        "// ATAN_FAR_TAYLOR[j] = {a_1 as two doubles, a_2 ... a_8} at the same c",
        "constexpr Taylor ATAN_FAR_TAYLOR[ATAN_FAR_BINADES * ATAN_FAR_STEPS + 1] = {",
    ]
    for j, c in enumerate(far):
        lines.append(taylor_row(taylor(c), j))
    lines.append("};")
    asin_table = [euler_asin(i) for i in range(STEPS + 1)]
    assert abs(3 * asin_table[STEPS] - half_pi) < 2**12, "asin(1/2) is not pi/6"
    asin_lines = [
        lines[0],
        "// Double-doubles within 2^-106 relatively.",
        "",
        f"constexpr int ASIN_STEPS = {ASIN_STEPS};",
        "",
        "// ASIN_TABLE[i] = asin(i / ASIN_STEPS), i / ASIN_STEPS <= 1/2",
        "constexpr DoubleDouble ASIN_TABLE[ASIN_STEPS / 2 + 1] = {",
    ]
    asin_lines += [f"    {pair(value)},  // {i}" for i, value in enumerate(asin_table)]
    asin_lines += [
        "};",
        "",
        "// ASIN_TAYLOR[i] = {b_1 as two doubles, b_2 ... b_8}: asin(c + h) = asin(c) + sum_k b_k h^k",
        "constexpr Taylor ASIN_TAYLOR[ASIN_STEPS / 2 + 1] = {",
    ]
    asin_lines += [taylor_row(asin_taylor(i), i) for i in range(STEPS + 1)]
    asin_lines.append("};")
    return ("\n".join(lines) + "\n", "\n".join(wide_lines) + "\n", "\n".join(asin_lines) + "\n")


def main():
    if len(sys.argv) > 2:
        sys.exit("usage: arctangent_table.py [FOLDER]")
    folder = pathlib.Path(sys.argv[1]) if len(sys.argv) == 2 else pathlib.Path(__file__).parent
    fast, wide_text, asin_text = texts()
    (folder / "arctangent_table.inc").write_text(fast)
    (folder / "wide_arctangent_table.inc").write_text(wide_text)
    (folder / "arcsine_table.inc").write_text(asin_text)


if __name__ == "__main__":
    main()
