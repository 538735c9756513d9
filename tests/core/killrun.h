#pragma once
// Runs a helper program, signals it after a while and collects what it wrote: the driver of
// the kill harnesses.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace harness {

struct Run {
    std::string output;    ///< everything the helper wrote to its standard output
    int waitStatus = 0;    ///< as waitpid reports it
    bool timedOut = false; ///< the helper did not end in time after the signal and was killed
    /// From the start to the first output; -1 when there was none.
    std::chrono::microseconds firstOutput{-1};
};

/// Starts program with args (and the given NAME=value settings), sends signal after the
/// delay (or, atFirstOutput, as soon as the helper first writes) and waits at most limit for
/// the helper to end.
inline Run RunAndSignal(const std::string& program, const std::vector<std::string>& args,
                        std::chrono::microseconds delay, int signal,
                        std::chrono::milliseconds limit,
                        const std::vector<std::string>& environment = {},
                        bool atFirstOutput = false) {
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
    // What the helper writes is read while it runs, so that a full pipe never holds it up
    // before the signal comes.
    using Clock = std::chrono::steady_clock;
    const auto started = Clock::now();
    auto signalAt = started + delay;
    const auto giveUpAt = signalAt + limit;
    bool signalled = false;
    bool open = true;
    char buffer[8192];
    while (open) {
        const auto now = Clock::now();
        if (!signalled && now >= signalAt) {
            ::kill(child, signal);
            signalled = true;
        }
        if (now >= giveUpAt) {
            ::kill(child, SIGKILL);
            run.timedOut = true;
            break;
        }
        const auto until = signalled ? giveUpAt : signalAt;
        const auto wait =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - now).count();
        pollfd p{fds[0], POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(std::clamp<long long>(wait, 1, 200))) > 0) {
            const ssize_t got = ::read(fds[0], buffer, sizeof buffer);
            if (got > 0) {
                if (run.output.empty()) {
                    run.firstOutput = std::chrono::duration_cast<std::chrono::microseconds>(
                        Clock::now() - started);
                    if (atFirstOutput) {
                        signalAt = Clock::now();
                    }
                }
                run.output.append(buffer, static_cast<std::size_t>(got));
            } else if (got == 0 || errno != EINTR) {
                open = false;
            }
        }
    }
    ::close(fds[0]);
    while (::waitpid(child, &run.waitStatus, 0) < 0 && errno == EINTR) {
    }
    return run;
}

/// How long the helper takes to report its first step, on this machine and build (a
/// sanitizer's build starts and saves many times slower): the kills are spread over that as
/// well, or every kill of a slow build would come before the helper had done anything.
inline std::chrono::microseconds TimeToFirstOutput(const std::string& program,
                                                   const std::vector<std::string>& args) {
    const Run run = RunAndSignal(program, args, std::chrono::seconds(20), SIGKILL,
                                 std::chrono::seconds(20), {}, true);
    return std::max(std::chrono::microseconds(0), run.firstOutput);
}

/// A count from the environment (for the long runs), or fallback.
inline int CountFromEnvironment(const char* name, int fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && std::atoi(value) > 0 ? std::atoi(value) : fallback;
}

} // namespace harness
