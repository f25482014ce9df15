#!/usr/bin/env python3
"""Expected whole runs of quarlen with --verfahren, computed without quarlen.

The arithmetic, the test functions, bisection, Newton's method and the fixed-point
iteration are exact_reference's: every operation exact in rational arithmetic, rounded
once to binary64. Regula falsi, Illinois, the secant method and Steffensen's method are
written here in the order of evaluation the program documents, on quarlen's functions or
on a typed f with its fixed-point form g(x) = x + f(x), as the formula evaluator forms
them.

Writes, next to this script, for each run in RUNS:
  golden/verfahren/<run>/verfahren.txt   the list given with --verfahren
  golden/verfahren/<run>/optionen.txt    further arguments, one a line (typed runs only)
  golden/verfahren/<run>/input.txt       the numbers typed
  golden/verfahren/<run>/stdout.txt      the console
  golden/verfahren/<run>/status.txt      the exit status
  golden/verfahren/<run>/<log>           the logs of the stages run

Run it from anywhere: python3 tests/quarlen/exact_methods.py
"""

import math
import shutil

import exact_reference as ref
from exact_reference import DF1, F1, GF2, HERE, TOLERANCE, Run, add, div, mul, number, record, sign, sub

# ------------------------------------------------------------------ the equations


class Equation:
    """What a run solves: f for the bracketing methods and the secant method, g for
    Steffensen's method, the tolerance, the arguments that give them, the lines the
    dialogue starts with and what each log header adds."""

    def __init__(self, f, g, tolerance, options=(), shown="", f_items="", g_items=""):
        self.f, self.g, self.tolerance = f, g, tolerance
        self.options, self.shown, self.f_items, self.g_items = list(options), shown, f_items, g_items


BUILT_IN = Equation(F1, GF2, TOLERANCE)


def typed_equation(formula, f, tolerance_text):
    """-f formula alone, with -t: g(x) = x + f(x), evaluated as x + (f(x))."""
    tolerance = number(tolerance_text)
    items = f", Toleranz= {tolerance!r}"
    return Equation(f, lambda x: add(x, f(x)), tolerance, ["-f", formula, "-t", tolerance_text],
                    f"f(x) = {formula}\ng(x) = x + f(x)\n", f", f(x) = {formula}" + items,
                    f", f(x) = {formula}, g(x) = x + f(x)" + items)


# x^2 - 2: an integer exponent is a product of the base with itself.
X2_MINUS_2 = typed_equation("x^2 - 2", lambda x: sub(mul(x, x), 2.0), "1e-10")

# ------------------------------------------------------------------ the methods
# Each returns its last point, its step count and what the runs' checks below look at.


def chord_method(run, a, b, name, illinois, eq=BUILT_IN):
    f = eq.f
    log = record("Ausgangswerte - a= ", a, ", b= ", b, eq.f_items)
    fa, fb = f(a), f(b)
    kept, halvings, moved = 0, [], set()
    seen = set()
    steps = 0

    def point():
        if illinois:
            return sub(b, div(mul(fb, sub(b, a)), sub(fb, fa)))
        return sub(b, div(mul(f(b), sub(b, a)), sub(f(b), f(a))))

    x = point()
    while abs(f(x)) > eq.tolerance:
        state = (a, b, fa, fb, kept)
        assert state not in seen, "a repeating state: the program would stop it"
        seen.add(state)
        x = point()
        fx = f(x)
        log += record(steps, x, fx)
        run.stdout += record(steps, x, fx)
        if sign(fx) == sign(fa if illinois else f(a)):
            a, fa, now_kept = x, fx, "b"
        else:
            b, fb, now_kept = x, fx, "a"
        moved.add("a" if now_kept == "b" else "b")
        if illinois and now_kept == kept:
            if kept == "b":
                fb = div(fb, 2.0)
            else:
                fa = div(fa, 2.0)
            halvings.append(steps)
        kept = now_kept
        steps += 1
    if math.isnan(f(x)):
        run.status = 1
    run.logs[name] = log
    return x, steps, {"moved": moved, "halvings": halvings}


