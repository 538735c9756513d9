#include "core/browse.h"
#include "core/studystate.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using core::Browse;
using core::BrowseContent;
using core::BrowseStop;
using namespace std::chrono_literals;

namespace {

const core::TimePoint t0 = core::TimePoint{} + 2000h;

std::vector<std::string> Entries(int n) {
    std::vector<std::string> lines;
    for (int i = 1; i <= n; ++i) {
        lines.push_back("word" + std::to_string(i) + "[wE:d]n.词" + std::to_string(i));
    }
    return lines;
}

TEST(BrowseTest, ContentCheckPrefersReviewThenNewThenMastered) {
    struct Case {
        int review, fresh, mastered;
        int kindBefore;
        BrowseContent expect;
        int kindAfter;
    };
    const Case cases[] = {
        {2, 3, 4, 1, BrowseContent::Unchanged, 1}, // review words present: the choice stays
        {2, 0, 0, 2, BrowseContent::Unchanged, 2},
        {0, 3, 4, 3, BrowseContent::NewWords, 1}, // whatever was chosen before
        {0, 3, 0, 2, BrowseContent::NewWords, 1},
        {0, 0, 4, 1, BrowseContent::MasteredWords, 2},
        {0, 0, 0, 3, BrowseContent::Nothing, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.review << "/" << c.fresh << "/" << c.mastered);
        core::StudyState s;
        Browse b(s);
        s.ReviewList.Replace(Entries(c.review));
        s.NewList.Replace(Entries(c.fresh));
        s.MasteredList.Replace(Entries(c.mastered));
        s.ContentKind = core::StudyContent(c.kindBefore);
        EXPECT_EQ(b.CheckContent(), c.expect);
        EXPECT_EQ(s.ContentKind, core::StudyContent(c.kindAfter));
    }
}

TEST(BrowseTest, CursorOfMinusOneBecomesZeroOthersStay) {
    core::StudyState s;
    Browse b(s);
    for (auto [before, after] : {std::pair{-1, 0}, {0, 0}, {5, 5}}) {
        s.WordCursor = before;
        b.NormaliseCursor();
        EXPECT_EQ(s.WordCursor, after);
    }
}

class BrowseRunTest : public ::testing::Test {
protected:
    void StartRun(int kind, std::vector<std::string> lines, int cursor = 0) {
        s.ContentKind = core::StudyContent(kind);
        s.CurrentList().Replace(std::move(lines));
        s.WordCursor = cursor;
        b.NormaliseCursor();
        b.Begin(t0);
    }
    /// Ticks until the run stops; the words shown, in order.
    std::vector<std::string> RunToStop(BrowseStop& how, std::chrono::seconds step = 3s) {
        std::vector<std::string> shown;
        auto now = t0;
        for (int guard = 0; guard < 100; ++guard) {
            const core::BrowseStep st = b.Tick(now);
            if (st.stop != BrowseStop::None) {
                how = st.stop;
                return shown;
            }
            shown.push_back(st.word);
            b.Shown();
            now += step;
        }
        ADD_FAILURE() << "the run never stopped";
        return shown;
    }

