// Kill-harness helper: signs a learner in, then saves three growing lists in a loop and
// reports every finished save as its step number on a line of its own, until it is killed.
//   listsave_helper <program folder> <learner> <base>
#include "core/studystate.h"
#include "growinglists.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: listsave_helper <program folder> <learner> <base>\n");
        return 2;
    }
    const long long base = std::atoll(argv[3]);
    core::StudyState state;
    state.AppDir = argv[1];
    state.LearnerName = argv[2];
    if (!state.LoadLearnerLists()) {
        return 3;
    }
    long long step = harness::StepOf(
        {state.NewList.Lines(), state.MasteredList.Lines(), state.ReviewList.Lines()}, base);
    if (step < 0) {
        return 4;
    }
    for (;;) {
        ++step;
        auto lists = harness::ListsAt(step, base);
        state.NewList.Replace(std::move(lists[0]));
        state.MasteredList.Replace(std::move(lists[1]));
        state.ReviewList.Replace(std::move(lists[2]));
        if (!state.SaveLearnerLists()) {
            return 5;
        }
        const std::string line = std::to_string(step) + "\n";
        if (::write(1, line.data(), line.size()) != static_cast<ssize_t>(line.size())) {
            return 6;
        }
    }
}
