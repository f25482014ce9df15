// Step records per second: the project's writer (format once with std::to_chars, copy the
// bytes to the console's and the log's buffers) against std::fprintf with "%.17g" to two
// streams, as a straightforward program would write them. Both sinks are /dev/null, so
// the figures are formatting and buffering alone.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

#include "runtime/output_channel.hpp"
#include "runtime/record.hpp"

namespace {

// A fixed-point-like sequence, so that every record has fresh digits.
struct Steps {
    std::int32_t step = 0;
    double x = 4.0;
    double next() { return x - 0.001 * (x - 3.9); }
};

void project_writer(benchmark::State& state)
{
    const int console_fd = ::open("/dev/null", O_WRONLY);
    const int log_fd = ::open("/dev/null", O_WRONLY);
    {
        runtime::OutputChannel console(console_fd, "console", false);
        runtime::OutputChannel log(log_fd, "log", false);
        Steps s;
        for (auto _ : state) {
            const double next = s.next();
            const runtime::Record record = runtime::Record().integer(s.step).real(s.x).real(next);
            log.write(record.line());
            console.write(record.line());
            s.x = next;
            ++s.step;
        }
        console.flush();
        log.flush();
    }
    ::close(console_fd);
    ::close(log_fd);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(project_writer);

void fprintf_writer(benchmark::State& state)
{
    std::FILE* console = std::fopen("/dev/null", "w");
    std::FILE* log = std::fopen("/dev/null", "w");
    Steps s;
    for (auto _ : state) {
        const double next = s.next();
        std::fprintf(log, "%11d %.17g %.17g\n", s.step, s.x, next);
        std::fprintf(console, "%11d %.17g %.17g\n", s.step, s.x, next);
        s.x = next;
        ++s.step;
    }
    std::fclose(console);
    std::fclose(log);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(fprintf_writer);

}  // namespace

BENCHMARK_MAIN();
