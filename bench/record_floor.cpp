// The floor of the standard run (input 0, 10, 4, 300): the cheapest program we could
// write that produces quarlen's exact bytes on standard output and in its three logs, to
// measure quarlen against. It computes the same iterates with the same functions and
// stopping tests, and formats each record once, with quarlen's formatter, straight into
// one 64 KiB block that goes to the log and to standard output alike. The step number
// is a text counted up in place, and a value equal bit for bit to the one beside it in
// the record before is copied. It does nothing else: no checks, no messages, no signals,
// no other input. bench/whole_run.sh checks its bytes with cmp before it times it.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <unistd.h>

#include "rootfinding/functions.hpp"
#include "rootfinding/methods.hpp"
#include "rootfinding/sign.hpp"
#include "rootfinding/stopping_tests.hpp"
#include "runtime/scientific17.hpp"

namespace {

constexpr std::size_t STEP = 11;
constexpr std::size_t REAL = 25;
constexpr std::size_t LINE = STEP + 2 * REAL + 1;

void put(int fd, std::string_view text)
{
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n <= 0) std::exit(3);
        text.remove_prefix(static_cast<std::size_t>(n));
    }
}

class Records {
public:
    explicit Records(const char* name) : log_(::open(name, O_WRONLY | O_CREAT | O_TRUNC, 0644)) {}

    void header(std::string_view text, double a)
    {
        char line[128];
        std::memcpy(line, text.data(), text.size());
        char* end = runtime::scientific17_field(line + text.size(), REAL, a);
        *end++ = '\n';
        put(log_, {line, static_cast<std::size_t>(end - line)});
    }

    void header(double a, double b)
    {
        char line[128];
        char* end = line;
        end = std::copy_n("Ausgangswerte - a= ", 19, end);
        end = runtime::scientific17_field(end, REAL, a);
        end = std::copy_n(", b= ", 5, end);
        end = runtime::scientific17_field(end, REAL, b);
        *end++ = '\n';
        put(log_, {line, static_cast<std::size_t>(end - line)});
    }

    void record(double a, double b)
    {
        if (used_ + LINE > sizeof block_) flush();
        char* line = block_ + used_;
        std::memcpy(line, counter_, STEP);
        if (std::memcmp(&a, &last_b_, sizeof a) == 0 && used_ >= LINE) {
            std::memcpy(line + STEP, line - LINE + STEP + REAL, REAL);
        } else {
            runtime::scientific17_field(line + STEP, REAL, a);
        }
        runtime::scientific17_field(line + STEP + REAL, REAL, b);
        line[LINE - 1] = '\n';
        used_ += LINE;
        last_b_ = b;
        char* digit = counter_ + STEP - 1;
        while (*digit == '9') *digit-- = '0';
        *digit = *digit == ' ' ? '1' : static_cast<char>(*digit + 1);
    }

    ~Records()
    {
        flush();
        ::close(log_);
    }

private:
    void flush()
    {
        put(log_, {block_, used_});
        put(STDOUT_FILENO, {block_, used_});
        used_ = 0;
    }

    int log_;
    char block_[1 << 16];
    std::size_t used_ = 0;
    double last_b_ = 0;
    char counter_[STEP + 1] = "          0";
};

double number()
{
    char line[128];
    std::size_t n = 0;
    while (n < sizeof line - 1 && ::read(STDIN_FILENO, line + n, 1) == 1 && line[n] != '\n') ++n;
    line[n] = '\0';
    return std::strtod(line, nullptr);
}

}  // namespace

int main()
{
    using namespace METHODS;
    put(STDOUT_FILENO, "Bitte Intervallgrenzen eingeben:\na= \n");
    double a = number();
    put(STDOUT_FILENO, "b= \n");
    double b = number();
    std::int32_t steps = 0;
    double x = 0;
    {
        Records out("bisec_f1.dat");
        out.header(a, b);
        x = FIRST_POINT(a, FUNCTIONS::F1(a), b, FUNCTIONS::F1(b), MIDPOINT(a, b));
        while (BISEC_MEASURE(FUNCTIONS::F1(x)) > TOLERANCE) {
            x = MIDPOINT(a, b);
            const double fx = FUNCTIONS::F1(x);
            out.record(x, fx);
            (SIGN(fx) == SIGN(FUNCTIONS::F1(a)) ? a : b) = x;
            ++steps;
        }
    }
    char result[64];
    char* end = runtime::scientific17_field(result, REAL, x);
    end += std::snprintf(end, 16, "%11d\n", steps);
    put(STDOUT_FILENO, {result, static_cast<std::size_t>(end - result)});

    put(STDOUT_FILENO, "Bitte Startwert eingeben\n");
    x = number();
    {
        Records out("newto_f1.dat");
        out.header("Startwert= ", x);
        double previous = x + 1;
        while (NEWTON_MEASURE(x, previous) > TOLERANCE) {
            previous = x;
            const double fx = FUNCTIONS::F1(x);
            const double next = NEWTON_STEP(x, fx, FUNCTIONS::DF1(x));
            out.record(x, fx);
            x = next;
        }
    }

    put(STDOUT_FILENO, "Bitte Startwert eingeben\n");
    x = number();
    {
        Records out("fixpk_f1.dat");
        out.header("Startwert= ", x);
        double g = FUNCTIONS::GF2(x);
        while (FIX_MEASURE(g, x) > TOLERANCE) {
            out.record(x, g);
            x = g;
            g = FUNCTIONS::GF2(x);
        }
    }
}
