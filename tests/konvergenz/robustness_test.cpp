// konvergenz in hostile surroundings: chart paths that are links, pipes or sockets, a
// temporary name someone else has taken, a failing disk, a standard output that is
// full, gone or closed, logs that are no files, stop signals while it waits, and logs
// left over from an earlier run.
#include "app.hpp"
#include "log_reader.hpp"
#include "options.hpp"
#include "quarlen_log.hpp"
#include "tests/support/other_users.hpp"

#include <gtest/gtest.h>

#include <iostream>

#include <array>
#include <chrono>
#include <cmath>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace konvergenz {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;
using test_support::read_file;
using test_support::TempDir;
using test_support::write_file;

bool contains(const std::string& text, std::string_view part)
{
    return text.find(part) != std::string::npos;
}

void write_logs(const fs::path& folder)
{
    test::write_log(folder / "bisec_f1.dat", "Ausgangswerte - a= 0, b= 10\n",
                    {{0, 5, 100}, {1, 2.5, -50}});
    test::write_log(folder / "newto_f1.dat", "Startwert= 0\n", {{0, 0, -400}, {1, 4, -16}});
    test::write_log(folder / "fixpk_f1.dat", "Startwert= 4\n", {{0, 4, 3.9}, {1, 3.9, 3.85}});
}

bool is_chart(const fs::path& path)
{
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return false;
    const std::string text = read_file(path);
    return text.starts_with("<?xml") && text.ends_with("</svg>\n");
}

std::vector<fs::path> temporary_files(const fs::path& folder)
{
    std::vector<fs::path> found;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.path().string().ends_with(".tmp") && !entry.is_symlink()) found.push_back(entry);
    }
    return found;
}

struct Outcome {
    int status;
    std::string out, err;
};

Outcome run_in_process(const fs::path& folder, std::optional<fs::path> chart = std::nullopt)
{
    Options options;
    options.folder = folder;
    options.output = std::move(chart);
    std::ostringstream out, err;
    const int status = run(options, out, err);
    return {status, out.str(), err.str()};
}

// ---- konvergenz as a child process, with any standard output, a shim, and signals ----

struct Launch {
    std::vector<std::string> args;
    enum class Output { file, descriptor, closed } output = Output::file;
    int stdout_fd = -1;                       // for Output::descriptor
    std::string shim;                         // IO_SHIM for the preloaded shim; "": none
    std::function<void(pid_t)> before_start;  // the child waits until this returns
    std::function<void(pid_t)> while_running;
    milliseconds timeout{10000};
    std::optional<long> file_size_limit;  // ulimit -f, in bytes
};

struct Ended {
    int status = -1;  // exit status, or -1 if it ended by a signal
    int signal = 0;
    bool timed_out = false;
    milliseconds took{};
    long peak_memory_kib = 0;
    std::string out, err;
};

std::vector<std::string> environment_for(const std::string& shim)
{
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string_view variable = *entry;
        if (!shim.empty() &&
            (variable.starts_with("LD_PRELOAD=") || variable.starts_with("ASAN_OPTIONS=")))
            continue;
        environment.emplace_back(variable);
    }
    if (!shim.empty()) {
        environment.push_back(std::string("LD_PRELOAD=") + IO_SHIM_LIB);
        environment.push_back("IO_SHIM=" + shim);
        // The sanitizers' run-time wants to come first; the shim must.
        const char* asan = std::getenv("ASAN_OPTIONS");
        environment.push_back(std::string("ASAN_OPTIONS=") + (asan ? asan : "") +
                              ":verify_asan_link_order=0");
    }
    return environment;
}

