#pragma once
// Runs a helper program, signals it after a while and collects what it wrote: the driver of
// the kill harnesses.
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace harness {

struct Run {
    std::string output;    ///< everything the helper wrote to its standard output
    int waitStatus = 0;    ///< as waitpid reports it
    bool timedOut = false; ///< the helper did not end in time after the signal and was killed
};

/// Starts program with args (and the given NAME=value settings), sends signal after the
/// delay and waits at most limit for the helper to end.
inline Run RunAndSignal(const std::string& program, const std::vector<std::string>& args,
                        std::chrono::microseconds delay, int signal,
                        std::chrono::milliseconds limit,
                        const std::vector<std::string>& environment = {}) {
    Run run;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        run.waitStatus = -1;
        return run;
    }
    std::vector<std::string> strings = {program};
    strings.insert(strings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& s : strings) {
        argv.push_back(s.data());
    }
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(fds[1], 1);
        for (const auto& setting : environment) {
            ::putenv(const_cast<char*>(setting.c_str()));
        }
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(fds[1]);
    std::this_thread::sleep_for(delay);
    ::kill(child, signal);
    const auto deadline = std::chrono::steady_clock::now() + limit;
    char buffer[4096];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0) {
            run.timedOut = true;
            ::kill(child, SIGKILL);
            break;
        }
        pollfd p{fds[0], POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left)) <= 0) {
            continue;
        }
        const ssize_t got = ::read(fds[0], buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        run.output.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fds[0]);
    ::waitpid(child, &run.waitStatus, 0);
    return run;
}

/// A count from the environment (for the long runs), or fallback.
inline int CountFromEnvironment(const char* name, int fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && std::atoi(value) > 0 ? std::atoi(value) : fallback;
}

} // namespace harness
