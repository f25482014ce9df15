// The built program run as a script or a person runs it: real pipes, a real terminal,
// signals, and its log files in a fresh folder for each test.
#include <algorithm>
#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <iostream>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "tests/quarlen/quarlen_run.hpp"
#include "tests/support/other_users.hpp"
#include "tests/support/process.hpp"
#include "tests/support/temp_dir.hpp"

namespace {

using namespace std::chrono_literals;
using test_support::read_file;
using test_support::RunOptions;
using test_support::RunResult;
using test_support::TempDir;
using test_support::write_file;
using namespace quarlen_run;

std::vector<std::string> lines_of(const std::string& text)
{
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find('\n', at);
        lines.push_back(text.substr(at, end - at));
        if (end == std::string::npos) break;
        at = end + 1;
    }
    return lines;
}

const std::string NOT_A_NUMBER_TAIL =
    " (erwartet wird genau eine endliche Zahl je Zeile, etwa 2,5 oder -1.5e3)\n";

constexpr std::size_t RECORD = 62;  // a step record: 11 + 25 + 25 characters and '\n'

// "" when `log` is a header line followed by whole step records only; else what is wrong.
std::string whole_records(const std::string& log)
{
    if (log.empty()) return "";
    if (log.back() != '\n') return "the log ends in a cut line";
    const std::vector<std::string> lines = lines_of(log.substr(0, log.size() - 1));
    for (std::size_t k = 1; k < lines.size(); ++k)
        if (lines[k].size() != RECORD - 1)
            return "line " + std::to_string(k) + " is no record: " + lines[k];
    return "";
}

std::size_t records_in(const std::string& log)
{
    return (log.size() - log.find('\n') - 1) / RECORD;
}

// What the console showed after the last prompt: the fixed-point iteration's records.
std::string after_last_prompt(const std::string& out)
{
    const std::string prompt = "Bitte Startwert eingeben\n";
    const std::size_t at = out.rfind(prompt);
    return at == std::string::npos ? "" : out.substr(at + prompt.size());
}

// Digits that pad a number to exactly `width` characters: "0...010".
std::string padded(const std::string& digits, std::size_t width)
{
    return std::string(width - digits.size(), '0') + digits;
}

struct StopSignal {
    const char* name;
    int signal;
    int status;
    std::string word;  // how the messages name the stop
    int then = 0;      // a second signal sent at once: the first one's status counts
};

const StopSignal STOP_SIGNALS[] = {
    {"ctrl_c", SIGINT, 130, "unterbrochen"},
    {"sigterm", SIGTERM, 143, "unterbrochen (SIGTERM)"},
    {"sighup", SIGHUP, 129, "unterbrochen (SIGHUP)"},
};

TEST(Quarlen, WholeRunByteForByte)
{
    // The same run in the many spellings a number may have, blank lines between, DOS
    // line ends, and numbers of the longest line allowed, 4096 characters, before a CR.
    const std::string longest = padded("0", 4096) + "\r\n" + padded("10", 4096) + "\r\n";
    for (const std::string& input :
         {std::string("0\n10\n0\n4\n"), std::string("\n  \n+0\n\t1d1 \r\n\n,0\n4.\n"),
          std::string("+0,0\n1E1\n0e5\n.4e1"), std::string("\r\n0\r\n\r\n10\r\n \r\n0\r\n4\r\n"),
          longest + "0\n4\n"}) {
        SCOPED_TRACE(input);
        TempDir dir;
        const RunResult r = quarlen(dir, input);
        EXPECT_EQ(r.exit_status, 0);
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(r.out, golden("stdout.txt"));
        for (const char* log : LOGS) EXPECT_EQ(read_file(dir / log), golden(log)) << log;
    }
}

struct BadInput {
    const char* name;
    std::string input;
    int status;
    std::string err;                   // all of stderr
    std::vector<std::string> written;  // the logs the run got to write
    const char* stdin_path = nullptr;  // read instead of `input`
};

const BadInput BAD_INPUTS[] = {
    {"text", "abc\n", 2, "quarlen: keine Zahl: \"abc\"" + NOT_A_NUMBER_TAIL, {}},
    {"two_numbers", "1 2\n", 2, "quarlen: keine Zahl: \"1 2\"" + NOT_A_NUMBER_TAIL, {}},
    {"long_text_shortened",
     std::string(45, 'y') + "\n",
     2,
     "quarlen: keine Zahl: \"" + std::string(40, 'y') + "\"..." + NOT_A_NUMBER_TAIL,
     {}},
    {"control_characters_escaped",
     std::string("a\tb\x1b\0", 5) + "\n",
     2,
     "quarlen: keine Zahl: \"a\\tb\\x1b\\x00\"" + NOT_A_NUMBER_TAIL,
     {}},
    {"overflow",
     "0\n1e999\n",
     2,
     "quarlen: Zahl außerhalb des darstellbaren Bereichs: \"1e999\"\n",
     {}},
    {"underflow",
     "1e-400\n",
     2,
     "quarlen: Zahl außerhalb des darstellbaren Bereichs: \"1e-400\"\n",
     {}},
    {"line_too_long",
     std::string(5 << 20, '1') + "\n0\n",
     2,
     "quarlen: Eingabezeile zu lang: \"" + std::string(40, '1') + "\"...\n",
     {}},
    // Endless input ends: the rest of a line too long is not read when the run stops.
    {"endless_input",
     "",
     2,
     "quarlen: Eingabezeile zu lang: \"" +
         [] {
             std::string nul;
             for (int i = 0; i < 40; ++i) nul += "\\x00";
             return nul;
         }() +
         "\"...\n",
     {},
     "/dev/zero"},
    {"line_of_4097_characters",
     padded("1", 4097) + "\r\n0\n",
     2,
     "quarlen: Eingabezeile zu lang: \"" + std::string(40, '0') + "\"...\n",
     {}},
    {"nothing", "", 2, "quarlen: Eingabe zu Ende, bevor eine Zahl gelesen wurde\n", {}},
    {"ends_before_b", "0\n\n", 2, "quarlen: Eingabe zu Ende, bevor eine Zahl gelesen wurde\n", {}},
    {"ends_before_newton",
     "0\n10\n",
     2,
     "quarlen: Eingabe zu Ende, bevor eine Zahl gelesen wurde\n",
     {"bisec_f1.dat"}},
    {"bad_fixed_point_start",
     "0\n10\n0\ninf\n",
     2,
     "quarlen: keine Zahl: \"inf\"" + NOT_A_NUMBER_TAIL,
     {"bisec_f1.dat", "newto_f1.dat"}},
};