Ended konvergenz_in(const fs::path& folder, const Launch& how)
{
    const TempDir streams;
    const std::string out_path = (streams / "out").string();
    const std::string err_path = (streams / "err").string();
    std::vector<std::string> arguments{KONVERGENZ_EXE};
    arguments.insert(arguments.end(), how.args.begin(), how.args.end());
    std::vector<std::string> environment = environment_for(how.shim);
    std::vector<char*> argv, envp;
    for (std::string& a : arguments) argv.push_back(a.data());
    for (std::string& e : environment) envp.push_back(e.data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);

    int go[2];
    if (::pipe2(go, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
    const pid_t pid = ::fork();
    if (pid == 0) {
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        for (const int s : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) std::signal(s, SIG_DFL);
        char byte;
        ::close(go[1]);
        if (::read(go[0], &byte, 1) < 0) _exit(125);
        ::dup2(::open("/dev/null", O_RDONLY | O_CLOEXEC), 0);
        ::dup2(::open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600), 2);
        if (how.output == Launch::Output::file) {
            ::dup2(::open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600), 1);
        } else if (how.output == Launch::Output::descriptor) {
            ::dup2(how.stdout_fd, 1);
        } else {
            ::close(1);
        }
        if (how.file_size_limit) {
            const rlimit limit{static_cast<rlim_t>(*how.file_size_limit),
                               static_cast<rlim_t>(*how.file_size_limit)};
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(125);
        }
        if (::chdir(folder.c_str()) != 0) _exit(126);
        ::execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    ::close(go[0]);
    if (how.before_start) how.before_start(pid);
    ::close(go[1]);

    Ended ended;
    const auto start = std::chrono::steady_clock::now();
    int status = 0;
    rusage usage{};
    while (::wait4(pid, &status, WNOHANG, &usage) != pid) {
        ended.took =
            std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - start);
        if (ended.took > how.timeout && !ended.timed_out) {
            ::kill(pid, SIGKILL);
            ended.timed_out = true;
        }
        if (how.while_running) how.while_running(pid);
        std::this_thread::sleep_for(milliseconds{2});
    }
    ended.took = std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - start);
    ended.peak_memory_kib = usage.ru_maxrss;
    if (WIFEXITED(status)) ended.status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) ended.signal = WTERMSIG(status);
    if (fs::exists(out_path)) ended.out = read_file(out_path);
    ended.err = read_file(err_path);
    return ended;
}

std::string describe(const Ended& e)
{
    return "status " + std::to_string(e.status) + ", signal " + std::to_string(e.signal) +
           (e.timed_out ? ", timed out" : "") + ", stderr: " + e.err;
}

// ---- the chart file ----

using test_support::make_socket;

