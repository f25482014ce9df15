#include "tests/support/mpfr_oracle.hpp"

#include <bit>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <string>

#include "runtime/elementary/correctly_rounded.hpp"

namespace test_support {
namespace {

namespace cr = runtime::correctly_rounded;

// A number of given precision for the calling thread, set up once.
template <int PRECISION> mpfr_ptr scratch(int which)
{
    thread_local struct Numbers {
        mpfr_t values[3];
        Numbers()
        {
            for (mpfr_t& v : values) mpfr_init2(v, PRECISION);
        }
        ~Numbers()
        {
            for (mpfr_t& v : values) mpfr_clear(v);
        }
    } numbers;
    return numbers.values[which];
}

}  // namespace

const std::vector<OracleFunction>& oracle_functions()
{
    static const std::vector<OracleFunction> functions = {
        {"exp", cr::exp, [](double x) { return std::exp(x); }, mpfr_exp,
         {{0, -60, 9, true}, {-727, -60, 4, true}}, -30, 30},
        {"log", cr::log, [](double x) { return std::log(x); }, mpfr_log,
         {{0, -1074, 1023, false}, {1, -53, -1, true}}, 0.01, 100},
        {"sin", cr::sin, [](double x) { return std::sin(x); }, mpfr_sin,
         {{0, -28, 21, true}, {0, -1074, 1023, true}}, -10, 10},
        {"cos", cr::cos, [](double x) { return std::cos(x); }, mpfr_cos,
         {{0, -28, 21, true}, {0, -1074, 1023, true}}, -10, 10},
        {"tan", cr::tan, [](double x) { return std::tan(x); }, mpfr_tan,
         {{0, -28, 21, true}, {0, -1074, 1023, true}}, -1.5, 1.5},
        {"atan", cr::atan, [](double x) { return std::atan(x); }, mpfr_atan,
         {{0, -1074, 1023, true}, {0, -30, 62, true}}, -10, 10},
        {"asin", cr::asin, [](double x) { return std::asin(x); }, mpfr_asin,
         {{0, -1074, -1, true}, {1, -60, -2, true}, {-1, -60, -2, true}}, -1, 1},
        {"acos", cr::acos, [](double x) { return std::acos(x); }, mpfr_acos,
         {{0, -1074, -1, true}, {1, -60, -2, true}, {-1, -60, -2, true}}, -1, 1},
        {"log10", cr::log10, [](double x) { return std::log10(x); }, mpfr_log10,
         {{0, -1074, 1023, false}, {1, -53, -1, true}}, 0.01, 100},
        {"sinh", cr::sinh, [](double x) { return std::sinh(x); }, mpfr_sinh,
         {{0, -1074, 9, true}, {0, -30, 2, true}}, -5, 5},
        {"cosh", cr::cosh, [](double x) { return std::cosh(x); }, mpfr_cosh,
         {{0, -1074, 9, true}, {0, -30, 2, true}}, -5, 5},
        {"tanh", cr::tanh, [](double x) { return std::tanh(x); }, mpfr_tanh,
         {{0, -1074, 5, true}, {0, -30, 2, true}}, -3, 3},
    };
    return functions;
}

const OracleFunction& oracle_function(std::string_view name)
{
    for (const OracleFunction& f : oracle_functions())
        if (name == f.name) return f;
    throw std::invalid_argument("no oracle function " + std::string(name));
}

namespace {

// f(x, y) by MPFR rounded to a double; f takes the arguments already set in MPFR.
template <class Evaluate> double rounded_to_double(double x, double y, Evaluate f)
{
    // 53 bits between 2^-1074 and 2^1024: the doubles, subnormal ones once subnormalized.
    const mpfr_exp_t emin = mpfr_get_emin();
    const mpfr_exp_t emax = mpfr_get_emax();
    mpfr_set_emin(-1073);
    mpfr_set_emax(1024);
    mpfr_ptr first = scratch<53>(0);
    mpfr_ptr second = scratch<53>(2);
    mpfr_ptr value = scratch<53>(1);
    mpfr_set_d(first, x, MPFR_RNDN);
    mpfr_set_d(second, y, MPFR_RNDN);
    int inexact = f(value, first, second);
    inexact = mpfr_check_range(value, inexact, MPFR_RNDN);
    mpfr_subnormalize(value, inexact, MPFR_RNDN);
    const double result = mpfr_get_d(value, MPFR_RNDN);
    mpfr_set_emin(emin);
    mpfr_set_emax(emax);
    return result;
}

}  // namespace

double mpfr_rounded(MpfrFunction f, double x)
{
    return rounded_to_double(x, 0.0, [f](mpfr_ptr value, mpfr_srcptr a, mpfr_srcptr) {
        return f(value, a, MPFR_RNDN);
    });
}

double mpfr_power_rounded(double x, double y)
{
    return rounded_to_double(x, y, [](mpfr_ptr value, mpfr_srcptr a, mpfr_srcptr b) {
        return mpfr_pow(value, a, b, MPFR_RNDN);
    });
}

double power_distance_to_midpoint(double x, double y)
{
    mpfr_set_d(scratch<256>(2), y, MPFR_RNDN);
    return distance_to_midpoint(
        [](mpfr_ptr value, mpfr_srcptr base, mpfr_rnd_t rounding) {
            return mpfr_pow(value, base, scratch<256>(2), rounding);
        },
        x);
}

double distance_to_midpoint(MpfrFunction f, double x)
{
    mpfr_ptr argument = scratch<256>(0);
    mpfr_ptr value = scratch<256>(1);
    mpfr_set_d(argument, x, MPFR_RNDN);
    f(value, argument, MPFR_RNDN);
    if (!mpfr_regular_p(value)) return 1;
    // value = m 2^e, m in [1/2, 1); the last place of the doubles there is 2^(e - 53), or
    // 2^-1074 among the subnormal ones.
    const mpfr_exp_t e = mpfr_get_exp(value);
    const long last_place = e - 53 < -1074 ? -1074 : static_cast<long>(e - 53);
    mpfr_abs(value, value, MPFR_RNDN);
    mpfr_div_2si(value, value, last_place, MPFR_RNDN);
    mpfr_frac(value, value, MPFR_RNDN);
    mpfr_sub_d(value, value, 0.5, MPFR_RNDN);
    return std::abs(mpfr_get_d(value, MPFR_RNDN));
}

void to_mpfr(const runtime::correctly_rounded::WideFloat& w, mpfr_ptr z)
{
    using runtime::correctly_rounded::WideFloat;
    mpfr_set_prec(z, WideFloat::PRECISION);
    mpfr_set_ui(z, 0, MPFR_RNDN);
    for (int i = WideFloat::LIMBS - 1; i >= 0; --i) {
        mpfr_mul_2ui(z, z, 32, MPFR_RNDN);
        mpfr_add_ui(z, z, w.limbs()[i], MPFR_RNDN);
    }
    mpfr_mul_2si(z, z, w.exponent() - WideFloat::PRECISION, MPFR_RNDN);
    if (w.is_negative()) mpfr_neg(z, z, MPFR_RNDN);
}

double wide_error_exponent(const runtime::correctly_rounded::WideFloat& w, MpfrFunction f, double x)
{
    mpfr_ptr exact = scratch<320>(0);
    mpfr_ptr ours = scratch<320>(1);
    mpfr_ptr argument = scratch<320>(2);
    mpfr_set_d(argument, x, MPFR_RNDN);
    f(exact, argument, MPFR_RNDN);
    to_mpfr(w, ours);
    mpfr_prec_round(ours, 320, MPFR_RNDN);  // exact: 256 bits fit
    mpfr_sub(ours, ours, exact, MPFR_RNDN);
    if (mpfr_zero_p(ours)) return -1000;
    mpfr_div(ours, ours, exact, MPFR_RNDN);
    mpfr_abs(ours, ours, MPFR_RNDN);
    long exponent = 0;
    const double significand = mpfr_get_d_2exp(&exponent, ours, MPFR_RNDN);  // in [1/2, 1)
    return static_cast<double>(exponent) + std::log2(significand);
}

bool same_bits(double a, double b)
{
    return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0;
}

std::uint64_t ArgumentSampler::bits()
{
    std::uint64_t z = state_ += 0x9e3779b97f4a7c15;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9;
    z = (z ^ (z >> 27)) * 0x94d049bb133111eb;
    return z ^ (z >> 31);
}

double ArgumentSampler::next(const std::vector<ArgumentRange>& domain)
{
    const std::uint64_t random = bits();
    const ArgumentRange& range = domain[random % domain.size()];
    const auto span = static_cast<std::uint64_t>(range.max_exponent - range.min_exponent + 1);
    const int exponent = range.min_exponent + static_cast<int>((random >> 8) % span);
    const double m = std::bit_cast<double>((bits() >> 12) | 0x3ff0000000000000);  // [1, 2)
    const double magnitude = std::ldexp(m, exponent);
    return range.center + (range.both_signs && (random >> 63) ? -magnitude : magnitude);
}

std::vector<double> cell_edge_arguments(std::string_view function)
{
    const bool two_signs = function != "log" && function != "log10" && function != "exp";
    std::vector<double> edges;
    // (j + 1/2) step for j in [first, last) by stride, to within a double or two.
    const auto grid = [&edges](double step, long first, long last, long stride = 1) {
        for (long j = first; j < last; j += stride) edges.push_back((static_cast<double>(j) + 0.5) * step);
    };
    const double ln2 = 0x1.62e42fefa39efp-1;
    const double pi = 0x1.921fb54442d18p+1;
    if (function == "exp") {  // x 256/ln 2 halfway between integers, 2^(k/256) from k & 255
        grid(ln2 / 256, -512, 512);
        grid(ln2 / 256, -275000, 262000, 257);
    } else if (function == "sinh" || function == "cosh" || function == "tanh") {  // e^a by exp's cells
        grid(ln2 / 256, 0, 512);
        grid(ln2 / 256, 0, function == "tanh" ? 8200 : 262000, function == "tanh" ? 17 : 257);
    } else if (function == "log" || function == "log10") {  // 2^e (1 + (j + 1/2)/512)
        for (int j = 0; j < 512; ++j) {
            const double m = 1 + static_cast<double>(2 * j + 1) / 1024;
            for (const int e : {-1060, -1040, -1022, -200, -2, -1, 0, 1, 2, 200, 1023})
                edges.push_back(std::ldexp(m, e));  // subnormal ones exact, m having 10 bits
        }
    } else if (function == "sin" || function == "cos" || function == "tan") {
        grid(pi / 1024, 0, 2048);              // the sine table's grid, a whole turn
        grid(pi / 1024, 2048, 42'700'000, 40009);  // up to the quick reduction's limit
        grid(pi / 2, 0, 64);                   // the quadrants
        if (function == "tan") grid(1.0 / 512, 0, 768);  // the direct path's rows below 1.5
    } else if (function == "atan") {
        grid(1.0 / 256, 0, 256);  // [0, 1]
        for (int e = 0; e < 4; ++e) grid(std::ldexp(1.0 / 128, e), 128, 256);  // 2^e (1 + j/128)
        for (long i = 0; i < 16; ++i) edges.push_back(512.0 / (2 * i + 1));  // 1/y, y above 16
    } else if (function == "asin" || function == "acos") {
        grid(1.0 / 512, 0, 256);  // a below 1/2
        for (long i = 0; i < 256; ++i) {  // sqrt((1 - a)/2) = (i + 1/2)/512 above
            const double w = (static_cast<double>(i) + 0.5) / 512;
            edges.push_back(1 - 2 * w * w);
        }
    }
    std::vector<double> arguments;
    for (const double edge : edges) {
        double below = edge;
        double above = edge;
        for (int n = 0; n < 3; ++n) {
            below = std::nextafter(below, -INFINITY);
            above = std::nextafter(above, INFINITY);
        }
        for (double x = below; x <= above; x = std::nextafter(x, INFINITY)) {
            arguments.push_back(x);
            if (two_signs) arguments.push_back(-x);
        }
    }
    return arguments;
}

std::pair<double, double> random_power_arguments(ArgumentSampler& random)
{
    static const std::vector<ArgumentRange> ANY = {{0, -1074, 1023, false}};
    static const std::vector<ArgumentRange> NEAR_ONE = {{1, -53, -1, true}};
    static const std::vector<ArgumentRange> FRACTION = {{0, -60, 0, true}};
    const std::uint64_t kind = random.bits() % 3;
    const double x = random.next(kind == 1 ? NEAR_ONE : ANY);
    const double y = random.next(FRACTION) * 740 / std::abs(std::log(x));
    if (kind < 2) return {x, y};
    return {-x, std::nearbyint(y)};
}

}  // namespace test_support
