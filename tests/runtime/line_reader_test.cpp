#include "runtime/line_reader.hpp"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "runtime/program.hpp"
#include "tests/support/temp_dir.hpp"

namespace {

using runtime::LineReader;
using Status = LineReader::Status;

// The documented limit on a line, not the constant in the code.
constexpr std::size_t MAX = 4096;

struct Expected {
    Status status;
    std::string line;  // for too_long: the line the head must be taken from
};

struct Case {
    const char* name;
    std::string input;
    std::vector<Expected> reads;  // an end follows
};

std::vector<Case> cases()
{
    std::string many;
    std::vector<Expected> many_reads;
    for (int i = 0; i < 3000; ++i) {
        many += std::to_string(i) + "\n";
        many_reads.push_back({Status::line, std::to_string(i)});
    }
    const std::string at_limit(MAX, '7');
    const std::string over(MAX + 1, '8');
    const std::string huge = "12" + std::string(5 << 20, 'x');
    return {
        {"two_lines", "1\n2\n", {{Status::line, "1"}, {Status::line, "2"}}},
        {"last_line_without_newline", "1\nlast", {{Status::line, "1"}, {Status::line, "last"}}},
        {"empty_lines", "\n\n", {{Status::line, ""}, {Status::line, ""}}},
        {"carriage_return_kept", "3\r\n", {{Status::line, "3\r"}}},
        {"nothing", "", {}},
        {"many_lines", many, many_reads},
        {"at_limit", at_limit + "\nnext\n", {{Status::line, at_limit}, {Status::line, "next"}}},
        {"at_limit_at_end", at_limit, {{Status::line, at_limit}}},
        {"one_over_limit", over + "\nnext\n", {{Status::too_long, over}, {Status::line, "next"}}},
        {"one_over_at_end", over, {{Status::too_long, over}}},
        // The CR of a DOS line end does not count; a CR elsewhere does.
        {"at_limit_with_cr",
         at_limit + "\r\nnext\n",
         {{Status::line, at_limit + "\r"}, {Status::line, "next"}}},
        {"at_limit_with_cr_at_end", at_limit + "\r", {{Status::line, at_limit + "\r"}}},
        {"one_over_with_cr",
         over + "\r\nnext\n",
         {{Status::too_long, over}, {Status::line, "next"}}},
        {"at_limit_with_two_crs",
         at_limit + "\r\r\nnext\n",
         {{Status::too_long, at_limit}, {Status::line, "next"}}},
        {"cr_then_more_at_limit", at_limit + "\rx\n", {{Status::too_long, at_limit}}},
        {"five_megabytes",
         huge + "\n5\n6",
         {{Status::too_long, huge}, {Status::line, "5"}, {Status::line, "6"}}},
        {"two_long_in_a_row",
         over + "\n" + huge + "\n7\n",
         {{Status::too_long, over}, {Status::too_long, huge}, {Status::line, "7"}}},
    };
}

void check_reads(LineReader& reader, const Case& c)
{
    for (std::size_t i = 0; i < c.reads.size(); ++i) {
        const Expected& want = c.reads[i];
        SCOPED_TRACE("read " + std::to_string(i));
        ASSERT_EQ(reader.next(), want.status);
        const std::string_view got = reader.line();
        if (want.status == Status::line) {
            ASSERT_EQ(got, want.line);
        } else {
            // The head of the long line, enough for a message, never the whole of it.
            EXPECT_GE(got.size(), 40u);
            EXPECT_LE(got.size(), MAX);
            EXPECT_EQ(want.line.compare(0, got.size(), got), 0);
        }
    }
    EXPECT_EQ(reader.next(), Status::end);
    EXPECT_EQ(reader.next(), Status::end);
}

TEST(LineReader, FromAFile)
{
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.name);
        test_support::TempDir dir;
        test_support::write_file(dir / "in", c.input);
        const int fd = ::open((dir / "in").c_str(), O_RDONLY);
        ASSERT_GE(fd, 0);
        LineReader reader(fd);
        check_reads(reader, c);
        ::close(fd);
    }
}

TEST(LineReader, FromAPipeInSmallPieces)
{
    // A pipe hands over what has been written so far: lines arrive cut anywhere.
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.name);
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        std::thread writer([&] {
            const std::size_t piece = c.input.size() > 100000 ? 4099 : 3;
            for (std::size_t at = 0; at < c.input.size(); at += piece) {
                const std::string_view part = std::string_view(c.input).substr(at, piece);
                if (::write(fds[1], part.data(), part.size()) != static_cast<ssize_t>(part.size()))
                    break;
            }
            ::close(fds[1]);
        });
        LineReader reader(fds[0]);
        check_reads(reader, c);
        writer.join();
        ::close(fds[0]);
    }
}

TEST(LineReader, ReportsAFailedRead)
{
    LineReader reader(-1);
    EXPECT_EQ(reader.next(), Status::error);
    EXPECT_EQ(reader.error(), EBADF);
}

// Ctrl-C that came before the read (say while the previous method closed its log) must
// not leave the program waiting for a line nobody will type.
TEST(LineReaderDeathTest, InterruptBeforeTheReadDoesNotBlock)
{
    EXPECT_EXIT(
        {
            std::signal(SIGINT, SIG_DFL);  // as a program started from a terminal has it
            runtime::start("t", runtime::Language::english);
            std::raise(SIGINT);
            int fds[2];
            if (::pipe(fds) != 0) std::_Exit(3);
            ::alarm(1);  // a blocked read is ended by SIGALRM, which fails the test
            LineReader reader(fds[0]);
            std::_Exit(reader.next() == Status::interrupted ? 130 : 1);
        },
        ::testing::ExitedWithCode(130), "");
}

}  // namespace