TEST(ChartPath, LinksAreFollowedAndWhatIsNoRegularFileIsLeftAsItIs)
{
    struct Case {
        const char* name;
        std::function<void(const fs::path&)> prepare;  // in a folder with the logs and andere/
        std::string chart;                             // the -o path, in that folder
        int status;
        const char* message;  // "" for none
        std::function<void(const fs::path&)> check;
        bool table_printed = false;            // the chart failed only after the logs were read
        const char* working_folder = nullptr;  // where konvergenz runs; default: here
        bool another_user = false;             // needs root, to give a file or link to another user
        const char* logs = nullptr;  // -d, in that folder, with the chart at its default path
    };
    const std::string long_name = std::string(251, 'n') + ".svg";
    // A folder like /tmp, geteilt, holding sub: another user's link to `to`; or that
    // user's own folder.
    const auto shared_folder_with_link = [](const char* to, bool folder_is_theirs) {
        return [=](const fs::path& d) {
            fs::create_directory(d / "geteilt");
            fs::permissions(d / "geteilt", fs::perms(01777));
            fs::create_symlink(to, d / "geteilt/sub");
            test_support::give_to_another_user(d / "geteilt/sub");
            if (folder_is_theirs) test_support::give_to_another_user(d / "geteilt");
        };
    };

    const Case cases[] = {
        {"a link to a chart in another folder",
         [](const fs::path& d) {
             write_file(d / "andere/ziel.svg", "alt");
             fs::create_symlink("andere/ziel.svg", d / "k.svg");
         },
         "k.svg", exit_ok, "",
         [](const fs::path& d) {
             EXPECT_TRUE(fs::is_symlink(d / "k.svg"));
             EXPECT_TRUE(is_chart(d / "andere/ziel.svg"));
         }},
        {"the user's own link to a folder on the way",
         [](const fs::path& d) { fs::create_symlink("andere", d / "zu"); }, "zu/k.svg", exit_ok,
         "", [](const fs::path& d) { EXPECT_TRUE(is_chart(d / "andere/k.svg")); }},
        {"a chain of links to a file yet to be made",
         [](const fs::path& d) {
             fs::create_symlink("l2", d / "k.svg");
             fs::create_symlink(d / "andere/neu.svg", d / "l2");
         },
         "k.svg", exit_ok, "",
         [](const fs::path& d) {
             EXPECT_TRUE(fs::is_symlink(d / "k.svg") && fs::is_symlink(d / "l2"));
             EXPECT_TRUE(is_chart(d / "andere/neu.svg"));
         }},
        {"a FIFO", [](const fs::path& d) { ::mkfifo((d / "k.svg").c_str(), 0600); }, "k.svg",
         exit_write_failed, "k.svg\" lässt sich nicht schreiben: es ist eine benannte Pipe (FIFO)",
         [](const fs::path& d) { EXPECT_TRUE(fs::is_fifo(d / "k.svg")); }},
        {"a socket", [](const fs::path& d) { make_socket(d / "k.svg"); }, "k.svg",
         exit_write_failed, "k.svg\" lässt sich nicht schreiben: es ist ein Socket",
         [](const fs::path& d) { EXPECT_TRUE(fs::is_socket(d / "k.svg")); }},
        {"a link to a FIFO",
         [](const fs::path& d) {
             ::mkfifo((d / "andere/fifo").c_str(), 0600);
             fs::create_symlink("andere/fifo", d / "k.svg");
         },
         "k.svg", exit_write_failed, "andere/fifo\" ist eine benannte Pipe (FIFO)",
         [](const fs::path& d) {
             EXPECT_TRUE(fs::is_symlink(d / "k.svg"));
             EXPECT_TRUE(fs::is_fifo(d / "andere/fifo"));
         }},
        {"a link loop", [](const fs::path& d) { fs::create_symlink("k.svg", d / "k.svg"); },
         "k.svg", exit_write_failed, "zu viele Ebenen symbolischer Verknüpfungen",
         [](const fs::path& d) { EXPECT_TRUE(fs::is_symlink(d / "k.svg")); }},
        // The folders on the way are walked before the logs are read.
        {"a link into a missing folder",
         [](const fs::path& d) { fs::create_symlink("fehlt/k.svg", d / "k.svg"); }, "k.svg",
         exit_write_failed, "k.svg\" lässt sich nicht schreiben: Datei oder Ordner nicht vorhanden",
         [](const fs::path& d) { EXPECT_TRUE(fs::is_symlink(d / "k.svg")); }},
        {"a file where a folder should be", [](const fs::path& d) { write_file(d / "f", "x"); },
         "f/k.svg", exit_write_failed, "ein Teil des Pfades ist kein Ordner",
         [](const fs::path& d) { EXPECT_EQ(read_file(d / "f"), "x"); }},
        {"a name of 255 bytes", [](const fs::path&) {}, long_name, exit_ok, "",
         [long_name](const fs::path& d) { EXPECT_TRUE(is_chart(d / long_name)); }},
        // The temporary file is made beside the chart, not in a working folder nobody
        // may write to.
        {"run in /proc", [](const fs::path&) {}, "konvergenz.svg", exit_ok, "",
         [](const fs::path& d) { EXPECT_TRUE(is_chart(d / "konvergenz.svg")); }, false, "/proc"},
        {"a link of another user",
         [](const fs::path& d) {
             write_file(d / "andere/ziel.svg", "alt");
             fs::create_symlink("andere/ziel.svg", d / "k.svg");
             test_support::give_to_another_user(d / "k.svg");
         },
         "k.svg", exit_write_failed,
         "k.svg\" lässt sich nicht schreiben: symbolische Verknüpfung eines anderen Benutzers "
         "(uid 65534), ihr wird nicht gefolgt",
         [](const fs::path& d) { EXPECT_EQ(read_file(d / "andere/ziel.svg"), "alt"); }, false,
         nullptr, true},
        {"another user's chart in a sticky folder",
         [](const fs::path& d) {
             write_file(d / "k.svg", "alt");
             test_support::give_to_another_user(d / "k.svg");
             fs::permissions(d, fs::perms(01777));
         },
         "k.svg", exit_write_failed,
         "k.svg\" lässt sich nicht schreiben: Datei eines anderen Benutzers (uid 65534) in einem "
         "gemeinsamen Ordner mit Sticky-Bit",
         [](const fs::path& d) { EXPECT_EQ(read_file(d / "k.svg"), "alt"); }, false, nullptr, true},
        // Every link on the way counts, for -o as for -d, not only the one at the name.
        {"-o through another user's link to a folder in a sticky folder",
         shared_folder_with_link("../andere", false), "geteilt/sub/k.svg", exit_write_failed,
         "geteilt/sub/k.svg\" lässt sich nicht schreiben: \"/",  // then the refused link
         [](const fs::path& d) { EXPECT_FALSE(fs::exists(d / "andere/k.svg")); }, false, nullptr,
         true},
        // The link refused is named, the folder's path as the walk met it.
        {"-d through another user's link to a folder in a sticky folder",
         shared_folder_with_link("..", false), "", exit_write_failed,
         "/geteilt/sub\": symbolische Verknüpfung eines anderen Benutzers (uid 65534)",
         [](const fs::path& d) { EXPECT_FALSE(fs::exists(d / "konvergenz.svg")); }, false, nullptr,
         true, "geteilt/sub"},
        {"-o through the link of the sticky folder's owner", shared_folder_with_link("../andere", true),
         "geteilt/sub/k.svg", exit_ok, "",
         [](const fs::path& d) { EXPECT_TRUE(is_chart(d / "andere/k.svg")); }, false, nullptr, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.another_user && ::geteuid() != 0) {
            std::cout << "skipped " << c.name << ": only root can act as another user\n";
            continue;
        }
        const TempDir dir;
        write_logs(dir.path());
        fs::create_directory(dir / "andere");
        c.prepare(dir.path());
        const fs::path here = fs::current_path();
        if (c.working_folder) fs::current_path(c.working_folder);
        const Outcome r =
            c.logs ? run_in_process(dir / c.logs) : run_in_process(dir.path(), dir / c.chart);
        fs::current_path(here);
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_TRUE(*c.message == '\0' || contains(r.err, c.message)) << r.err;
        // What cannot take a chart is refused before the logs are read.
        EXPECT_EQ(r.out.empty(), c.status != exit_ok && !c.table_printed) << r.out;
        c.check(dir.path());
        EXPECT_EQ(temporary_files(dir.path()), std::vector<fs::path>{});
    }
}

