// Kills a program that saves three growing lists at random moments: every set of files found
// afterwards must be whole (all old or all new), no word may be missing from every list, and
// no temporary file may survive the next save. LJT_KILL_RUNS sets the number of kills
// (scripts/kill-harness runs 1,000); LJT_KILL_SEED repeats a run.
#include "core/fileset.h"
#include "core/historyreader.h"
#include "core/learnerfiles.h"
#include "core/studystate.h"
#include "growinglists.h"
#include "killrun.h"
#include "test_dir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <iostream>
#include <random>
#include <sstream>

namespace {

constexpr long long Base = 2000;

long long LastNumber(const std::string& output) {
    std::istringstream in(output);
    long long last = -1;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty()) {
            last = std::stoll(line);
        }
    }
    return last;
}

int Leftovers(const std::string& folder) {
    int n = CountStartingWith(folder, ".ljt-");
    if (std::filesystem::exists(folder + "/backup")) {
        n += CountStartingWith(folder + "/backup", ".");
    }
    return n;
}

TEST(KillHarness, KilledSavesLeaveOneWholeSetAndLoseNoWord) {
    const int runs = harness::CountFromEnvironment("LJT_KILL_RUNS", 50);
    const unsigned seed = static_cast<unsigned>(harness::CountFromEnvironment(
        "LJT_KILL_SEED", static_cast<int>(std::random_device{}() >> 1)));
    std::mt19937 random(seed);
    TestDir dir;
    const std::string app = dir.AppDir();
    const std::string folder = app + "K";
    // A learner K with the lists of step 0.
    const auto makeLearner = [](const std::string& appDir) -> bool {
        core::StudyState state;
        state.AppDir = appDir;
        state.LearnerName = "K";
        if (!core::CreateLearnerFiles(appDir, "K") || !state.LoadLearnerLists()) {
            return false;
        }
        state.NewList.Replace(harness::ListsAt(0, Base)[0]);
        return static_cast<bool>(state.SaveLearnerLists());
    };
    ASSERT_TRUE(makeLearner(app));
    const auto paths = core::LearnerListPaths(app, "K");
    // Measured on a learner of its own, so that this run leaves the lists under test alone.
    TestDir startupDir;
    ASSERT_TRUE(makeLearner(startupDir.AppDir()));
    const auto window = harness::TimeToFirstOutput(LJT_LIST_SAVE_HELPER, {startupDir.AppDir(), "K",
                                                                          std::to_string(Base)}) +
                        std::chrono::microseconds(40000);
    long long saved = 0;
    int inconsistent = 0, stale = 0, carriedForward = 0, undone = 0, tempsAfterKill = 0,
        leftovers = 0, failedRuns = 0, insideASave = 0;
    long long lost = 0;
    for (int run = 0; run < runs; ++run) {
        const auto delay = std::chrono::microseconds(random() % window.count());
        const harness::Run r =
            harness::RunAndSignal(LJT_LIST_SAVE_HELPER, {app, "K", std::to_string(Base)}, delay,
                                  SIGKILL, std::chrono::seconds(20));
        if (!WIFSIGNALED(r.waitStatus)) {
            ++failedRuns; // ended on its own: a failed load or save
        }
        saved = std::max(saved, LastNumber(r.output));

        core::RecoveryReport report;
        ASSERT_TRUE(core::RecoverFileSet(folder, {paths.begin(), paths.end()}, report));
        carriedForward += report.rolledForward ? 1 : 0;
        undone += report.rolledBack ? 1 : 0;
        tempsAfterKill += report.tempsRemoved;
        insideASave += report.rolledForward || report.rolledBack || report.tempsRemoved > 0;

        core::StudyState state;
        state.AppDir = app;
        state.LearnerName = "K";
        ASSERT_TRUE(state.LoadLearnerLists()) << "run " << run;
        const std::array<harness::Lines, 3> lists = {
            state.NewList.Lines(), state.MasteredList.Lines(), state.ReviewList.Lines()};
        const long long step = harness::StepOf(lists, Base);
        lost += harness::LostWords(lists, saved, Base);
        if (step < 0 || step > saved + 1) {
            ++inconsistent;
        } else if (step < saved) {
            ++stale; // a save reported finished was not found
        } else {
            saved = step;
        }

        // The next save leaves nothing of the interrupted one behind. A broken set is put
        // right first, so that every run is counted on its own.
        std::array<harness::Lines, 3> next = lists;
        if (step < 0 || step < saved) {
            next = harness::ListsAt(saved, Base);
        }
        state.NewList.Replace(next[0]);
        state.MasteredList.Replace(next[1]);
        state.ReviewList.Replace(next[2]);
        ASSERT_TRUE(state.SaveLearnerLists()) << "run " << run;
        leftovers += Leftovers(folder);
    }
    std::cout << "kill harness (seed " << seed << "): " << runs << " kills (" << insideASave
              << " inside a save), " << saved
              << " saves finished; interrupted saves found: " << carriedForward << " carried out, "
              << undone << " undone, " << tempsAfterKill
              << " temporary files removed; inconsistent sets: " << inconsistent
              << ", finished saves not found: " << stale << ", lost words: " << lost
              << ", leftovers after the next save: " << leftovers
              << ", helper runs that failed: " << failedRuns << std::endl;
    EXPECT_EQ(inconsistent, 0);
    EXPECT_EQ(stale, 0);
    EXPECT_EQ(lost, 0);
    EXPECT_EQ(leftovers, 0);
    EXPECT_EQ(failedRuns, 0);
    EXPECT_GT(saved, 0) << "the helper never finished a save";
}

} // namespace

