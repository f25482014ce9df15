#!/usr/bin/env python3
"""Expected values for quarlen's tests, computed without quarlen and without the C library.

Every operation is done exactly in rational arithmetic (fractions.Fraction) and rounded
to the nearest binary64 value, ties to even, by the code below; Python floats only hold
the results. e^x is the exact value to 60 digits (decimal, libmpdec), rounded once to
binary64, so it is the correctly rounded exponential. The test functions are evaluated
in the order the program documents, and the three methods run as the program runs them.

Writes, next to this script:
  exact_values.hpp        F1, DF1 and GF2 (and the correctly rounded e^-x) at awkward points
  formula_values.hpp      typed formulas: value and exact derivative at awkward points
  golden/...              whole runs: input, console output and the three logs

Run it from anywhere: python3 tests/quarlen/exact_reference.py
"""

import decimal
import math
import pathlib
from fractions import Fraction

HERE = pathlib.Path(__file__).resolve().parent

# ------------------------------------------------------------------ binary64 rounding

INF = math.inf
NAN = math.nan


def finite(x):
    return not (math.isinf(x) or math.isnan(x))


def round_to(q, digits, lowest, highest):
    """The real with `digits` significant bits nearest to the rational q, ties to even,
    with exponents from `lowest` (subnormals) to `highest`; +-inf on overflow."""
    if q == 0:
        return 0.0
    sign = -1.0 if q < 0 else 1.0
    q = abs(q)
    n, d = q.numerator, q.denominator
    # e such that 2^(digits-1) <= q / 2^e < 2^digits, but not below the subnormal exponent.
    e = n.bit_length() - d.bit_length() - (digits - 1)
    while Fraction(n, d) >= Fraction(2**digits) * Fraction(2) ** e:
        e += 1
    while Fraction(n, d) < Fraction(2 ** (digits - 1)) * Fraction(2) ** e:
        e -= 1
    e = max(e, lowest)
    num, den = (n, d * 2**e) if e >= 0 else (n * 2 ** (-e), d)
    m, r = divmod(num, den)
    if 2 * r > den or (2 * r == den and m % 2 == 1):
        m += 1
    if m == 2**digits:
        m, e = 2 ** (digits - 1), e + 1
    if e + digits - 1 > highest:
        return sign * INF
    return math.copysign(math.ldexp(m, e), sign)  # exact: m < 2^digits


def rnd(q):
    """The binary64 value nearest to the rational q, ties to even; +-inf on overflow."""
    return round_to(q, 53, -1074, 1023)


def rnd32(q):
    """The binary32 value nearest to the rational q (held in a Python float)."""
    return round_to(q, 24, -149, 127)


# Operations: exact rational arithmetic, one rounding. Infinities, NaN and zeros are
# passed to Python's float operators, whose results there are exact.
def add(x, y, rnd=rnd):
    if not finite(x) or not finite(y) or (x == 0 and y == 0):
        return x + y
    return rnd(Fraction(x) + Fraction(y))


def sub(x, y, rnd=rnd):
    return add(x, -y, rnd)


def mul(x, y, rnd=rnd):
    if not finite(x) or not finite(y) or x == 0 or y == 0:
        return x * y
    return rnd(Fraction(x) * Fraction(y))


def div(x, y, rnd=rnd):
    if math.isnan(x) or math.isnan(y):
        return NAN
    if y == 0:
        if x == 0:
            return NAN
        return math.copysign(INF, x) * math.copysign(1.0, y)
    if not finite(x) or not finite(y) or x == 0:
        return x / y
    return rnd(Fraction(x) / Fraction(y))