TEST(ChartPath, AnExistingChartKeepsItsPermissionBitsANewOneGetsThoseOfAnyNewFile)
{
    const TempDir dir;
    write_logs(dir.path());
    const mode_t umask = ::umask(0);
    ::umask(umask);
    ASSERT_EQ(run_in_process(dir.path()).status, exit_ok);
    EXPECT_EQ(fs::status(dir / "konvergenz.svg").permissions(), fs::perms(0666 & ~umask));

    write_file(dir / "konvergenz.svg", "alt");
    fs::permissions(dir / "konvergenz.svg", fs::perms(0604));
    ASSERT_EQ(run_in_process(dir.path()).status, exit_ok);
    EXPECT_EQ(fs::status(dir / "konvergenz.svg").permissions(), fs::perms(0604));
    EXPECT_TRUE(is_chart(dir / "konvergenz.svg"));
}

// konvergenz once named its temporary file after its process id, so that anyone could
// guess the name and put a link there to a file of the user's.
TEST(ChartPath, ALinkPlantedAtATemporaryNameIsNotWrittenThrough)
{
    const TempDir dir;
    write_logs(dir.path());
    write_file(dir / "opfer.txt", "meins\n");
    Launch how;
    how.before_start = [&dir](pid_t pid) {
        const std::string names[] = {".konvergenz.svg." + std::to_string(pid) + ".tmp",
                                     ".konvergenz.svg.tmp", ".konvergenz-XXXXXX.tmp"};
        for (const std::string& name : names) {
            fs::create_symlink(dir / "opfer.txt", dir / name);
        }
    };
    const Ended ended = konvergenz_in(dir.path(), how);
    EXPECT_EQ(ended.status, 0) << describe(ended);
    EXPECT_EQ(read_file(dir / "opfer.txt"), "meins\n");
    EXPECT_TRUE(is_chart(dir / "konvergenz.svg"));
    EXPECT_EQ(temporary_files(dir.path()), std::vector<fs::path>{});
}

