#include "core/learnerfiles.h"
#include "core/studystate.h"
#include "core/textfile.h"

#include "test_dir.h"

#include <csignal>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <iostream>
#include <map>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

namespace fs = std::filesystem;
using core::StatText;
using Lines = std::vector<std::string>;

namespace {

class StudyStateTest : public ::testing::Test {
protected:
    void SetUp() override {
        state.AppDir = dir.AppDir();
        state.LearnerName = "小明";
        state.OnText = [this](StatText which, const std::string& text) {
            texts[which] = text;
            ++writes;
        };
        ASSERT_TRUE(core::CreateLearnerFiles(state.AppDir, state.LearnerName));
    }
    void WriteList(int which, const Lines& lines) {
        ASSERT_TRUE(
            core::WriteTextLines(core::LearnerListPath(state.AppDir, "小明", which), lines));
    }
    Lines ReadList(int which) {
        Lines lines;
        EXPECT_TRUE(core::ReadTextLines(core::LearnerListPath(state.AppDir, "小明", which), lines));
        return lines;
    }

    TestDir dir;
    core::StudyState state;
    std::map<StatText, std::string> texts;
    int writes = 0;
};

TEST_F(StudyStateTest, LoadSetsCountersTextsAndContentKind) {
    WriteList(1, {"a[a]1", "b[b]2", "c[c]3"});
    WriteList(2, {"m[m]4"});
    WriteList(3, {"r[r]5", "s[s]6"});
    ASSERT_TRUE(core::WriteTextLines(state.AppDir + "br.tif", {"[Mywav]", "a=a.wav"}));
    state.ContentKind = core::StudyContent::Review;
    ASSERT_TRUE(state.LoadLearnerLists());
    EXPECT_EQ(state.NewCount, 3);
    EXPECT_EQ(state.MasteredCount, 1);
    EXPECT_EQ(state.ReviewCount, 2);
    EXPECT_EQ(state.ContentKind, core::StudyContent::NewWords);
    EXPECT_EQ(texts[StatText::Mastered], "已掌握单词1个");
    EXPECT_EQ(texts[StatText::Review], "需复习单词2个");
    EXPECT_EQ(texts[StatText::Total], "单词总数量6个");
    EXPECT_EQ(texts[StatText::Banner], "小明     努力吧！ 成功就在眼前！");
    EXPECT_EQ(texts[StatText::Summary], "单词共4个单词，已经掌握1个，需复习单词2个：  ");
    EXPECT_EQ(texts.count(StatText::NewLearned), 0u) << "only AddToReview writes it";
    EXPECT_EQ(state.SoundIndex.Value("A"), "a.wav");
}

TEST_F(StudyStateTest, UnreadableListStopsTheLoadAtThatFile) {
    WriteList(1, {"n1[n]x"});
    WriteList(2, {"m1[m]x"});
    // The review file is a folder: it cannot be read.
    const std::string review = core::LearnerListPath(state.AppDir, "小明", 3);
    fs::remove(review);
    fs::create_directory(review);
    state.MasteredCount = 42;
    state.ContentKind = core::StudyContent::Mastered;
    core::Status s = state.LoadLearnerLists();
    EXPECT_FALSE(s);
    EXPECT_EQ(s.file, review);
    EXPECT_NE(s.file.find("小明3.bm"), std::string::npos);
    // Lists loaded before the failing file keep their new lines; nothing else changes.
    EXPECT_EQ(state.NewList.Lines(), Lines{"n1[n]x"});
    EXPECT_EQ(state.MasteredList.Lines(), Lines{"m1[m]x"});
    EXPECT_EQ(state.MasteredCount, 42);
    EXPECT_EQ(state.ContentKind, core::StudyContent::Mastered);
    EXPECT_EQ(writes, 0);
}

TEST_F(StudyStateTest, MissingNewListFailsButMissingOtherListsStartEmpty) {
    WriteList(1, {"n1[n]x"});
    fs::remove(core::LearnerListPath(state.AppDir, "小明", 3));
    ASSERT_TRUE(state.LoadLearnerLists());
    EXPECT_TRUE(state.ReviewList.empty());
    fs::remove(core::LearnerListPath(state.AppDir, "小明", 1));
    core::Status s = state.LoadLearnerLists();
    EXPECT_FALSE(s);
    EXPECT_NE(s.file.find("小明1.bm"), std::string::npos);
}

TEST_F(StudyStateTest, FetchEntryTrimsAndGivesEmptyPastTheEnd) {
    state.NewList.Replace({"  a[a]1 \t", "", "b[b]2"});
    state.ReviewList.Replace({"r[r]3"});
    struct Case {
        int kind;
        int cursor;
        const char* entry;
    };
    const Case cases[] = {{1, 0, "a[a]1"}, {1, 1, ""}, {1, 2, "b[b]2"}, {1, 3, ""},     {1, -1, ""},
                          {3, 0, "r[r]3"}, {3, 1, ""}, {2, 0, ""},      {0, 2, "b[b]2"}};
    for (const auto& c : cases) {
        state.ContentKind = core::StudyContent(c.kind);
        state.WordCursor = c.cursor;
        state.CurrentEntry = "stale";
        state.FetchEntry();
        EXPECT_EQ(state.CurrentEntry, c.entry) << "kind " << c.kind << " cursor " << c.cursor;
    }
}

TEST_F(StudyStateTest, AddToReviewIgnoresDuplicatesInAnotherCase) {
    state.ReviewList.Replace({"Word[wE:d]n.词", "trailing[t]x  "});
    state.ReviewCount = 2;
    struct Case {
        const char* entry;
        bool added;
    };
    const Case cases[] = {
        {"WORD[WE:D]N.词", false}, // same letters, another case
        {"word[wE:d]n.词", false},
        {"trailing[t]x", true}, // a file line with trailing blanks differs
        {"", false},            // never an empty entry
        {"new[n]x", true},
        {"NEW[N]X", false}, // just added
    };
    int expectedCount = 2;
    int expectedLearned = 0;
    for (const auto& c : cases) {
        state.CurrentEntry = c.entry;
        texts.clear();
        EXPECT_EQ(state.AddToReview(), c.added) << c.entry;
        if (c.added) {
            ++expectedCount;
            ++expectedLearned;
            EXPECT_EQ(texts[StatText::Review], core::CountText("需复习单词", expectedCount));
            EXPECT_EQ(texts[StatText::NewLearned], core::CountText("新学单词量", expectedLearned));
        } else {
            EXPECT_TRUE(texts.empty()) << "no text changes for " << c.entry;
        }
        EXPECT_EQ(state.ReviewCount, expectedCount);
        EXPECT_EQ(state.NewLearnedCount, expectedLearned);
    }
    EXPECT_EQ(state.ReviewList.size(), 4u);
}

TEST_F(StudyStateTest, AddToNewListIgnoresDuplicatesAndCountsTheTotal) {
    state.NewList.Replace({"apple[A]n.苹果"});
    state.MasteredList.Replace({"news[nju:z]n.新闻"});
    state.ReviewList.Replace({"Dog[dCg]n.狗"});
    state.NewCount = 1;
    state.MasteredCount = 2;
    state.ReviewCount = 3;
    struct Case {
        const char* entry;
        bool added;
    };
    const Case cases[] = {
        {"APPLE[a]N.苹果", false},                     // same letters, another case
        {"  pear[pZE]n.梨  ", true},                   // trimmed, then added
        {"pear[pZE]n.梨", false},     {" \t ", false}, // never an empty entry
        {"NEWS[nju:z]n.消息", false},                  // mastered already, with another meaning
        {"dog [dC:g]v.跟踪", false},                   // to be reviewed already
        {"apples[Alz]n.苹果", true},                   // another word
    };
    int expected = 1;
    for (const auto& c : cases) {
        texts.clear();
        EXPECT_EQ(state.AddToNewList(c.entry), c.added) << c.entry;
        if (c.added) {
            ++expected;
            EXPECT_EQ(texts[StatText::Total], core::CountText("单词总数量", expected + 5));
            EXPECT_EQ(texts.count(StatText::Summary), 1u);
        } else {
            EXPECT_TRUE(texts.empty()) << c.entry;
        }
        EXPECT_EQ(state.NewCount, expected);
    }
    EXPECT_EQ(state.NewList.Lines(),
              (Lines{"apple[A]n.苹果", "pear[pZE]n.梨", "apples[Alz]n.苹果"}));
}

TEST_F(StudyStateTest, AddToMasteredAndCountMastered) {
    state.MasteredList.Replace({"a[a]1"});
    state.MasteredCount = 1;
    state.CurrentEntry = "A[A]1";
    EXPECT_FALSE(state.AddToMastered());
    EXPECT_EQ(state.MasteredCount, 1);
    state.CurrentEntry = "b[b]2";
    EXPECT_TRUE(state.AddToMastered());
    EXPECT_EQ(state.MasteredCount, 2);
    EXPECT_EQ(texts[StatText::Mastered], "已掌握单词2个");
    state.CurrentEntry = "";
    EXPECT_FALSE(state.AddToMastered());
    // Consolidation counts a word that already stands in the list: the counter drifts.
    state.CountMastered();
    EXPECT_EQ(state.MasteredCount, 3);
    EXPECT_EQ(state.MasteredList.size(), 2u);
    EXPECT_EQ(texts[StatText::Mastered], "已掌握单词3个");
}

TEST_F(StudyStateTest, RemovalsAndCounterDrift) {
    state.NewList.Replace({"a", "b", "c"});
    state.ReviewList.Replace({"r", "s"});
    state.NewCount = 3;
    state.ReviewCount = 2;
    state.RemoveFromNew(1);
    state.RemoveFromNew(7);
    EXPECT_EQ(state.NewList.Lines(), (Lines{"a", "c"}));
    EXPECT_EQ(state.NewCount, 3) << "removal from the new list counts nothing";
    state.RemoveFromReview(0, false);
    EXPECT_EQ(state.ReviewCount, 2) << "the spelling test removes without counting";
    EXPECT_EQ(texts.count(StatText::Review), 0u);
    state.RemoveFromReview(0, true);
    EXPECT_EQ(state.ReviewCount, 1);
    EXPECT_EQ(texts[StatText::Review], "需复习单词1个");
    EXPECT_TRUE(state.ReviewList.empty());
    state.RemoveFromReview(0, true);
    EXPECT_EQ(state.ReviewCount, 1) << "nothing removed, nothing counted";
}

TEST_F(StudyStateTest, MarkKnownPerContentKind) {
    struct Case {
        const char* name;
        core::StudyContent kind;
        long long pos;
        const char* entry;
        const char* lists; ///< the three lists afterwards, joined by spaces, split by "|"
        int masteredCount, reviewCount;
        const char* masteredText;
        const char* reviewText;
    };
    using K = core::StudyContent;
    // The lists start as "n1 n2 n3|m1 m2|r1 r2"; the counters at 5, 2 and 2.
    const Case cases[] = {
        {"new word mastered", K::NewWords, 1, "n2", "n1 n3|m1 m2 n2|r1 r2", 3, 2, "已掌握单词3个",
         ""},
        {"new word mastered already", K::NewWords, 0, "M1", "n2 n3|m1 m2|r1 r2", 2, 2, "", ""},
        {"new word not at pos", K::NewWords, -1, "x", "n1 n2 n3|m1 m2 x|r1 r2", 3, 2,
         "已掌握单词3个", ""},
        {"consolidation only counts", K::Mastered, 1, "m2", "n1 n2 n3|m1 m2|r1 r2", 3, 2,
         "已掌握单词3个", ""},
        // Held by the review list alone, the word joins the mastered list rather than vanish.
        {"review word mastered", K::Review, 0, "r1", "n1 n2 n3|m1 m2 r1|r2", 3, 1, "已掌握单词3个",
         "需复习单词1个"},
        {"review word not at pos", K::Review, 5, "r9", "n1 n2 n3|m1 m2|r1 r2", 2, 2, "", ""},
        {"nothing chosen", K::None, 0, "n1", "n1 n2 n3|m1 m2|r1 r2", 2, 2, "", ""},
    };
    const auto joined = [](const core::WordList& list) {
        std::string text;
        for (const std::string& line : list.Lines()) {
            if (!text.empty()) {
                text += ' ';
            }
            text += line;
        }
        return text;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        texts.clear();
        state.NewList.Replace({"n1", "n2", "n3"});
        state.MasteredList.Replace({"m1", "m2"});
        state.ReviewList.Replace({"r1", "r2"});
        state.NewCount = 5;
        state.MasteredCount = 2;
        state.ReviewCount = 2;
        state.CurrentEntry = c.entry;
        state.WordCursor = 4;
        state.MarkKnown(c.kind, c.pos);
        EXPECT_EQ(joined(state.NewList) + "|" + joined(state.MasteredList) + "|" +
                      joined(state.ReviewList),
                  c.lists);
        EXPECT_EQ(state.NewCount, 5) << "the total is not counted again";
        EXPECT_EQ(state.MasteredCount, c.masteredCount);
        EXPECT_EQ(state.ReviewCount, c.reviewCount);
        EXPECT_EQ(texts[StatText::Mastered], c.masteredText);
        EXPECT_EQ(texts[StatText::Review], c.reviewText);
        // Even where a line was removed: the one that moved up comes round after the wrap.
        EXPECT_EQ(state.WordCursor, 5);
    }
}

TEST(StudyStateReview, AMasteredReviewLineIsKeptWhenNoOtherListHoldsItsWord) {
    struct Case {
        Lines newWords, mastered, review;
        long long pos;
        Lines masteredAfter, reviewAfter;
        int masteredCount;
    };
    // The counters start at the list lengths.
    const Case cases[] = {
        // Held by the review list alone: it joins the mastered list, trimmed.
        {{"n[n]1"}, {"m[m]2"}, {"r[r]3", " s[s]4 "}, 1, {"m[m]2", "s[s]4"}, {"r[r]3"}, 2},
        // A copy of a new word (in another case, with another meaning): it only leaves.
        {{"Word[w]new"}, {}, {"word[w]review"}, 0, {}, {}, 0},
        // A copy of a mastered word: it only leaves.
        {{}, {"m[m]2"}, {"M[m]2", "r[r]3"}, 0, {"m[m]2"}, {"r[r]3"}, 1},
        // Twice in the review list: the other line keeps the word.
        {{}, {}, {"r[r]3", "R[r]3"}, 0, {}, {"R[r]3"}, 0},
        // Past the end and before the start: nothing.
        {{}, {}, {"r[r]3"}, 1, {}, {"r[r]3"}, 0},
        {{}, {}, {"r[r]3"}, -1, {}, {"r[r]3"}, 0},
    };
    int row = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(row++);
        core::StudyState s;
        std::map<StatText, std::string> t;
        s.OnText = [&t](StatText which, const std::string& text) { t[which] = text; };
        s.NewList.Replace(c.newWords);
        s.MasteredList.Replace(c.mastered);
        s.ReviewList.Replace(c.review);
        s.MasteredCount = static_cast<int>(c.mastered.size());
        s.ReviewCount = static_cast<int>(c.review.size());
        s.MasterReviewLine(c.pos);
        EXPECT_EQ(s.MasteredList.Lines(), c.masteredAfter);
        EXPECT_EQ(s.ReviewList.Lines(), c.reviewAfter);
        EXPECT_EQ(s.MasteredCount, c.masteredCount);
        EXPECT_EQ(s.ReviewCount, static_cast<int>(c.reviewAfter.size()));
        EXPECT_EQ(s.NewList.Lines(), c.newWords);
        EXPECT_EQ(t.count(StatText::Mastered),
                  c.masteredCount > static_cast<int>(c.mastered.size()) ? 1u : 0u);
    }
}

