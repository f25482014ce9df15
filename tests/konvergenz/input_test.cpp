// Logs konvergenz cannot take at their word: cut off by a killed run, miscounted, with
// odd line ends or lines of any length.
#include "log_reader.hpp"
#include "quarlen_log.hpp"

#include <gtest/gtest.h>

namespace konvergenz {
namespace {

struct Outcome {
    std::vector<LogRecord> records;
    std::vector<std::string> warnings;
    std::string header;
    std::string error;
};

Outcome read_log(const std::string& text)
{
    const test_support::TempDir dir;
    test_support::write_file(dir / "newto_f1.dat", text);
    Outcome outcome;
    try {
        LogReader reader(dir / "newto_f1.dat", "Startwert=");
        outcome.header = reader.header();
        for (LogRecord record; reader.next(record);) outcome.records.push_back(record);
        outcome.warnings = reader.warnings();
    } catch (const LogError& e) {
        outcome.error = e.what();
    }
    return outcome;
}

const std::string header = "Startwert= " + test::real(4);
const std::string step0 = test::record_line({0, 4.0, 3.9983156388887342});
const std::string step1 = test::record_line({1, 3.9983156388887342, 3.9966554142084627});
const std::string step2 = test::record_line({2, 3.9966554142084627, 4.2340390536e+02});

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

TEST(LogReader, LeavesOutACutLastLineWithAWarningNamingFileAndLine)
{
    struct Case {
        const char* name;
        std::string text;
        std::size_t records;
        double last_x;
        const char* warning;  // "" for none
    };
    const Case cases[] = {
        {"cut inside a real", header + '\n' + step0 + step1 + step2.substr(0, 44), 2,
         3.9983156388887342, "newto_f1.dat\", Zeile 4: ohne Zeilenende"},
        {"cut after the step number", header + '\n' + step0 + step1.substr(0, 11), 1, 4.0,
         "newto_f1.dat\", Zeile 3: ohne Zeilenende"},
        {"cut between CR and LF", header + "\r\n0 1 2\r\n1 3 4\r", 1, 1.0,
         "newto_f1.dat\", Zeile 3: ohne Zeilenende"},
        {"header alone", header + '\n', 0, 0.0, ""},
        {"whole lines", header + '\n' + step0 + step1 + step2, 3, 3.9966554142084627, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome read = read_log(c.text);
        EXPECT_EQ(read.error, "");
        EXPECT_EQ(read.header, header);
        ASSERT_EQ(read.records.size(), c.records);
        EXPECT_TRUE(c.records == 0 || read.records.back().x == c.last_x);
        if (*c.warning == '\0') {
            EXPECT_TRUE(read.warnings.empty());
        } else {
            ASSERT_EQ(read.warnings.size(), 1u);
            EXPECT_TRUE(contains(read.warnings[0], c.warning)) << read.warnings[0];
        }
    }
    const Outcome cut_header = read_log(header.substr(0, 20));
    EXPECT_TRUE(
        contains(cut_header.error, "newto_f1.dat\", Zeile 1: die Kopfzeile hat kein Zeilenende"))
        << cut_header.error;
}

TEST(LogReader, NamesAMissingFile)
{
    const test_support::TempDir dir;
    try {
        LogReader reader(dir / "fehlt.dat", "Startwert=");
        ADD_FAILURE() << "read a missing file";
    } catch (const LogError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "\"" + (dir / "fehlt.dat").string() +
                      "\" lässt sich nicht lesen: Datei oder Ordner nicht vorhanden");
    }
}

TEST(LogReader, StepsCountFromZeroByOneWithinTheStepCounter)
{
    struct Case {
        const char* name;
        std::string steps;  // step numbers of the lines after the header, blank-separated
        const char* error;  // "" for none
    };
    const Case cases[] = {
        {"0 to 4", "0 1 2 3 4", ""},
        {"starts at 1", "1 2", "Zeile 2: Schrittnummer 1, erwartet 0"},
        {"a step left out", "0 1 3", "Zeile 4: Schrittnummer 3, erwartet 2"},
        {"a step repeated", "0 1 1", "Zeile 4: Schrittnummer 1, erwartet 2"},
        {"a step back", "0 1 2 0", "Zeile 5: Schrittnummer 0, erwartet 3"},
        {"negative", "-1", "Zeile 2: Schrittnummer -1 außerhalb von 0 bis 2147483647"},
        {"most negative 64-bit integer", "0 -9223372036854775808",
         "Zeile 3: Schrittnummer -9223372036854775808 außerhalb von 0 bis 2147483647"},
        {"largest 64-bit integer", "0 9223372036854775807",
         "Zeile 3: Schrittnummer 9223372036854775807 außerhalb"},
        {"one past the step counter", "0 2147483648",
         "Zeile 3: Schrittnummer 2147483648 außerhalb"},
        {"beyond 64 bits", "0 99999999999999999999", "Zeile 3: keine Schrittzeile"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string text = header + '\n';
        std::istringstream steps(c.steps);
        for (std::string step; steps >> step;) text += step + " 1.5 -2.5\n";
        const Outcome read = read_log(text);
        if (*c.error == '\0') {
            EXPECT_EQ(read.error, "");
            ASSERT_EQ(read.records.size(), 5u);
            EXPECT_EQ(read.records.back().step, 4);
        } else {
            EXPECT_TRUE(contains(read.error, std::string("newto_f1.dat\", ") + c.error))
                << read.error;
        }
    }
}

// A record is read in one pass where it is plainly well formed; every line that is not
// must come out as the careful reading words it, and odd but valid ones must be taken.
TEST(LogReader, EachLineIsTakenOrRefusedAsTheCarefulReadingDoes)
{
    struct Case {
        const char* name;
        std::string line;   // the first record line, after the header
        const char* error;  // "" where the line is taken as step 0, x = 1.5, -2.5
    };
    const Case cases[] = {
        {"tabs and CR LF", "\t0\t1.5\t-2.5\t\r\n", ""},
        {"leading zeros past ten digits", "000000000000 1.5 -2.5\n", ""},
        {"blank between CR and LF", "0 1.5 -2.5\r \n", "Zeilenende nur aus CR"},
        {"CR inside the line", "0 1.5\r -2.5\n", "Zeilenende nur aus CR"},
        {"plus sign on the step", "+0 1.5 -2.5\n", "keine Schrittzeile"},
        {"exponent without digits", "0 1.5e -2.5\n", "keine Schrittzeile"},
        {"letter after a number", "0 1.5x -2.5\n", "keine Schrittzeile"},
        {"fourth item", "0 1.5 -2.5 7\n", "keine Schrittzeile"},
        {"hexadecimal step", "0x0 1.5 -2.5\n", "keine Schrittzeile"},
        {"step and real run together", "01.5 -2.5\n", "keine Schrittzeile"},
        {"two reals run together", "0 1.5-2.5\n", "keine Schrittzeile"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome read = read_log(header + '\n' + c.line);
        if (*c.error == '\0') {
            EXPECT_EQ(read.error, "");
            ASSERT_EQ(read.records.size(), 1u);
            EXPECT_EQ(read.records[0].x, 1.5);
            EXPECT_EQ(read.records[0].third_item, -2.5);
        } else {
            EXPECT_TRUE(contains(read.error, std::string("Zeile 2: ") + c.error)) << read.error;
        }
    }
}

TEST(LogReader, RejectsOverlongLinesAndLineEndsOfCarriageReturnsAlone)
{
    const std::string blanks(256 - 5, ' ');
    // A header may hold two formulas of the longest length quarlen takes.
    const std::string header_limit =
        "länger als " + std::to_string(LogReader::max_header) + " Zeichen";
    const auto header_of = [](std::size_t length) {
        const std::string start = "Startwert= 1, f(x) = x";
        return start + std::string(length - start.size(), ' ') + '\n' + step0;
    };
    struct Case {
        const char* name;
        std::string text;
        std::string error;  // "" for none
    };
    const Case cases[] = {
        {"step line of 256 characters", header + '\n' + blanks + "0 1 2\n", ""},
        {"step line of 257 characters", header + '\n' + blanks + " 0 1 2\n",
         "Zeile 2: länger als 256 Zeichen"},
        {"header at its limit", header_of(LogReader::max_header), ""},
        {"overlong header", header_of(LogReader::max_header + 1), "Zeile 1: " + header_limit},
        {"NUL bytes, no line end", std::string(200'000, '\0'), "Zeile 1: " + header_limit},
        {"NUL bytes after a step", header + '\n' + step0 + std::string(100'000, '\0'),
         "Zeile 3: länger als 256 Zeichen"},
        {"CR only, short", header + "\r0 1 2\r1 3 4\r", "Zeile 1: Zeilenende nur aus CR"},
        {"CR only, long",
         [] {
             std::string text = header + '\r';
             for (int k = 0; k < 100; ++k) text += std::to_string(k) + " 1 2\r";
             return text;
         }(),
         "Zeile 1: Zeilenende nur aus CR"},
        {"a CR inside a step line", header + '\n' + "0 1 2\r1 3 4\n",
         "Zeile 2: Zeilenende nur aus CR"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome read = read_log(c.text);
        if (c.error.empty()) {
            EXPECT_EQ(read.error, "");
            EXPECT_EQ(read.records.size(), 1u);
        } else {
            EXPECT_TRUE(contains(read.error, "newto_f1.dat\", " + c.error))
                << read.error;
            EXPECT_TRUE(read.records.empty() || read.records.size() == 1u);
        }
    }
}

}  // namespace
}  // namespace konvergenz
