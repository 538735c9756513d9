// Kill-harness helper: appends numbered answers to a study history and reports each number
// once its append has returned, until it is killed. Each run goes on from the number given.
//   historyappend_helper <history file> <first number>
#include "core/historywriter.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: historyappend_helper <history file> <first number>\n");
        return 2;
    }
    core::HistoryWriter writer(argv[1]);
    for (long long n = std::atoll(argv[2]);; ++n) {
        // Long words make lines that a kill can cut in the middle.
        std::string word = "w";
        word.append(std::to_string(n)).append(200, 'x');
        if (!writer.Append(core::AnswerEvent(core::TimePoint(std::chrono::milliseconds(n)),
                                             core::HistoryMode::Choice, word,
                                             core::HistoryResult::Right))) {
            return 5;
        }
        if (n % 64 == 0 && !writer.Sync()) {
            return 6;
        }
        const std::string line = std::to_string(n) + "\n";
        if (::write(1, line.data(), line.size()) != static_cast<ssize_t>(line.size())) {
            return 7;
        }
    }
}