TEST_F(StudyStateTest, SaveWritesThreeFilesAndLoadReadsThemBack) {
    state.NewList.Replace({"word[wE:d]n.词；单词", "ə[ə]Unicode"});
    state.MasteredList.Replace({});
    state.ReviewList.Replace({"think[WINk]v.想"});
    ASSERT_TRUE(state.SaveLearnerLists());
    EXPECT_EQ(fs::file_size(core::LearnerListPath(state.AppDir, "小明", 2)), 0u);
    EXPECT_EQ(ReadList(3), Lines{"think[WINk]v.想"});
    core::StudyState other;
    other.AppDir = state.AppDir;
    other.LearnerName = "小明";
    ASSERT_TRUE(other.LoadLearnerLists());
    EXPECT_EQ(other.NewList.Lines(), state.NewList.Lines());
    EXPECT_EQ(other.ReviewList.Lines(), state.ReviewList.Lines());
}

TEST_F(StudyStateTest, SaveWithoutLearnerWritesNothing) {
    WriteList(1, {"keep"});
    state.LearnerName.clear();
    state.NewList.Replace({"changed"});
    EXPECT_TRUE(state.SaveLearnerLists());
    state.LearnerName = "小明";
    EXPECT_EQ(ReadList(1), Lines{"keep"});
}