def secant(run, x0, x1, name, eq=BUILT_IN):
    f = eq.f
    log = record("Startwerte - x0= ", x0, ", x1= ", x1, eq.f_items)
    seen = set()
    steps = 0
    while abs(sub(x1, x0)) > eq.tolerance:
        assert (x0, x1) not in seen, "a repeating state: the program would stop it"
        seen.add((x0, x1))
        fx1 = f(x1)
        x2 = sub(x1, div(mul(fx1, sub(x1, x0)), sub(fx1, f(x0))))
        log += record(steps, x1, fx1)
        run.stdout += record(steps, x1, fx1)
        x0, x1 = x1, x2
        steps += 1
    if steps == 0 or math.isnan(sub(x1, x0)):
        run.status = 1
    run.logs[name] = log
    return x1, steps, {}


def steffensen(run, x, name, eq=BUILT_IN):
    g = eq.g
    log = record("Startwert= ", x, eq.g_items)
    seen = set()
    steps = 0
    iterates = [x]
    y = g(x)
    while abs(sub(y, x)) > eq.tolerance:
        assert x not in seen, "a repeating state: the program would stop it"
        seen.add(x)
        z = g(y)
        d = sub(y, x)
        next_x = sub(x, div(mul(d, d), sub(sub(z, y), d)))
        log += record(steps, x, next_x)
        run.stdout += record(steps, x, next_x)
        x = next_x
        iterates.append(x)
        steps += 1
        y = g(x)
    if math.isnan(sub(y, x)):
        run.status = 1
    run.logs[name] = log
    return x, steps, {"iterates": iterates}


# ------------------------------------------------------------------ whole runs

BRACKETING = {"bisektion": "bisec_f1.dat", "regula-falsi": "regfa_f1.dat", "illinois": "illin_f1.dat"}


def whole_run(stages, inputs, eq=BUILT_IN):
    """The run of `quarlen --verfahren stages` with `inputs` typed; each value is asked for
    before the first stage that needs it. Returns the run and each stage's outcome. Only
    the four methods written here take a typed equation."""
    assert eq is BUILT_IN or not {"bisektion", "newton", "fixpunkt"} & set(stages.split(","))
    run = Run()
    run.stdout = eq.shown
    typed = iter(number(text) for text in inputs)
    interval, fix_start, outcome = None, None, {}
    for stage in stages.split(","):
        if stage in BRACKETING:
            if interval is None:
                run.stdout += "Bitte Intervallgrenzen eingeben:\na= \nb= \n"
                interval = (next(typed), next(typed))
            if stage == "bisektion":
                x, steps = ref.bisec(run, *interval, F1, BRACKETING[stage])
                facts = {}
            else:
                x, steps, facts = chord_method(run, *interval, BRACKETING[stage], stage == "illinois", eq)
            run.stdout += record(x, steps)
            outcome[stage] = (x, steps, facts)
        elif stage == "newton":
            run.stdout += "Bitte Startwert eingeben\n"
            ref.newton(run, next(typed), F1, DF1, "newto_f1.dat")
        elif stage == "sekante":
            run.stdout += "Bitte zwei Startwerte eingeben:\nx0= \nx1= \n"
            outcome[stage] = secant(run, next(typed), next(typed), "sekan_f1.dat", eq)
        else:
            if fix_start is None:
                run.stdout += "Bitte Startwert eingeben\n"
                fix_start = next(typed)
            if stage == "fixpunkt":
                ref.fix(run, fix_start, GF2, "fixpk_f1.dat")
            else:
                outcome[stage] = steffensen(run, fix_start, "steff_f1.dat", eq)
    assert next(typed, None) is None, "more numbers than the run asks for"
    return run, outcome


NEW = "regula-falsi,illinois,sekante,steffensen"

