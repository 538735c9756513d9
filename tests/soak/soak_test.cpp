// The soak: the whole program (soak_helper) run again and again on one learner with random
// actions, each run ended at a random moment by SIGKILL or by SIGTERM (a clean close). After
// every run the lists must load, whole, with no journal or temporary file left; no list may
// hold a blank line or a line twice; and every word the lists held after the run before must
// still be in one of them. Besides, the lists on disk must be exactly a set of lists the
// program held: the one its last save wrote, or one that came after it (a save cut short),
// and after a clean close its very last. The wall time is LJT_SOAK_SECONDS, else the argument
// --seconds N, else 120 s. LJT_SOAK_SEED sets the base seed (run i uses base + i, and the base
// seeds the ends of the runs); LJT_SOAK_VERBOSE prints everything the helper wrote.
#include "../core/killrun.h"
#include "listdigest.h"

#include "core/learnerfiles.h"
#include "core/studystate.h"
#include "core/textfile.h"
#include "core/wordentry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <iostream>
#include <poll.h>
#include <random>
#include <set>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr const char* Learner = "soak";
constexpr long long DefaultSeconds = 120;
constexpr unsigned DefaultSeed = 20261208;

/// The wall time the command line gives (--seconds N), when it gives one.
long long secondsArgument = 0;

long long FromEnvironment(const char* name, long long fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::atoll(value) : fallback;
}

/// What a run printed.
struct Output {
    long long actions = 0;
    long long saves = 0;
    long long modals = 0;
    bool signedIn = false;
    std::string signedInDigest; ///< the lists as the helper loaded them
    bool warm = false;          ///< every window has been opened and used once
    std::vector<long> memory;   ///< heap in use in kB, every two seconds after the warm-up
    /// The states the lists may be found in on disk: the one the last save wrote (or, without
    /// a save, the one found before the run), and every state after it, which a save may have
    /// written before it could be printed.
    std::set<std::string> possible;
    std::string last; ///< the last state of the lists, which a clean close saves
};

Output Read(const std::string& text, const std::string& before) {
    Output out;
    out.possible = {before};
    out.last = before;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with("action ")) {
            ++out.actions;
        } else if (line.starts_with("lists ")) {
            out.last = line.substr(6);
            out.possible.insert(out.last);
        } else if (line.starts_with("saved ")) {
            ++out.saves;
            out.last = line.substr(6);
            out.possible = {out.last};
        } else if (line == "warm") {
            out.warm = true;
        } else if (line.starts_with("memory ") && out.warm) {
            out.memory.push_back(std::atol(line.c_str() + 7));
        } else if (line.starts_with("modal ")) {
            ++out.modals;
        } else if (line.starts_with("signed-in ")) {
            out.signedIn = true;
            out.signedInDigest = line.substr(line.rfind(' ') + 1);
        }
    }
    return out;
}

std::string Tail(const std::string& text, std::size_t lines) {
    std::size_t at = text.size();
    for (std::size_t n = 0; n <= lines && at > 0; ++n) {
        at = text.rfind('\n', at - 1);
        if (at == std::string::npos) {
            return text;
        }
    }
    return text.substr(at + 1);
}

/// Temporary files of a save and journals left in the learner folder or its backups.
std::vector<std::string> Leftovers(const QString& learnerFolder) {
    std::vector<std::string> found;
    for (const QString& folder : {learnerFolder, learnerFolder + "/backup"}) {
        for (const QString& name :
             QDir(folder).entryList({".ljt*"}, QDir::AllEntries | QDir::Hidden)) {
            found.push_back((folder + "/" + name).toStdString());
        }
    }
    return found;
}

/// The program folder: the built data linked in, and a learner with words in every list.
void MakeProgramFolder(const QString& app) {
    const QString built = QStringLiteral(LJT_APPDIR "/");
    ASSERT_TRUE(QFile::exists(built + "Ebook.txt"))
        << "the program folder has no data: build the appdata target";
    for (const QString& entry : QDir(built).entryList(QDir::AllEntries | QDir::NoDotAndDotDot)) {
        if (entry != QLatin1String("langjitong")) {
            ASSERT_TRUE(QFile::link(built + entry, app + entry));
        }
    }
    std::vector<std::string> banks, words;
    ASSERT_TRUE(core::ReadTextLines((app + "Ebook.txt").toStdString(), banks).ok);
    ASSERT_FALSE(banks.empty());
    ASSERT_TRUE(core::ReadTextLines(
                    (app + "Worddata/" + QString::fromStdString(core::Trim(banks.front())) + ".dst")
                        .toStdString(),
                    words)
                    .ok);
    ASSERT_GE(words.size(), 300u);
    ASSERT_TRUE(core::CreateLearnerFiles(app.toStdString(), Learner));
    core::StudyState state;
    state.AppDir = app.toStdString();
    state.LearnerName = Learner;
    ASSERT_TRUE(state.LoadLearnerLists());
    for (std::size_t i = 0; i < 300; ++i) {
        core::WordList& list =
            i < 200 ? state.NewList : (i < 250 ? state.MasteredList : state.ReviewList);
        list.Append(core::Trim(words[i]));
    }
    ASSERT_TRUE(state.SaveLearnerLists());
}

