// Typed formulas: values and exact derivatives against an independent computation,
// precedence and grouping, every kind of bad formula with its position, and the limits.
#include "runtime/expression.hpp"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <numbers>
#include <string>
#include <vector>

#include "runtime/function_ref.hpp"
#include "tests/quarlen/formula_values.hpp"
#include "tests/support/mpfr_oracle.hpp"

namespace {

using runtime::FormulaProblem;
using runtime::Loss;
using runtime::RangeLoss;

template <class Real> bool same_bits(Real a, Real b)
{
    return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0;
}

template <class Real> runtime::Expression<Real> compiled(const std::string& text)
{
    runtime::Expression<Real> expression;
    const runtime::FormulaError error = runtime::compile(text, expression);
    EXPECT_FALSE(error) << text << ": problem " << static_cast<int>(error.problem) << " at "
                        << error.position;
    return expression;
}

template <class Real> void expect_exact(const formula_values::Point<Real>& p)
{
    SCOPED_TRACE(std::string(p.formula) + " at " + p.text);
    const runtime::Expression<Real> f = compiled<Real>(p.formula);
    const runtime::Dual<Real> both = f.value_and_derivative(p.x);
    EXPECT_TRUE(same_bits(f.value(p.x), p.value)) << f.value(p.x) << " != " << p.value;
    EXPECT_TRUE(same_bits(both.value, p.value)) << both.value << " != " << p.value;
    EXPECT_TRUE(same_bits(both.derivative, p.derivative))
        << both.derivative << " != " << p.derivative;
}

TEST(Formula, ValuesAndDerivativesFromExactArithmetic)
{
    for (const auto& point : formula_values::POINTS) expect_exact(point);
}

TEST(Formula, In32BitsEachOperationIsRoundedTo32Bits)
{
    for (const auto& point : formula_values::FLOAT_POINTS) expect_exact(point);
}

// Every differentiation rule against a difference quotient of the same function in long
// double, which knows no rule: a wrong rule is off by far more than the quotient's error
// of about 1e-12 (fourth order, five points).
struct Derivative {
    const char* formula;
    long double (*f)(long double x);
    std::vector<double> xs;
};

const Derivative DERIVATIVES[] = {
    {"exp(x)", [](long double x) { return std::exp(x); }, {-2, 0.5, 3}},
    {"log(x)", [](long double x) { return std::log(x); }, {0.3, 1, 7}},
    {"sqrt(x)", [](long double x) { return std::sqrt(x); }, {0.2, 1, 9}},
    {"sin(x)", [](long double x) { return std::sin(x); }, {-2, 0.5, 3}},
    {"cos(x)", [](long double x) { return std::cos(x); }, {-2, 0.5, 3}},
    {"tan(x)", [](long double x) { return std::tan(x); }, {-1.2, 0.5, 1.5}},
    {"asin(x)", [](long double x) { return std::asin(x); }, {-0.7, 0, 0.9}},
    {"acos(x)", [](long double x) { return std::acos(x); }, {-0.7, 0, 0.9}},
    {"atan(x)", [](long double x) { return std::atan(x); }, {-3, 0.5, 10}},
    {"sinh(x)", [](long double x) { return std::sinh(x); }, {-2, 0.5, 3}},
    {"cosh(x)", [](long double x) { return std::cosh(x); }, {-2, 0.5, 3}},
    {"tanh(x)", [](long double x) { return std::tanh(x); }, {-2, 0.5, 3}},
    // No derivative at 0: the documented 0, which the symmetric difference gives too.
    {"abs(x)", [](long double x) { return std::fabs(x); }, {-1.5, 0, 2}},
    // A constant real exponent at a negative base needs no logarithm.
    {"x^3.0", [](long double x) { return x * x * x; }, {-2, -1, 0.5}},
    {"2^x", [](long double x) { return std::pow(2.0L, x); }, {-1, 3}},
    {"x^x", [](long double x) { return std::pow(x, x); }, {0.5, 2}},
};

TEST(Formula, EachDerivativeRuleAgreesWithADifferenceQuotient)
{
    for (const Derivative& d : DERIVATIVES) {
        const auto f = compiled<double>(d.formula);
        for (const double x : d.xs) {
            SCOPED_TRACE(std::string(d.formula) + " at " + std::to_string(x));
            const long double h = 1e-4L * std::max(1.0L, std::fabs(static_cast<long double>(x)));
            const long double quotient =
                (8 * (d.f(x + h) - d.f(x - h)) - (d.f(x + 2 * h) - d.f(x - 2 * h))) / (12 * h);
            const double derivative = f.value_and_derivative(x).derivative;
            EXPECT_NEAR(derivative, static_cast<double>(quotient),
                        1e-9 * std::max(1.0, std::fabs(derivative)));
        }
    }
}

// Whether the evaluation at x underflowed: a value that came out 0 or subnormal although
// its exact value is not 0, and lost digits that way; or overflowed: an infinity from
// finite operands, where the exact value is finite. And how far that can have moved the
// value: 0 without a loss.
struct Underflow {
    const char* name;
    const char* formula;
    double x;
    Loss loss;
    double hidden = NAN;  // where a row gives it
};

const Underflow UNDERFLOWS[] = {
    {"exp_to_zero", "x*exp(-1/x^2)", 0.03, Loss::underflow},
    {"exp_normal", "x*exp(-1/x^2)", 0.5, Loss::none},
    {"difference_at_a_root", "x^2 - 4", 2, Loss::none},
    {"product_with_zero", "(x - 1)*1e-300*1e-300", 1, Loss::none},
    {"product_to_zero", "(x - 1)*1e-300*1e-300", 3, Loss::underflow},
    {"product_subnormal_inexact", "x*1e-300*1e-10", 1, Loss::underflow},
    {"product_subnormal_exact", "x*0.5", 0x1p-1073, Loss::none},
    {"quotient_subnormal_inexact", "x/3", 1e-310, Loss::underflow},
    {"quotient_by_an_infinite_x", "1/x", INFINITY, Loss::none},
    {"quotient_by_an_overflowed_square", "1/x^2", 1e200, Loss::overflow},
    {"real_power_overflows", "2/x^200.5", 1000, Loss::overflow},
    {"product_overflows", "1/(x*1e300)", 1e10, Loss::overflow},
    {"sum_overflows", "1/(x + 1e308)", 1e308, Loss::overflow},
    {"exp_overflows", "1/exp(x)", 1000, Loss::overflow},
    {"overflow_counts_above_underflow", "exp(-x)/exp(x)", 1000, Loss::overflow},
    {"pole_is_no_overflow", "exp(-1/x^2)", 0, Loss::none},
    {"logarithm_of_zero_is_no_overflow", "1/log(x)", 0, Loss::none},
    {"zero_to_a_negative_power_is_no_overflow", "1/x^-1.5", 0, Loss::none},
    {"integer_power", "x^40", 1e-10, Loss::underflow},
    {"real_power", "x^2.5", 1e-130, Loss::underflow},
    {"sine_of_zero", "sin(x)", 0, Loss::none},
    {"logarithm_of_one", "log(x)", 1, Loss::none},
    {"absolute_value_of_a_subnormal", "abs(x)", -1e-320, Loss::none},
    {"carried_through_a_sum", "1 + x*1e-300*1e-300", 3, Loss::underflow},
    // The bound on what a loss hid: the least subnormal for an underflow, |a|/DBL_MAX for
    // a quotient by an overflow, scaled by products and quotients as the exact value can
    // move; unbounded where an overflow is carried on, or a quotient or a function's
    // argument can cross a pole or leave the domain.
    {"underflow_hides_the_least_subnormal", "x - 1 + exp(-1000*x)", 1, Loss::underflow, 5e-324},
    {"quotient_by_an_overflow", "x - 1 + 1/exp(1000*x)", 1, Loss::overflow, 5.56268464626801e-309},
    {"quotient_by_an_overflow_scaled_up", "1e300/exp(x)*1e300", 800, Loss::overflow,
     5.562684646268005e+291},
    {"scaled_up_by_products", "x*1e-200*1e-200*1e200*1e200", 1, Loss::underflow,
     4.940656458412465e+76},
    {"through_a_quotient", "1/(exp(-x) + 1e-300)", 800, Loss::underflow, 4.940656458412466e+276},
    {"overflow_carried_on", "5e-5 - 0.01*exp(x)/sqrt(exp(2*x) + 1)", 400, Loss::overflow, INFINITY},
    {"pole_after_an_underflow", "1/(x*1e-300*1e-300)", 3, Loss::underflow, INFINITY},
    {"monotone_function_at_the_ends", "sqrt(exp(-x)*1e300*1e300 + 1e277)", 800, Loss::underflow,
     9.12979204741102e+137},
    {"function_leaving_its_domain", "log(exp(-x)*1e300*1e300 + 1)", 800, Loss::underflow, INFINITY},
    {"sine_moves_by_its_argument", "sin(x*1e-300*1e-300*1e300*1e10)", 3, Loss::underflow,
     4.9406564584124655e-14},
    {"cosine_moves_by_two_at_most", "cos(exp(-x)*1e300*1e300*1e10)", 800, Loss::underflow, 2},
    {"power_of_a_negative_base_and_a_hidden_exponent", "(-2)^(x*1e-300*1e-300 + 2)", 3,
     Loss::underflow, INFINITY},
};

TEST(Formula, UnderflowIsFoundByValue)
{
    for (const Underflow& u : UNDERFLOWS) {
        SCOPED_TRACE(u.name);
        const RangeLoss lost = compiled<double>(u.formula).underflows(u.x);
        EXPECT_EQ(lost.loss, u.loss);
        if (u.loss == Loss::none) {
            EXPECT_EQ(lost.hidden, 0);
        }
        if (!std::isnan(u.hidden)) {
            EXPECT_TRUE(lost.hidden == u.hidden || std::abs(lost.hidden / u.hidden - 1) < 1e-12)
                << lost.hidden;
        }
    }
    // In 32 bits a product below about 1.4e-45 is 0.
    EXPECT_EQ(compiled<float>("x*1e-30").underflows(1e-20f).loss, Loss::underflow);
    EXPECT_EQ(compiled<float>("x*1e-30").underflows(1e-5f).loss, Loss::none);
    EXPECT_EQ(compiled<float>("1/exp(x)").underflows(100).loss, Loss::overflow);
}

struct Grouping {
    const char* name;
    const char* formula;
    double x;
    double (*expected)(double x);
};

// The functions' values correctly rounded, from MPFR.
double of(test_support::MpfrFunction f, double x) { return test_support::mpfr_rounded(f, x); }
double power(double x, double y) { return test_support::mpfr_power_rounded(x, y); }

// Written with -ffp-contract=off like the program: each operation rounded on its own.
const Grouping GROUPINGS[] = {
    {"power_groups_to_the_right", "2^3^2", 0, [](double) { return 512.0; }},
    {"unary_minus_below_power", "-x^2", 3, [](double) { return -9.0; }},
    {"number_has_no_sign", "-2^2", 0, [](double) { return -4.0; }},
    {"minus_in_the_exponent", "2^-x", 2, [](double x) { return power(2.0, -x); }},
    {"power_above_product", "2x^2", 3, [](double) { return 18.0; }},
    {"product_and_quotient_to_the_left", "1/2x", 4, [](double) { return 2.0; }},
    {"differences_to_the_left", "x-1-1", 0, [](double) { return -2.0; }},
    {"quotients_to_the_left", "x/2/2", 1, [](double) { return 0.25; }},
    {"unary_minus_above_product", "-x*2", 3, [](double) { return -6.0; }},
    {"minus_minus", "x--x", 3, [](double) { return 6.0; }},
    {"sums_not_reassociated", "0.1 + 0.2 + x", 0.3, [](double x) { return (0.1 + 0.2) + x; }},
    {"no_fused_multiply_add", "x*x - 0.01", 0.1, [](double x) { return x * x - 0.01; }},
    {"integer_exponent_is_a_product", "x^3", 1.3, [](double x) { return x * x * x; }},
    {"negative_integer_exponent", "x^-3", 1.3, [](double x) { return 1 / (x * x * x); }},
    {"parenthesised_negative_exponent", "x^(-3)", 1.3, [](double x) { return 1 / (x * x * x); }},
    {"real_exponent_uses_pow", "x^3.0", 1.3, [](double x) { return power(x, 3.0); }},
    {"exponent_65_uses_pow", "x^65", 1.3, [](double x) { return power(x, 65.0); }},
    {"exponent_64_is_a_product", "x^64", 1.3,
     [](double x) {
         double p = x;
         for (int k = 1; k < 64; ++k) p = p * x;
         return p;
     }},
    // x or a literal as the right operand of every operation, the left one pending.
    {"x_and_literals_on_the_right", "2 - x + (x+1)/x - 2*x / 3 * 5 - x^2.5 + x*x/x",
     0.7,
     [](double x) {
         return ((((2 - x) + (x + 1) / x) - 2 * x / 3 * 5) - power(x, 2.5)) + x * x / x;
     }},
    {"zeroth_power", "x^0", 0, [](double) { return 1.0; }},
    {"e_power_uses_pow", "e^x", 1.3, [](double x) { return power(std::numbers::e, x); }},
    {"number_before_x", "5x", 3, [](double) { return 15.0; }},
    {"number_before_constant", "2pi", 0, [](double) { return 2 * std::numbers::pi; }},
    {"number_before_function", "2exp(x)", 1.3, [](double x) { return 2 * of(mpfr_exp, x); }},
    {"number_before_parenthesis", "2(x+1)", 1, [](double) { return 4.0; }},
    {"blanks_between_tokens", " 2 x ^ 2\t", 3, [](double) { return 18.0; }},
    {"exponent_part", "2.5e-1 + 25d-1", 0, [](double) { return 2.75; }},
    {"point_without_digits_after", "4.", 0, [](double) { return 4.0; }},
    {"functions", "log(exp(x)) + sqrt(abs(-4))", 1.5, [](double) { return 3.5; }},
    {"trigonometric_and_hyperbolic_functions",
     "sin(x) + cos(x) * tan(x) - asin(x/2) / acos(x/2) + atan(x) * sinh(x) - cosh(x) / tanh(x)",
     1.3,
     [](double x) {
         return ((of(mpfr_sin, x) + of(mpfr_cos, x) * of(mpfr_tan, x)) -
                 of(mpfr_asin, x / 2) / of(mpfr_acos, x / 2) + of(mpfr_atan, x) * of(mpfr_sinh, x)) -
                of(mpfr_cosh, x) / of(mpfr_tanh, x);
     }},
};

TEST(Formula, PrecedenceAndGrouping)
{
    for (const Grouping& g : GROUPINGS) {
        SCOPED_TRACE(g.name);
        const auto f = compiled<double>(g.formula);
        EXPECT_TRUE(same_bits(f.value(g.x), g.expected(g.x)))
            << f.value(g.x) << " != " << g.expected(g.x);
    }
    // The points tell a product from pow, and e^x from exp(x).
    EXPECT_NE(1.3 * 1.3 * 1.3, power(1.3, 3.0));
    EXPECT_NE(of(mpfr_exp, 1.3), power(std::numbers::e, 1.3));
}

struct BadFormula {
    const char* name;
    std::string formula;
    FormulaProblem problem;
    std::size_t position;
    const char* found;
};

const std::string DEEP = std::string(201, '(').append("x").append(201, ')');
std::string tower(int xs)
{
    std::string text = "x";
    for (int k = 1; k < xs; ++k) text += "^x";
    return text;
}

const BadFormula BAD_FORMULAS[] = {
    {"empty", "", FormulaProblem::empty, 1, ""},
    {"blanks_only", " \t ", FormulaProblem::empty, 1, ""},
    {"unknown_name", "sinn(x)", FormulaProblem::unknown_name, 1, "sinn"},
    {"unknown_variable", "2y + 1", FormulaProblem::unknown_name, 2, "y"},
    {"names_are_lower_case", "X", FormulaProblem::unknown_name, 1, "X"},
    {"open_parenthesis_left_open", "2*(x+1", FormulaProblem::close_expected, 7, ""},
    {"function_left_open", "sin(x", FormulaProblem::close_expected, 6, ""},
    {"close_without_open", "x+1)", FormulaProblem::unmatched_close, 4, ")"},
    {"missing_operand_at_the_end", "x +", FormulaProblem::operand_expected, 4, ""},
    {"missing_first_operand", "*2", FormulaProblem::operand_expected, 1, "*"},
    {"two_operators", "x+*2", FormulaProblem::operand_expected, 3, "*"},
    {"empty_parentheses", "()", FormulaProblem::operand_expected, 2, ")"},
    {"function_without_argument", "sin()", FormulaProblem::operand_expected, 5, ")"},
    {"unary_plus", "+x", FormulaProblem::operand_expected, 1, "+"},
    {"number_after_x", "x 2", FormulaProblem::operator_expected, 3, "2"},
    {"number_after_product", "2x 3", FormulaProblem::operator_expected, 4, "3"},
    {"function_after_function", "sin(x)cos(x)", FormulaProblem::operator_expected, 7, "cos"},
    {"parenthesis_after_x", "x(x+1)", FormulaProblem::operator_expected, 2, "("},
    {"exponent_without_digits", "2e", FormulaProblem::exponent_digits, 3, "2e"},
    {"exponent_sign_without_digits", "1e+", FormulaProblem::exponent_digits, 4, "1e+"},
    {"e_power_after_a_number", "3e^x", FormulaProblem::exponent_digits, 3, "3e"},
    {"decimal_comma", "2,5", FormulaProblem::unknown_character, 2, ","},
    {"superscript_two", "x²", FormulaProblem::unknown_character, 2, "²"},
    {"greek_letter", "π", FormulaProblem::unknown_character, 1, "π"},
    {"line_end", "x\n+1", FormulaProblem::unknown_character, 2, "\n"},
    // A continuation byte outside a character is a character of its own.
    {"stray_continuation_bytes", "x\x80\x80", FormulaProblem::unknown_character, 2, "\x80"},
    {"function_without_parenthesis", "sin x", FormulaProblem::open_expected, 5, "x"},
    {"function_name_at_the_end", "2 * exp", FormulaProblem::open_expected, 8, ""},
    {"number_too_large", "x + 1e999", FormulaProblem::out_of_range, 5, "1e999"},
    {"number_too_small", "1e-400x", FormulaProblem::out_of_range, 1, "1e-400"},
    {"too_deep", DEEP, FormulaProblem::too_deep, 201, "("},
    {"functions_count_as_levels", std::string("exp(").append(DEEP), FormulaProblem::too_deep, 204,
     "("},
    {"tower_too_high", tower(257), FormulaProblem::too_many_pending, 2 * 257 - 1, "x"},
    {"too_long", std::string("x").append(4096, ' '), FormulaProblem::too_long, 0, ""},
};

TEST(Formula, BadFormulasSayWhereAndWhat)
{
    for (const BadFormula& bad : BAD_FORMULAS) {
        SCOPED_TRACE(bad.name);
        runtime::Expression<double> f = compiled<double>("x");
        const runtime::FormulaError error = runtime::compile(bad.formula, f);
        EXPECT_EQ(error.problem, bad.problem);
        EXPECT_EQ(error.position, bad.position);
        EXPECT_EQ(error.found, bad.found);
        EXPECT_EQ(f.text(), "x") << "a failed compile leaves the expression as it was";
    }
}

TEST(Formula, LimitsAreReachedWithoutACrash)
{
    const std::string deepest = std::string(199, '(') + "sin(x" + std::string(200, ')');
    const std::string longest = "x" + std::string(4095, ' ');
    const std::string minus_chain = std::string(4095, '-') + "x";
    EXPECT_EQ(compiled<double>(deepest).value(0.5), of(mpfr_sin, 0.5));
    EXPECT_EQ(compiled<double>(longest).value(0.5), 0.5);
    EXPECT_EQ(compiled<double>(minus_chain).value(0.5), -0.5);
    EXPECT_EQ(compiled<double>(tower(256)).value(1.0), 1.0);
}

TEST(Formula, InThirtyTwoBitsNumbersAreRoundedOnce)
{
    EXPECT_EQ(compiled<float>("0.1").value(0), 0.1f);
    runtime::Expression<float> f;
    const runtime::FormulaError error = runtime::compile("1e39 + x", f);
    EXPECT_EQ(error.problem, FormulaProblem::out_of_range);
    EXPECT_EQ(compiled<double>("1e39 + x").value(0), 1e39);
}

TEST(Formula, MessagesNameTheFormulaThePositionAndWhatWasExpected)
{
    runtime::Expression<double> f;
    const struct {
        const char* formula;
        runtime::Language language;
        const char* message;
    } cases[] = {
        {"x^2 +", runtime::Language::german,
         "Formel für f(x) \"x^2 +\", Stelle 6 (Ende): erwartet wird eine Zahl, x, pi, e, eine "
         "Funktion, \"(\" oder \"-\""},
        {"x 2", runtime::Language::english,
         "formula for f(x) \"x 2\", character 3: expected +, -, *, /, ^, \")\" or the end of the "
         "formula, found \"2\""},
        {"(x", runtime::Language::german,
         "Formel für f(x) \"(x\", Stelle 3 (Ende): erwartet wird \")\" zu \"(\" an Stelle 1"},
        {"", runtime::Language::english,
         "formula for f(x) \"\": the formula is empty; expected an expression in x, such as "
         "x^2 - 2"},
        // At its own position, which is no end of the formula.
        {"x + \x80", runtime::Language::german,
         "Formel für f(x) \"x + \\x80\", Stelle 5: unerwartetes Zeichen \"\\x80\"; erlaubt sind "
         "Zahlen mit Dezimalpunkt, x, pi, e, Funktionen, + - * / ^, Klammern und Leerzeichen"},
    };
    for (const auto& c : cases) {
        const runtime::FormulaError error = runtime::compile(c.formula, f);
        EXPECT_EQ(runtime::describe(error, "f(x)", c.formula, c.language), c.message);
    }
}

TEST(Formula, AMethodTakesAFormulaLikeAFunction)
{
    const runtime::Expression<double> f = compiled<double>("x^2 - 2");
    const runtime::ValueOf<double> value{&f};
    const runtime::DerivativeOf<double> derivative{&f};
    const runtime::FunctionRef<double> refs[] = {value, derivative,
                                                 [](const double& x) { return x + 1; }};
    EXPECT_EQ(refs[0](3), 7);
    EXPECT_EQ(refs[1](3), 6);
    EXPECT_EQ(refs[2](3), 4) << "a lambda without captures is kept as a function";
}

}  // namespace