    core::StudyState s;
    Browse b{s};
};

TEST_F(BrowseRunTest, ThreeEntriesAreEachShownTwiceThenTheRunEnds) {
    StartRun(3, Entries(3));
    EXPECT_EQ(s.BrowseMode, 1);
    EXPECT_EQ(s.StudyDeadline, t0 + 15min);
    BrowseStop how{};
    const std::vector<std::string> shown = RunToStop(how);
    EXPECT_EQ(shown,
              (std::vector<std::string>{"word1", "word1", "word2", "word2", "word3", "word3"}));
    EXPECT_EQ(how, BrowseStop::Ended);
    EXPECT_EQ(s.WordCursor, 3);
    EXPECT_EQ(b.CountText(), "浏览单词： 3个");
    EXPECT_EQ(s.BrowseMode, 0);
    EXPECT_EQ(s.BrowseRunning, 0);
    EXPECT_EQ(b.BrowseRepeat, 0);
}

TEST_F(BrowseRunTest, TickFillsTheCardAndTheSpokenText) {
    StartRun(1, {"  good[gud]adj.好的  "});
    const core::BrowseStep st = b.Tick(t0 + 1s);
    ASSERT_EQ(st.stop, BrowseStop::None);
    EXPECT_TRUE(st.firstTick);
    EXPECT_EQ(s.BrowseRunning, 1);
    EXPECT_EQ(st.timeText, "0:14:59");
    EXPECT_EQ(s.StudyNow, t0 + 1s);
    EXPECT_EQ(st.face.word, " good");
    EXPECT_EQ(st.face.phonetic, "  gud");
    EXPECT_EQ(st.face.meaning, " adj.好的");
    EXPECT_EQ(st.word, "good");
    EXPECT_EQ(st.spoken, " good ");
    EXPECT_EQ(s.CurrentEntry, " good ") << "speech takes the current entry";
    EXPECT_EQ(s.WordCursor, 0) << "the cursor moves only after the second showing";
    EXPECT_FALSE(b.Tick(t0 + 2s).firstTick);
}

TEST_F(BrowseRunTest, StopConditions) {
    struct Case {
        const char* name;
        int listSize;
        int cursor;
        std::chrono::seconds at;
        BrowseStop expect;
        std::uint8_t modeAfter, runningAfter;
    };
    const Case cases[] = {
        {"time left, entry there", 2, 0, 899s, BrowseStop::None, 1, 1},
        {"at the deadline with an entry", 2, 0, 900s, BrowseStop::RestBox, 1, 1},
        {"after the deadline with an entry", 2, 1, 1000s, BrowseStop::RestBox, 1, 1},
        {"empty list", 0, 0, 1s, BrowseStop::Ended, 0, 0},
        {"cursor past the end: no wrapping", 3, 3, 1s, BrowseStop::Ended, 0, 0},
        {"end of list after the deadline", 3, 5, 1000s, BrowseStop::Ended, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        core::StudyState st;
        Browse br(st);
        st.ContentKind = core::StudyContent::Mastered;
        st.MasteredList.Replace(Entries(c.listSize));
        st.WordCursor = c.cursor;
        br.Begin(t0);
        const core::BrowseStep step = br.Tick(t0 + c.at);
        EXPECT_EQ(step.stop, c.expect);
        EXPECT_EQ(st.BrowseMode, c.modeAfter);
        EXPECT_EQ(st.BrowseRunning, c.runningAfter);
        EXPECT_EQ(st.WordCursor, c.cursor) << "a stop does not move the cursor";
    }
}

TEST_F(BrowseRunTest, WhitespaceOnlyLineEndsTheRun) {
    StartRun(3, {"   "});
    EXPECT_EQ(b.Tick(t0 + 1000s).stop, BrowseStop::Ended) << "even when the time is up";
}

TEST_F(BrowseRunTest, NothingChosenEndsTheRunWithoutAStaleEntry) {
    StartRun(0, Entries(2));
    s.CurrentEntry = "stale[x]y";
    EXPECT_EQ(b.Tick(t0).stop, BrowseStop::Ended);
}

TEST_F(BrowseRunTest, ABrokenOffRunLeavesTheRepeatCountForTheNext) {
    StartRun(3, Entries(3));
    ASSERT_EQ(b.Tick(t0).stop, BrowseStop::None);
    b.Shown();
    EXPECT_EQ(b.BrowseRepeat, 1);
    // Broken off: the flags are cleared from outside, the count is not touched.
    s.BrowseRunning = 0;
    s.BrowseMode = 0;
    b.Begin(t0 + 60s);
    const core::BrowseStep first = b.Tick(t0 + 61s);
    EXPECT_TRUE(first.firstTick);
    EXPECT_EQ(first.word, "word1");
    b.Shown();
    EXPECT_EQ(b.Tick(t0 + 62s).word, "word2") << "the first entry came only once";
}

TEST_F(BrowseRunTest, RenewedPeriodShowsTheSameEntryAgain) {
    StartRun(3, Entries(2));
    ASSERT_EQ(b.Tick(t0 + 900s).stop, BrowseStop::RestBox);
    b.RenewPeriod(t0 + 910s);
    const core::BrowseStep st = b.Tick(t0 + 911s);
    ASSERT_EQ(st.stop, BrowseStop::None);
    EXPECT_EQ(st.word, "word1");
    EXPECT_EQ(st.timeText, "0:14:59");
}

} // namespace
