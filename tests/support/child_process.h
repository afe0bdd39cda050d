#pragma once
// Test support (POSIX only, header only): the plotmuf binary started without
// a shell, so that a test can run several at once, stop one that does not end
// in time, and read the peak memory that each one used.

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

struct ChildOptions {
    std::filesystem::path program = PLOTMUF_BINARY;
    std::filesystem::path log = "/dev/null";  // receives standard output and standard error
    // Run as this user and group instead (the caller must be root); -1 keeps
    // the caller's own.
    uid_t user = static_cast<uid_t>(-1);
    gid_t group = static_cast<gid_t>(-1);
};

// Starts the binary in `working_folder` with `arguments`; returns its pid,
// or -1 when it could not be started. A child that cannot change folder,
// user or program exits with status 127.
inline pid_t start_plotmuf(const std::filesystem::path& working_folder, const std::vector<std::string>& arguments,
                           const ChildOptions& options = {}) {
    std::vector<std::string> words = {options.program.string()};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    const std::string folder = working_folder.string(), log = options.log.string();

    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    // The child: only async-signal-safe calls from here on.
    const int in = ::open("/dev/null", O_RDONLY);
    const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (in == -1 || out == -1 || ::dup2(in, 0) == -1 || ::dup2(out, 1) == -1 || ::dup2(out, 2) == -1) ::_exit(127);
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
inline ChildEnd wait_plotmuf(pid_t pid, std::chrono::milliseconds limit) {
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
