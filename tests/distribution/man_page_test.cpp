// The manual pages as man shows them: free of groff warnings on every kind of
// terminal, with the sections a reader looks for, and in step with the programs.
#include <cctype>
#include <filesystem>
#include <gtest/gtest.h>
#include <ostream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/process.hpp"
#include "tests/support/temp_dir.hpp"

namespace {

using test_support::read_file;
using test_support::RunOptions;
using test_support::RunResult;

struct Page {
    const char* name;
    const char* program;
};

const Page PAGES[] = {
    {"quarlen", QUARLEN_PATH},
    {"mirtova", MIRTOVA_PATH},
    {"konvergenz", KONVERGENZ_PATH},
};

void PrintTo(const Page& p, std::ostream* os) { *os << p.name; }

std::string page_path(const Page& page) { return std::string(MAN_DIR) + "/" + page.name + ".1"; }

// The page's text with roff's escaped hyphens as the reader sees them.
std::string page_text(const Page& page)
{
    const std::string source = read_file(page_path(page));
    std::string text;
    for (std::size_t at = 0; at < source.size(); ++at) {
        if (source.compare(at, 2, "\\-") == 0) ++at;
        text += source[at];
    }
    return text;
}

// The words of `text` that look like options ("-d", "--dir"), cut at '=' and at the
// brackets, commas and bars around them.
std::set<std::string> options_in(const std::string& text)
{
    std::set<std::string> options;
    std::string word;
    for (const char c : text + ' ') {
        if (std::string_view(" \t\n[],|=\"").find(c) == std::string_view::npos) {
            word += c;
            continue;
        }
        const std::size_t letter = word.find_first_not_of('-');
        if (letter >= 1 && letter <= 2 && std::islower(static_cast<unsigned char>(word[letter])) &&
            word.find_first_not_of("abcdefghijklmnopqrstuvwxyz-") == std::string::npos)
            options.insert(word);
        word.clear();
    }
    return options;
}

class ManPage : public testing::TestWithParam<Page> {};

// groff's default device, and the terminals man renders for.
TEST_P(ManPage, RendersWithoutAWarning)
{
    for (const std::vector<std::string>& device :
         {std::vector<std::string>{}, {"-Tutf8"}, {"-Tascii"}}) {
        RunOptions options;
        options.args = device;
        for (const char* arg : {"-man", "-ww", "-z"}) options.args.emplace_back(arg);
        options.args.push_back(page_path(GetParam()));
        const RunResult r = test_support::run(GROFF_EXE, options);
        SCOPED_TRACE(device.empty() ? "default device" : device.front());
        EXPECT_EQ(r.exit_status, 0);
        EXPECT_EQ(r.err, "");
    }
}

TEST_P(ManPage, HasTheUsualSectionsInOrder)
{
    const std::string text = page_text(GetParam());
    std::size_t last = 0;
    for (const char* section : {"NAME", "SYNOPSIS", "DESCRIPTION", "INPUT", "FILES", "EXIT STATUS",
                                "EXAMPLES", "SEE ALSO"}) {
        const std::size_t at = text.find(std::string("\n.SH ") + section + "\n");
        ASSERT_NE(at, std::string::npos) << section;
        EXPECT_GT(at, last) << section << " out of order";
        last = at;
    }
}

TEST_P(ManPage, CarriesTheProjectVersion)
{
    const std::string text = page_text(GetParam());
    const std::string upper = [&] {
        std::string s = GetParam().name;
        for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return s;
    }();
    EXPECT_EQ(text.rfind(".TH " + upper + " 1 ", 0), 0u);
    const std::string footer = std::string(GetParam().name) + " " + PROJECT_VERSION_TEXT;
    EXPECT_NE(text.find('"' + footer + '"'), std::string::npos) << footer;
    EXPECT_EQ(text.find('@'), std::string::npos) << "a placeholder left over";
}

// Every option the program's --help lists is described in its page.
TEST_P(ManPage, DescribesEveryOptionOfTheHelp)
{
    RunOptions options;
    options.args = {"--help"};
    const RunResult help = test_support::run(GetParam().program, options);
    ASSERT_EQ(help.exit_status, 0);

    const std::set<std::string> listed = options_in(help.out);
    EXPECT_TRUE(listed.contains("--help") && listed.contains("--version"));

    const std::string text = page_text(GetParam());
    const std::size_t from = text.find("\n.SH OPTIONS\n");
    ASSERT_NE(from, std::string::npos);
    const std::set<std::string> described =
        options_in(text.substr(from, text.find("\n.SH ", from + 1) - from));
    for (const std::string& option : listed)
        EXPECT_TRUE(described.contains(option))
            << option << " is in --help but not under OPTIONS in the page";
}

INSTANTIATE_TEST_SUITE_P(Pages, ManPage, testing::ValuesIn(PAGES),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