TEST_F(StudyStateTest, AFailedSaveChangesNoFile) {
    // "book" moves from the new-word list to the mastered list; then the mastered file cannot
    // be written. The new-word file must not lose the word either: the three files are saved
    // as one or not at all.
    const std::string folder = state.AppDir + "小明";
    const std::string mastered = core::LearnerListPath(state.AppDir, "小明", 2);
    Lines masteredLines;
    for (int i = 0; i < 200; ++i) {
        masteredLines.push_back("word" + std::to_string(i) + "[w]n.词");
    }
    struct Case {
        const char* name;
        std::function<bool()> make;
        std::function<void()> undo;
        std::string failingFile;
    };
    const std::string newWords = core::LearnerListPath(state.AppDir, "小明", 1);
    rlimit savedLimit{};
    struct sigaction savedAction {};
    const Case cases[] = {
        {"mastered file immutable", [&] { return SetImmutable(mastered, true); },
         [&] { SetImmutable(mastered, false); }, mastered},
        {"mastered file read-only", [&] { return ::chmod(mastered.c_str(), 0444) == 0; },
         [&] { ::chmod(mastered.c_str(), 0644); }, mastered},
        {"a folder in the mastered file's place",
         [&] {
             fs::rename(mastered, mastered + ".away");
             return fs::create_directories(mastered + "/x");
         },
         [&] {
             fs::remove_all(mastered);
             fs::rename(mastered + ".away", mastered);
         },
         mastered},
        {"disk full while writing the mastered file",
         [&] {
             struct sigaction ignore {};
             ignore.sa_handler = SIG_IGN;
             ::sigaction(SIGXFSZ, &ignore, &savedAction);
             ::getrlimit(RLIMIT_FSIZE, &savedLimit);
             rlimit small = savedLimit;
             small.rlim_cur = 2048; // the new-word file fits, the mastered file does not
             return ::setrlimit(RLIMIT_FSIZE, &small) == 0;
         },
         [&] {
             ::setrlimit(RLIMIT_FSIZE, &savedLimit);
             ::sigaction(SIGXFSZ, &savedAction, nullptr);
         },
         mastered},
        {"learner folder read-only", [&] { return ::chmod(folder.c_str(), 0555) == 0; },
         [&] { ::chmod(folder.c_str(), 0755); }, newWords},
    };
    for (const auto& c : cases) {
        WriteList(1, {"apple[Apl]n.苹果", "book[buk]n.书", "cat[kAt]n.猫"});
        WriteList(2, masteredLines);
        WriteList(3, {});
        fs::remove_all(folder + "/backup");
        ASSERT_TRUE(state.LoadLearnerLists());
        state.ContentKind = core::StudyContent::NewWords;
        state.WordCursor = 1;
        state.FetchEntry();
        ASSERT_TRUE(state.AddToMastered());
        state.RemoveFromNew(1);

        if (!c.make()) {
            std::cout << "skipped (not possible here): " << c.name << "\n";
            continue;
        }
        const auto before = Snapshot(folder);
        const core::Status s = state.SaveLearnerLists();
        const auto after = Snapshot(folder);
        c.undo();
        EXPECT_FALSE(s) << c.name;
        EXPECT_EQ(s.file, c.failingFile) << c.name;
        EXPECT_EQ(after, before) << c.name << ": no file, backup or temporary file may change";

        // Once the file can be written again, the same save goes through whole.
        ASSERT_TRUE(state.SaveLearnerLists()) << c.name;
        EXPECT_EQ(ReadList(1), (Lines{"apple[Apl]n.苹果", "cat[kAt]n.猫"})) << c.name;
        EXPECT_EQ(ReadList(2).back(), "book[buk]n.书") << c.name;
    }
}