namespace {

// Kills a program that appends to a study history: every event it reported appended is read
// back afterwards, in order, and the file stays readable; what a kill cut off is one line,
// skipped and counted.
TEST(KillHarness, KilledAppendsLoseNoEarlierEvent) {
    const int runs = harness::CountFromEnvironment("LJT_KILL_RUNS", 50);
    const unsigned seed = static_cast<unsigned>(harness::CountFromEnvironment(
        "LJT_KILL_SEED", static_cast<int>(std::random_device{}() >> 1)));
    std::mt19937 random(seed);
    TestDir dir;
    const std::string path = dir.File("history.log");
    const auto window =
        harness::TimeToFirstOutput(LJT_HISTORY_APPEND_HELPER, {dir.File("startup.log"), "0"}) +
        std::chrono::microseconds(20000);
    long long reported = -1; // the last number a helper reported appended
    int failedRuns = 0, lost = 0, unordered = 0, cut = 0;
    for (int run = 0; run < runs; ++run) {
        const auto delay = std::chrono::microseconds(2000 + random() % window.count());
        const harness::Run r =
            harness::RunAndSignal(LJT_HISTORY_APPEND_HELPER, {path, std::to_string(reported + 1)},
                                  delay, SIGKILL, std::chrono::seconds(20));
        if (!WIFSIGNALED(r.waitStatus)) {
            ++failedRuns;
        }
        reported = std::max(reported, LastNumber(r.output));
        const core::HistoryRead read = core::ReadHistory(path);
        ASSERT_TRUE(read.status.ok) << "run " << run;
        // Every number up to the last reported is there once, in order; one more may follow
        // (appended, killed before it was reported).
        long long expected = 0;
        for (const core::HistoryEvent& e : read.events) {
            unordered +=
                e.word.rfind(std::string("w").append(std::to_string(expected)).append("x"), 0) == 0
                    ? 0
                    : 1;
            expected = std::stoll(e.word.substr(1)) + 1;
        }
        lost += expected < reported + 1 ? 1 : 0;
        reported = std::max(reported, expected - 1);
        cut += read.tornLast ? 1 : 0;
        // Damage is only what kills cut off: at most one line per kill so far.
        EXPECT_LE(read.damaged, static_cast<std::size_t>(run)) << "run " << run;
        EXPECT_EQ(read.newer, 0u);
    }
    std::cout << "history kill harness (seed " << seed << "): " << runs << " kills, "
              << reported + 1 << " events, " << cut << " kills cut a line" << std::endl;
    EXPECT_EQ(failedRuns, 0);
    EXPECT_EQ(lost, 0);
    EXPECT_EQ(unordered, 0);
    EXPECT_GT(reported, 0) << "the helper never appended";
}

} // namespace
