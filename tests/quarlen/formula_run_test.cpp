// quarlen on an equation typed on the command line: the built-in functions typed give
// the golden runs bit for bit, typed functions are shown before the first prompt and
// named in the log headers, and the step limit ends a method as the program's own does.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

#include "tests/quarlen/quarlen_run.hpp"
#include "tests/support/mpfr_oracle.hpp"
#include "tests/support/process.hpp"
#include "tests/support/temp_dir.hpp"

namespace {

using namespace quarlen_run;
using test_support::read_file;
using test_support::RunResult;
using test_support::TempDir;

std::string first_line(const std::string& text) { return text.substr(0, text.find('\n')); }
std::string after_first_line(const std::string& text) { return text.substr(text.find('\n') + 1); }

const std::string F1 = "x^3 + 100*x - 5*x^2 - 400";
const std::string DF1 = "3*x^2 - 10*x + 100";
const std::string GF2 = "exp(-x) - 0.1/(x + 1) + x";

// What the header of `log` adds when the three are typed: the function its method uses.
std::string typed_items(const std::string& log)
{
    if (log == "newto_f1.dat") return ", f(x) = " + F1 + ", f'(x) = " + DF1;
    if (log == "fixpk_f1.dat" || log == "steff_f1.dat") return ", g(x) = " + GF2;
    return ", f(x) = " + F1;
}

// The default runs, and those of --verfahren on quarlen's own functions.
TEST(TypedEquation, BuiltInFunctionsTypedGiveTheGoldenRuns)
{
    for (const std::string folder :
         {"", "negative_ends/", "reversed_ends/", "far_starts/", "breakdowns/", "verfahren/sieben/",
          "verfahren/typisch/", "verfahren/eigenart/", "verfahren/ohne_vorzeichenwechsel/",
          "verfahren/zusammenbrueche/", "verfahren/ohne_schritt/"}) {
        SCOPED_TRACE(folder);
        const std::string input = folder.empty() ? "0\n10\n0\n4\n" : golden(folder + "input.txt");
        std::vector<std::string> args;
        if (folder.starts_with("verfahren/")) args = verfahren_args(folder);
        TempDir plain, typed;
        const RunResult built_in = quarlen(plain, input, with_args(args));
        args.insert(args.end(), {"-f", F1, "--ableitung", DF1, "--fixpunkt=" + GF2});
        const RunResult r = quarlen(typed, input, with_args(args));
        EXPECT_EQ(r.exit_status, built_in.exit_status);
        EXPECT_EQ(r.err, built_in.err);
        EXPECT_EQ(r.out, "f(x) = " + F1 + "\nf'(x) = " + DF1 + "\ng(x) = " + GF2 + "\n" +
                             golden(folder + "stdout.txt"));
        for (const std::string log : ALL_LOGS) {
            SCOPED_TRACE(log);
            ASSERT_EQ(std::filesystem::exists(typed / log), golden_exists(folder + log));
            if (!golden_exists(folder + log)) continue;
            const std::string written = read_file(typed / log);
            EXPECT_EQ(first_line(written), first_line(golden(folder + log)) + typed_items(log));
            EXPECT_EQ(after_first_line(written), after_first_line(golden(folder + log)));
        }
    }
}

// f alone: Newton's derivative exact from f's formula, the fixed-point iteration on
// g(x) = x + f(x); the tolerance named in every header.
TEST(TypedEquation, FunctionAloneWithTolerance)
{
    TempDir dir;
    const RunResult r =
        quarlen(dir, "0\n1\n0.5\n0.5\n", with_args({"--funktion", " cos(x) - x\t", "-t1e-10"}));
    EXPECT_EQ(r.exit_status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out.substr(0, r.out.find("a= ")),
              "f(x) = cos(x) - x\ng(x) = x + f(x)\nBitte Intervallgrenzen eingeben:\n");
    EXPECT_TRUE(first_line(read_file(dir / "bisec_f1.dat"))
                    .ends_with("b=    1.0000000000000000e+00, f(x) = cos(x) - x, Toleranz= 1e-10"));
    EXPECT_TRUE(first_line(read_file(dir / "newto_f1.dat"))
                    .ends_with(", f(x) = cos(x) - x, Toleranz= 1e-10"));
    EXPECT_TRUE(first_line(read_file(dir / "fixpk_f1.dat"))
                    .ends_with(", f(x) = cos(x) - x, g(x) = x + f(x), Toleranz= 1e-10"));

    // Newton's second iterate from 0.5 is 0.5 - f(0.5)/f'(0.5) with f'(x) = -sin(x) - 1
    // exactly as the differentiation rules form it, no difference quotient; cos and sin
    // correctly rounded.
    const double x0 = 0.5;
    const double f0 = test_support::mpfr_rounded(mpfr_cos, x0) - x0;
    const double df0 = -test_support::mpfr_rounded(mpfr_sin, x0) * 1.0 - 1.0;
    const std::string newton = read_file(dir / "newto_f1.dat");
    const std::string second = newton.substr(newton.find("\n          1") + 1, 61);
    EXPECT_EQ(std::strtod(second.c_str() + 11, nullptr), x0 - f0 / df0) << second;

    // The fixed point of cos, reached with |g(x) - x| at most 1e-10.
    const std::string fix = read_file(dir / "fixpk_f1.dat");
    const std::string last = fix.substr(fix.size() - 62);
    const double x = std::strtod(last.c_str() + 11, nullptr);
    const double g = std::strtod(last.c_str() + 36, nullptr);
    EXPECT_NEAR(g, 0.7390851332151607, 1e-9);
    EXPECT_GT(std::abs(g - x), 1e-10)
        << "the last record shows the step to the iterate that met it";
}

// A method whose test passes after exactly N steps has converged; one that needs more
// stops after N with a message, its log whole up to there, and the run goes on.
TEST(TypedEquation, StepLimitStopsAMethodAndTheRunGoesOn)
{
    struct Case {
        std::vector<std::string> args;
        std::string input;
        const char* folder;  // of the golden run without the limit
        std::string err;
        std::vector<std::pair<const char*, int>> records;  // in each log
    };
    const std::string LIMIT = ": die Höchstzahl der Schritte (-n/--max-schritte) ist erreicht\n";
    const Case cases[] = {
        {{"--max-schritte", "21"},
         "0\n10\n0\n4\n",
         "",
         "quarlen: Fixpunktiteration angehalten nach 21 Schritten bei x = 3.969313460429842" +
             LIMIT,
         {{"bisec_f1.dat", 21}, {"newto_f1.dat", 4}, {"fixpk_f1.dat", 21}}},
        {{"-m", "regula-falsi,sekante,steffensen", "-n6"},
         "0\n10\n0\n10\n0\n",
         "verfahren/sieben/",
         "quarlen: Regula falsi angehalten nach 6 Schritten bei x = 4.1292009006442765" + LIMIT,
         {{"regfa_f1.dat", 6}, {"sekan_f1.dat", 6}, {"steff_f1.dat", 6}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.front());
        TempDir dir;
        const RunResult r = quarlen(dir, c.input, with_args(c.args));
        EXPECT_EQ(r.exit_status, 1);
        EXPECT_EQ(r.err, c.err);
        for (const auto& [log, records] : c.records) {
            SCOPED_TRACE(log);
            const std::string written = read_file(dir / log);
            EXPECT_EQ(golden(c.folder + std::string(log)).compare(0, written.size(), written), 0);
            EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), records + 1);
        }
    }
}