def correctly_rounded(x, function):
    """The Decimal method `function` ("exp", "ln", "sqrt") of the finite x, correctly
    rounded to binary64."""
    for digits in (60, 120):
        with decimal.localcontext() as ctx:
            ctx.prec = digits
            ctx.Emax, ctx.Emin = 10**6, -(10**6)
            value = Fraction(getattr(decimal.Decimal(x), function)())
        # The decimal result is within half a unit of its last digit; the binary64
        # value is settled when both ends of that interval round to it.
        slack = value / 10 ** (digits - 1)
        if rnd(value - slack) == rnd(value + slack):
            return rnd(value)
    raise ArithmeticError(f"{function}({x!r}) lies too near a rounding boundary")


def exp(x):
    """e^x correctly rounded to binary64."""
    if math.isnan(x):
        return NAN
    if math.isinf(x):
        return INF if x > 0 else 0.0
    if x == 0:
        return 1.0
    return correctly_rounded(x, "exp")


def log(x):
    """The natural logarithm correctly rounded to binary64."""
    if math.isnan(x) or x < 0:
        return NAN
    if x == 0:
        return -INF
    if math.isinf(x) or x == 1:
        return x if math.isinf(x) else 0.0
    return correctly_rounded(x, "ln")


def sqrt(x):
    """The square root correctly rounded to binary64, as IEEE 754 demands of sqrt."""
    if math.isnan(x) or x < 0:
        return NAN
    if x == 0 or math.isinf(x):
        return x
    return correctly_rounded(x, "sqrt")


def number(text):
    return rnd(Fraction(text))


TOLERANCE = number("1e-4")
TENTH = number("0.1")

# ------------------------------------------------------------------ the test functions


def square(x):
    return mul(x, x)


def cube(x):
    return mul(mul(x, x), x)


def F1(x):  # ((x^3 + 100x) - 5x^2) - 400
    return add(sub(add(cube(x), mul(x, 100.0)), mul(5.0, square(x))), -400.0)


def DF1(x):  # (3x^2 - 10x) + 100
    return add(sub(mul(3.0, square(x)), mul(x, 10.0)), 100.0)


def GF2(x):  # (e^-x - 0.1/(x + 1)) + x
    return add(sub(exp(-x), div(TENTH, add(x, 1.0))), x)


# Plausible faults: the same functions written otherwise. The points must tell each of
# them from the real one.
FAULTS = {
    "F1": {
        "x^3 rounded once, as pow(x, 3) gives it": lambda x: add(
            sub(add(rnd(Fraction(x) ** 3) if finite(x) and x != 0 else x**3, mul(x, 100.0)), mul(5.0, square(x))),
            -400.0),
        "left to right: ((x^3 - 5x^2) + 100x) - 400": lambda x: add(
            add(sub(cube(x), mul(5.0, square(x))), mul(x, 100.0)), -400.0),
        "x^3 + (100x - 5x^2) - 400": lambda x: add(add(cube(x), sub(mul(x, 100.0), mul(5.0, square(x)))), -400.0),
        "Horner: ((x - 5)x + 100)x - 400": lambda x: add(mul(add(mul(add(x, -5.0), x), 100.0), x), -400.0),
        "5x^2 as (5x)x": lambda x: add(
            sub(add(cube(x), mul(x, 100.0)), mul(mul(5.0, x), x)), -400.0),
    },
    "DF1": {
        "3x^2 + (100 - 10x)": lambda x: add(mul(3.0, square(x)), sub(100.0, mul(x, 10.0))),
        "(3x^2 + 100) - 10x": lambda x: sub(add(mul(3.0, square(x)), 100.0), mul(x, 10.0)),
        "Horner: (3x - 10)x + 100": lambda x: add(mul(sub(mul(3.0, x), 10.0), x), 100.0),
        "3x^2 as (3x)x": lambda x: add(sub(mul(mul(3.0, x), x), mul(x, 10.0)), 100.0),
    },
    "GF2": {
        "(x + e^-x) - 0.1/(x + 1)": lambda x: sub(add(x, exp(-x)), div(TENTH, add(x, 1.0))),
        "e^-x + (x - 0.1/(x + 1))": lambda x: add(exp(-x), sub(x, div(TENTH, add(x, 1.0)))),
        "0.1 * (1/(x + 1))": lambda x: add(sub(exp(-x), mul(TENTH, div(1.0, add(x, 1.0)))), x),
    },
}