TEST_F(StudyStateTest, AFullDiskChangesNoFile) {
    // A small file system of its own, mounted where the test may do so; otherwise skipped
    // (the file-size limit above stands in for it).
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const std::string disk = state.AppDir + "disk";
        fs::create_directories(disk);
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=96k") != 0) {
            ::_exit(77);
        }
        core::StudyState small;
        small.AppDir = disk + "/";
        small.LearnerName = "Li";
        Lines words;
        for (int i = 0; i < 1500; ++i) {
            words.push_back("word" + std::to_string(i) + "[wE:d]n.单词；词");
        }
        if (!core::CreateLearnerFiles(small.AppDir, "Li") ||
            !core::WriteTextLines(core::LearnerListPath(small.AppDir, "Li", 1), words) ||
            !small.LoadLearnerLists()) {
            ::_exit(2);
        }
        const auto before = Snapshot(disk + "/Li");
        // Every word becomes mastered: the new files no longer fit beside the old ones.
        for (int i = 0; i < 1500; ++i) {
            small.CurrentEntry = words[static_cast<std::size_t>(i)];
            small.AddToMastered();
        }
        small.RemoveFromNew(0);
        const core::Status s = small.SaveLearnerLists();
        if (s || s.sysError != ENOSPC || s.file.find("/Li/Li") == std::string::npos) {
            ::_exit(3);
        }
        ::_exit(Snapshot(disk + "/Li") == before ? 0 : 4);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77) {
        GTEST_SKIP() << "no small file system can be mounted here";
    }
    EXPECT_EQ(WEXITSTATUS(status), 0) << "2: setup, 3: the save did not fail as a full disk, "
                                         "4: something on disk changed";
}