// No status 0 that the arithmetic did not earn: a correction of 0 where f is not 0, a
// value that only underflow made 0, a level tangent; and an exact root at the start or at
// an end of the interval is the result at once.
TEST(TypedEquation, HowARunEnds)
{
    struct Case {
        const char* name;
        const char* methods;  // -m
        const char* f;        // -f
        const char* options;  // more, separated by blanks
        std::string input;
        int status;
        std::string err_end;       // the end of stderr, one line; "" for none
        std::string out_end = "";  // the end of stdout
        std::size_t records = 0;   // in the log of the one method, where it matters
        double root = NAN;         // near the last record's x
    };
    const std::string LEVEL = "quarlen: Newton-Verfahren in Schritt 0 zusammengebrochen: die "
                              "Ableitung ist bei x = 0 gleich 0, die Tangente trifft die Achse "
                              "nicht\n";
    const std::string INFINITE_DERIVATIVE =
        "quarlen: Newton-Verfahren nach 1 Schritt bei x = 0 nicht konvergiert: die Ableitung ist "
        "dort unendlich, der Newton-Schritt daher 0, obwohl f(x) = -2 ist\n";
    const std::string BY_UNDERFLOW = "; ob x nahe einer Nullstelle liegt, zeigt das nicht\n";
    const std::string NO_ROOT_SHOWN = " auch nicht nahe 0; eine Nullstelle zeigt sich dort nicht\n";
    const std::string BY_OVERFLOW =
        "nicht konvergiert: f(x) ist nur durch Über- oder Unterlauf 0" + BY_UNDERFLOW;
    const std::string AT_2 = "   2.0000000000000000e+00          0\n";
    const Case cases[] = {
        {"newton_infinite_derivative", "newton", "sqrt(x) - 2", "", "0\n", 1, INFINITE_DERIVATIVE},
        {"newton_infinite_power_derivative", "newton", "x^(1/3) - 2", "", "0\n", 1,
         INFINITE_DERIVATIVE},
        {"newton_infinite_typed_derivative", "newton", "sqrt(x) - 2", "--ableitung 1/(2*sqrt(x))",
         "0\n", 1, INFINITE_DERIVATIVE},
        {"secant_infinite_at_the_other_start", "sekante", "1/x", "", "0\n1\n", 1,
         "quarlen: Sekantenverfahren nach 1 Schritt bei x = 1 nicht konvergiert: F ist bei x0 = 0 "
         "unendlich, der Sekantenschritt daher 0, obwohl F(x1) = 1 ist\n"},
        // One short step from far starts, with the next step from its result long: a steep
        // chord, not a root (e^-10x = 1e-12 at 2.76; 1/x and e^-x + 1 have none).
        {"secant_steep_chord_far_from_the_root", "sekante", "exp(-10*x) - 1e-12", "", "0\n2\n", 1,
         "quarlen: Sekantenverfahren nach 1 Schritt bei x = 2.000000004120307 nicht konvergiert: "
         "die Schritte werden nicht kürzer (4.1e-09, dann 0.1); das Verfahren nähert sich keiner "
         "Nullstelle\n"},
        {"secant_steep_chord_without_a_root", "sekante", "1/x", "", "1e-10\n1\n", 1,
         "die Schritte werden nicht kürzer (1e-10, dann 1); das Verfahren nähert sich keiner "
         "Nullstelle\n"},
        {"secant_steep_chord_above_the_axis", "sekante", "exp(-x) + 1", "", "-30\n1\n", 1,
         "die Schritte werden nicht kürzer (4e-12, dann 3.7); das Verfahren nähert sich keiner "
         "Nullstelle\n"},
        // Later on too: a short step after a long jump, where the next one from the result
        // is long again, finds no root (x^2 + 1 has none).
        {"secant_steep_chord_after_a_jump", "sekante", "x^2 + 1", "", "-40\n2\n", 1,
         "die Schritte werden nicht kürzer (1.2e-06, dann 2.1); das Verfahren nähert sich keiner "
         "Nullstelle\n"},
        // A short step onto a pole or out of the domain: no root where F is not finite.
        {"secant_onto_a_pole", "sekante", "1/x", "", "-0.0001\n0.0001\n", 1,
         "quarlen: Sekantenverfahren nach 1 Schritt bei x = 0 nicht konvergiert: F(x) = Infinity "
         "beim Ergebnis; eine Nullstelle liegt dort nicht\n"},
        {"newton_out_of_the_domain", "newton", "sqrt(x) + 1", "", "1e-10\n", 1,
         "f(x) = NaN beim Ergebnis; eine Nullstelle liegt dort nicht\n"},
        // x + 1 and x + atan(x) are x at 1e17: rounding, no fixed point. At a true one the
        // addend lost is below the last bit too, but g(y) - y changes sign next to it.
        {"fixed_point_by_a_lost_addend", "fixpunkt", "atan(x)", "-n 100", "1e17\n", 1,
         "quarlen: Fixpunktiteration ohne einen Schritt bei x = 1e+17 nicht konvergiert: g(x) - x "
         "ist nur durch Rundung 0: in den Summen von g geht ein Summand von 1.6 ganz verloren; "
         "ob x nahe einem Fixpunkt liegt, zeigt das nicht\n"},
        {"steffensen_by_a_lost_addend", "steffensen", "x", "-g x+1 -n 100", "1e17\n", 1,
         "in den Summen von g geht ein Summand von 1 ganz verloren; ob x nahe einem Fixpunkt "
         "liegt, zeigt das nicht\n"},
        {"fixed_point_below_the_last_bit", "fixpunkt", "0.1*(3 - x^2)", "-t 1e-20 -n 1000",
         "0.5\n", 0, ""},
        // One step that lands on the root passes: the next is shorter still.
        {"secant_one_step_near_the_root", "sekante", "x^2 - 9", "-t 0.1", "2.9\n3.05\n", 0, ""},
        // A step too short to move x after a steep chord, far from the roots +-1.316 and
        // ln 2: the next step, from a chord at x, is long.
        {"secant_step_too_short_to_move", "sekante", "x^4 - 3", "", "0.5\n0\n", 1,
         "quarlen: Sekantenverfahren nach 6 Schritten bei x = 0.00043487548828125 nicht "
         "konvergiert: der letzte Schritt ließ x unverändert, doch der nächste führte noch etwa "
         "6.6e+09 weiter; der kurze Schritt kam von einer steilen Sehne\n"},
        {"secant_first_step_too_short_to_move", "sekante", "exp(x) - 2", "", "700\n1\n", 1,
         "der nächste führte noch etwa 0.26 weiter; der kurze Schritt kam von einer steilen "
         "Sehne\n"},
        // On a steep exponential a chord at x steps f/f', as short as x^2/500 far from the
        // root 857: followed on, the method goes on in steps as long.
        {"secant_unmoved_on_a_steep_exponential", "sekante", "x/10*cosh(500/x) - x/10 - 15",
         "-t 1e-3", "1\n2\n", 1,
         "die Schritte werden nicht rasch genug kürzer: 2 weitere führten schon 0.013 weiter, "
         "mehr als zehn Toleranzen\n"},
        // Near a root of several fold the chord at x is as wide as the distance, and steps
        // from it shrink slowly; followed on, the method stays near (2.3 tolerances off).
        {"secant_unmoved_beside_a_root_of_five_fold", "sekante", "(x-1)^5", "-t 1e-12",
         "0.9999999999977244\n1.1168570677847272\n", 0, ""},
        // A first step uphill, next to the pole at 0: the steps there are short and grow
        // (van der Waals in SI units, whose only real root is 0.0245). Along an exponential
        // the steps keep their length too, but reach the root within the tolerance.
        {"newton_first_step_uphill_beside_a_pole", "newton",
         "(101325 + 0.3640/x^2)*(x - 4.267e-5) - 8.314*300", "", "1e-4\n", 1,
         "die Schritte werden nicht rasch genug kürzer: 19 weitere führten schon 0.0016 weiter, "
         "mehr als zehn Toleranzen\n"},
        {"newton_first_step_uphill_along_an_exponential", "newton", "exp(-100*x)-1e-12",
         "-t 0.5", "0.303941232275214\n", 0, ""},
        // Only a first step uphill is followed: after 29 steps toward a root of four fold,
        // 2.4 tolerances off, followed steps would go on through the noise about it.
        {"newton_many_steps_not_followed", "newton", "x^4-4*x^3+6*x^2-4*x+1", "", "0.0001\n", 0,
         ""},
        // Into the noise about a triple root, 1.3e-5 from it: there the steps bounce, and one
        // where f' is noise too may jump far, but the bounce shows a point closed in on.
        {"newton_first_step_uphill_into_the_noise_of_a_triple_root", "newton",
         "x^3-0.9*x^2+0.27*x-0.027", "", "0.2999997\n", 0, ""},
        // There a chord at the rounding level is level: it is widened until F changes.
        {"secant_too_short_to_move_below_any_tolerance", "sekante", "exp(x) - 2", "-t 1e-300",
         "1\n-10\n", 1, "der nächste führte noch etwa 7.4 weiter; der kurze Schritt kam von "
         "einer steilen Sehne\n"},
        // Steffensen along a tail where g(x) - x is small but no fixed point is near (the
        // root of x e^-x is 0; 1/(x-3) has none): the steps shrink too slowly, or grow.
        {"steffensen_along_a_decaying_tail", "steffensen", "x*exp(-x)", "", "2\n", 1,
         "quarlen: Steffensen-Verfahren nach 8 Schritten bei x = 12.29011952553966 nicht "
         "konvergiert: die Schritte werden je Schritt nur um 0.87 % kürzer; der Fixpunkt liegt "
         "wohl noch etwa 120 entfernt\n"},
        {"steffensen_steps_growing", "steffensen", "1/(x-3)", "", "0\n", 1,
         "die Schritte werden nicht kürzer (3300, dann 8500); das Verfahren nähert sich keinem "
         "Fixpunkt\n"},
        // At -745 exp(x) underflows: F is -2 and level all around, no root near.
        {"secant_too_short_to_move_where_f_is_level", "sekante", "exp(x) - 2", "", "700\n-745\n",
         1, "der letzte Schritt ließ x unverändert, doch F ist dort nicht 0 und ändert sich nahe "
         "x nicht; eine Nullstelle liegt dort nicht\n"},
        // g jumps across x = 1 and has no fixed point: the steps shrink by 1000, yet the
        // next still goes 0.002, twenty tolerances.
        {"steffensen_shrinking_fast_with_far_to_go", "steffensen",
         "abs(x-1)/(x-1)*1e-6 + (x-1)*1e-3", "", "3\n", 1,
         "die Schritte werden kürzer, doch die noch kommenden ergeben zusammen etwa 0.002, mehr "
         "als zehn Toleranzen\n"},
        // Where doubles lie farther apart than f's features, a step below their spacing shows
        // no root: a jump from the flat top of sin lands at -4.1e16, spacing 8, where
        // sin(x) + 1.5 > 0.5 and the next step is 2.6; the secant on sin(x)^2 + 0.001 > 0
        // wanders off to 4.3e14.
        {"newton_where_doubles_are_too_coarse", "newton", "sin(x) + 1.5", "-t 0.3",
         "1.5707963267948966\n", 1,
         "quarlen: Newton-Verfahren nach 2 Schritten bei x = -40828098382988424 nicht "
         "konvergiert: die Rundungsstufe von x (32) übersteigt die Toleranz, und f wechselt in "
         "diesem Abstand das Vorzeichen nicht und ist mit f(x) = 2.093309958877961" +
             NO_ROOT_SHOWN},
        // There even a next step within the tolerance shows nothing: cos(3x) + sin(x) + 2.5
        // is 0.62 at least.
        {"newton_within_the_tolerance_where_doubles_are_too_coarse", "newton",
         "cos(3*x) + sin(x) + 2.5", "-t 0.5", "5307977062400080\n", 1,
         "ist mit f(x) = 1.0573395905245846" + NO_ROOT_SHOWN},
        {"secant_where_doubles_are_too_coarse", "sekante", "sin(x)^2 + 0.001", "-t 1e-8",
         "0.1\n0.2\n", 1,
         "und F wechselt in diesem Abstand das Vorzeichen nicht und ist mit F(x) = "
         "0.016094453291489615" + NO_ROOT_SHOWN},
        // Within the rounding level a root shows by a sign change, or, where f touches 0, by f
        // far smaller there than a way off.
        {"secant_at_a_root_of_a_fast_oscillation", "sekante", "sin(1e12*x)", "-t 1e-300",
         "1\n1.0000000000001\n", 0, ""},
        {"secant_at_a_root_of_four_fold", "sekante", "(x-3)^4", "-t 1e-300", "4\n5\n", 0, ""},
        // A correction too small to change the last bit is convergence.
        {"secant_below_the_last_bit", "sekante", "x^2 - 2", "-t 1e-20", "1\n2\n", 0, ""},
        {"newton_below_the_last_bit", "newton", "x - 1 + 1e-17", "-t 1e-20", "1\n", 0, ""},
        // The last step and the next are 1 unit in the last place: rounding, not divergence.
        {"newton_at_the_rounding_level", "newton", "x^3 - 33", "-t 1e-15", "12\n", 0, ""},
        {"newton_tolerance_above_one", "newton", "x^2 - 2", "-t 5", "100\n", 0, "", "", 5},
        {"newton_zero_by_underflow", "newton", "x*exp(-1/x^2)", "-t 1e-10 -n 2000", "1.5\n", 1,
         "nicht konvergiert: f(x) ist nur durch Unterlauf 0" + BY_UNDERFLOW},
        {"secant_subnormal_by_underflow", "sekante", "x*exp(-1/x^2)", "-t 1e-10 -n 2000",
         "1.5\n1.4\n", 1, "ist nur durch Unterlauf so klein" + BY_UNDERFLOW},
        // 1/exp(1000) and 2/1000^200 are 0 only because the denominator overflowed.
        {"newton_zero_after_an_overflow", "newton", "1/exp(x)", "", "1000\n", 1, BY_OVERFLOW},
        {"newton_zero_after_an_overflowed_power", "newton", "2/(x^200)", "", "1000\n", 1,
         BY_OVERFLOW},
        {"secant_zero_after_an_overflow", "sekante", "1/exp(x)", "", "1000\n1001\n", 1,
         BY_OVERFLOW},
        // Small, not tiny, where an overflow or underflow can have hidden a large part of f:
        // at 375 exp(2x) overflows and f is about -0.00995; at 800 x^200 e^-x is 1.5e233.
        // The message gives the bound on what was hidden, infinite after an overflow.
        {"bisection_small_after_an_overflow", "bisektion", "5e-5 - 0.01*exp(x)/sqrt(exp(2*x) + 1)",
         "", "0\n400\n", 1,
         "quarlen: Bisektion nach 4 Schritten bei x = 375 nicht konvergiert: f(x) = 5e-05, doch ein "
         "Über- oder Unterlauf unterwegs kann den Wert um beliebig viel verfälschen" +
             BY_UNDERFLOW},
        {"regula_falsi_small_after_an_underflow", "regula-falsi", "x^100*exp(-x)*x^100 - 1e-5", "",
         "700\n1000\n", 1,
         "quarlen: Regula falsi ohne einen Schritt bei x = 1000 nicht konvergiert: f(x) = -1e-05, "
         "doch ein Unterlauf unterwegs kann den Wert um bis zu 4.9e+276 verfälschen" +
             BY_UNDERFLOW},
        {"steffensen_small_after_an_overflow", "steffensen",
         "5e-5 - 0.01*exp(x)/sqrt(exp(2*x) + 1)", "", "400\n", 1,
         "quarlen: Steffensen-Verfahren ohne einen Schritt bei x = 400 nicht konvergiert: g(x) - x "
         "= 4.999999998744897e-05, doch ein Über- oder Unterlauf unterwegs kann den Wert um "
         "beliebig viel verfälschen; ob x nahe einem Fixpunkt liegt, zeigt das nicht\n"},
        {"fixed_point_small_after_an_underflow", "fixpunkt", "x",
         "-g x+5e-5-(x*1e-200*1e-200)*1e200*1e200", "1\n", 1,
         "g(x) - x = 5.0000000000105516e-05, doch ein Unterlauf unterwegs kann den Wert um bis zu "
         "4.9e+76 verfälschen; ob x nahe einem Fixpunkt liegt, zeigt das nicht\n"},
        // Short steps of Newton's and the secant method, where the part of f an underflow
        // hid (x*1e-400*1e400 = x comes out 0) would lengthen them beyond the tolerance.
        {"newton_short_step_after_an_underflow", "newton",
         "x*1e-200*1e-200*1e200*1e200 + log(x/1.3)", "", "1.5\n", 1,
         "quarlen: Newton-Verfahren nach 3 Schritten bei x = 1.2999171267023373 nicht konvergiert: "
         "f(x) = -6.37507225439771e-05, doch ein Unterlauf unterwegs kann den Wert um bis zu "
         "4.9e+76 verfälschen" + BY_UNDERFLOW},
        {"secant_short_step_after_an_underflow", "sekante",
         "x*1e-200*1e-200*1e200*1e200 + log(x/1.3)", "", "1.5\n1.6\n", 1,
         "f(x) = 1.5645218236639392e-05, doch ein Unterlauf unterwegs kann den Wert um bis zu "
         "4.9e+76 verfälschen" + BY_UNDERFLOW},
        // Where what a loss hid is far below the tolerance, the run converges.
        {"bisection_harmless_overflow", "bisektion", "x - 1 + 1/exp(1000*x)", "", "0.3\n2\n", 0,
         ""},
        {"newton_harmless_underflow", "newton", "log(x/1.3) + exp(-1000*x)", "", "1.5\n", 0, ""},
        {"secant_harmless_overflow", "sekante", "log(x/1.3) + 1/exp(1000*x)", "", "1.5\n1.6\n", 0,
         ""},
        {"fixed_point_harmless_underflow", "fixpunkt", "0.5*(1 - x) + exp(-1000*x)", "", "0.3\n",
         0, ""},
        // An iterate that left the reals is no root, although f(inf) = 1/inf = 0.
        {"newton_to_infinity", "newton", "1/x", "-n 5000", "1\n", 1,
         "quarlen: Newton-Verfahren in Schritt 538 zusammengebrochen: die Ableitung ist bei x = "
         "8.997827589086393e+161 gleich 0, die Tangente trifft die Achse nicht\n",
         "", 540},
        {"newton_to_infinity_through_an_overflow", "newton", "1/(x^2+1)", "-n 5000", "1\n", 1,
         "zusammengebrochen: die Ableitung ist bei x = 1.1417008043100085e+108 gleich 0, die "
         "Tangente trifft die Achse nicht\n"},
        {"secant_to_infinity", "sekante", "1/x", "-n 5000", "1\n2\n", 1,
         "quarlen: Sekantenverfahren in Schritt 1474 zusammengebrochen: der Schritt von x0 = "
         "1.3069892237634e+308, x1 = Infinity mit F(x0) = 7.651172494908243e-309, F(x1) = 0 "
         "führt auf NaN\n"},
        // Chords whose products overflow are formed from halves: across the largest
        // doubles to the root 1, and onto the pole of 1e308/x, where F is no longer finite.
        {"chord_across_the_largest_doubles", "regula-falsi,illinois", "x - 1", "", "0\n1e308\n", 0,
         "", "   9.9999999999999989e-01          0\n"},
        {"regula_falsi_chord_onto_a_pole", "regula-falsi", "1e308/x", "", "-2\n1\n", 1,
         "quarlen: Regula falsi in Schritt 2 zusammengebrochen: die Sehne durch (-1, -1e+308) und "
         "(0, Infinity) ergibt x = NaN\n"},
        {"illinois_chord_onto_a_pole", "illinois", "1e308/x", "", "-2\n1\n", 1,
         "Illinois-Verfahren in Schritt 2 zusammengebrochen: die Sehne durch (-1, -1e+308) und "
         "(0, Infinity) ergibt x = NaN\n"},
        {"bracketing_end_is_a_root", "bisektion,regula-falsi,illinois", "x^2 - 4", "", "2\n4\n", 0,
         "", AT_2 + AT_2 + AT_2},
        {"regula_falsi_first_point_is_the_root", "regula-falsi", "x - 1", "", "0\n3\n", 0, "",
         "   1.0000000000000000e+00          0\n"},
        {"newton_root_with_a_level_tangent", "newton", "(x-1)^2", "", "1\n", 0, "", "", 1},
        {"newton_level_tangent", "newton", "x^2 - 2", "", "0\n", 1, LEVEL},
        // A step out of the domain: sqrt(x-2) has no value at 1, the typed f' none at -4.07.
        {"newton_step_out_of_the_domain", "newton", "sqrt(x-2)", "", "3\n", 1,
         "quarlen: Newton-Verfahren in Schritt 1 zusammengebrochen: f(x) ist keine Zahl bei x = "
         "1\n"},
        {"newton_step_out_of_the_derivative_s_domain", "newton", "x^2-4",
         "--ableitung sqrt(x-2.5)", "3\n", 1,
         "zusammengebrochen: f'(x) ist keine Zahl bei x = -4.071067811865475\n"},
        // Exact derivatives that a wrong rule would send elsewhere: with tan' = 1 - tan^2
        // Newton ends at the pole pi/2.
        {"newton_real_power_at_a_negative_base", "newton", "x^3.0 + 8", "", "-1\n", 0, "", "", 6,
         -2},
        {"newton_tangent", "newton", "tan(x) - 1", "", "0.5\n", 0, "", "", 4, std::atan(1.0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> args = {"-m", c.methods, "-f", c.f};
        std::istringstream more(c.options);
        for (std::string option; more >> option;) args.push_back(option);
        TempDir dir;
        const RunResult r = quarlen(dir, c.input, with_args(args));
        EXPECT_EQ(r.exit_status, c.status);
        EXPECT_TRUE(c.err_end.empty()
                        ? r.err.empty()
                        : r.err.ends_with(c.err_end) && r.err.find('\n') == r.err.size() - 1)
            << r.err;
        EXPECT_TRUE(r.out.ends_with(c.out_end)) << r.out;
        if (c.records == 0) continue;
        const std::string log = read_file(dir / "newto_f1.dat");
        EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), static_cast<long>(c.records) + 1);
        if (!std::isnan(c.root)) {
            const double x = std::strtod(log.c_str() + log.size() - 62 + 11, nullptr);
            EXPECT_NEAR(x, c.root, 1e-4);
        }
    }
}