def same(a, b):
    return (math.isnan(a) and math.isnan(b)) or (a == b and math.copysign(1, a) == math.copysign(1, b))


# ------------------------------------------------------------------ points

# Negative and large values, values near the root 4.1467 (among them the iterates of the
# runs in the README), overflow to infinity and to NaN, tiny values; and points found by
# a search where rounding differs between the orders of evaluation in FAULTS.
F1_POINTS = [
    "11.8508", "4.17613", "4.54603", "-1.56252", "-20.7362", "-4.22762",
    "-99.97", "-99.91", "-12345.678", "-3.3", "-1", "-0.1", "-7.5e-9", "-1e-300", "0.1",
    "0.3333333333333333", "2.5", "3.75", "4.1467237176896923", "4.146723747253418",
    "4.1481481481481479", "4.15", "7.77", "10.1", "123.456", "100000.3", "31000000.7",
    "6.02e23", "1e100", "1e103", "-1e103", "1e155", "9007199254740992",
]

# Near -1 from both sides and at it, large negative values up to the overflow of e^-x,
# the fixed point near 3.8958, large positive values down to the underflow of e^-x; and
# points found by a search where rounding differs between the orders in FAULTS.
GF2_POINTS = [
    "-0.900246", "-0.905269", "-0.907679",
    "-1", "-0.9999999999999999", "-1.0000000000000002", "-0.99", "-0.5", "-1.5", "-2",
    "-10", "-36.75", "-700", "-709.78", "-710", "-1000", "0", "1e-10", "0.5",
    "3.8958452186845141", "3.9", "4", "10", "36.7", "700", "745.1", "1e300",
]


def hex_literal(x):
    if math.isnan(x):
        return "NaN"
    if math.isinf(x):
        return "INF" if x > 0 else "-INF"
    return x.hex()


def write_points():
    lines = [
        "// Written by exact_reference.py from exact rational arithmetic; do not edit.",
        "// F1, DF1 and GF2 evaluated in the documented order, each operation rounded to",
        "// binary64; e^-x correctly rounded.",
        "#pragma once",
        "",
        "#include <limits>",
        "",
        "namespace exact_values {",
        "",
        "inline constexpr double INF = std::numeric_limits<double>::infinity();",
        "inline constexpr double NaN = std::numeric_limits<double>::quiet_NaN();",
        "",
        "struct F1Point {",
        "    const char* text;",
        "    double x, f1, df1;",
        "};",
        "",
        "inline constexpr F1Point F1_POINTS[] = {",
    ]
    for text in F1_POINTS:
        x = number(text)
        lines.append(f'    {{"{text}", {hex_literal(x)}, {hex_literal(F1(x))}, {hex_literal(DF1(x))}}},')
    lines += [
        "};",
        "",
        "struct GF2Point {",
        "    const char* text;",
        "    double x, exp_minus_x, gf2;",
        "};",
        "",
        "inline constexpr GF2Point GF2_POINTS[] = {",
    ]
    for text in GF2_POINTS:
        x = number(text)
        lines.append(f'    {{"{text}", {hex_literal(x)}, {hex_literal(exp(-x))}, {hex_literal(GF2(x))}}},')
    lines += ["};", "", "}  // namespace exact_values", ""]
    (HERE / "exact_values.hpp").write_text("\n".join(lines))

    # Each plausible fault must change a value at one of the points at least.
    functions = {"F1": (F1, F1_POINTS), "DF1": (DF1, F1_POINTS), "GF2": (GF2, GF2_POINTS)}
    for name, faults in FAULTS.items():
        function, points = functions[name]
        for fault, wrong in faults.items():
            told = [t for t in points if not same(function(number(t)), wrong(number(t)))]
            assert len(told) >= 2, f"too few points tell {name} from: {fault}"
            print(f"{name}: {fault}: differs at {len(told)} points")


