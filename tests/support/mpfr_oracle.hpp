// MPFR as the oracle of our correctly rounded functions: its values rounded once to a
// double, how far an exact value lies from a midpoint, random arguments spread over a
// function's domain by exponent and by sign, and the table of our functions beside
// MPFR's and the C library's. The tests, the verify program and the benchmarks in bench/
// all draw from ORACLE_FUNCTIONS: a function is added to all of them by adding its row.
#pragma once

#include <mpfr.h>

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "runtime/elementary/wide_float.hpp"

namespace test_support {

using MpfrFunction = int (*)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t);

// Arguments center + s m 2^e: e uniform in [min_exponent, max_exponent] (below -1022 the
// values are subnormal), m uniform in [1, 2), s = +1, or +-1 at random where both_signs.
struct ArgumentRange {
    double center;
    int min_exponent;
    int max_exponent;
    bool both_signs;
};

struct OracleFunction {
    const char* name;
    double (*ours)(double);
    double (*platform)(double);  // the C library's, for the benchmarks
    MpfrFunction mpfr;
    std::vector<ArgumentRange> domain;  // each range drawn equally often
    double typical_low;                 // the benchmarks draw uniformly from here
    double typical_high;
};

const std::vector<OracleFunction>& oracle_functions();
const OracleFunction& oracle_function(std::string_view name);

// f(x) by MPFR, rounded to nearest-even as a double: subnormal results at their own last
// place, results beyond the largest double to infinity.
double mpfr_rounded(MpfrFunction f, double x);
// x^y by MPFR, rounded the same way.
double mpfr_power_rounded(double x, double y);

// |f(x) - the nearest midpoint between two doubles| in units of the last place of the
// doubles around f(x), computed with 256 bits; 1 where f(x) is not finite or zero.
double distance_to_midpoint(MpfrFunction f, double x);
double power_distance_to_midpoint(double x, double y);

// The value of w, exactly, in z (whose precision is set here to WideFloat's).
void to_mpfr(const runtime::correctly_rounded::WideFloat& w, mpfr_ptr z);

// The relative error of w against f(x) computed with 320 bits, as a power of two: log2 of
// |w - f(x)| / |f(x)|, -1000 where they agree.
double wide_error_exponent(const runtime::correctly_rounded::WideFloat& w, MpfrFunction f, double x);

// Equal to the last bit; any NaN equals any NaN (the sign of a NaN is not specified).
bool same_bits(double a, double b);

// Deterministic random arguments (splitmix64).
class ArgumentSampler {
public:
    explicit ArgumentSampler(std::uint64_t seed) : state_(seed) {}
    std::uint64_t bits();
    double next(const std::vector<ArgumentRange>& domain);

private:
    std::uint64_t state_;
};

// The edges of the cells our functions' tables split their reductions into, where the
// index of the table's step changes: each with its neighbours up to 3 doubles either side,
// with both signs where the function takes them, over a sample of the exponents and
// multiples of the period that each table serves.
std::vector<double> cell_edge_arguments(std::string_view function);

// Random pairs for pow: x over every binade, near 1 too, with y such that y log x spans
// the range where x^y is neither 0 nor infinite; and negative x with integer y.
std::pair<double, double> random_power_arguments(ArgumentSampler& random);

}  // namespace test_support
