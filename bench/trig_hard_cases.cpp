// Finds hard-to-round arguments of sin, cos or tan with MPFR: doubles whose exact result
// lies within 2^-20 of a unit in the last place from a midpoint between two doubles.
//   search: random arguments with exponents from LOW to HIGH, about one in 10^6 is found;
//   walk:   near zero, where the result moves by a small part of its unit in the last
//           place per step of the argument, Newton steps on the significand from random
//           starts in [2^-24, 2^-10) reach a midpoint to within 2^-30.
// Prints one argument a line in hexadecimal with its distance in units of 2^-20 ulp.
//
//   trig_hard_cases sin|cos|tan search COUNT LOW HIGH SEED
//   trig_hard_cases sin|cos|tan walk FOUND SEED
#include <mpfr.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

namespace {

using Function = int (*)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t);

// f(x) minus the nearest midpoint, signed, in units in the last place of f(x).
double from_midpoint(Function f, double x)
{
    mpfr_t in, out;
    mpfr_init2(in, 53);
    mpfr_init2(out, 300);
    mpfr_set_d(in, x, MPFR_RNDN);
    f(out, in, MPFR_RNDN);
    mpfr_abs(out, out, MPFR_RNDN);
    mpfr_mul_2si(out, out, 53 - mpfr_get_exp(out), MPFR_RNDN);
    mpfr_frac(out, out, MPFR_RNDN);
    const double d = mpfr_get_d(out, MPFR_RNDN) - 0.5;
    mpfr_clears(in, out, static_cast<mpfr_ptr>(nullptr));
    return d;
}

void print_if_hard(Function f, double x, double limit)
{
    const double d = std::fabs(from_midpoint(f, x));
    if (d < limit)
        std::printf("%a %.3g\n", x, d * 0x1p20);
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string name = argc > 2 ? argv[1] : "";
    const Function f = name == "sin" ? mpfr_sin : name == "cos" ? mpfr_cos : name == "tan" ? mpfr_tan : nullptr;
    const std::string mode = argc > 2 ? argv[2] : "";
    if (f == nullptr || !((mode == "search" && argc == 7) || (mode == "walk" && argc == 5))) {
        std::fprintf(stderr, "usage: trig_hard_cases sin|cos|tan search COUNT LOW HIGH SEED\n"
                             "       trig_hard_cases sin|cos|tan walk FOUND SEED\n");
        return 2;
    }
    std::mt19937_64 random(std::strtoull(argv[argc - 1], nullptr, 10));
    if (mode == "search") {
        const long count = std::atol(argv[3]);
        const int low = std::atoi(argv[4]);
        const int high = std::atoi(argv[5]);
        for (long i = 0; i < count; ++i) {
            const auto biased = static_cast<std::uint64_t>(low + 1023) + random() % static_cast<std::uint64_t>(high - low + 1);
            print_if_hard(f, std::bit_cast<double>((biased << 52) | (random() >> 12)), 0x1p-20);
        }
        return 0;
    }
    const int wanted = std::atoi(argv[3]);
    for (int tries = 0, found = 0; found < wanted && tries < 100000; ++tries) {
        double x = std::ldexp(1.0 + static_cast<double>(random() >> 12) * 0x1p-52, -24 + static_cast<int>(random() % 14));
        for (int step = 0; step < 6; ++step) {
            const double here = from_midpoint(f, x);
            const double slope = from_midpoint(f, std::nextafter(x, 1.0)) - here;
            if (slope == 0 || std::fabs(slope) > 1e-3)
                break;
            const int e = std::ilogb(x);
            x = std::ldexp(std::ldexp(x, 52 - e) + std::nearbyint(-here / slope), e - 52);
        }
        if (std::fabs(from_midpoint(f, x)) < 0x1p-30) {
            print_if_hard(f, x, 0x1p-30);
            ++found;
        }
    }
    return 0;
}