TEST(ChartPath, AFailingDiskLeavesTheOldChartAndNoTemporaryFile)
{
    const std::string full = "kein Platz mehr auf dem Gerät";
    const std::pair<std::string, std::string> cases[] = {
        // the failing call, the reason
        {"fchmod", full},
        {"write", full},
        {"fsync", full},
        {"close", full},
        {"rename", full},
        {"ulimit -f", "Datei zu groß"},  // SIGXFSZ is ignored: the write fails with EFBIG
    };
    for (const auto& [call, reason] : cases) {
        SCOPED_TRACE(call);
        const TempDir dir;
        write_logs(dir.path());
        write_file(dir / "konvergenz.svg", "alt");
        Launch how;
        if (call == "ulimit -f") {
            how.file_size_limit = 4096;  // room for the table and the messages
        } else {
            how.shim = "fail-" + call;
        }
        const Ended ended = konvergenz_in(dir.path(), how);
        EXPECT_EQ(ended.status, 3) << describe(ended);
        EXPECT_TRUE(contains(ended.err, "konvergenz.svg\" lässt sich nicht schreiben: " + reason))
            << ended.err;
        EXPECT_EQ(read_file(dir / "konvergenz.svg"), "alt");
        EXPECT_EQ(temporary_files(dir.path()), std::vector<fs::path>{});
    }
}

// ---- standard output ----

TEST(StandardOutput, AFullDiskOrAClosedDescriptorGive3AClosedPipeQuietly141)
{
    struct Case {
        const char* name;
        std::function<int()> open_output;  // the descriptor for stdout; -1: closed
        std::vector<std::string> args;
        std::string shim;
        int status;
        std::string message;  // the whole of stderr
    };
    const auto dev_null = [] { return ::open("/dev/null", O_WRONLY | O_CLOEXEC); };
    const auto dev_full = [] { return ::open("/dev/full", O_WRONLY | O_CLOEXEC); };
    const auto pipe_nobody_reads = [] {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) return -1;
        ::close(fds[0]);
        return fds[1];
    };
    const auto closed = [] { return -1; };
    const std::string cannot_write = "konvergenz: Standardausgabe kann nicht geschrieben werden: ";
    const std::string full = cannot_write + "kein Platz mehr auf dem Gerät\n";
    const Case cases[] = {
        // clang-format off
        {"/dev/null",           dev_null,          {},         "",                  0, ""},
        {"a close that fails",  dev_null,          {},         "fail-stdout-close", 3, full},
        {"/dev/full",           dev_full,          {},         "",                  3, full},
        // `konvergenz | head`: the reader took what it wanted, as with Unix tools.
        {"a pipe nobody reads", pipe_nobody_reads, {},         "",                  141, ""},
        {"closed",              closed,            {},         "",                  3,
         cannot_write + "Deskriptor nicht geöffnet\n"},
        // The closed pipe counts, not the close that fails after it.
        {"a pipe nobody reads, then a failed close", pipe_nobody_reads, {}, "fail-stdout-close", 141,
         ""},
        {"help into /dev/full", dev_full,          {"--help"}, "",                  3, full},
        {"help into a pipe nobody reads", pipe_nobody_reads, {"--help"}, "",        141, ""},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TempDir dir;
        write_logs(dir.path());
        Launch how;
        how.args = c.args;
        how.shim = c.shim;
        how.stdout_fd = c.open_output();
        how.output = how.stdout_fd < 0 ? Launch::Output::closed : Launch::Output::descriptor;
        const Ended ended = konvergenz_in(dir.path(), how);
        if (how.stdout_fd >= 0) ::close(how.stdout_fd);
        EXPECT_EQ(ended.status, c.status) << describe(ended);
        EXPECT_EQ(ended.err, c.message);
        // The chart does not depend on the table reaching its reader.
        EXPECT_TRUE(!c.args.empty() || is_chart(dir / "konvergenz.svg"));
    }
}

TEST(StandardOutput, AnEarlierFailureComesFirst)
{
    const TempDir dir;
    Launch closed;
    closed.output = Launch::Output::closed;
    const Ended no_logs = konvergenz_in(dir.path(), closed);
    EXPECT_EQ(no_logs.status, 2) << describe(no_logs);
    EXPECT_FALSE(contains(no_logs.err, "Standardausgabe")) << no_logs.err;
}

// ---- reading the logs ----