# ------------------------------------------------------------------ typed formulas
#
# A typed formula's value and its derivative as the evaluator's rules define them:
# forward-mode differentiation, every operation of value and derivative rounded once.
# The rules, with a' the derivative of a:
#   a + b, a - b    a' + b', a' - b'
#   a * b           a'b + ab'
#   a / b           q = a/b, then (a' - q b') / b
#   a^n, n > 0      a * a * ... * a (left to right), n * a^(n-1) * a' (a^(n-1) the product
#                   one factor short)
#   a^-n            v = 1 / a^n, then (-(n a') v) / a
#   exp, log, sqrt  exp(a) a', a' / a, a' / (2 sqrt(a))


class Dual:
    def __init__(self, value, derivative):
        self.v, self.d = value, derivative


def d_x(x):
    return Dual(x, 1.0)


def d_const(c):
    return Dual(c, 0.0)


def d_neg(a):
    return Dual(-a.v, -a.d)


def d_add(a, b, r=rnd):
    return Dual(add(a.v, b.v, r), add(a.d, b.d, r))


def d_sub(a, b, r=rnd):
    return Dual(sub(a.v, b.v, r), sub(a.d, b.d, r))


def d_mul(a, b, r=rnd):
    return Dual(mul(a.v, b.v, r), add(mul(a.d, b.v, r), mul(a.v, b.d, r), r))


def d_div(a, b, r=rnd):
    q = div(a.v, b.v, r)
    return Dual(q, div(sub(a.d, mul(q, b.d, r), r), b.v, r))


def d_ipow(a, n, r=rnd):
    m = abs(n)
    shorter, product = 1.0, a.v
    for _ in range(m - 1):
        shorter, product = product, mul(product, a.v, r)
    if n > 0:
        return Dual(product, mul(mul(float(m), shorter, r), a.d, r))
    inverse = div(1.0, product, r)
    return Dual(inverse, div(mul(-mul(float(m), a.d, r), inverse, r), a.v, r))


def d_exp(a, r=rnd):
    # In 32 bits: e^x correctly rounded to 64 bits, then rounded once to 32.
    value = exp(a.v) if r is rnd else rnd32(Fraction(exp(a.v))) if finite(exp(a.v)) else exp(a.v)
    return Dual(value, mul(value, a.d, r))


def d_log(a):
    return Dual(log(a.v), div(a.d, a.v))


def d_sqrt(a):
    root = sqrt(a.v)
    return Dual(root, div(a.d, mul(2.0, root)))


def number32(text):
    return rnd32(Fraction(text))


