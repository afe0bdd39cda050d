#pragma once
// Test support (POSIX only, header only): the plotmuf binary started as a
// scheduler starts it, without a shell, in a working folder of the test's
// own. A test can run several at once, stop one that does not end in time,
// and read what each printed and the peak memory it used.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <termios.h>
#include <sys/resource.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_folder.h"

struct ChildOptions {
    std::filesystem::path program = PLOTMUF_BINARY;
    std::filesystem::path out = "/dev/null";  // receives standard output
    std::filesystem::path err = "/dev/null";  // receives standard error
    // Run as this user and group instead (the caller must be root); -1 keeps
    // the caller's own.
    uid_t user = static_cast<uid_t>(-1);
    gid_t group = static_cast<gid_t>(-1);
};

// `options` set to run a copy of plotmuf in `program` (a folder that the
// user may enter) as the user and group nobody: as root, permission bits
// stop no read, so a test of an unreadable file runs plotmuf as nobody.
inline void run_as_nobody(ChildOptions& options, const TempFolder& program) {
    options.user = options.group = 65534;
    options.program = program.path() / "plotmuf";
    std::filesystem::copy_file(PLOTMUF_BINARY, options.program);
    std::filesystem::permissions(program.path(), std::filesystem::perms::all);
}

// The words that, run by /usr/bin/env, start plotmuf under libfaketime
// with its clock at `clock` UTC ("2024-03-04 00:05:00"); its arguments
// follow them. A build with AddressSanitizer is let run with libfaketime
// preloaded before the sanitizer's runtime.
inline std::vector<std::string> at_clock(const std::string& clock) {
    return {"TZ=UTC", "ASAN_OPTIONS=verify_asan_link_order=0", "faketime", clock, PLOTMUF_BINARY};
}

// Far more than a run here needs, even under a sanitizer on a busy machine:
// a run still going then is hung.
constexpr std::chrono::seconds run_limit{60};

// Starts the program (plotmuf, unless `options` name another) in
// `working_folder` with `arguments`; returns its pid, or -1 when it could not
// be started. A child that cannot change folder, user or program exits with
// status 127.
inline pid_t start_plotmuf(const std::filesystem::path& working_folder, const std::vector<std::string>& arguments,
                           const ChildOptions& options = {}) {
    std::vector<std::string> words = {options.program.string()};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    const std::string folder = working_folder.string(), out = options.out.string(), err = options.err.string();

    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    // The child: only async-signal-safe calls from here on.
    const int in = ::open("/dev/null", O_RDONLY);
    const int out_fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    const int err_fd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (in == -1 || out_fd == -1 || err_fd == -1 || ::dup2(in, 0) == -1 || ::dup2(out_fd, 1) == -1 ||
        ::dup2(err_fd, 2) == -1)
        ::_exit(127);
    if (options.group != static_cast<gid_t>(-1) && ::setgid(options.group) != 0) ::_exit(127);
    if (options.user != static_cast<uid_t>(-1) && ::setuid(options.user) != 0) ::_exit(127);
    if (::chdir(folder.c_str()) != 0) ::_exit(127);
    ::execv(argv[0], argv.data());
    ::_exit(127);
}

struct ChildEnd {
    bool in_time = false;  // ended by itself before the limit
    int status = -1;       // exit status; -1 when it did not exit normally
    long peak_kb = 0;      // peak resident memory, in KiB
};

// Waits for the child `pid`; one still running after `limit` is killed.
inline ChildEnd wait_plotmuf(pid_t pid, std::chrono::milliseconds limit = run_limit) {
    ChildEnd end;
    if (pid <= 0) return end;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int raw = 0;
    rusage usage{};
    pid_t done = 0;
    while ((done = ::wait4(pid, &raw, WNOHANG, &usage)) == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    end.in_time = done == pid;
    if (done == 0) {
        ::kill(pid, SIGKILL);
        done = ::wait4(pid, &raw, 0, &usage);
    }
    if (done == pid) {
        end.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        end.peak_kb = usage.ru_maxrss;
    }
    return end;
}

struct RunResult : ChildEnd {
    std::string out;  // standard output
    std::string err;  // standard error
};

// Runs the program (plotmuf, unless `options` name another: sh, python3,
// strace ...) to its end and keeps what it printed.
inline RunResult run_program(const std::filesystem::path& working_folder, const std::vector<std::string>& arguments,
                            ChildOptions options = {}, std::chrono::milliseconds limit = run_limit) {
    const TempFolder capture;
    options.out = capture.path() / "out";
    options.err = capture.path() / "err";
    RunResult result;
    static_cast<ChildEnd&>(result) = wait_plotmuf(start_plotmuf(working_folder, arguments, options), limit);
    result.out = read_text(options.out);
    result.err = read_text(options.err);
    return result;
}

// Runs the program with its standard error on a terminal (a pseudo-terminal
// of the test's own, in raw mode) and keeps what it showed there.
inline RunResult run_plotmuf_on_terminal(const std::filesystem::path& working_folder,
                                         const std::vector<std::string>& arguments) {
    RunResult result;
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master == -1 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) return result;
    ChildOptions options;
    options.err = ::ptsname(master);
    const int terminal = ::open(options.err.c_str(), O_RDWR | O_NOCTTY);
    termios mode{};
    if (terminal == -1 || ::tcgetattr(terminal, &mode) != 0) return result;
    ::cfmakeraw(&mode);
    ::tcsetattr(terminal, TCSANOW, &mode);

    const pid_t pid = start_plotmuf(working_folder, arguments, options);
    // Read as it comes, so that the child never waits for room, until it
    // has ended (seen without reaping it) and nothing more is there.
    const auto deadline = std::chrono::steady_clock::now() + run_limit;
    for (bool ended = false;;) {
        pollfd ready{master, POLLIN, 0};
        if (::poll(&ready, 1, ended ? 0 : 50) > 0) {
            char chunk[4096];
            const ssize_t n = ::read(master, chunk, sizeof chunk);
            if (n > 0) result.err.append(chunk, static_cast<std::size_t>(n));
            if (n > 0) continue;
        }
        if (ended || std::chrono::steady_clock::now() > deadline) break;
        siginfo_t info{};
        ended = ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid;
    }
    static_cast<ChildEnd&>(result) = wait_plotmuf(pid, std::chrono::milliseconds(0));
    ::close(terminal);
    ::close(master);
    return result;
}

// Builds made with AddressSanitizer reserve shadow memory and keep freed
// blocks in quarantine: memory bounds do not hold for them.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool memory_is_instrumented = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool memory_is_instrumented = true;
#else
constexpr bool memory_is_instrumented = false;
#endif
#else
constexpr bool memory_is_instrumented = false;
#endif