TEST_F(StudyStateTest, BlankLinesNeverStopAMode) {
    // A line of blanks read as an entry would look like the end of the list.
    WriteList(1, {"apple[Apl]n.苹果", "   ", "", "\t", "cat[kAt]n.猫"});
    ASSERT_TRUE(state.LoadLearnerLists());
    EXPECT_EQ(state.NewList.Lines(), (Lines{"apple[Apl]n.苹果", "cat[kAt]n.猫"}));
    EXPECT_EQ(state.NewCount, 2);
    state.ContentKind = core::StudyContent::NewWords;
    state.WordCursor = 1;
    state.FetchEntry();
    EXPECT_EQ(state.CurrentEntry, "cat[kAt]n.猫");
    state.CurrentEntry = "  ";
    EXPECT_FALSE(state.AddToReview());
    EXPECT_TRUE(state.ReviewList.empty());
}

TEST_F(StudyStateTest, AListThatFailedToLoadIsLeftAloneAndTheOthersAreSaved) {
    WriteList(1, {"apple[Apl]n.苹果", "book[buk]n.书"});
    WriteList(2, {"cat[kAt]n.猫"});
    const std::string review = core::LearnerListPath(state.AppDir, "小明", 3);
    fs::remove(review);
    fs::create_directories(review + "/x");
    core::Status loaded = state.LoadLearnerLists();
    EXPECT_FALSE(loaded);
    EXPECT_EQ(loaded.file, review);
    EXPECT_TRUE(state.ListLoaded(1));
    EXPECT_TRUE(state.ListLoaded(2));
    EXPECT_FALSE(state.ListLoaded(3));

    // Mastering a word changes only lists that loaded: they are saved, the folder stays.
    state.CurrentEntry = "book[buk]n.书";
    ASSERT_TRUE(state.AddToMastered());
    state.RemoveFromNew(1);
    ASSERT_TRUE(state.SaveLearnerLists());
    EXPECT_EQ(ReadList(1), Lines{"apple[Apl]n.苹果"});
    EXPECT_EQ(ReadList(2), (Lines{"cat[kAt]n.猫", "book[buk]n.书"}));
    EXPECT_TRUE(fs::is_directory(review));

    // A word put on the list that did not load cannot be saved while its file is unreadable:
    // the save fails, naming it, and writes nothing.
    state.CurrentEntry = "apple[Apl]n.苹果";
    ASSERT_TRUE(state.AddToReview());
    state.RemoveFromNew(0);
    const auto before = Snapshot(state.AppDir + "小明");
    const core::Status s = state.SaveLearnerLists();
    EXPECT_FALSE(s);
    EXPECT_EQ(s.file, review);
    EXPECT_EQ(Snapshot(state.AppDir + "小明"), before);

    // Once the file is readable again, the word is added to what it holds.
    fs::remove_all(review);
    WriteList(3, {"dog[dCg]n.狗", "APPLE[Apl]n.苹果"});
    ASSERT_TRUE(state.SaveLearnerLists());
    EXPECT_EQ(ReadList(3), (Lines{"dog[dCg]n.狗", "APPLE[Apl]n.苹果"})) << "no duplicate";
    EXPECT_TRUE(ReadList(1).empty());
    state.CurrentEntry = "egg[eg]n.蛋";
    ASSERT_TRUE(state.AddToReview());
    ASSERT_TRUE(state.SaveLearnerLists());
    EXPECT_EQ(ReadList(3), (Lines{"dog[dCg]n.狗", "APPLE[Apl]n.苹果", "egg[eg]n.蛋"}));
}

