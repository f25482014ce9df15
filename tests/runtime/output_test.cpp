#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

#include "runtime/log_file.hpp"
#include "runtime/output_channel.hpp"
#include "runtime/program.hpp"
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

// A limit on the file size stands in for a full disk: the write that crosses it is cut
// short, and the log must be cut back to its last whole record.
[[noreturn]] void write_records_to_a_small_disk(const std::string& path, long size)
{
    const rlimit limit{static_cast<rlim_t>(size), static_cast<rlim_t>(size)};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, SIG_IGN);
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
            const int next = ::dup(0);  // the descriptor the log will get
            ::close(next);
            runtime::LogFile log(path);
            ::close(next);  // gone behind the log's back: its close() fails
            log.close();
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(3), "kann nicht geschlossen werden");
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

[[noreturn]] void write_after_a_stop(std::size_t room)
{
    std::signal(SIGTERM, SIG_DFL);  // as a program started from a shell has it
    runtime::start("t", runtime::Language::english);
    int read_end = -1;
    const int fd = stalled_pipe(room, read_end);
    std::raise(SIGTERM);
    ::alarm(5);  // a write that waits is ended by SIGALRM, which fails the test
    const runtime::Written out = runtime::write_all(fd, std::string(100000, 'y'));
    // What fitted went out; the rest was given up instead of waited for.
    std::_Exit(out.error == EINTR && out.bytes == room ? 0 : 1);
}

TEST(WriteAllDeathTest, AfterAStopSignalNoWriteWaitsForAReader)
{
    EXPECT_EXIT(write_after_a_stop(0), ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(write_after_a_stop(4096), ::testing::ExitedWithCode(0), "");
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

}  // namespace