TEST(Quarlen, BadInputStopsTheScript)
{
    for (const BadInput& c : BAD_INPUTS) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        // Logs from an earlier run, longer than any of this one: those of the stages not
        // reached stay as they were, the others are cut to this run's lines.
        const std::string earlier(1 << 16, 'X');
        for (const char* log : LOGS) write_file(dir / log, earlier);
        RunOptions options;
        if (c.stdin_path) options.stdin_path = c.stdin_path;
        const RunResult r = quarlen(dir, c.input, options);
        EXPECT_EQ(r.exit_status, c.status);
        EXPECT_EQ(r.err, c.err);
        for (const char* log : LOGS) {
            const bool written =
                std::find(c.written.begin(), c.written.end(), log) != c.written.end();
            EXPECT_EQ(read_file(dir / log), written ? golden(log) : earlier) << log;
        }
        EXPECT_EQ(golden("stdout.txt").compare(0, r.out.size(), r.out), 0)
            << "stdout as far as it got";
    }
}

TEST(Quarlen, MethodThatCannotEndLetsTheRunGoOn)
{
    TempDir dir;
    const RunResult r = quarlen(dir, "5\n10\n0\n4\n");
    EXPECT_EQ(r.exit_status, 1);
    EXPECT_NE(r.err.find("quarlen: Bisektion angehalten nach "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("keinen Vorzeichenwechsel"), std::string::npos) << r.err;
    EXPECT_EQ(lines_of(r.err).size(), 1u);
    // The result line, then Newton and the fixed-point iteration exactly as ever.
    const std::string rest =
        golden("stdout.txt").substr(golden("stdout.txt").find("Bitte Startwert"));
    ASSERT_GE(r.out.size(), rest.size());
    EXPECT_EQ(r.out.substr(r.out.size() - rest.size()), rest);
    EXPECT_EQ(read_file(dir / "newto_f1.dat"), golden("newto_f1.dat"));
    EXPECT_EQ(read_file(dir / "fixpk_f1.dat"), golden("fixpk_f1.dat"));
}

TEST(Quarlen, BreakdownAtMinusOne)
{
    TempDir dir;
    const RunResult r = quarlen(dir, "0\n10\n0\n-1\n");
    EXPECT_EQ(r.exit_status, 1);
    EXPECT_NE(r.err.find("zusammengebrochen"), std::string::npos) << r.err;
    const std::string record = "          0  -1.0000000000000000e+00                -Infinity\n";
    EXPECT_EQ(read_file(dir / "fixpk_f1.dat"), "Startwert=   -1.0000000000000000e+00\n" + record);
    EXPECT_EQ(r.out.substr(r.out.size() - record.size()), record);
}

// A run's logs carry the time their last line was written, though the file system's own
// clock is coarse (it may stamp a log with a time before the run began): runs one after
// the other are told apart by their logs' times.
TEST(Quarlen, ALogsTimeIsWhenItsLastLineWasWritten)
{
    TempDir dir;
    const auto modified = [&dir](const char* log) {
        struct stat file {};
        EXPECT_EQ(stat((dir / log).c_str(), &file), 0) << log;
        return std::pair(file.st_mtim.tv_sec, file.st_mtim.tv_nsec);
    };
    quarlen(dir, "0\n10\n0\n4\n");
    for (int run = 0; run < 5; ++run) {
        timespec before{};
        clock_gettime(CLOCK_REALTIME, &before);
        EXPECT_EQ(quarlen(dir, "1\n", with_args({"-m", "newton", "-f", "x^2 - 2"})).exit_status, 0);
        EXPECT_GE(modified("newto_f1.dat"), std::pair(before.tv_sec, before.tv_nsec));
    }
    EXPECT_GT(modified("newto_f1.dat"), modified("fixpk_f1.dat"));
    // Only a regular file's time is set: a log linked to /dev/null leaves the device's.
    const auto device_time = [] {
        struct stat device {};
        EXPECT_EQ(stat("/dev/null", &device), 0);
        return std::pair(device.st_mtim.tv_sec, device.st_mtim.tv_nsec);
    };
    std::filesystem::remove(dir / "newto_f1.dat");
    std::filesystem::create_symlink("/dev/null", dir / "newto_f1.dat");
    const auto device_before = device_time();
    EXPECT_EQ(quarlen(dir, "1\n", with_args({"-m", "newton", "-f", "x^2 - 2"})).exit_status, 0);
    EXPECT_EQ(device_time(), device_before);
}

TEST(Quarlen, WhatIsAtALogNameOrStandardOutput)
{
    // Each case in a folder holding the logs of an earlier run ("X"), and a file of the
    // user's that a planted link may aim at.
    struct Case {
        const char* name;
        std::function<void(const TempDir&)> prepare;
        int status;
        std::string message;  // the start of stderr
        const char* kept;     // a log that keeps the earlier run's "X", or nullptr
        bool stdout_full = false;
        bool another_user = false;  // needs root, to give a file or link to another user
    };
    const auto link = [](const char* to, const char* at) {
        return [=](const TempDir& d) {
            std::filesystem::remove(d / at);
            std::filesystem::create_symlink(to, d / at);
        };
    };
    const auto others = [](const char* at, const char* to) {
        return [=](const TempDir& d) {
            if (to) {
                std::filesystem::remove(d / at);
                std::filesystem::create_symlink(d / to, d / at);
            }
            test_support::give_to_another_user(d / at);
            // A folder like /tmp, which everyone may write, with the sticky bit.
            std::filesystem::permissions(d.path(), std::filesystem::perms(01777));
        };
    };
    // The user's own link fixpk_f1.dat to geteilt/sub/mine, where geteilt is a folder like
    // /tmp and sub another user's link to andere; or that user's own folder.
    const auto through_shared_folder = [](bool folder_is_theirs) {
        return [=](const TempDir& d) {
            std::filesystem::create_directory(d / "geteilt");
            std::filesystem::permissions(d / "geteilt", std::filesystem::perms(01777));
            std::filesystem::create_symlink("../andere", d / "geteilt/sub");
            test_support::give_to_another_user(d / "geteilt/sub");
            if (folder_is_theirs) test_support::give_to_another_user(d / "geteilt");
            std::filesystem::remove(d / "fixpk_f1.dat");
            std::filesystem::create_symlink("geteilt/sub/mine", d / "fixpk_f1.dat");
        };
    };
    const std::string not_created = ": kann nicht angelegt werden: ";
    std::optional<test_support::HeldLock> lock;
    const Case cases[] = {
        {"log_is_a_folder",
         [](const TempDir& d) {
             std::filesystem::remove(d / "newto_f1.dat");
             std::filesystem::create_directory(d / "newto_f1.dat");
         },
         3, "quarlen: \"newto_f1.dat\"" + not_created, nullptr},
        {"log_is_a_socket",
         [](const TempDir& d) {
             std::filesystem::remove(d / "bisec_f1.dat");
             test_support::make_socket(d / "bisec_f1.dat");
         },
         3, "quarlen: \"bisec_f1.dat\"" + not_created + "No such device or address (ENXIO)\n",
         "newto_f1.dat"},
        {"log_on_a_full_device", link("/dev/full", "fixpk_f1.dat"), 3,
         "quarlen: \"fixpk_f1.dat\": kann nicht geschrieben werden: ", nullptr},
        {"stdout_on_a_full_device", [](const TempDir&) {}, 3,
         "quarlen: Standardausgabe: kann nicht geschrieben werden: ", nullptr, true},
        // One run per log: another run holds it, and it is left alone.
        {"log_written_by_another_run",
         [&lock](const TempDir& d) { lock.emplace(d / "newto_f1.dat"); }, 3,
         "quarlen: \"newto_f1.dat\": ein anderer Lauf schreibt gerade in diese Datei\n",
         "newto_f1.dat"},
        // konvergenz holds a shared lock while it reads a log.
        {"log_read_by_konvergenz",
         [&lock](const TempDir& d) { lock.emplace(d / "newto_f1.dat", true); }, 3,
         "quarlen: \"newto_f1.dat\": die Datei wird gerade gelesen, etwa von konvergenz\n",
         "newto_f1.dat"},
        // Only regular files are locked: two runs may both write to /dev/null.
        {"own_link_to_a_locked_device",
         [&lock](const TempDir& d) {
             std::filesystem::remove(d / "newto_f1.dat");
             std::filesystem::create_symlink("/dev/null", d / "newto_f1.dat");
             lock.emplace("/dev/null");
         },
         0, "", nullptr},
        {"own_link_into_another_folder", link("andere/mine", "fixpk_f1.dat"), 0, "", nullptr},
        {"link_of_another_user", others("newto_f1.dat", "mine"), 3,
         "quarlen: \"newto_f1.dat\"" + not_created +
             "symbolische Verknüpfung eines anderen Benutzers (uid 65534), ihr wird nicht "
             "gefolgt\n",
         "mine", false, true},
        {"link_of_another_user_to_a_new_file", others("bisec_f1.dat", "new"), 3,
         "quarlen: \"bisec_f1.dat\"" + not_created + "symbolische Verknüpfung", "newto_f1.dat",
         false, true},
        {"file_of_another_user_in_a_sticky_folder", others("fixpk_f1.dat", nullptr), 3,
         "quarlen: \"fixpk_f1.dat\"" + not_created +
             "Datei eines anderen Benutzers (uid 65534) in einem gemeinsamen Ordner mit "
             "Sticky-Bit, sie wird nicht überschrieben\n",
         "fixpk_f1.dat", false, true},
        // Refused before the wait for a reader begins.
        {"fifo_of_another_user_in_a_sticky_folder",
         [&others](const TempDir& d) {
             std::filesystem::remove(d / "newto_f1.dat");
             ::mkfifo((d / "newto_f1.dat").c_str(), 0666);
             others("newto_f1.dat", nullptr)(d);
         },
         3,
         "quarlen: \"newto_f1.dat\"" + not_created +
             "Datei eines anderen Benutzers (uid 65534) in einem gemeinsamen Ordner mit "
             "Sticky-Bit",
         nullptr, false, true},
        // Every link on the way counts, not only the one at the name.
        {"own_link_through_another_users_link_in_a_sticky_folder", through_shared_folder(false), 3,
         "quarlen: \"fixpk_f1.dat\"" + not_created +
             "\"geteilt/sub\": symbolische Verknüpfung eines anderen Benutzers (uid 65534), ihr wird nicht "
             "gefolgt\n",
         nullptr, false, true},
        {"own_link_into_another_folder_through_the_folder_owners_link",
         through_shared_folder(true), 0, "", nullptr, false, true},
        // Without the sticky bit, or when the folder is that user's, the file is written;
        // so it is in a sticky folder that only its owner may write, which is not shared.
        {"file_of_another_user_in_a_private_folder",
         [](const TempDir& d) { test_support::give_to_another_user(d / "fixpk_f1.dat"); }, 0, "",
         nullptr, false, true},
        {"file_of_another_user_in_a_sticky_folder_only_its_owner_writes",
         [](const TempDir& d) {
             test_support::give_to_another_user(d / "fixpk_f1.dat");
             std::filesystem::permissions(d.path(), std::filesystem::perms(01755));
         },
         0, "", nullptr, false, true},
        {"file_of_the_folders_owner_in_a_sticky_folder",
         [&others](const TempDir& d) {
             others("fixpk_f1.dat", nullptr)(d);
             test_support::give_to_another_user(d.path());
         },
         0, "", nullptr, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.another_user && ::geteuid() != 0) {
            std::cout << "skipped " << c.name << ": only root can act as another user\n";
            continue;
        }
        TempDir dir;
        for (const char* log : LOGS) write_file(dir / log, "X");
        write_file(dir / "mine", "X");
        std::filesystem::create_directory(dir / "andere");
        write_file(dir / "andere/mine", "X");
        c.prepare(dir);
        RunOptions options;
        if (c.stdout_full) options.stdout_path = "/dev/full";
        const RunResult r = quarlen(dir, "0\n10\n0\n4\n", options);
        lock.reset();
        EXPECT_EQ(r.exit_status, c.status);
        EXPECT_EQ(r.err.rfind(c.message, 0), 0u) << r.err;
        if (c.kept) {
            EXPECT_EQ(read_file(dir / c.kept), "X") << c.kept;
        }
        EXPECT_FALSE(std::filesystem::exists(dir / "new"));
        if (c.status == 0) {
            EXPECT_EQ(read_file(dir / "fixpk_f1.dat"), golden("fixpk_f1.dat"));
        }
        const bool linked_here =
            std::string_view(c.name).starts_with("own_link_into_another_folder");
        EXPECT_EQ(read_file(dir / "andere/mine"), linked_here ? golden("fixpk_f1.dat") : "X");
    }
}

TEST(Quarlen, GoldenRunsFromAnIndependentComputation)
{
    // Made by exact_reference.py in exact rational arithmetic, not by this program.
    struct Run {
        const char* folder;
        std::string err;
    };
    const Run runs[] = {
        {"negative_ends", ""},
        {"reversed_ends", ""},
        {"far_starts", ""},
        {"breakdowns",
         "quarlen: Bisektion in Schritt 0 zusammengebrochen: F(x) ist keine Zahl bei x = 5e+299\n"
         "quarlen: Newton-Verfahren ohne einen Schritt beendet: beim Startwert x = 1e+20 ergibt x "
         "+ 1 "
         "wieder x (ab |x| = 2^53), so dass der Test auf den Abstand zweier Iterierter schon vor "
         "dem "
         "ersten Schritt erfüllt ist\n"
         "quarlen: Fixpunktiteration in Schritt 1 zusammengebrochen: g(x) = Infinity bei x = "
         "Infinity\n"},
    };
    for (const Run& run : runs) {
        SCOPED_TRACE(run.folder);
        const std::string folder = std::string(run.folder) + "/";
        TempDir dir;
        const RunResult r = quarlen(dir, golden(folder + "input.txt"));
        EXPECT_EQ(std::to_string(r.exit_status) + "\n", golden(folder + "status.txt"));
        EXPECT_EQ(r.err, run.err);
        EXPECT_EQ(r.out, golden(folder + "stdout.txt"));
        for (const char* log : LOGS) EXPECT_EQ(read_file(dir / log), golden(folder + log)) << log;
    }
}

// The lines of `text` up to its last line end.
std::string whole_lines(const std::string& text) { return text.substr(0, text.rfind('\n') + 1); }

TEST(Quarlen, StopSignalDuringALongIteration)
{
    std::vector<StopSignal> stops(std::begin(STOP_SIGNALS), std::end(STOP_SIGNALS));
    stops.push_back({"ctrl_c_then_sigterm", SIGINT, 130, "unterbrochen", SIGTERM});
    // Standard output to a file, or with standard error to a pipe whose reader is slower
    // than the program (`quarlen 2>&1 | less`).
    for (const bool slow_pipe : {false, true}) {
        for (const StopSignal& stop : stops) {
            SCOPED_TRACE(std::string(stop.name) + (slow_pipe ? ", slow pipe" : ", file"));
            TempDir dir;
            bool sent = false;
            RunOptions options;
            if (slow_pipe) {
                options.stdout_read_rate = 4096;
                options.stderr_to_stdout = true;
            } else {
                options.stdout_path = dir / "stdout";
            }
            options.timeout = 60000ms;
            // Once the fixed-point log is well under way.
            options.while_running = [&](pid_t pid, test_support::milliseconds) {
                std::error_code no_file;
                if (!sent &&
                    std::filesystem::file_size(dir / "fixpk_f1.dat", no_file) > (1u << 20) &&
                    !no_file) {
                    ::kill(pid, stop.signal);
                    if (stop.then != 0) ::kill(pid, stop.then);
                    sent = true;
                }
            };
            const RunResult r = quarlen(dir, "0\n10\n0\n900\n", options);
            ASSERT_TRUE(sent) << "the run ended before it could be stopped";
            EXPECT_EQ(r.exit_status, stop.status);

            const std::string log = read_file(dir / "fixpk_f1.dat");
            const std::string records = log.substr(log.find('\n') + 1);
            ASSERT_FALSE(records.empty());
            EXPECT_EQ(whole_records(log), "");
            std::string shown = after_last_prompt(slow_pipe ? r.out : read_file(dir / "stdout"));
            // The message is the last line, never lost and never cut.
            const std::string err =
                slow_pipe ? shown.substr(whole_lines(shown.substr(0, shown.size() - 1)).size())
                          : r.err;
            shown.resize(shown.size() - (slow_pipe ? err.size() : 0));
            if (slow_pipe && stop.then != 0) {
                // A second signal: the reader gets whole records, as many as it took.
                EXPECT_EQ(records.compare(0, shown.size(), shown), 0);
                EXPECT_EQ(shown.size() % RECORD, 0u);
            } else {
                // The reader gets the very same records as the log.
                EXPECT_TRUE(shown == records)
                    << shown.size() << " bytes on stdout, " << records.size() << " in the log";
            }
            EXPECT_LT(records.size() / RECORD, 4059232u);
            // One message, counting the steps and naming the last one in the log.
            const std::size_t steps = records.size() / RECORD;
            EXPECT_EQ(err.rfind("quarlen: Fixpunktiteration " + stop.word + " nach " +
                                    std::to_string(steps) + " Schritten bei x = ",
                                0),
                      0u)
                << err;
            const std::string tail =
                "; letzter Schritt in \"fixpk_f1.dat\": " + std::to_string(steps - 1) + "\n";
            EXPECT_TRUE(err.ends_with(tail)) << err;
            EXPECT_EQ(lines_of(err).size(), 1u) << "one line: " << err;
        }
    }
}

TEST(Quarlen, StopSignalAtAPrompt)
{
    const std::string prompt = "Bitte Intervallgrenzen eingeben:\na= \n";
    for (const StopSignal& stop : STOP_SIGNALS) {
        SCOPED_TRACE(stop.name);
        TempDir dir;
        RunOptions options;
        options.close_input = false;
        options.stdout_path = dir / "stdout";
        bool prompt_shown = false;
        // The prompt reaches standard output (a file here, no terminal) before the program
        // waits for the line; only then is the signal sent.
        options.while_running = [&](pid_t pid, test_support::milliseconds) {
            std::error_code no_file;
            if (!prompt_shown &&
                std::filesystem::file_size(dir / "stdout", no_file) == prompt.size() &&
                read_file(dir / "stdout") == prompt) {
                prompt_shown = true;
                ::usleep(100000);  // well into the wait
                ::kill(pid, stop.signal);
            }
        };
        const RunResult r = quarlen(dir, "", options);
        EXPECT_FALSE(r.timed_out);
        EXPECT_TRUE(prompt_shown) << read_file(dir / "stdout");
        EXPECT_EQ(r.exit_status, stop.status);
        EXPECT_EQ(r.err, "quarlen: " + stop.word + "\n");
    }
}

TEST(Quarlen, StopSignalAtAPromptWhoseOutputWaits)
{
    // The input is all there, and the prompt's flush before a read waits on a pipe
    // nobody empties. The stop ends the run there: no further stage is started, so the
    // logs of an earlier run stay, and no FIFO at a log name is opened; a line waiting in
    // the input is not taken for an answer.
    struct Case {
        const char* name;
        std::string input;
        std::size_t read_first;  // of the full pipe, before the reader stops
        bool fifo;               // at bisec_f1.dat, without a reader
    };
    const Case cases[] = {
        {"at_the_first_prompt", "0\n10\n0\n4\n", 0, true},
        {"at_the_first_prompt_before_a_wrong_line", "abc\n", 0, true},
        // The first prompts fit; bisection's 351 steps do not, and "abc" is already read.
        {"after_bisection_before_a_wrong_line", "0\n1e100\nabc\n", 4096, false},
    };
    for (const Case& c : cases) {
        for (const StopSignal& stop : STOP_SIGNALS) {
            SCOPED_TRACE(std::string(c.name) + ", " + stop.name);
            TempDir dir;
            for (const char* log : LOGS) write_file(dir / log, "X");
            if (c.fifo) {
                std::filesystem::remove(dir / "bisec_f1.dat");
                ASSERT_EQ(::mkfifo((dir / "bisec_f1.dat").c_str(), 0600), 0);
            }
            RunOptions options;
            options.stdout_full_at_start = true;
            options.stdout_limit = c.read_first;
            options.stall_stdout = true;
            options.while_running = [&, sent = false](pid_t pid,
                                                      test_support::milliseconds elapsed) mutable {
                if (!sent && elapsed > 300ms) sent = ::kill(pid, stop.signal) == 0;
            };
            const RunResult r = quarlen(dir, c.input, options);
            EXPECT_FALSE(r.timed_out);
            EXPECT_EQ(r.exit_status, stop.status);
            EXPECT_EQ(r.err, "quarlen: " + stop.word + "\n");
            EXPECT_EQ(std::filesystem::is_fifo(dir / "bisec_f1.dat"), c.fifo);
            for (const char* log : {"newto_f1.dat", "fixpk_f1.dat"})
                EXPECT_EQ(read_file(dir / log), "X") << log;
        }
    }
}

TEST(Quarlen, IgnoredStopSignalsStayIgnored)
{
    // A shell starts background jobs with SIGINT ignored, nohup ignores SIGHUP: the run
    // then goes on to its end.
    for (const StopSignal& stop : STOP_SIGNALS) {
        SCOPED_TRACE(stop.name);
        TempDir dir;
        test_support::PtySession terminal(QUARLEN_PATH, dir.path(), {stop.signal});
        ASSERT_TRUE(terminal.expect("a= ")) << terminal.screen();
        if (stop.signal == SIGINT) {
            terminal.send("\x03");  // Ctrl-C typed at the terminal
            ASSERT_TRUE(terminal.expect("^C")) << terminal.screen();
        }
        ::kill(terminal.pid(), stop.signal);
        terminal.send("0\n10\n0\n4\n");
        EXPECT_EQ(terminal.wait(), 0) << terminal.screen();
        for (const char* log : LOGS) EXPECT_EQ(read_file(dir / log), golden(log)) << log;
    }
}

// In a real terminal a shell leads the session: closing the terminal sends SIGHUP to the
// shell, and the program hears of it first as failed writes or the end of its input. The
// shell here traps SIGHUP and passes nothing on, so that is all the program gets.
std::filesystem::path under_a_shell(const TempDir& dir)
{
    const auto script = dir / "terminal_shell";
    write_file(script, std::string("#!/bin/sh\ntrap 'echo hup > shell_hup' HUP\n\"") +
                           QUARLEN_PATH + "\"\necho $? > status\n");
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    return script;
}

TEST(Quarlen, TerminalClosed)
{
    struct Case {
        const char* name;
        bool under_a_shell;
        bool iterating;  // else at the first prompt
    };
    const Case cases[] = {
        {"at_a_prompt", false, false},
        {"during_an_iteration", false, true},
        {"at_a_prompt_under_a_shell", true, false},
        {"during_an_iteration_under_a_shell", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        test_support::PtySession terminal(
            c.under_a_shell ? under_a_shell(dir).string() : QUARLEN_PATH, dir.path());
        ASSERT_TRUE(terminal.expect("a= ")) << terminal.screen();
        if (c.iterating) {
            terminal.send("0\n10\n0\n900\n");
            ASSERT_TRUE(terminal.expect("        100   8.9", 0, 60000ms))
                << terminal.screen().substr(0, 2000);
        }
        terminal.hang_up();
        const int status = terminal.wait(60000ms);
        if (c.under_a_shell) {
            EXPECT_EQ(status, 0) << "the shell ended by signal " << terminal.end_signal();
            EXPECT_EQ(read_file(dir / "status"), "129\n");
        } else {
            EXPECT_EQ(status, 129) << "ended by signal " << terminal.end_signal();
        }
        if (c.iterating) {
            const std::string log = read_file(dir / "fixpk_f1.dat");
            EXPECT_EQ(whole_records(log), "");
            EXPECT_GT(records_in(log), 100u);
        }
    }
}

TEST(Quarlen, StandardOutputClosedEarly)
{
    // As `quarlen | head -1` and `quarlen | head -c 300000`: the reader goes away, and the
    // run ends quietly as Unix tools do, with 128 + SIGPIPE, its logs written out.
    for (const std::size_t limit : {std::size_t{33}, std::size_t{300000}}) {
        SCOPED_TRACE(limit);
        TempDir dir;
        RunOptions options;
        options.stdout_limit = limit;
        options.timeout = 60000ms;
        const RunResult r = quarlen(dir, "0\n10\n0\n300\n", options);
        EXPECT_EQ(r.signal, 0);
        EXPECT_EQ(r.exit_status, 141);
        EXPECT_EQ(r.err, "");
        for (const char* log : LOGS) {
            std::error_code missing;
            if (std::filesystem::exists(dir / log, missing)) {
                EXPECT_EQ(whole_records(read_file(dir / log)), "") << log;
            }
        }
        if (limit > 100000) {
            // The log was written out: it holds every record the console got, and more.
            const std::string log = read_file(dir / "fixpk_f1.dat");
            const std::string shown = after_last_prompt(r.out);
            const std::string records = log.substr(log.find('\n') + 1);
            EXPECT_GT(records.size(), shown.size());
            EXPECT_EQ(records.compare(0, shown.size(), shown), 0);
        }
    }
}

TEST(Quarlen, CtrlCWhileStandardOutputIsAFullPipe)
{
    struct Case {
        const char* name;
        const char* input;
        // When the pipe has long been full: once the fixed-point log has this many bytes.
        std::uintmax_t log_size;
        std::size_t read_first;  // what the reader takes before it stops
    };
    const Case cases[] = {
        // Twice, as an impatient person does, while the iteration waits.
        {"during_the_iteration", "0\n10\n0\n900\n", 1, 0},
        // 1505 records, the first 1057 in one block at 1678 bytes: the pipe takes the
        // 50,000 bytes up to that block's end that the reader leaves, but not the 448
        // records end() writes out.
        {"while_the_end_writes_it_out", "0\n10\n0\n15\n", 37 + 1505 * RECORD,
         1678 + 1057 * RECORD - 50000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        RunOptions options;
        options.stdout_limit = c.read_first;  // then nobody reads: the pipe fills, a write waits
        options.stall_stdout = true;
        options.timeout = 30000ms;
        int sent = 0;
        std::optional<test_support::milliseconds> log_seen;
        options.while_running = [&](pid_t pid, test_support::milliseconds elapsed) {
            std::error_code no_file;
            if (!log_seen &&
                std::filesystem::file_size(dir / "fixpk_f1.dat", no_file) >= c.log_size && !no_file)
                log_seen = elapsed;
            if (log_seen && sent < 2 && elapsed > *log_seen + (sent + 1) * 500ms) {
                ::kill(pid, SIGINT);
                ++sent;
            }
        };
        const RunResult r = quarlen(dir, c.input, options);
        EXPECT_FALSE(r.timed_out);
        EXPECT_GE(sent, 1);
        EXPECT_EQ(r.exit_status, 130);
        const std::string log = read_file(dir / "fixpk_f1.dat");
        EXPECT_EQ(whole_records(log), "");
        ASSERT_GT(records_in(log), 0u);
        if (c.log_size > 1) {
            EXPECT_EQ(r.err, "quarlen: unterbrochen\n");
        } else {
            EXPECT_TRUE(r.err.ends_with("; letzter Schritt in \"fixpk_f1.dat\": " +
                                        std::to_string(records_in(log) - 1) + "\n"))
                << r.err;
        }
    }
}

TEST(Quarlen, NonBlockingOutputIsWaitedOn)
{
    // As node.js hands over its pipes, with a reader slower than the program.
    TempDir dir;
    RunOptions options;
    options.nonblocking_output = true;
    options.stdout_read_rate = 4096;
    const RunResult r = quarlen(dir, "0\n10\n0\n18\n", options);
    EXPECT_EQ(r.exit_status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const std::string log = read_file(dir / "fixpk_f1.dat");
    EXPECT_EQ(records_in(log), 2030u);
    EXPECT_TRUE(after_last_prompt(r.out) == log.substr(log.find('\n') + 1));
}

TEST(Quarlen, LogOnAFullDisk)
{
    // A limit on the file size stands in for a full disk: a write beyond it fails part-way.
    struct Case {
        const char* name;
        long limit;
        const char* log;
    };
    const Case cases[] = {
        {"inside_the_first_header", 20, "bisec_f1.dat"},
        {"inside_a_record_after_the_first_block", 100000, "fixpk_f1.dat"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        RunOptions options;
        options.file_size_limit = c.limit;
        const RunResult r = quarlen(dir, "0\n10\n0\n300\n", options);
        EXPECT_EQ(r.exit_status, 3);
        EXPECT_EQ(r.err, "quarlen: \"" + std::string(c.log) +
                             "\": kann nicht geschrieben werden: Datei zu groß\n");
        // Cut back to the last whole record, which is all that fitted.
        const std::string log = read_file(dir / c.log);
        EXPECT_EQ(whole_records(log), "");
        EXPECT_LE(log.size(), static_cast<std::size_t>(c.limit));
        EXPECT_GT(log.size() + RECORD, static_cast<std::size_t>(c.limit));
    }
}

TEST(Quarlen, ClosedStandardDescriptors)
{
    // Started with 0, 1 or 2 closed, the program must not take a log for one of them.
    struct Case {
        const char* name;
        int fd;
        std::string input;
        int status;
        std::string err;
    };
    const Case cases[] = {
        {"stdin", 0, "", 2, "quarlen: Eingabe zu Ende, bevor eine Zahl gelesen wurde\n"},
        {"stdout", 1, "0\n10\n0\n4\n", 0, ""},
        {"stderr", 2, "0\n10\n0\n-1\n", 1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        RunOptions options;
        options.closed_descriptors = {c.fd};
        const RunResult r = quarlen(dir, c.input, options);
        EXPECT_EQ(r.exit_status, c.status);
        EXPECT_EQ(r.err, c.err);
        if (c.fd == 1) {
            EXPECT_EQ(r.out, "");
        }
        if (c.status != 2) {
            EXPECT_EQ(read_file(dir / "bisec_f1.dat"), golden("bisec_f1.dat"));
            EXPECT_EQ(read_file(dir / "newto_f1.dat"), golden("newto_f1.dat"));
        }
    }
}

TEST(Quarlen, FifoAtALogName)
{
    // With a reader the FIFO serves as the log.
    {
        TempDir dir;
        const auto fifo = dir / "newto_f1.dat";
        ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
        std::string received;
        std::atomic<bool> opened = false;
        std::thread reader([&] {
            const int fd = ::open(fifo.c_str(), O_RDONLY);
            opened = true;
            char chunk[4096];
            for (ssize_t n; (n = ::read(fd, chunk, sizeof chunk)) > 0;)
                received.append(chunk, static_cast<std::size_t>(n));
            ::close(fd);
        });
        const RunResult r = quarlen(dir, "0\n10\n0\n4\n");
        if (!opened) ::close(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK));  // lets the reader go
        reader.join();
        EXPECT_EQ(r.exit_status, 0) << r.err;
        EXPECT_EQ(received, golden("newto_f1.dat"));
        EXPECT_EQ(read_file(dir / "fixpk_f1.dat"), golden("fixpk_f1.dat"));
    }
    // A reader slower than the program, which after the stop reads on or takes nothing
    // more until the program has ended: the log's writes wait for it, but not past a
    // stop signal for a reader that takes nothing, and the message names the last step
    // the reader got whole.
    for (const bool reads_on : {true, false}) {
        SCOPED_TRACE(reads_on ? "reads on" : "takes nothing more");
        TempDir dir;
        const auto fifo = dir / "fixpk_f1.dat";
        ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
        std::atomic<bool> stalled = false;
        std::string received;
        std::thread reader([&] {
            const int fd = ::open(fifo.c_str(), O_RDONLY);
            char chunk[4096];
            for (;;) {
                if (stalled) {
                    ::usleep(10000);
                    continue;
                }
                const ssize_t n = ::read(fd, chunk, sizeof chunk);
                if (n <= 0) break;
                received.append(chunk, static_cast<std::size_t>(n));
                ::usleep(5000);
            }
            ::close(fd);
        });
        RunOptions options;
        options.timeout = 30000ms;
        std::optional<test_support::milliseconds> newton_done;
        options.while_running = [&, sent = false](pid_t pid,
                                                  test_support::milliseconds elapsed) mutable {
            std::error_code no_file;
            if (!newton_done && std::filesystem::file_size(dir / "newto_f1.dat", no_file) ==
                                    golden("newto_f1.dat").size())
                newton_done = elapsed;
            if (!sent && newton_done && elapsed > *newton_done + 500ms) {
                stalled = !reads_on;
                sent = ::kill(pid, SIGTERM) == 0;
            }
        };
        const RunResult r = quarlen(dir, "0\n10\n0\n900\n", options);
        stalled = false;  // what is left in the FIFO is read now
        if (!std::filesystem::exists(dir / "newto_f1.dat")) {
            ::close(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK));  // lets the reader go
        }
        reader.join();
        EXPECT_FALSE(r.timed_out);
        EXPECT_EQ(r.exit_status, 143);
        EXPECT_EQ(r.err.rfind("quarlen: Fixpunktiteration unterbrochen (SIGTERM) nach ", 0), 0u)
            << r.err;
        const std::string got = whole_lines(received);
        ASSERT_GT(records_in(got), 0u);
        EXPECT_EQ(whole_records(got), "");
        const std::string last =
            "; letzter Schritt in \"fixpk_f1.dat\": " + std::to_string(records_in(got) - 1) + "\n";
        EXPECT_TRUE(r.err.ends_with(last)) << r.err << "the reader got " << records_in(got);
        if (reads_on) {
            EXPECT_EQ(received, got) << "a cut line";
            EXPECT_NE(r.err.find(" nach " + std::to_string(records_in(got)) + " Schritten "),
                      std::string::npos)
                << r.err << "the reader got " << records_in(got);
        }
    }
    // Without one, a stop signal still ends the wait.
    for (const StopSignal& stop : STOP_SIGNALS) {
        SCOPED_TRACE(stop.name);
        TempDir dir;
        ASSERT_EQ(::mkfifo((dir / "bisec_f1.dat").c_str(), 0600), 0);
        RunOptions options;
        options.while_running = [&, sent = false](pid_t pid,
                                                  test_support::milliseconds elapsed) mutable {
            if (!sent && elapsed > 300ms) sent = ::kill(pid, stop.signal) == 0;
        };
        const RunResult r = quarlen(dir, "0\n10\n0\n4\n", options);
        EXPECT_FALSE(r.timed_out);
        EXPECT_EQ(r.exit_status, stop.status);
        EXPECT_EQ(r.err,
                  "quarlen: \"bisec_f1.dat\": " + stop.word + " beim Warten auf einen Leser\n");
    }
}

TEST(Quarlen, PromptsComeBeforeMessages)
{
    TempDir dir;
    RunOptions options;
    options.stderr_to_stdout = true;
    const RunResult r = quarlen(dir, "0\nzehn\n", options);
    EXPECT_EQ(r.out, "Bitte Intervallgrenzen eingeben:\na= \nb= \nquarlen: keine Zahl: \"zehn\"" +
                         NOT_A_NUMBER_TAIL);
}

// ---------------------------------------------------------------- --verfahren

TEST(Verfahren, GoldenRunsFromAnIndependentComputation)
{
    // Made by exact_methods.py in exact rational arithmetic, not by this program. Each
    // folder names the stages, in their order, and any further options, and holds the
    // logs of those stages alone.
    struct Run {
        const char* folder;
        std::string err;
    };
    const Run runs[] = {
        {"sieben", ""},
        {"typisch", ""},
        {"eigenart", ""},
        {"ohne_vorzeichenwechsel", ""},
        {"zusammenbrueche",
         "quarlen: Regula falsi in Schritt 0 zusammengebrochen: die Sehne durch (5, 100) und "
         "(5, 100) ergibt x = NaN\n"
         "quarlen: Illinois-Verfahren in Schritt 0 zusammengebrochen: die Sehne durch (5, 100) und "
         "(5, 100) ergibt x = NaN\n"
         "quarlen: Sekantenverfahren in Schritt 0 zusammengebrochen: der Schritt von x0 = 1e+103, "
         "x1 = 2e+103 mit F(x0) = Infinity, F(x1) = Infinity führt auf NaN\n"
         "quarlen: Steffensen-Verfahren in Schritt 0 zusammengebrochen: der Schritt von x = -1 mit "
         "g(x) = -Infinity, g(g(x)) = NaN führt auf NaN\n"},
        {"ohne_schritt",
         "quarlen: Sekantenverfahren ohne einen Schritt beendet: die Startwerte x0 = 4 und x1 = "
         "4.00005 liegen nicht weiter als die Toleranz auseinander, so dass der Test auf den "
         "Abstand zweier Iterierter schon vor dem ersten Schritt erfüllt ist\n"},
        // The four methods on a typed f, with a tolerance of its own.
        {"getippt", ""},
    };
    for (const Run& run : runs) {
        SCOPED_TRACE(run.folder);
        const std::string folder = std::string("verfahren/") + run.folder + "/";
        TempDir dir;
        // Logs from an earlier run: those of the stages not chosen stay as they were.
        for (const char* log : ALL_LOGS) write_file(dir / log, "X");
        const RunResult r =
            quarlen(dir, golden(folder + "input.txt"), with_args(verfahren_args(folder)));
        EXPECT_EQ(std::to_string(r.exit_status) + "\n", golden(folder + "status.txt"));
        EXPECT_EQ(r.err, run.err);
        EXPECT_EQ(r.out, golden(folder + "stdout.txt"));
        for (const char* log : ALL_LOGS) {
            EXPECT_EQ(read_file(dir / log),
                      golden_exists(folder + log) ? golden(folder + log) : "X")
                << log;
        }
    }
}

TEST(Verfahren, TheDefaultListGivesTodaysRun)
{
    const std::vector<std::vector<std::string>> calls = {
        {"-m", "bisektion,newton,fixpunkt"},
        {"-mbisektion,newton,fixpunkt"},
        {"--verfahren=bisektion,newton,fixpunkt"},
        {"--verf", "bisektion,newton,fixpunkt"},
        {"-m", "steffensen", "--verfahren", "bisektion,newton,fixpunkt", "--"},
    };
    for (const std::vector<std::string>& args : calls) {
        SCOPED_TRACE(args.front());
        TempDir dir;
        const RunResult r = quarlen(dir, "0\n10\n0\n4\n", with_args(args));
        EXPECT_EQ(r.exit_status, 0);
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(r.out, golden("stdout.txt"));
        for (const char* log : ALL_LOGS) {
            const bool written =
                std::find(std::begin(LOGS), std::end(LOGS), std::string(log)) != std::end(LOGS);
            EXPECT_EQ(std::filesystem::exists(dir / log), written) << log;
            if (written) {
                EXPECT_EQ(read_file(dir / log), golden(log)) << log;
            }
        }
    }
}

// At a terminal, a run of other methods than the default ones names each method before
// its prompts and steps, and ends each with its result line, with a word where it did not
// converge. Through a pipe the same runs are the golden ones above, without either.
TEST(Verfahren, AtATerminalEachMethodIsNamedAndEndsWithItsResult)
{
    TempDir dir;
    test_support::PtySession terminal(QUARLEN_PATH, dir.path(), {},
                                      {"-m", "newton,sekante,fixpunkt,steffensen", "-n", "6"});
    // Newton's and the secant method's last iterates follow their logs' last steps; those
    // of the fixed point and Steffensen's method are the golden run's.
    const struct {
        std::string shown;
        const char* typed;
    } dialogue[] = {
        {"Newton-Verfahren\r\nBitte Startwert eingeben\r\n", "0\n"},
        {"   4.1467235805476683e+00          4\r\nSekantenverfahren\r\n"
         "Bitte zwei Startwerte eingeben:\r\nx0= ",
         "0\n"},
        {"x1= ", "10\n"},
        {"   4.1467235813408463e+00          6\r\nFixpunktiteration\r\nBitte Startwert "
         "eingeben\r\n",
         "0\n"},
        {"   1.9536634012256986e+00          6 angehalten\r\nSteffensen-Verfahren\r\n", ""},
        {"   3.8894975672697494e+00          6\r\n", ""},
    };
    std::size_t mark = 0;
    for (const auto& [shown, typed] : dialogue) {
        ASSERT_TRUE(terminal.expect(shown, mark)) << terminal.screen();
        mark = terminal.screen().find(shown, mark) + shown.size();
        terminal.send(typed);
    }
    EXPECT_EQ(terminal.wait(), 1) << terminal.screen();
    EXPECT_EQ(read_file(dir / "steff_f1.dat"), golden("verfahren/sieben/steff_f1.dat"));
}

TEST(Verfahren, BadListIsRefusedBeforeAnythingIsAskedOrWritten)
{
    const std::string known = " (bekannt: bisektion, regula-falsi, illinois, newton, sekante, "
                              "fixpunkt, steffensen)\n";
    struct Case {
        const char* name;
        std::vector<std::string> args;
        std::string err;
    };
    const Case cases[] = {
        {"unknown",
         {"-m", "newton,halbierung"},
         "quarlen: --verfahren: unbekanntes Verfahren \"halbierung\"" + known},
        {"upper_case",
         {"-m", "Newton"},
         "quarlen: --verfahren: unbekanntes Verfahren \"Newton\"" + known},
        {"blank",
         {"-m", "newton, sekante"},
         "quarlen: --verfahren: unbekanntes Verfahren \" sekante\"" + known},
        {"empty", {"--verfahren="}, "quarlen: --verfahren: die Liste ist leer" + known},
        {"repeated",
         {"-m", "newton,sekante,newton"},
         "quarlen: --verfahren: \"newton\" steht zweimal in der Liste\n"},
        {"missing_name",
         {"-m", "newton,,sekante"},
         "quarlen: --verfahren: ein Name fehlt in der Liste \"newton,,sekante\"\n"},
        {"trailing_comma",
         {"-m", "newton,"},
         "quarlen: --verfahren: ein Name fehlt in der Liste \"newton,\"\n"},
        {"leading_comma",
         {"-m", ",newton"},
         "quarlen: --verfahren: ein Name fehlt in der Liste \",newton\"\n"},
        {"no_value", {"-m"}, "quarlen: fehlender Wert zu \"-m\" (Hilfe: quarlen --help)\n"},
        {"no_value_long",
         {"--verfahren"},
         "quarlen: fehlender Wert zu \"--verfahren\" (Hilfe: quarlen --help)\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const RunResult r = quarlen(dir, "0\n10\n0\n4\n", with_args(c.args));
        EXPECT_EQ(r.exit_status, 2);
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(r.out, "");
        EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
    }
}

TEST(Quarlen, PersonAtATerminalIsAskedAgain)
{
    TempDir dir;
    test_support::PtySession terminal(QUARLEN_PATH, dir.path());
    ASSERT_TRUE(terminal.expect("a= ")) << terminal.screen();
    std::size_t mark = terminal.screen().size();
    terminal.send("abc\n");
    ASSERT_TRUE(terminal.expect("quarlen: keine Zahl: \"abc\"", mark)) << terminal.screen();
    ASSERT_TRUE(terminal.expect("a= ", terminal.screen().find("keine Zahl"))) << terminal.screen();
    mark = terminal.screen().size();
    terminal.send("1e999\n");
    ASSERT_TRUE(terminal.expect("Bereichs", mark)) << terminal.screen();
    ASSERT_TRUE(terminal.expect("a= ", terminal.screen().find("Bereichs"))) << terminal.screen();
    terminal.send("0\n");
    ASSERT_TRUE(terminal.expect("b= ")) << terminal.screen();
    terminal.send("10\n");
    ASSERT_TRUE(terminal.expect("Bitte Startwert eingeben")) << terminal.screen();
    terminal.send("0\n4\n");
    EXPECT_EQ(terminal.wait(), 0) << terminal.screen();
    for (const char* log : LOGS) EXPECT_EQ(read_file(dir / log), golden(log)) << log;
    // The default methods are not named, at a terminal either.
    EXPECT_EQ(terminal.screen().find("Bisektion"), std::string::npos) << terminal.screen();
}

}  // namespace
