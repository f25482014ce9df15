#include "tests/support/process.hpp"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace test_support {
namespace {

using Clock = std::chrono::steady_clock;

[[noreturn]] void exec_child(const std::string& program, const std::vector<std::string>& args,
                             const std::filesystem::path& dir, const RunOptions& options)
{
    // Signals ignored or blocked by the test runner must not reach the program so.
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    for (const int signal : {SIGINT, SIGHUP, SIGTERM, SIGPIPE}) std::signal(signal, SIG_DFL);
    for (const int signal : options.ignored_signals) std::signal(signal, SIG_IGN);
    if (options.file_size_limit) {
        const rlimit limit{static_cast<rlim_t>(*options.file_size_limit),
                           static_cast<rlim_t>(*options.file_size_limit)};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(125);
    }
    for (const int fd : options.closed_descriptors) ::close(fd);
    for (const auto& [name, value] : options.environment)
        if (::setenv(name.c_str(), value.c_str(), 1) != 0) _exit(125);
    if (::chdir(dir.c_str()) != 0) _exit(126);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    _exit(127);
}

void decode(int status, int& exit_status, int& signal)
{
    if (WIFEXITED(status)) exit_status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) signal = WTERMSIG(status);
}

void make_pipe(int fds[2])
{
    if (::pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
}

}  // namespace

