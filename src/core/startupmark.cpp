#include "startupmark.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace core {

void StartupMark(const char* stage) {
    const char* file = std::getenv("LJT_STARTUP_MARKS");
    if (file == nullptr || *file == '\0') {
        return;
    }
    // The steady clock of every process on the machine: the benchmark compares it with the
    // moment it started the program.
    const auto now = std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    char line[160];
    const int length =
        std::snprintf(line, sizeof line, "%lld %s\n", static_cast<long long>(now.count()), stage);
    // One write on a file opened for appending: the lines of the program's parts never mix.
    const int fd = ::open(file, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0) {
        return;
    }
    if (length > 0) {
        [[maybe_unused]] const ssize_t written = ::write(
            fd, line, static_cast<std::size_t>(length) < sizeof line ? length : sizeof line - 1);
    }
    ::close(fd);
}

} // namespace core