TEST(Reading, WhatIsNoRegularFileOrCannotBeReadIsRefusedAtOnce)
{
    std::optional<test_support::HeldLock> held;  // as a run of quarlen holds its log
    struct Case {
        const char* name;
        std::function<void(const fs::path&)> place;  // puts something at the log's name
        std::string shim;
        const char* message;
    };
    const Case cases[] = {
        {"a FIFO", [](const fs::path& log) { ::mkfifo(log.c_str(), 0600); }, "",
         "bisec_f1.dat\" ist eine benannte Pipe (FIFO), keine Protokolldatei"},
        {"a link to /dev/zero", [](const fs::path& log) { fs::create_symlink("/dev/zero", log); },
         "", "bisec_f1.dat\" ist ein Gerät, keine Protokolldatei"},
        {"a socket", [](const fs::path& log) { make_socket(log); }, "",
         "bisec_f1.dat\" ist ein Socket, keine Protokolldatei"},
        {"a folder", [](const fs::path& log) { fs::create_directory(log); }, "",
         "bisec_f1.dat\" ist ein Ordner, keine Protokolldatei"},
        {"a link loop", [](const fs::path& log) { fs::create_symlink(log.filename(), log); }, "",
         "bisec_f1.dat\" lässt sich nicht lesen: zu viele Ebenen symbolischer Verknüpfungen"},
        {"a log that cannot be opened",
         [](const fs::path& log) { write_file(log, "Ausgangswerte - a= 0, b= 10\n"); },
         "fail-open-log", "bisec_f1.dat\" lässt sich nicht öffnen: keine Berechtigung"},
        {"a log that cannot be read",
         [](const fs::path& log) { write_file(log, "Ausgangswerte - a= 0, b= 10\n"); },
         "fail-read-log", "bisec_f1.dat\": Lesefehler nach Zeile 0: Ein-/Ausgabefehler"},
        {"a log that a run of quarlen still writes",
         [&held](const fs::path& log) {
             write_file(log, "Ausgangswerte - a= 0, b= 10\n");
             held.emplace(log);
         },
         "", "bisec_f1.dat\" wird noch geschrieben"},
        {"a FIFO put in its place while it is opened",
         [](const fs::path& log) { write_file(log, "Ausgangswerte - a= 0, b= 10\n"); },
         "fifo-on-open", "bisec_f1.dat\" ist eine benannte Pipe (FIFO), keine Protokolldatei"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TempDir dir;
        write_logs(dir.path());
        fs::remove(dir / "bisec_f1.dat");
        c.place(dir / "bisec_f1.dat");
        Launch how;
        how.shim = c.shim;
        how.timeout = milliseconds{5000};
        const Ended ended = konvergenz_in(dir.path(), how);
        EXPECT_EQ(ended.status, 2) << describe(ended);
        EXPECT_LT(ended.took.count(), 2000);
        EXPECT_TRUE(contains(ended.err, c.message)) << ended.err;
        held.reset();
        EXPECT_FALSE(fs::exists(dir / "konvergenz.svg"));
    }
}

// Opening a FIFO, even without waiting, would let a writer waiting at its other end go on.
TEST(Reading, AFifoIsNotEvenOpened)
{
    const TempDir dir;
    write_logs(dir.path());
    fs::remove(dir / "newto_f1.dat");
    ASSERT_EQ(::mkfifo((dir / "newto_f1.dat").c_str(), 0600), 0);
    const pid_t writer = ::fork();
    if (writer == 0) {
        if (::open((dir / "newto_f1.dat").c_str(), O_WRONLY) >= 0) {
            ::close(::open((dir / "geöffnet").c_str(), O_WRONLY | O_CREAT, 0600));
        }
        _exit(0);
    }
    const Ended ended = konvergenz_in(dir.path(), {});
    std::this_thread::sleep_for(milliseconds{50});
    ::kill(writer, SIGKILL);
    ::waitpid(writer, nullptr, 0);
    EXPECT_EQ(ended.status, 2) << describe(ended);
    EXPECT_FALSE(fs::exists(dir / "geöffnet"));
}

TEST(Reading, AGigabyteOfNulBytesIsRejectedAtOnceInLittleMemory)
{
    const TempDir dir;
    write_logs(dir.path());
    fs::resize_file(dir / "newto_f1.dat", 0);
    fs::resize_file(dir / "newto_f1.dat", std::uintmax_t{1} << 30);  // sparse: no disk used
    const Ended ended = konvergenz_in(dir.path(), {});
    EXPECT_EQ(ended.status, 2) << describe(ended);
    EXPECT_TRUE(contains(ended.err, "newto_f1.dat\", Zeile 1: länger als " +
                                        std::to_string(LogReader::max_header) + " Zeichen"))
        << ended.err;
    EXPECT_LT(ended.took.count(), 2000);
    EXPECT_LT(ended.peak_memory_kib, 200 * 1024);  // also with the sanitizers' shadow memory
}

TEST(Reading, ARunCutOffMidLineGivesTheFiguresOfItsWholeLines)
{
    const TempDir dir;
    const auto quarlen = test::run_in(dir.path(), QUARLEN_EXE, {}, "0\n10\n0\n4\n");
    ASSERT_EQ(quarlen.exit_status, 0) << quarlen.err;
    // As a SIGKILL leaves it: the last line cut inside its last number.
    const std::string whole = read_file(dir / "fixpk_f1.dat");
    const std::size_t last_line = whole.rfind('\n', whole.size() - 2) + 1;
    write_file(dir / "fixpk_f1.dat", whole.substr(0, whole.size() - 12));

    const auto result = test::run_in(dir.path(), KONVERGENZ_EXE);
    ASSERT_EQ(result.exit_status, 0) << result.err;
    EXPECT_EQ(result.err, "konvergenz: \"./fixpk_f1.dat\", Zeile 181: ohne Zeilenende, wohl "
                          "abgeschnitten; die Zeile wird "
                          "ausgelassen\n");
    // The run stopped at g(x) of step 178, the last whole line: the iterate the cut line
    // 179 starts from, its figures read here from the text itself. Replayed, that line
    // comes back.
    std::istringstream line(whole.substr(last_line));
    long long step;
    double x, g;
    ASSERT_TRUE(line >> step >> x >> g);
    ASSERT_EQ(step, 179);
    auto cells = test::table_row(result.out, "Fixpunktiteration");
    ASSERT_EQ(cells.count("(cells)"), 0u) << result.out;
    EXPECT_EQ(cells["Schritte"], "179") << result.out;
    EXPECT_NEAR(std::stod(cells["letzte Iterierte"]), x, 1e-14 * x) << result.out;
    EXPECT_NEAR(std::stod(cells["letztes |f|"]), std::fabs(g - x), 1e-3 * std::fabs(g - x))
        << result.out;
    // Its line in the chart ends at that result: steps 0 to 179.
    EXPECT_EQ(test::polyline(read_file(dir / "konvergenz.svg")).size(), 180u);
}

// ---- stop signals ----

// Whether the child has taken over the stop signals and now sleeps in a system call.
bool waiting_with_handlers(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    bool sleeping = false, handles_term = false;
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("State:")) sleeping = contains(line, "(sleeping)");
        if (line.starts_with("SigCgt:")) {
            handles_term = (std::stoull(line.substr(7), nullptr, 16) >> (SIGTERM - 1)) & 1;
        }
    }
    return sleeping && handles_term;
}