std::string Describe(int status) {
    if (WIFEXITED(status)) {
        return "exit " + std::to_string(WEXITSTATUS(status));
    }
    if (WIFSIGNALED(status)) {
        return std::string("signal ") + ::strsignal(WTERMSIG(status));
    }
    return "status " + std::to_string(status);
}

TEST(Soak, RandomRunsEndedAtRandomMomentsLoseNoWord) {
    const long long seconds =
        FromEnvironment("LJT_SOAK_SECONDS", secondsArgument > 0 ? secondsArgument : DefaultSeconds);
    const auto baseSeed = static_cast<unsigned>(FromEnvironment("LJT_SOAK_SEED", DefaultSeed));
    std::cout << "soak: " << seconds << " s, base seed " << baseSeed
              << " (LJT_SOAK_SEED repeats it)" << std::endl;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString app = dir.path() + "/";
    MakeProgramFolder(app);
    if (HasFatalFailure()) {
        return;
    }
    const QString learnerFolder = app + Learner;

    std::mt19937 random(baseSeed);
    // The first run measures the memory: half the soak, between 10 s and 5 min. The others
    // last up to a sixth of the soak, between 10 s and 2 min, and a third of them end within
    // their first three seconds: in the sign-in, the loading, the first save.
    const long long memoryRun = std::clamp<long long>(seconds * 1000 / 2, 10000, 300000);
    const long long longest = std::clamp<long long>(seconds * 1000 / 6, 10000, 120000);
    std::set<std::string> keys;
    std::string digest; // the lists found after the run before
    {
        core::StudyState state;
        state.AppDir = app.toStdString();
        state.LearnerName = Learner;
        ASSERT_TRUE(state.LoadLearnerLists());
        digest = soak::ListDigest(state);
        for (const core::WordList* list :
             {&state.NewList, &state.MasteredList, &state.ReviewList}) {
            for (const std::string& line : list->Lines()) {
                keys.insert(core::EntryWordKey(line));
            }
        }
    }
    long long runs = 0, actions = 0, kills = 0, cleanCloses = 0, wordsChecked = 0, saves = 0,
              modals = 0, notSignedIn = 0, failures = 0;
    long long longestRun = 0;
    long warmMemory = 0, endMemory = 0;
    const auto end = Clock::now() + std::chrono::seconds(seconds);
    for (unsigned run = 0; Clock::now() < end && failures == 0; ++run) {
        const unsigned seed = baseSeed + run;
        const bool kill = random() % 3 != 0;
        long long delay = run == 0 ? memoryRun
                          : random() % 3 == 0
                              ? 200 + static_cast<long long>(random() % 2800)
                              : 3000 + static_cast<long long>(random() % (longest - 2999));
        const long long left = std::chrono::duration_cast<milliseconds>(end - Clock::now()).count();
        delay = std::max<long long>(200, std::min(delay, left));
        const int signal = kill ? SIGKILL : SIGTERM;
        // The helper's own time runs out well after the signal; it closes by itself only
        // when the machine is so slow that the signal comes late.
        const harness::Run r = harness::RunAndSignal(
            LJT_SOAK_HELPER,
            {app.toStdString(), Learner, std::to_string(seed), std::to_string(delay / 1000 + 120)},
            milliseconds(delay), signal, milliseconds(120000));
        const Output out = Read(r.output, digest);
        ++runs;
        actions += out.actions;
        saves += out.saves;
        modals += out.modals;
        notSignedIn += out.signedIn ? 0 : 1;
        (kill ? kills : cleanCloses) += 1;
        const std::string where = "run " + std::to_string(run) + " (seed " + std::to_string(seed) +
                                  ", " + (kill ? "SIGKILL" : "SIGTERM") + " after " +
                                  std::to_string(delay) + " ms)";

        // The helper ends by the signal sent, or, for SIGTERM once signed in, by closing
        // cleanly; anything else is a crash or a sanitizer's report.
        const bool endedAsAsked =
            kill ? WIFSIGNALED(r.waitStatus) && WTERMSIG(r.waitStatus) == SIGKILL
                 : (WIFEXITED(r.waitStatus) && WEXITSTATUS(r.waitStatus) == 0) ||
                       (!out.signedIn && WIFSIGNALED(r.waitStatus) &&
                        WTERMSIG(r.waitStatus) == SIGTERM);
        EXPECT_FALSE(r.timedOut) << where << " did not end\n" << Tail(r.output, 30);
        EXPECT_TRUE(endedAsAsked) << where << " ended by " << Describe(r.waitStatus) << "\n"
                                  << Tail(r.output, 30);
        EXPECT_EQ(out.modals, 0) << where << " opened a modal window\n" << Tail(r.output, 30);
        // Twenty seconds is ample for the sign-in even under the sanitizers: a run that took
        // longer was refused (a lock left by a killed run) or stuck.
        EXPECT_TRUE(out.signedIn || delay < 20000) << where << " never signed in\n"
                                                   << Tail(r.output, 30);

        core::StudyState state;
        state.AppDir = app.toStdString();
        state.LearnerName = Learner;
        const core::Status loaded = state.LoadLearnerLists();
        EXPECT_TRUE(loaded) << where << ": the lists do not load (" << loaded.file << ")";
        const std::vector<std::string> leftovers = Leftovers(learnerFolder);
        EXPECT_TRUE(leftovers.empty()) << where << ": left after loading: " << leftovers.front();

        // One whole set, and the one the last save wrote or a later one; a clean close
        // saves the very last.
        const std::string foundDigest = soak::ListDigest(state);
        EXPECT_TRUE(!out.signedIn || out.signedInDigest == digest)
            << where << ": the program loaded other lists than those on disk";
        EXPECT_TRUE(out.possible.contains(foundDigest))
            << where << ": the lists on disk are none that was saved\n"
            << Tail(r.output, 30);
        if (!kill && out.signedIn && endedAsAsked) {
            EXPECT_EQ(foundDigest, out.last) << where << ": the close did not save everything";
        }
        digest = foundDigest;

        std::set<std::string> found;
        for (const core::WordList* list :
             {&state.NewList, &state.MasteredList, &state.ReviewList}) {
            std::set<std::string> lines;
            for (const std::string& line : list->Lines()) {
                EXPECT_FALSE(core::Trim(line).empty()) << where << ": a blank line";
                EXPECT_TRUE(lines.insert(line).second) << where << ": twice in a list: " << line;
                found.insert(core::EntryWordKey(line));
            }
        }
        std::vector<std::string> lost;
        std::set_difference(keys.begin(), keys.end(), found.begin(), found.end(),
                            std::back_inserter(lost));
        EXPECT_TRUE(lost.empty()) << where << ": " << lost.size() << " words lost, the first \""
                                  << lost.front() << "\"\n"
                                  << r.output;
        wordsChecked += static_cast<long long>(keys.size());
        if (std::getenv("LJT_SOAK_VERBOSE") != nullptr) {
            std::cout << r.output;
        }
        std::cout << where << ": " << out.actions << " actions, " << out.saves << " saves, "
                  << Describe(r.waitStatus) << ", lists " << state.NewList.size() << "/"
                  << state.MasteredList.size() << "/" << state.ReviewList.size() << ", "
                  << keys.size() << " words checked" << std::endl;
        keys.insert(found.begin(), found.end());

        // The memory the program settles to in the middle third of the run against the one
        // in the last third: the lowest figure of each, as recordings, pages and sounds come
        // and go in between. The first third after the warm-up is left to the first uses that
        // random actions still bring (a sound format, a page, a window's first chart), which
        // are paid once and are no growth.
        if (delay >= longestRun && out.memory.size() >= 6) {
            const auto third = static_cast<long>(out.memory.size() / 3);
            longestRun = delay;
            warmMemory =
                *std::min_element(out.memory.begin() + third, out.memory.begin() + 2 * third);
            endMemory = *std::min_element(out.memory.end() - third, out.memory.end());
        }
        if (HasFailure()) {
            ++failures;
        }
    }
    const double growth =
        warmMemory > 0 ? 100.0 * static_cast<double>(endMemory - warmMemory) / warmMemory : 0.0;
    std::cout << "soak (base seed " << baseSeed << "): " << runs << " runs, " << actions
              << " actions, " << kills << " kills, " << cleanCloses << " clean closes, " << saves
              << " saves, " << wordsChecked << " words checked (" << keys.size()
              << " words at the end), runs ended before the sign-in: " << notSignedIn
              << "; memory over the longest run (" << longestRun / 1000 << " s): heap in use "
              << warmMemory << " kB in its middle third, " << endMemory << " kB at the end ("
              << (growth >= 0 ? "+" : "") << growth << " %)" << std::endl;
    EXPECT_GT(actions, 0) << "no run got as far as an action";
    EXPECT_GT(saves, 0) << "no save ever finished";
#ifndef LJT_SANITIZED
    // Under AddressSanitizer the quarantine of freed memory grows by design: reported only.
    EXPECT_GT(warmMemory, 0) << "no run lasted long enough to measure the memory";
    EXPECT_LE(growth, 10.0) << "the memory grows over a run";
#endif
}

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string_view(argv[i]) == "--seconds") {
            secondsArgument = std::atoll(argv[i + 1]);
        }
    }
    return RUN_ALL_TESTS();
}
