// The kill harness over the main window: the periodic save under SIGKILL at random moments,
// and the save on SIGTERM, SIGHUP and SIGINT. Every set found must be whole, no word may be
// missing from every list, a finished save must never be lost, and a signal must save all the
// study up to it. LJT_SHELL_KILLS and LJT_SHELL_SIGNALS set the number of runs.
#include "../core/growinglists.h"
#include "../core/killrun.h"
#include "core/fileset.h"
#include "core/learnerfiles.h"
#include "core/studystate.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <iostream>
#include <random>
#include <sstream>

namespace {

constexpr long long Base = 2000;

struct Output {
    long long lastChanged = -1;
    long long lastSaved = -1;
    bool refused = false;
    bool inconsistentAtStart = false;
    bool signedIn = false;
};

Output Read(const std::string& text) {
    Output out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with("changed ")) {
            out.lastChanged = std::stoll(line.substr(8));
        } else if (line.starts_with("saved ")) {
            out.lastSaved = std::max(out.lastSaved, std::stoll(line.substr(6)));
        } else if (line.find("另一个朗记通窗口") != std::string::npos) {
            out.refused = true;
        } else if (line.starts_with("signed-in")) {
            out.signedIn = true;
        } else if (line.starts_with("inconsistent")) {
            out.inconsistentAtStart = true;
        }
    }
    return out;
}

int Leftovers(const QString& folder) {
    int n = QDir(folder).entryList({".ljt-*"}, QDir::AllEntries | QDir::Hidden).size();
    n += QDir(folder + "/backup")
             .entryList({".*"}, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
             .size();
    return n;
}

TEST(ShellKillHarness, PeriodicAndSignalSavesLeaveWholeSetsAndLoseNoStudy) {
    const int kills = harness::CountFromEnvironment("LJT_SHELL_KILLS", 12);
    const int signalRuns = harness::CountFromEnvironment("LJT_SHELL_SIGNALS", 6);
    const unsigned seed = static_cast<unsigned>(harness::CountFromEnvironment(
        "LJT_KILL_SEED", static_cast<int>(std::random_device{}() >> 1)));
    std::mt19937 random(seed);
    QTemporaryDir dir;
    const std::string app = dir.path().toStdString() + "/";
    const QString folder = dir.path() + "/K";
    ASSERT_TRUE(core::CreateLearnerFiles(app, "K"));
    {
        core::StudyState state;
        state.AppDir = app;
        state.LearnerName = "K";
        ASSERT_TRUE(state.LoadLearnerLists());
        state.NewList.Replace(harness::ListsAt(0, Base)[0]);
        ASSERT_TRUE(state.SaveLearnerLists());
    }
    const auto paths = core::LearnerListPaths(app, "K");
    long long baseline = 0;
    int inconsistent = 0, notFound = 0, refused = 0, signalFailures = 0, unsavedStudy = 0,
        leftovers = 0, carriedForward = 0, runsWithSaves = 0, signalsBeforeSignIn = 0;
    long long lost = 0, steps = 0;
    unsigned patience = 1;
    for (int run = 0; run < kills + signalRuns; ++run) {
        const bool signalRun = run >= kills;
        const int signal = signalRun ? std::array{SIGTERM, SIGHUP, SIGINT}[run % 3] : SIGKILL;
        // A helper that had not signed in when it was ended (a slow machine, a sanitizer
        // build) tested nothing: later runs wait longer, up to four times.
        const auto delay = std::chrono::milliseconds((300 + random() % 600) * patience);
        const harness::Run r = harness::RunAndSignal(
            LJT_SHELL_SAVE_HELPER, {app, "K", std::to_string(Base), "40"}, delay, signal,
            std::chrono::seconds(20), {"QT_QPA_PLATFORM=offscreen"});
        const Output out = Read(r.output);
        if (!out.signedIn && patience < 4) {
            ++patience;
        }
        refused += out.refused ? 1 : 0;
        inconsistent += out.inconsistentAtStart ? 1 : 0;
        runsWithSaves += out.lastSaved > baseline ? 1 : 0;
        const long long saved = std::max(baseline, out.lastSaved);

        core::RecoveryReport report;
        ASSERT_TRUE(
            core::RecoverFileSet(folder.toStdString(), {paths.begin(), paths.end()}, report));
        carriedForward += report.rolledForward ? 1 : 0;
        core::StudyState state;
        state.AppDir = app;
        state.LearnerName = "K";
        ASSERT_TRUE(state.LoadLearnerLists()) << "run " << run;
        const std::array<harness::Lines, 3> lists = {
            state.NewList.Lines(), state.MasteredList.Lines(), state.ReviewList.Lines()};
        const long long step = harness::StepOf(lists, Base);
        lost += harness::LostWords(lists, saved, Base);
        if (step < 0) {
            ++inconsistent;
        } else if (step < saved) {
            ++notFound;
        }
        if (signalRun && !out.signedIn) {
            ++signalsBeforeSignIn; // ended by the signal's default action: nothing to save yet
        } else if (signalRun) {
            if (r.timedOut || !WIFEXITED(r.waitStatus) || WEXITSTATUS(r.waitStatus) != 0) {
                ++signalFailures;
            }
            if (step != std::max(baseline, out.lastChanged)) {
                ++unsavedStudy;
            }
        }
        if (std::getenv("LJT_HARNESS_VERBOSE") != nullptr) {
            std::cout << "run " << run << " signal " << signal << " after " << delay.count()
                      << " ms: changed " << out.lastChanged << ", saved " << out.lastSaved
                      << ", found " << step << " (" << lists[0].size() << "/" << lists[1].size()
                      << "/" << lists[2].size() << "), status " << r.waitStatus
                      << (r.timedOut ? " timed out" : "") << "\n"
                      << (step < 0 || out.refused || (WIFEXITED(r.waitStatus) && r.waitStatus != 0)
                              ? r.output
                              : "");
        }
        if (step >= 0) {
            steps += step - baseline;
            baseline = step;
        }
        state.NewList.Replace(lists[0]);
        ASSERT_TRUE(state.SaveLearnerLists());
        leftovers += Leftovers(folder);
    }
    std::cout << "main-window kill harness (seed " << seed << "): " << kills
              << " kills during periodic saves, " << signalRuns << " signals; " << steps
              << " study steps kept, runs with a periodic save: " << runsWithSaves
              << ", interrupted saves carried out: " << carriedForward
              << "; inconsistent sets: " << inconsistent
              << ", finished saves not found: " << notFound << ", lost words: " << lost
              << ", signals before the sign-in: " << signalsBeforeSignIn
              << ", signal runs that did not end cleanly: " << signalFailures
              << ", signal runs with unsaved study: " << unsavedStudy
              << ", sign-ins refused (stale lock): " << refused
              << ", leftovers after the next save: " << leftovers << std::endl;
    EXPECT_EQ(inconsistent, 0);
    EXPECT_EQ(notFound, 0);
    EXPECT_EQ(lost, 0);
    EXPECT_EQ(signalFailures, 0);
    EXPECT_EQ(unsavedStudy, 0);
    EXPECT_EQ(refused, 0);
    EXPECT_EQ(leftovers, 0);
    EXPECT_GT(runsWithSaves, 0) << "no periodic save ever finished";
}

} // namespace