RunResult run(const std::string& program, const RunOptions& options)
{
    std::signal(SIGPIPE, SIG_IGN);  // a child that stops reading must not end the test
    int in[2], out[2], err[2];
    make_pipe(in);
    make_pipe(out);
    make_pipe(err);
    int out_file = -1;
    if (options.stdout_path) {
        out_file =
            ::open(options.stdout_path->c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (out_file < 0) throw std::runtime_error("cannot open " + options.stdout_path->string());
    }

    if (options.nonblocking_output) {
        for (const int fd : {out[1], err[1]}) ::fcntl(fd, F_SETFL, O_NONBLOCK);
    }
    if (options.stdout_full_at_start) {
        ::fcntl(out[1], F_SETFL, O_NONBLOCK);
        const std::string block(4096, 'x');
        while (::write(out[1], block.data(), block.size()) > 0) {
        }
        ::fcntl(out[1], F_SETFL, options.nonblocking_output ? O_NONBLOCK : 0);
    }
    int in_file = -1;
    if (options.stdin_path) {
        in_file = ::open(options.stdin_path->c_str(), O_RDONLY | O_CLOEXEC);
        if (in_file < 0) throw std::runtime_error("cannot open " + options.stdin_path->string());
    }

    if (options.stdout_limit == 0 && !options.stall_stdout) {
        ::close(out[0]);  // the reader is gone before the program starts
        out[0] = -1;
    }

    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork");
    if (pid == 0) {
        ::dup2(in_file >= 0 ? in_file : in[0], 0);
        ::dup2(out_file >= 0 ? out_file : out[1], 1);
        ::dup2(options.stderr_to_stdout ? 1 : err[1], 2);
        exec_child(program, options.args, options.working_dir, options);
    }
    ::close(in[0]);
    ::close(out[1]);
    ::close(err[1]);
    if (out_file >= 0) ::close(out_file);
    if (in_file >= 0) ::close(in_file);
    ::fcntl(in[1], F_SETFL, O_NONBLOCK);

    RunResult result;
    std::size_t fed = 0;
    int fds[3] = {in[1], out[0], err[0]};
    if (options.input.empty() && options.close_input) {
        ::close(fds[0]);
        fds[0] = -1;
    }
    const auto start = Clock::now();
    int status = 0;
    bool reaped = false;
    // Until the child has ended and both pipes have reached their end.
    while (!reaped || fds[1] >= 0 || fds[2] >= 0) {
        const auto elapsed = std::chrono::duration_cast<milliseconds>(Clock::now() - start);
        if (!reaped && elapsed > options.timeout) {
            ::kill(pid, SIGKILL);
            result.timed_out = true;
        }
        if (!reaped && options.while_running) options.while_running(pid, elapsed);
        // Input all fed and a reader that has stopped reading: waits on the others only.
        const bool input_fed = fed == options.input.size();
        const bool stdout_stalled =
            options.stdout_limit && result.out.size() >= *options.stdout_limit;
        pollfd polled[3];
        for (int i = 0; i < 3; ++i) {
            const bool idle = (i == 0 && input_fed) || (i == 1 && stdout_stalled);
            polled[i] = {idle ? -1 : fds[i], static_cast<short>(i == 0 ? POLLOUT : POLLIN), 0};
        }
        ::poll(polled, 3, 5);
        if (options.stdout_read_rate) ::usleep(5000);  // a reader slower than the program
        if (fds[0] >= 0 && (polled[0].revents & (POLLOUT | POLLERR | POLLHUP))) {
            const ssize_t n =
                ::write(fds[0], options.input.data() + fed, options.input.size() - fed);
            if (n > 0) fed += static_cast<std::size_t>(n);
            if ((n < 0 && errno != EAGAIN) ||
                (fed == options.input.size() && options.close_input)) {
                ::close(fds[0]);
                fds[0] = -1;
            }
        }
        for (int i = 1; i < 3; ++i) {
            if (fds[i] < 0 || !(polled[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            std::size_t room = 1 << 16;
            if (i == 1 && options.stdout_read_rate) room = *options.stdout_read_rate;
            if (i == 1 && options.stdout_limit)
                room = std::min(room, *options.stdout_limit - result.out.size());
            char chunk[1 << 16];
            const ssize_t n = ::read(fds[i], chunk, std::min(room, sizeof chunk));
            if (n > 0) {
                (i == 1 ? result.out : result.err).append(chunk, static_cast<std::size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                ::close(fds[i]);
                fds[i] = -1;
            }
        }
        if (fds[1] >= 0 && options.stdout_limit && result.out.size() == *options.stdout_limit &&
            (!options.stall_stdout || reaped)) {
            ::close(fds[1]);
            fds[1] = -1;
        }
        if (!reaped && ::waitpid(pid, &status, WNOHANG) == pid) reaped = true;
    }
    if (fds[0] >= 0) ::close(fds[0]);
    decode(status, result.exit_status, result.signal);
    return result;
}

PtySession::PtySession(const std::string& program, const std::filesystem::path& working_dir,
                       const std::vector<int>& ignored_signals,
                       const std::vector<std::string>& args)
{
    RunOptions options;
    options.ignored_signals = ignored_signals;
    pid_ = ::forkpty(&master_, nullptr, nullptr, nullptr);
    if (pid_ < 0) throw std::runtime_error("forkpty");
    if (pid_ == 0) exec_child(program, args, working_dir, options);
}

void PtySession::hang_up()
{
    ::close(master_);
    master_ = -1;
}

PtySession::~PtySession()
{
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    if (master_ >= 0) ::close(master_);
}

void PtySession::send(std::string_view keys)
{
    while (!keys.empty()) {
        const ssize_t n = ::write(master_, keys.data(), keys.size());
        if (n <= 0) throw std::runtime_error("cannot type into the terminal");
        keys.remove_prefix(static_cast<std::size_t>(n));
    }
}

bool PtySession::read_some(milliseconds timeout)
{
    if (master_ < 0) {  // hung up: nothing more to show
        ::usleep(static_cast<useconds_t>(std::min<long>(timeout.count(), 10) * 1000));
        return false;
    }
    pollfd polled{master_, POLLIN, 0};
    if (::poll(&polled, 1, static_cast<int>(timeout.count())) <= 0) return false;
    char chunk[4096];
    const ssize_t n = ::read(master_, chunk, sizeof chunk);
    if (n <= 0) return false;  // EIO: the child's side is closed
    shown_.append(chunk, static_cast<std::size_t>(n));
    return true;
}

bool PtySession::expect(std::string_view text, std::size_t from, milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    while (shown_.find(text, std::min(from, shown_.size())) == std::string::npos) {
        const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now());
        if (left.count() <= 0 || !read_some(left)) return false;
    }
    return true;
}

int PtySession::wait(milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    int status = 0;
    while (::waitpid(pid_, &status, WNOHANG) == 0) {
        if (Clock::now() > deadline) return -1;
        if (!read_some(milliseconds{10})) ::usleep(1000);  // keep the terminal drained
    }
    pid_ = -1;
    int exit_status = -1;
    decode(status, exit_status, end_signal_);
    return exit_status;
}

}  // namespace test_support