TEST(Signals, AStopSignalEndsEveryWaitWith128PlusItsNumber)
{
    struct Case {
        const char* name;
        std::string shim;
        bool stdout_into_full_pipe;
        int signal;
        bool chart;  // written before the wait
    };
    const Case cases[] = {
        {"opening a log", "block-open", false, SIGTERM, false},
        {"reading a log", "block-read", false, SIGINT, false},
        {"reading a log, terminal closed", "block-read", false, SIGHUP, false},
        {"writing the table into a full pipe", "", true, SIGTERM, false},
        {"writing the chart's name at the end", "block-second-stdout-write", false, SIGINT, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TempDir dir;
        write_logs(dir.path());
        Launch how;
        how.shim = c.shim;
        int pipe_fds[2] = {-1, -1};
        if (c.stdout_into_full_pipe) {
            ASSERT_EQ(::pipe2(pipe_fds, O_CLOEXEC | O_NONBLOCK), 0);
            const std::string block(4096, 'x');
            while (::write(pipe_fds[1], block.data(), block.size()) > 0) {
            }
            ::fcntl(pipe_fds[1], F_SETFL, 0);  // konvergenz's writes block
            how.output = Launch::Output::descriptor;
            how.stdout_fd = pipe_fds[1];
        }
        how.timeout = milliseconds{5000};
        how.while_running = [&c](pid_t pid) {
            if (waiting_with_handlers(pid)) ::kill(pid, c.signal);
        };
        const Ended ended = konvergenz_in(dir.path(), how);
        for (const int fd : pipe_fds) ::close(fd);
        EXPECT_EQ(ended.status, 128 + c.signal) << describe(ended);
        // Ctrl-C is the person's own; another signal is named.
        const std::string named = c.signal == SIGINT ? "" : std::string(" (SIG") + sigabbrev_np(c.signal) + ")";
        EXPECT_TRUE(contains(ended.err, "konvergenz: unterbrochen" + named + "\n")) << ended.err;
        EXPECT_EQ(is_chart(dir / "konvergenz.svg"), c.chart);
        EXPECT_EQ(temporary_files(dir.path()), std::vector<fs::path>{});
    }
}

// ---- logs of an earlier run ----

TEST(StaleLogs, ALogOlderThanOneWrittenBeforeItIsNamedAndStillUsed)
{
    struct Case {
        const char* name;
        std::array<int, 4> age;  // seconds before now: bisec, newto, fixpk, steff; -1: no such log
        std::vector<std::string> stale;
        std::vector<std::string> other_tolerance = {};  // where not the logs named stale
    };
    // The logs named stale come from a run of another tolerance. Logs of the newest log's
    // functions and tolerance are taken for one run whatever their order: --verfahren may
    // have written them in another.
    const Case cases[] = {
        {"in the order quarlen writes them", {30, 20, 10, -1}, {}},
        {"all written in the same instant", {10, 10, 10, -1}, {}},
        {"the run stopped after bisection", {10, 20, 20, -1}, {"newto_f1.dat", "fixpk_f1.dat"}},
        {"the run stopped after Newton's method", {20, 10, 30, -1}, {"fixpk_f1.dat"}},
        {"only Newton's log is old", {10, 30, 5, -1}, {"newto_f1.dat"}},
        {"no bisection log", {-1, 10, 20, -1}, {"fixpk_f1.dat"}},
        {"Steffensen's method from an earlier run", {30, 20, 10, 40}, {"steff_f1.dat"}},
        {"Steffensen's method after the others", {30, 20, 10, 5}, {}},
        {"bisection after Newton's method, one equation", {10, 20, 20, -1}, {}},
        {"Newton's method after the fixed-point iteration, one equation", {10, 30, 5, -1}, {}},
        {"Steffensen's method first, one equation", {30, 20, 10, 40}, {}},
        // Which of two equations written at once came last cannot be told.
        {"two equations written in the same instant",
         {10, 10, 10, -1},
         {"bisec_f1.dat", "newto_f1.dat", "fixpk_f1.dat"},
         {"fixpk_f1.dat"}},
    };
    const char* logs[] = {"bisec_f1.dat", "newto_f1.dat", "fixpk_f1.dat", "steff_f1.dat"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TempDir dir;
        write_logs(dir.path());
        test::write_log(dir / "steff_f1.dat", "Startwert= 4\n", {{0, 4, 3.9}});
        for (const std::string& log : c.other_tolerance.empty() ? c.stale : c.other_tolerance) {
            std::string text = read_file(dir / log);
            text.insert(text.find('\n'), ", Toleranz= 1e-06");
            test_support::write_file(dir / log, text);
        }
        const auto now = fs::file_time_type::clock::now();
        for (int i = 0; i < 4; ++i) {
            if (c.age[i] < 0) {
                fs::remove(dir / logs[i]);
            } else {
                fs::last_write_time(dir / logs[i], now - std::chrono::seconds(c.age[i]));
            }
        }
        const Outcome r = run_in_process(dir.path());
        EXPECT_EQ(r.status, exit_ok) << r.err;
        std::vector<std::string> named;
        std::istringstream lines(r.err);
        for (std::string line; std::getline(lines, line);) {
            const bool tied = contains(line, "gleichzeitig geschriebenen Protokolle");
            if (!contains(line, " ist älter als ") && !tied) continue;
            EXPECT_TRUE(line.starts_with("konvergenz: \"" + dir.path().string() + '/')) << line;
            if (!tied) {
                EXPECT_TRUE(contains(line, "stammt wohl aus einem früheren Lauf von quarlen"))
                    << line;
            }
            named.push_back(fs::path(line.substr(13, line.find('"', 13) - 13)).filename());
        }
        EXPECT_EQ(named, c.stale);
        EXPECT_TRUE(contains(r.out, "Fixpunktiteration")) << r.out;  // still used
    }
}

}  // namespace
}  // namespace konvergenz