# Each formula as typed, its value and derivative by the rules above, and the points:
# roots, where the derivative vanishes, overflow, division by zero, tiny and subnormal
# values, and the iterates of the runs in the README.
FORMULAS = [
    ("x^3 - 2x - 5",
     lambda x: d_sub(d_sub(d_ipow(d_x(x), 3), d_mul(d_const(2.0), d_x(x))), d_const(5.0)),
     ["2.0945514815423265", "0", "3", "-0.816496580927726", "0.816496580927726", "-1e103",
      "1e103", "1e155", "7.5e-9", "-123.456"]),
    ("x^3 + 100*x - 5*x^2 - 400",  # F1 typed, with its exact derivative
     lambda x: d_sub(d_sub(d_add(d_ipow(d_x(x), 3), d_mul(d_const(100.0), d_x(x))),
                           d_mul(d_const(5.0), d_ipow(d_x(x), 2))), d_const(400.0)),
     ["0", "4", "4.1481481481481479", "4.1467237176896923", "-99.97", "10.1", "1e100",
      "1e103", "1e155", "31000000.7"]),
    ("exp(-x) - 0.1/(x + 1) + x",  # GF2 typed
     lambda x: d_add(d_sub(d_exp(d_neg(d_x(x))), d_div(d_const(TENTH), d_add(d_x(x), d_const(1.0)))),
                     d_x(x)),
     ["4", "3.8958452186845141", "-1", "-0.9999999999999999", "-36.75", "-710", "745.1", "0"]),
    ("x^-2 - 1/(x - 3)",
     lambda x: d_sub(d_ipow(d_x(x), -2), d_div(d_const(1.0), d_sub(d_x(x), d_const(3.0)))),
     ["1", "0", "3", "-0.5", "1e-160", "1e200", "2.9999999999999996", "7.3"]),
    ("sqrt(x) * exp(-x) - 0.25",
     lambda x: d_sub(d_mul(d_sqrt(d_x(x)), d_exp(d_neg(d_x(x)))), d_const(0.25)),
     ["0", "0.5", "1", "4", "1e-320", "700", "800", "2.220446049250313e-16"]),
    ("log(x)/x",
     lambda x: d_div(d_log(d_x(x)), d_x(x)),
     ["1", "2.718281828459045", "0.5", "10", "1e-300", "0", "1e308"]),
]

# mirtova's function and derivative typed, in 32 bits, where the dialogue's runs go.
FLOAT_FORMULAS = [
    ("exp(x) - x^2",
     lambda x: d_sub(d_exp(d_x(x), rnd32), d_ipow(d_x(x), 2, rnd32), rnd32),
     ["0", "-1", "-0.703467429", "-0.70346749", "5", "10", "88", "89", "-2e19", "1e-40"]),
    ("exp(x) - 2*x",
     lambda x: d_sub(d_exp(d_x(x), rnd32), d_mul(d_const(2.0), d_x(x), rnd32), rnd32),
     ["0", "0.693147182", "-0.703467429", "5", "89"]),
]


def write_formula_values():
    lines = [
        "// Written by exact_reference.py from exact rational arithmetic; do not edit.",
        "// Typed formulas: value and derivative at awkward points, each operation of the",
        "// differentiation rules rounded once; e^x, log and sqrt correctly rounded.",
        "#pragma once",
        "",
        "#include <limits>",
        "",
        "namespace formula_values {",
        "",
        "inline constexpr double INF = std::numeric_limits<double>::infinity();",
        "inline constexpr double NaN = std::numeric_limits<double>::quiet_NaN();",
        "",
        "template <class Real> struct Point {",
        "    const char* formula;",
        "    const char* text;",
        "    Real x, value, derivative;",
        "};",
        "",
    ]
    for table, formulas, read, real in (("Point<double> POINTS", FORMULAS, number, "{}"),
                                        ("Point<float> FLOAT_POINTS", FLOAT_FORMULAS, number32,
                                         "float({})")):
        lines.append(f"inline constexpr {table}[] = {{")
        for formula, function, points in formulas:
            for text in points:
                x = read(text)
                d = function(x)
                values = ", ".join(real.format(hex_literal(v)) for v in (x, d.v, d.d))
                lines.append(f'    {{"{formula}", "{text}", {values}}},')
        lines += ["};", ""]
    lines += ["}  // namespace formula_values", ""]
    (HERE / "formula_values.hpp").write_text("\n".join(lines))


# ------------------------------------------------------------------ the methods


def real_field(x):
    if math.isnan(x):
        digits = "NaN"
    elif math.isinf(x):
        digits = "Infinity" if x > 0 else "-Infinity"
    else:
        digits = "%.16e" % x
    return digits.rjust(25)


def record(*items):
    out = ""
    for item in items:
        if isinstance(item, str):
            out += item
        elif isinstance(item, int):
            out += str(item).rjust(11)
        else:
            out += real_field(item)
    return out + "\n"


def midpoint(a, b):
    total = add(a, b)
    return div(total, 2.0) if finite(total) else add(div(a, 2.0), div(b, 2.0))


