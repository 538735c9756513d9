#include "core/learnerfiles.h"
#include "core/studystate.h"
#include "core/textfile.h"

#include "test_dir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <map>

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
    state.NewCount = 1;
    state.MasteredCount = 2;
    state.ReviewCount = 3;
    struct Case {
        const char* entry;
        bool added;
    };
    const Case cases[] = {
        {"APPLE[a]N.苹果", false},   // same letters, another case
        {"  pear[pZE]n.梨  ", true}, // trimmed, then added
        {"pear[pZE]n.梨", false},
        {" \t ", false}, // never an empty entry
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
    EXPECT_EQ(state.NewList.Lines(), (Lines{"apple[A]n.苹果", "pear[pZE]n.梨"}));
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

TEST_F(StudyStateTest, SaveFailureNamesTheFileAndStops) {
    state.NewList.Replace({"n"});
    state.ReviewList.Replace({"r"});
    // The mastered file's place is taken by a non-empty folder: it cannot be replaced.
    const std::string mastered = core::LearnerListPath(state.AppDir, "小明", 2);
    fs::remove(mastered);
    fs::create_directories(mastered + "/x");
    core::Status s = state.SaveLearnerLists();
    EXPECT_FALSE(s);
    EXPECT_EQ(s.file, mastered);
    EXPECT_EQ(ReadList(1), Lines{"n"}) << "the file before the failure was written";
    EXPECT_TRUE(ReadList(3).empty()) << "the save stopped at the failing file";
}

} // namespace