TEST_F(StudyStateTest, OnlyChangesAreSavedAndEachSaveKeepsTheFilesBeforeIt) {
    core::ManualClock clock(std::chrono::system_clock::from_time_t(1733600000));
    state.BackupClock = &clock;
    WriteList(1, {"apple[Apl]n.苹果", "book[buk]n.书"});
    ASSERT_TRUE(state.LoadLearnerLists());
    const std::string folder = state.AppDir + "小明";
    const auto untouched = Snapshot(folder);
    ASSERT_TRUE(state.SaveLearnerLists());
    EXPECT_EQ(Snapshot(folder), untouched) << "nothing changed, nothing written";
    EXPECT_TRUE(state.Backups().empty());

    state.CurrentEntry = "book[buk]n.书";
    ASSERT_TRUE(state.AddToMastered());
    ASSERT_TRUE(state.SaveLearnerLists());
    clock.Advance(std::chrono::seconds(1));
    state.RemoveFromNew(1);
    ASSERT_TRUE(state.SaveLearnerLists());
    const auto backups = state.Backups();
    ASSERT_EQ(backups.size(), 2u);
    EXPECT_EQ(backups[0].words, (std::array<std::size_t, 3>{2, 1, 0})) << "before the 2nd save";
    EXPECT_EQ(backups[1].words, (std::array<std::size_t, 3>{2, 0, 0})) << "before the 1st save";
    EXPECT_EQ(ReadList(1), Lines{"apple[Apl]n.苹果"});
}

