#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

#include "runtime/console.hpp"
#include "runtime/log_file.hpp"
#include "runtime/output_channel.hpp"
#include "runtime/output_path.hpp"
#include "runtime/program.hpp"
#include "runtime/step_records.hpp"
#include "tests/support/other_users.hpp"
#include "tests/support/temp_dir.hpp"

namespace {

using test_support::read_file;
using test_support::TempDir;

TEST(OutputChannel, BuffersUntilFlushUnlessEveryRecordCounts)
{
    TempDir dir;
    for (const bool each : {false, true}) {
        const auto path = dir / (each ? "each" : "block");
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ASSERT_GE(fd, 0);
        runtime::OutputChannel channel(fd, "x", each);
        channel.write("one\n");
        EXPECT_EQ(read_file(path), each ? "one\n" : "");
        // Far more than the buffer holds: all of it goes out, in order.
        std::string big;
        for (int i = 0; i < 30000; ++i) big += std::to_string(i) + "\n";
        channel.write(big);
        channel.write("last\n");
        channel.flush();
        EXPECT_EQ(read_file(path), "one\n" + big + "last\n");
        ::close(fd);
    }
}

TEST(LogFile, RewritesFromTheBeginning)
{
    TempDir dir;
    const auto path = (dir / "log.dat").string();
    test_support::write_file(path, "old contents, longer than the new\n");
    runtime::LogFile log(path);
    log.write(runtime::Record().text("new"));
    log.close();
    EXPECT_EQ(read_file(path), "new\n");
}

TEST(LogFileDeathTest, AfterAStopSignalNothingIsOpened)
{
    TempDir dir;
    const auto path = dir / "log.dat";
    test_support::write_file(path, "the previous run's\n");
    EXPECT_EXIT(
        {
            std::signal(SIGTERM, SIG_DFL);
            runtime::start("t", runtime::Language::german);
            std::raise(SIGTERM);
            runtime::LogFile log(path.string());
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(143), "t: unterbrochen \\(SIGTERM\\)");
    EXPECT_EQ(read_file(path), "the previous run's\n");
}

// A limit on the file size stands in for a full disk: the write that crosses it is cut
// short, and the log must be cut back to its last whole record.
[[noreturn]] void write_records_to_a_small_disk(const std::string& path, long size)
{
    const rlimit limit{static_cast<rlim_t>(size), static_cast<rlim_t>(size)};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, SIG_DFL);  // start() must make a write beyond it fail instead
    runtime::start("t", runtime::Language::german);
    runtime::LogFile log(path);
    for (int k = 0; k < 2000; ++k)
        log.write(runtime::Record().integer(k).real(k * 0.5).real(-1.0 * k));
    log.close();
    std::_Exit(0);
}

TEST(LogFileDeathTest, AFailedWriteLeavesWholeRecordsOnly)
{
    constexpr long RECORD = 62;
    struct Case {
        const char* name;
        long limit;
    };
    const Case cases[] = {
        {"inside_the_first_record", 30},
        {"inside_a_later_record", RECORD * 3 + 7},
        {"just_after_a_record", RECORD * 5},
        {"in_the_second_block", 65536 + 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string path = (dir / "log.dat").string();
        // The message is checked end to end: here stderr is a file under the same limit.
        EXPECT_EXIT(write_records_to_a_small_disk(path, c.limit), ::testing::ExitedWithCode(3), "");
        const std::string file = read_file(path);
        EXPECT_EQ(file.size(), static_cast<std::size_t>(c.limit / RECORD * RECORD));
        EXPECT_TRUE(file.empty() || file.back() == '\n');
    }
}

TEST(LogFileDeathTest, AFailedCloseEndsWithStatus3)
{
    TempDir dir;
    const std::string path = (dir / "log.dat").string();
    EXPECT_EXIT(
        {
            runtime::start("t", runtime::Language::german);
            runtime::LogFile log(path);
            // The log's descriptor, gone behind its back: its close() fails.
            const std::string file = std::filesystem::canonical(path).string();
            for (int fd = 3; fd < 64; ++fd) {
                char target[4096] = {};
                const std::string link = "/proc/self/fd/" + std::to_string(fd);
                if (::readlink(link.c_str(), target, sizeof target - 1) > 0 && file == target)
                    ::close(fd);
            }
            log.close();
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(3), "kann nicht geschlossen werden");
}

// The values of step k of a fixed-point run of the logistic map: each record's first
// value is the record before's second, and every tenth step stands still (both alike).
double logistic(int k)
{
    double x = 0.3;
    for (int i = 0; i < k; ++i) x = 3.9 * x * (1.0 - x);
    return x;
}

// Step records written through the log and standard output (a file here), stopped by
// SIGTERM after `stop_after` records, or ending well after `count`.
[[noreturn]] void write_step_records(const std::string& log_path, const std::string& out_path,
                                     int count, int stop_after)
{
    ::dup2(::open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDOUT_FILENO);
    runtime::start("t", runtime::Language::german);
    runtime::LogFile log(log_path);
    runtime::StepRecords records(log);
    double x = logistic(0);
    for (int k = 0; k < count && !runtime::interrupted(); ++k) {
        const double next = k % 10 == 9 ? x : 3.9 * x * (1.0 - x);
        records.write(k, x, next);
        x = next;
        if (k + 1 == stop_after) std::raise(SIGTERM);
    }
    log.close();
    if (runtime::interrupted()) runtime::fail(runtime::interrupted_status(), "gestoppt");
    std::_Exit(runtime::end());
}

// "" for equal texts, else the first line where `actual` differs, and the lengths.
std::string first_difference(const std::string& actual, const std::string& expected)
{
    if (actual == expected) return "";
    const auto at = std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
    const std::size_t line = std::count(actual.begin(), at.first, '\n');
    const std::size_t start = actual.rfind('\n', static_cast<std::size_t>(at.first - actual.begin()));
    const std::size_t from = start == std::string::npos ? 0 : start + 1;
    return "line " + std::to_string(line) + ": \"" + actual.substr(from, 62) + "\" of " +
           std::to_string(actual.size()) + " bytes, " + std::to_string(expected.size()) + " expected";
}

// Blocks of 64 KiB hold 1057 records of 62 bytes. A value repeated from a record whose
// text went out with the block before must still be the text of its own bits, and a
// stop where a block is full or has just gone out leaves every record once, whole.
TEST(StepRecordsDeathTest, EveryRecordOnceAndWholeAcrossBlocksAndStops)
{
    constexpr int IN_A_BLOCK = 65536 / 62;
    struct Case {
        const char* name;
        int count;
        int stop_after;  // 0: no stop
        int records;     // in each output afterwards
    };
    const Case cases[] = {
        {"repeats_across_three_blocks", 3 * IN_A_BLOCK + 5, 0, 3 * IN_A_BLOCK + 5},
        {"stop_with_the_block_full", 3 * IN_A_BLOCK, IN_A_BLOCK, IN_A_BLOCK},
        {"stop_after_the_block_went_out", 3 * IN_A_BLOCK, IN_A_BLOCK + 1, IN_A_BLOCK + 1},
        {"stop_with_the_second_block_full", 3 * IN_A_BLOCK, 2 * IN_A_BLOCK, 2 * IN_A_BLOCK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string log = (dir / "log.dat").string();
        const std::string out = (dir / "out").string();
        EXPECT_EXIT(write_step_records(log, out, c.count, c.stop_after),
                    ::testing::ExitedWithCode(c.stop_after == 0 ? 0 : 143), "");
        std::string expected;
        for (int k = 0; k < c.records; ++k) {
            const double x = logistic(k - k / 10);
            const double next = k % 10 == 9 ? x : logistic(k - k / 10 + 1);
            expected += runtime::Record().integer(k).real(x).real(next).line();
        }
        EXPECT_EQ(first_difference(read_file(log), expected), "") << "log";
        EXPECT_EQ(first_difference(read_file(out), expected), "") << "standard output";
    }
}

// A pipe whose reader has stopped, with `room` bytes free.
int stalled_pipe(std::size_t room, int& read_end)
{
    int fds[2];
    if (::pipe(fds) != 0) std::_Exit(2);
    ::fcntl(fds[1], F_SETFL, O_NONBLOCK);
    const std::string block(4096, 'x');
    while (::write(fds[1], block.data(), block.size()) > 0) {
    }
    ::fcntl(fds[1], F_SETFL, 0);
    std::string drained(room, '\0');
    if (room > 0 && ::read(fds[0], drained.data(), room) != static_cast<ssize_t>(room))
        std::_Exit(2);
    read_end = fds[0];
    return fds[1];
}

struct WriteCase {
    const char* name;
    int stops;            // stop signals that came before the write: 0, 1 or 2
    bool nonblocking;     // the pipe in O_NONBLOCK mode
    std::size_t room;     // free in the full pipe at the start: 0 or a page
    int reader_after_ms;  // a reader empties the pipe from then on; -1: none
    std::size_t written;  // what the loop gets out
    int error;
    int min_ms, max_ms;  // how long it takes
};

// CPU time the process has used, in milliseconds.
long cpu_ms()
{
    timespec used{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
    return used.tv_sec * 1000 + used.tv_nsec / 1'000'000;
}

// What a wait may cost: a loop that spins on a full pipe burns all the time it waits
// (200 ms for a reader that sleeps so long).
constexpr long MAX_CPU_MS = 50;

// Lines of 100 bytes: a page of 4096 bytes ends inside the 41st.
constexpr std::size_t LINE = 100;

[[noreturn]] void write_into_a_pipe(const WriteCase& c)
{
    std::signal(SIGTERM, SIG_DFL);  // as a program started from a shell has it
    runtime::start("t", runtime::Language::english);
    int read_end = -1;
    const int fd = stalled_pipe(c.room, read_end);
    if (c.nonblocking) ::fcntl(fd, F_SETFL, O_NONBLOCK);
    for (int i = 0; i < c.stops; ++i) std::raise(SIGTERM);
    std::thread reader([&] {
        if (c.reader_after_ms < 0) return;
        ::usleep(static_cast<useconds_t>(c.reader_after_ms) * 1000);
        char chunk[4096];
        while (::read(read_end, chunk, sizeof chunk) > 0) {
        }
    });
    ::alarm(10);  // a write that waits for ever is ended by SIGALRM, which fails the test
    std::string lines;
    for (int i = 0; i < 2000; ++i) lines += std::string(LINE - 1, 'y') + "\n";
    const auto start = std::chrono::steady_clock::now();
    const long cpu_at_start = cpu_ms();
    const runtime::Written out = runtime::write_all(fd, lines);
    const long cpu = cpu_ms() - cpu_at_start;
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
                          std::chrono::steady_clock::now() - start)
                          .count();
    ::close(fd);
    if (c.reader_after_ms < 0) ::close(read_end);
    reader.join();
    const std::size_t expected = c.written == SIZE_MAX ? lines.size() : c.written;
    std::fprintf(stderr, "wrote %zu, error %d, in %lld ms, %ld ms of CPU\n", out.bytes, out.error,
                 static_cast<long long>(took), cpu);
    std::_Exit(out.bytes == expected && out.error == c.error && took >= c.min_ms &&
                       took <= c.max_ms && cpu <= MAX_CPU_MS
                   ? 0
                   : 1);
}

TEST(WriteAllDeathTest, WaitsForAReaderAsLongAsItReadsAndFinishesACutLine)
{
    const WriteCase cases[] = {
        // clang-format off
        {"non-blocking pipe, read later",        0, true,  0,    200, SIZE_MAX,   0,     150, 5000},
        // After a stop, as long as the reader takes bytes.
        {"stop, the reader reads on",            1, false, 0,    200, SIZE_MAX,   0,     150, 5000},
        {"stop, nobody reads",                   1, false, 0,    -1,  0,          EINTR, 900, 5000},
        // A second stop gives up at once, unless a line is cut: that is finished if
        // the reader takes it within a second.
        {"two stops, nobody reads",              2, false, 0,    -1,  0,          EINTR, 0,   500},
        {"two stops, a cut line read later",     2, false, 4096, 300, 41 * LINE,  EINTR, 250, 3000},
        {"two stops, a cut line never read",     2, false, 4096, -1,  4096,       EINTR, 900, 5000},
        {"stop, a cut line never read",          1, false, 4096, -1,  4096,       EINTR, 1800, 6000},
        // clang-format on
    };
    for (const WriteCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EXIT(write_into_a_pipe(c), ::testing::ExitedWithCode(0), "");
    }
}

// After a stop, a record cut short on standard output and then the stop messages, read
// later by a reader of the pipe standard output is (2>&1) or of a pipe of their own.
[[noreturn]] void messages_after_a_cut_record(bool shared_pipe)
{
    std::signal(SIGTERM, SIG_DFL);
    runtime::start("t", runtime::Language::english);
    int read_end = -1;
    const int fd = stalled_pipe(4096, read_end);
    int errors[2];
    if (::pipe(errors) != 0) std::_Exit(2);
    ::dup2(fd, STDOUT_FILENO);
    ::dup2(shared_pipe ? fd : errors[1], STDERR_FILENO);
    ::close(fd);
    ::close(errors[1]);
    std::raise(SIGTERM);
    std::raise(SIGTERM);  // a second stop: only a cut line is waited for, a second at most
    std::string got;
    std::thread reader([&] {
        ::usleep(1500 * 1000);  // past the wait for the cut line, within the message's
        char chunk[4096];
        for (ssize_t n; (n = ::read(read_end, chunk, sizeof chunk)) > 0;)
            got.append(chunk, static_cast<std::size_t>(n));
    });
    ::alarm(10);
    for (int i = 0; i < 50; ++i)
        runtime::console::write(runtime::Record().text(std::string(LINE - 1, 'y')));
    runtime::console::flush_quietly();  // 40 lines and 96 bytes of the 41st get out
    runtime::warn("one");
    runtime::warn("two");
    ::close(STDOUT_FILENO);
    ::close(STDERR_FILENO);
    reader.join();
    char apart[64] = {};
    const ssize_t n = ::read(errors[0], apart, sizeof apart - 1);
    const std::string cut = std::string(LINE - 1, 'y') + "\n" + std::string(96, 'y');
    const bool right = shared_pipe ? got.ends_with(cut + "\nt: one\nt: two\n")
                                   : got.ends_with(cut) && n > 0 && apart == std::string_view("t: one\nt: two\n");
    std::_Exit(right ? 0 : 1);
}

TEST(ConsoleDeathTest, AStopMessageAfterACutRecordStartsALineOfItsOwn)
{
    for (const bool shared_pipe : {true, false}) {
        SCOPED_TRACE(shared_pipe ? "2>&1" : "standard error apart");
        EXPECT_EXIT(messages_after_a_cut_record(shared_pipe), ::testing::ExitedWithCode(0), "");
    }
}

[[noreturn]] void channel_that_gave_up()
{
    std::signal(SIGTERM, SIG_DFL);
    runtime::start("t", runtime::Language::english);
    int read_end = -1;
    const int fd = stalled_pipe(0, read_end);
    runtime::OutputChannel channel(fd, "pipe", false);
    std::raise(SIGTERM);
    ::alarm(5);
    channel.write("cut here\n");
    channel.flush();  // given up: the pipe is full
    // Once the reader empties the pipe, nothing written later may follow the gap.
    ::fcntl(read_end, F_SETFL, O_NONBLOCK);
    char chunk[4096];
    while (::read(read_end, chunk, sizeof chunk) > 0) {
    }
    channel.write("later\n");
    channel.flush();
    std::_Exit(::read(read_end, chunk, sizeof chunk) < 0 && errno == EAGAIN ? 0 : 1);
}

TEST(OutputChannelDeathTest, WritesNothingMoreOnceItGaveUp)
{
    EXPECT_EXIT(channel_that_gave_up(), ::testing::ExitedWithCode(0), "");
}

[[noreturn]] void flush_after_a_quiet_failure(bool reader_gone)
{
    runtime::start("t", runtime::Language::german);
    int fds[2] = {-1, ::open("/dev/full", O_WRONLY)};
    if (reader_gone && ::pipe(fds) == 0) ::close(fds[0]);
    runtime::OutputChannel channel(fds[1], "Standardausgabe", false);
    channel.write("lost\n");
    channel.flush_quietly();
    channel.flush();
    std::_Exit(0);
}

// A failure a quiet flush met (before a message) ends the program at the next flush: a
// full device with status 3, a reader that has gone (`| head`) quietly with 141.
TEST(OutputChannelDeathTest, AFailureAQuietFlushMetEndsTheNextFlush)
{
    const struct {
        bool reader_gone;  // else /dev/full
        int status;
        const char* message;
    } cases[] = {{false, 3, "^t: Standardausgabe: kann nicht geschrieben werden"}, {true, 141, "^$"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reader_gone ? "reader gone" : "/dev/full");
        EXPECT_EXIT(flush_after_a_quiet_failure(c.reader_gone), ::testing::ExitedWithCode(c.status),
                    c.message);
    }
}

// The rules for links as a user other than root meets them: a link of root is followed
// (root could write anywhere anyway), on the way as at the name; a third user's is not.
[[noreturn]] void open_as_another_user(const std::filesystem::path& path, uid_t refused_for)
{
    if (::setgid(test_support::OTHER_USER) != 0 || ::setuid(test_support::OTHER_USER) != 0)
        std::_Exit(2);
    const runtime::OutputPath target = runtime::open_to_write(path);
    const bool refused = target.refusal == runtime::Refusal::foreign_link;
    std::fprintf(stderr, "error %d, refused %d for uid %d\n", target.error, refused,
                 static_cast<int>(target.owner));
    const bool right = refused_for != 0 ? refused && target.owner == refused_for
                                        : !refused && target.error == 0 && target.file.get() >= 0;
    std::_Exit(right ? 0 : 1);
}

TEST(OutputPathDeathTest, LinksOfRootAreFollowedThoseOfAThirdUserAreNot)
{
    if (::geteuid() != 0) GTEST_SKIP() << "only root can act as another user";
    namespace fs = std::filesystem;
    const uid_t third = test_support::OTHER_USER - 1;
    TempDir dir;
    fs::permissions(dir.path(), fs::perms(0755));
    fs::create_directory(dir / "offen");
    fs::permissions(dir / "offen", fs::perms(0777));
    fs::create_symlink("offen", dir / "von_root");
    fs::create_symlink("offen/k", dir / "k_von_root");
    fs::create_symlink("offen", dir / "vom_dritten");
    ASSERT_EQ(::lchown((dir / "vom_dritten").c_str(), third, third), 0);
    const struct {
        const char* path;
        uid_t refused_for;  // the owner of the link refused, or 0
    } cases[] = {{"von_root/k", 0}, {"k_von_root", 0}, {"vom_dritten/k", third}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EXIT(open_as_another_user(dir / c.path, c.refused_for), ::testing::ExitedWithCode(0),
                    "");
    }
}

}  // namespace