// The elementary functions give the same bits whatever code the C library picks for the
// processor: each typed run once as usual and once with the library told to take its paths
// for processors without FMA and AVX, console and logs compared byte for byte.
TEST(TypedEquation, SameBytesOnAProcessorWithoutFma)
{
    struct Case {
        const char* function;
        std::vector<std::string> args;
        std::string input;
        int exit_status;
        const char* only_log = nullptr;  // with -m, the one log there is
    };
    const Case cases[] = {
        {"tanh", {"-f", "tanh(x) - 0.5", "--fixpunkt=x - (tanh(x) - 0.5)", "-t1e-12"}, "0\n2\n1\n1\n", 0},
        {"power", {"-f", "x^2.5 - 3", "--fixpunkt=x - (x^2.5 - 3)/5", "-t1e-12"}, "1\n2\n2\n1.5\n", 0},
        // The fixed-point iteration walks off to x = -1397, where 2^x is subnormal.
        {"two_to_the_x", {"-f", "2^x - 7", "-t1e-12", "-n200"}, "0.1\n3\n1\n1\n", 1},
        {"exp", {"-f", "exp(-x) - x", "-t1e-12"}, "0.1\n3\n1\n1\n", 0},
        {"sin", {"-f", "sin(x) - x/2", "-t1e-12"}, "0.1\n3\n1\n1\n", 0},
        {"atan", {"-f", "atan(x) - 0.5", "--fixpunkt=x - (atan(x) - 0.5)", "-t1e-12"}, "0\n2\n1\n1\n", 0},
        // Slow convergence at a root of multiplicity 20: the estimate of the distance left.
        {"slow_estimate", {"-m", "newton", "-f", "(1e120*x)^20", "-t", "2e-126"}, "2e-112\n", 1, "newto_f1.dat"},
        {"slow_estimate_3", {"-m", "newton", "-f", "(1e120*x)^20", "-t", "3e-126"}, "2e-112\n", 1, "newto_f1.dat"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.function);
        TempDir usual, other;
        const RunResult r = quarlen(usual, c.input, with_args(c.args));
        test_support::RunOptions without_fma = with_args(c.args);
        without_fma.environment = {{"GLIBC_TUNABLES", "glibc.cpu.hwcaps=-AVX2,-FMA,-FMA4,-AVX"}};
        const RunResult o = quarlen(other, c.input, without_fma);
        EXPECT_EQ(r.exit_status, c.exit_status) << r.err;
        EXPECT_EQ(o.exit_status, r.exit_status);
        EXPECT_EQ(o.out, r.out);
        EXPECT_EQ(o.err, r.err);
        for (const std::string log : LOGS) {
            if (c.only_log != nullptr && log != c.only_log) continue;
            SCOPED_TRACE(log);
            ASSERT_TRUE(std::filesystem::exists(usual / log));
            EXPECT_EQ(read_file(other / log), read_file(usual / log));
        }
    }
}

}  // namespace
