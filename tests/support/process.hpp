// Runs a built program as a child process, the way a shell or a person would.
//
// run(): standard input from a pipe fed with given bytes, standard output and error
// captured through pipes (or sent to a file), in a given working folder, with a time
// limit after which the child is killed. A callback sees the child while it runs, to
// send it signals.
// PtySession: the child on a pseudo-terminal, for what a program does only when a
// person is at the keyboard.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace test_support {

using std::chrono::milliseconds;

struct RunOptions {
    std::filesystem::path working_dir = ".";
    std::vector<std::string> args;                     // after the program's name
    std::string input;                                 // bytes on standard input
    bool close_input = true;                           // false: the pipe stays open, empty
    std::optional<std::filesystem::path> stdout_path;  // instead of capturing it
    bool stderr_to_stdout = false;                     // one pipe for both, in order
    milliseconds timeout{10000};
    // Called about every 5 ms while the child runs, with its id and the time since start.
    std::function<void(pid_t, milliseconds)> while_running;

    // The reader of standard output stops after this many bytes: it closes the pipe, as
    // `head -c` does (at 0, before the program starts), or with `stall_stdout` keeps it
    // open and full, reading no more.
    std::optional<std::size_t> stdout_limit;
    bool stall_stdout = false;
    // A slow reader: at most this many bytes of standard output per round of about 5 ms.
    std::optional<std::size_t> stdout_read_rate;
    // Standard output and error as node.js hands them over: pipes in O_NONBLOCK mode.
    bool nonblocking_output = false;
    // Standard output's pipe is full before the program starts (with stdout_limit = 0
    // and stall_stdout, it stays full).
    bool stdout_full_at_start = false;
    std::optional<std::filesystem::path> stdin_path;  // instead of the input bytes
    std::vector<int> ignored_signals;     // ignored when the program starts, as nohup does
    std::vector<int> closed_descriptors;  // of 0, 1, 2: closed when the program starts
    std::optional<long> file_size_limit;  // RLIMIT_FSIZE: writes beyond fail with EFBIG
    // Variables set in the program's environment besides those of the test, as name and value.
    std::vector<std::pair<std::string, std::string>> environment;
};

struct RunResult {
    std::string out;
    std::string err;
    int exit_status = -1;  // the status the child exited with, or -1
    int signal = 0;        // the signal that ended it, or 0
    bool timed_out = false;
};

RunResult run(const std::string& program, const RunOptions& options);

class PtySession {
public:
    PtySession(const std::string& program, const std::filesystem::path& working_dir,
               const std::vector<int>& ignored_signals = {},
               const std::vector<std::string>& args = {});
    PtySession(const PtySession&) = delete;
    PtySession& operator=(const PtySession&) = delete;
    ~PtySession();

    void send(std::string_view keys);
    // Reads until what the terminal showed after position `from` contains `text`.
    // Returns false at the time limit or when the terminal closes first.
    bool expect(std::string_view text, std::size_t from = 0,
                milliseconds timeout = milliseconds{5000});
    const std::string& screen() const { return shown_; }
    // Waits for the child to end; its exit status, or -1 at the time limit or on a signal.
    int wait(milliseconds timeout = milliseconds{5000});
    // The signal that ended the child, once wait() has seen it end; 0 if it exited.
    int end_signal() const { return end_signal_; }
    pid_t pid() const { return pid_; }
    // Closes the terminal, as closing its window does: the program gets SIGHUP.
    void hang_up();

private:
    bool read_some(milliseconds timeout);

    pid_t pid_ = -1;
    int master_ = -1;
    int end_signal_ = 0;
    std::string shown_;
};

}  // namespace test_support
