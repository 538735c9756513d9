#include "core/processend.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

/// Set by the child's atexit handler, which the end must skip.
void WriteAtExit() {
    std::fputs(" atexit", stdout);
}

TEST(ProcessEnd, FlushesBufferedOutputKeepsTheCodeAndSkipsExitHandlers) {
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    std::fflush(nullptr);
    pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        dup2(pipeEnds[1], STDOUT_FILENO);
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        // A pipe makes standard output fully buffered: the text is still in the buffer here.
        std::atexit(WriteAtExit);
        std::fputs("{\"score\":1}", stdout);
        core::EndProcess(7);
    }
    close(pipeEnds[1]);
    std::string text;
    char buffer[64];
    for (ssize_t n; (n = read(pipeEnds[0], buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<std::size_t>(n));
    }
    close(pipeEnds[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 7);
    EXPECT_EQ(text, "{\"score\":1}");
}

} // namespace