TEST_F(StudyStateTest, RestoringABackupKeepsThePresentStateAsABackupFirst) {
    core::ManualClock clock(std::chrono::system_clock::from_time_t(1733600000));
    state.BackupClock = &clock;
    WriteList(1, {"apple[Apl]n.苹果", "book[buk]n.书"});
    ASSERT_TRUE(state.LoadLearnerLists());
    state.CurrentEntry = "book[buk]n.书";
    ASSERT_TRUE(state.AddToMastered());
    state.RemoveFromNew(1);
    ASSERT_TRUE(state.SaveLearnerLists());
    const std::string first = state.Backups().at(0).name; // apple, book / - / -
    clock.Advance(std::chrono::seconds(5));

    // Unsaved study, then the restore.
    state.CurrentEntry = "apple[Apl]n.苹果";
    ASSERT_TRUE(state.AddToReview());
    ASSERT_TRUE(state.RestoreBackup(first));
    EXPECT_EQ(state.NewList.Lines(), (Lines{"apple[Apl]n.苹果", "book[buk]n.书"}));
    EXPECT_TRUE(state.MasteredList.empty());
    EXPECT_TRUE(state.ReviewList.empty());
    EXPECT_EQ(state.MasteredCount, 0);
    EXPECT_EQ(ReadList(1), state.NewList.Lines());
    // The state just before the restore, unsaved study included, is the newest backup.
    const auto backups = state.Backups();
    ASSERT_GE(backups.size(), 2u);
    EXPECT_EQ(backups[0].words, (std::array<std::size_t, 3>{1, 1, 1}));
    EXPECT_FALSE(state.RestoreBackup("no-such-backup"));
}