# The run the README compares all seven methods with; typical runs; runs that show each
# method's character; breakdowns; starts that take no step; a typed equation.
RUNS = {
    "sieben": ("bisektion,regula-falsi,illinois,newton,sekante,fixpunkt,steffensen",
               ("0", "10", "0", "0", "10", "0")),
    "typisch": (NEW, ("3", "5", "4", "5", "0.2")),
    "eigenart": (NEW, ("-30", "30", "-1000", "1000", "-2")),
    "ohne_vorzeichenwechsel": ("sekante,illinois,regula-falsi", ("1e6", "2e6", "5", "10")),
    "zusammenbrueche": (NEW, ("5", "5", "1e103", "2e103", "-1")),
    "ohne_schritt": ("steffensen,sekante,fixpunkt", ("2000", "4", "4.00005")),
    "getippt": (NEW, ("1", "2", "1", "2", "1"), X2_MINUS_2),
}


def fixed_point():
    """The fixed point of GF2, near 3.8897, to double precision: Newton's method on
    e^-x - 0.1/(x + 1) in Python floats, good enough for telling how errors shrink."""
    x = 3.9
    for _ in range(20):
        x -= (math.exp(-x) - 0.1 / (x + 1)) / (-math.exp(-x) + 0.1 / (x + 1) ** 2)
    return x


FIXED_POINT = fixed_point()


def check_character(name, outcome):
    """What each run is there to show, so that a change of inputs cannot lose it."""
    if name == "eigenart":
        # Regula falsi moves one end only and crawls; Illinois halves the stored value at
        # the kept end at every repeat, not only the second, and is done in a few steps.
        _, steps, facts = outcome["regula-falsi"]
        assert len(facts["moved"]) == 1 and steps > 100, (steps, facts["moved"])
        _, steps, facts = outcome["illinois"]
        runs = [b - a for a, b in zip(facts["halvings"], facts["halvings"][1:])]
        assert steps < 10 and runs.count(1) >= 2, (steps, facts["halvings"])
        # The secant from -1000 and 1000 crosses to where F1 is flat against its first,
        # steep chord: the step falls below the tolerance there, far from the root.
        x, steps, _ = outcome["sekante"]
        assert abs(x - 4.1467) > 0.5 and abs(F1(x)) > 50, (x, steps)
        # Steffensen's error squares from step to step near the fixed point.
        _, _, facts = outcome["steffensen"]
        errors = [abs(xk - FIXED_POINT) for xk in facts["iterates"]]
        assert errors[-1] < 1e-3 and all(e1 <= e0**2 for e0, e1 in zip(errors[-3:], errors[-2:])), errors
    if name == "ohne_vorzeichenwechsel":
        # [5, 10] holds no sign change: both chord methods extrapolate and still converge.
        for stage in ("regula-falsi", "illinois"):
            x, _, _ = outcome[stage]
            assert abs(F1(x)) <= TOLERANCE and x < 5, (stage, x)
        # Far out F1 is nearly x^3, and the secant gains only a fixed factor per step.
        _, steps, _ = outcome["sekante"]
        assert steps > 40, steps
    if name == "getippt":
        # Every method finds the root of x^2 - 2 (Steffensen's as the fixed point of x + f).
        for stage, (x, _, _) in outcome.items():
            assert abs(x - math.sqrt(2)) < 1e-9, (stage, x)


def write_runs():
    target_root = HERE / "golden" / "verfahren"
    shutil.rmtree(target_root, ignore_errors=True)
    for name, (stages, inputs, *equation) in RUNS.items():
        run, outcome = whole_run(stages, inputs, *equation)
        check_character(name, outcome)
        target = target_root / name
        ref.write_run(target, run, inputs, name)
        (target / "verfahren.txt").write_text(stages + "\n")
        if equation:
            (target / "optionen.txt").write_text("".join(arg + "\n" for arg in equation[0].options))


if __name__ == "__main__":
    write_runs()
