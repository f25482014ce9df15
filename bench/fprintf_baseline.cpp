// The yardstick for the whole-run benchmark: the same dialogue and the same records as
// quarlen, written the straightforward way, with std::fprintf to stdout and to each log.
// Not part of the product; it checks nothing and handles no errors.
#include <cmath>
#include <cstdio>

namespace {

constexpr double TOLERANCE = 1.0e-4;

double F1(double x) { return ((x * x * x + x * 100.0) - 5.0 * (x * x)) + -400.0; }
double DF1(double x) { return (3.0 * (x * x) - x * 10.0) + 100.0; }
double GF2(double x) { return (std::exp(-x) - 0.1 / (x + 1.0)) + x; }

void record(std::FILE* log, int step, double a, double b)
{
    std::fprintf(log, "%11d%25.16e%25.16e\n", step, a, b);
    std::printf("%11d%25.16e%25.16e\n", step, a, b);
}

}  // namespace

int main()
{
    double a = 0, b = 0, x = 0;
    std::puts("Bitte Intervallgrenzen eingeben:");
    std::puts("a= ");
    if (std::scanf("%lf", &a) != 1) return 2;
    std::puts("b= ");
    if (std::scanf("%lf", &b) != 1) return 2;

    std::FILE* log = std::fopen("bisec_f1.dat", "w");
    std::fprintf(log, "Ausgangswerte - a= %25.16e, b= %25.16e\n", a, b);
    int steps = 0;
    x = (a + b) / 2;
    while (std::fabs(F1(x)) > TOLERANCE) {
        x = (a + b) / 2;
        record(log, steps, x, F1(x));
        if ((F1(x) >= 0) == (F1(a) >= 0))
            a = x;
        else
            b = x;
        ++steps;
    }
    std::fclose(log);
    std::printf("%25.16e%11d\n", x, steps);

    std::puts("Bitte Startwert eingeben");
    if (std::scanf("%lf", &x) != 1) return 2;
    log = std::fopen("newto_f1.dat", "w");
    std::fprintf(log, "Startwert= %25.16e\n", x);
    steps = 0;
    for (double old = x + 1; std::fabs(x - old) > TOLERANCE; ++steps) {
        old = x;
        const double next = x - F1(x) / DF1(x);
        record(log, steps, x, F1(x));
        x = next;
    }
    std::fclose(log);

    std::puts("Bitte Startwert eingeben");
    if (std::scanf("%lf", &x) != 1) return 2;
    log = std::fopen("fixpk_f1.dat", "w");
    std::fprintf(log, "Startwert= %25.16e\n", x);
    for (steps = 0; std::fabs(GF2(x) - x) > TOLERANCE; ++steps) {
        const double next = GF2(x);
        record(log, steps, x, next);
        x = next;
    }
    std::fclose(log);
    return 0;
}