// The history goes into the day's first backup only, and a restore loses none of its events
// whatever became of the live file.
TEST_F(StudyStateTest, BackupsAndRestoresKeepTheStudyHistory) {
    core::ManualClock clock(std::chrono::system_clock::from_time_t(1733600000));
    state.BackupClock = &clock;
    const std::string history = core::LearnerHistoryPath(state.AppDir, "小明");
    const auto write = [&history](const std::string& bytes) {
        ASSERT_TRUE(core::WriteFileAtomic(history, bytes));
    };
    const auto inBackup = [this](const std::string& name) {
        return ReadAll(core::BackupPath(dir.AppDir() + "小明", name) + "/history.log");
    };
    write("a\nb\n");
    WriteList(1, {"apple[Apl]n.苹果", "book[buk]n.书"});
    ASSERT_TRUE(state.LoadLearnerLists());
    state.CurrentEntry = "book[buk]n.书";
    ASSERT_TRUE(state.AddToMastered());
    ASSERT_TRUE(state.SaveLearnerLists());
    const std::string first = state.Backups().at(0).name;
    EXPECT_EQ(inBackup(first), "a\nb\n");
    clock.Advance(std::chrono::seconds(5));
    ASSERT_TRUE(state.AddToReview());
    ASSERT_TRUE(state.SaveLearnerLists());
    EXPECT_EQ(inBackup(state.Backups().at(0).name), "") << "the day has its copy already";

    const struct {
        const char* name;
        std::string live; ///< empty: no live file
        std::string restored;
    } rows[] = {
        {"the live file goes on from the copy", "a\nb\nc\n", "a\nb\nc\n"},
        {"the live file is gone", "", "a\nb\n"},
        {"the live file was cut and went on", "a\nc\n", "a\nb\nc\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.live.empty()) {
            std::remove(history.c_str());
        } else {
            write(row.live);
        }
        clock.Advance(std::chrono::seconds(5));
        ASSERT_TRUE(state.RestoreBackup(first));
        EXPECT_EQ(ReadAll(history), row.restored);
        // The history as it was before the restore is kept with the lists.
        EXPECT_EQ(inBackup(state.Backups().at(0).name), row.live);
    }
}

} // namespace