def sign(fx):
    return 1 if fx >= 0 else -1


class Run:
    def __init__(self):
        self.stdout = ""
        self.logs = {}
        self.status = 0


def bisec(run, a, b, f, name):
    log = record("Ausgangswerte - a= ", a, ", b= ", b)
    seen = set()
    steps = 0
    x = midpoint(a, b)
    while abs(f(x)) > TOLERANCE:
        assert (a, b) not in seen, "a repeating state: the program would stop it"
        seen.add((a, b))
        x = midpoint(a, b)
        fx = f(x)
        log += record(steps, x, fx)
        run.stdout += record(steps, x, fx)
        if sign(fx) == sign(f(a)):
            a = x
        else:
            b = x
        steps += 1
    if math.isnan(f(x)):
        run.status = 1
    run.logs[name] = log
    return x, steps


def newton(run, x, f, df, name):
    log = record("Startwert= ", x)
    steps = 0
    alt = add(x, 1.0)
    while abs(sub(x, alt)) > TOLERANCE:
        alt = x
        fx = f(x)
        next_x = sub(x, div(fx, df(x)))
        log += record(steps, x, fx)
        run.stdout += record(steps, x, fx)
        x = next_x
        steps += 1
    if steps == 0 or math.isnan(sub(x, alt)):
        run.status = 1
    run.logs[name] = log


def fix(run, x, g, name):
    log = record("Startwert= ", x)
    seen = set()
    steps = 0
    next_x = g(x)
    while abs(sub(next_x, x)) > TOLERANCE:
        assert x not in seen, "a repeating state: the program would stop it"
        seen.add(x)
        log += record(steps, x, next_x)
        run.stdout += record(steps, x, next_x)
        x = next_x
        steps += 1
        next_x = g(x)
    if math.isnan(sub(next_x, x)):
        run.status = 1
    run.logs[name] = log


def whole_run(a, b, newton_start, fix_start):
    run = Run()
    run.stdout = "Bitte Intervallgrenzen eingeben:\na= \nb= \n"
    x, steps = bisec(run, number(a), number(b), F1, "bisec_f1.dat")
    run.stdout += record(x, steps)
    run.stdout += "Bitte Startwert eingeben\n"
    newton(run, number(newton_start), F1, DF1, "newto_f1.dat")
    run.stdout += "Bitte Startwert eingeben\n"
    fix(run, number(fix_start), GF2, "fixpk_f1.dat")
    return run


# The run of the README; then negative interval ends and start values, and the runs
# that break down or take no step.
RUNS = {
    "": ("0", "10", "0", "4"),
    "negative_ends": ("-17.3", "9.1", "-99.97", "-0.5"),
    "reversed_ends": ("12.5", "-0.75", "-99.91", "-0.99"),
    "far_starts": ("-1e6", "1e6", "-1e6", "5"),
    "breakdowns": ("0", "1e300", "1e20", "-1000"),
}


def write_run(target, run, inputs, label):
    """Writes `run` into the folder `target`: the numbers typed and the exit status (unless
    `inputs` is None), the console and the logs; then prints `label` with the step counts."""
    target.mkdir(parents=True, exist_ok=True)
    if inputs is not None:
        (target / "input.txt").write_text("\n".join(inputs) + "\n")
        (target / "status.txt").write_text(f"{run.status}\n")
    (target / "stdout.txt").write_text(run.stdout)
    for name, log in run.logs.items():
        (target / name).write_text(log)
    print(f"{label}: status {run.status}, " +
          ", ".join(f"{n} {log.count(chr(10)) - 1} steps" for n, log in run.logs.items()))


def write_runs():
    for folder, inputs in RUNS.items():
        write_run(HERE / "golden" / folder, whole_run(*inputs), inputs if folder else None, f"run {inputs}")


if __name__ == "__main__":
    write_points()
    write_formula_values()
    write_runs()
