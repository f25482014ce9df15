#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

#include "runtime/log_file.hpp"
#include "runtime/output_channel.hpp"
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

}  // namespace
