#include "core/flashcards.h"
#include "core/studystate.h"

#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

using core::CardStop;
using core::CardView;
using core::FlashCards;
using core::StatText;
using core::UnknownAnswer;
using namespace std::chrono_literals;

namespace {

std::vector<std::string> Entries(int n, const std::string& stem = "w") {
    std::vector<std::string> lines;
    for (int i = 1; i <= n; ++i) {
        lines.push_back(stem + std::to_string(i) + "[" + stem + "]meaning" + std::to_string(i));
    }
    return lines;
}

class FlashCardsTest : public ::testing::Test {
protected:
    void SetUp() override {
        state.OnText = [this](StatText which, const std::string& text) { texts[which] = text; };
    }
    void Load(int kind, std::vector<std::string> lines) {
        state.ContentKind = core::StudyContent(kind);
        state.CurrentList().Replace(std::move(lines));
    }
    core::CardShown Show(std::chrono::seconds after = 0s) { return cards.ShowCard(t0 + after); }

    core::StudyState state;
    FlashCards cards{state};
    core::TimePoint t0 = core::TimePoint{} + 1000h;
    std::map<StatText, std::string> texts;
};

TEST_F(FlashCardsTest, StartClearsBrowsingNormalisesCursorAndStartsPeriod) {
    state.BrowseMode = 1;
    state.BrowseRunning = 1;
    state.WordCursor = -1;
    cards.Start(t0);
    EXPECT_EQ(state.BrowseMode, 0);
    EXPECT_EQ(state.BrowseRunning, 0);
    EXPECT_EQ(state.WordCursor, 0);
    EXPECT_EQ(state.StudyDeadline, t0 + 15min);

    state.WordCursor = 7;
    cards.Start(t0);
    EXPECT_EQ(state.WordCursor, 7) << "the cursor is kept from run to run";
}

TEST_F(FlashCardsTest, RecountMasteredCountsTheListAndRewritesItsText) {
    state.MasteredList.Replace(Entries(4, "m"));
    state.MasteredCount = 9;
    cards.RecountMastered();
    EXPECT_EQ(state.MasteredCount, 4);
    EXPECT_EQ(texts[StatText::Mastered], "已掌握单词4个");
}

TEST_F(FlashCardsTest, ShowCardChoosesTheEntryByCursorWindowAndWrap) {
    struct Case {
        int kind;
        int listSize;
        int cursor;
        int expectCursor;
    };
    const Case cases[] = {
        {1, 20, 14, 0},  // new words are drilled among the first ten
        {1, 20, 10, 0},  // the window ends before index 10
        {1, 20, 9, 9},   // still inside the window
        {1, 5, 7, 0},    // past the end of a short list
        {1, 5, 4, 4},    // the last line
        {2, 20, 14, 14}, // mastered words have no window
        {3, 20, 19, 19}, // nor have review words
        {2, 3, 3, 0},    // one past the end wraps to the first
        {3, 3, 100, 0},  // far past the end too
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "kind " << c.kind << " size " << c.listSize << " cursor " << c.cursor);
        core::StudyState s;
        FlashCards fc(s);
        s.ContentKind = core::StudyContent(c.kind);
        s.CurrentList().Replace(Entries(c.listSize));
        s.WordCursor = c.cursor;
        fc.Start(t0);
        const core::CardShown shown = fc.ShowCard(t0 + 1s);
        ASSERT_EQ(shown.stop, CardStop::None);
        EXPECT_EQ(s.WordCursor, c.expectCursor);
        const std::string n = std::to_string(c.expectCursor + 1);
        EXPECT_EQ(s.CurrentEntry, "w" + n + "[w]meaning" + n);
        EXPECT_EQ(shown.face.word, " w" + n);
        EXPECT_EQ(shown.face.phonetic, "  w");
        EXPECT_EQ(shown.face.meaning, " meaning" + n);
        EXPECT_EQ(fc.Word(), "w" + n);
        EXPECT_EQ(shown.timeText, "0:14:59");
        EXPECT_EQ(fc.View(), (CardView{true, false, false, false}));
    }
}

TEST_F(FlashCardsTest, ShowCardStopsOnEmptyListOrTimeUp) {
    struct Case {
        const char* name;
        int kind;
        int listSize;
        std::chrono::seconds after; // since the start of the period
        CardStop expect;
        const char* timeText;
    };
    const Case cases[] = {
        {"empty list, time left", 3, 0, 60s, CardStop::EmptyContent, "0:14:00"},
        {"empty list at the deadline", 3, 0, 900s, CardStop::TimeUp, "0:00:00"},
        {"entry at the deadline still shows", 2, 3, 900s, CardStop::None, "0:00:00"},
        {"entry after the deadline", 2, 3, 901s, CardStop::TimeUp, "0:00:00"},
        {"empty list after the deadline", 1, 0, 2000s, CardStop::TimeUp, "0:00:00"},
        {"nothing chosen to study", 0, 3, 1s, CardStop::EmptyContent, "0:14:59"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        core::StudyState s;
        FlashCards fc(s);
        s.ContentKind = core::StudyContent(c.kind);
        s.CurrentList().Replace(Entries(c.listSize));
        s.CurrentEntry = "left[over]from before";
        fc.Start(t0);
        const core::CardShown shown = fc.ShowCard(t0 + c.after);
        EXPECT_EQ(shown.stop, c.expect);
        EXPECT_EQ(shown.timeText, c.timeText);
        EXPECT_EQ(s.StudyNow, t0 + c.after);
        if (c.expect != CardStop::None) {
            EXPECT_EQ(fc.View(), CardView{}) << "no answer is offered once the run stops";
        }
    }
}

// Each row runs answers on a fresh card and checks where they lead.
TEST_F(FlashCardsTest, AnswersMoveStagesAndCursor) {
    enum A { Know, Dimness, Unknown, Repeat, Right, Again, Mastered };
    struct Case {
        const char* name;
        std::vector<A> answers;
        CardView view;
        int cursor;
        std::string shown; // the entry up after the answers
    };
    const std::vector<Case> cases = {
        {"我知道 reveals and offers grades", {Know}, {false, true, false, true}, 0, "w1"},
        {"不清楚 reveals and offers 继续", {Dimness}, {false, false, true, true}, 0, "w1"},
        {"不清楚 then 继续 brings the same card",
         {Dimness, Repeat},
         {true, false, false, false},
         0,
         "w1"},
        {"没猜准 brings the same card", {Know, Again}, {true, false, false, false}, 0, "w1"},
        {"猜对了 brings the next card", {Know, Right}, {true, false, false, false}, 1, "w2"},
        {"grades are refused in the judge stage",
         {Right, Mastered, Again},
         {true, false, false, false},
         0,
         "w1"},
        {"继续 is refused before it is offered", {Repeat}, {true, false, false, false}, 0, "w1"},
        {"judging twice is refused", {Know, Dimness, Unknown}, {false, true, false, true}, 0, "w1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        core::StudyState s;
        FlashCards fc(s);
        s.ContentKind = core::StudyContent::Mastered;
        s.MasteredList.Replace(Entries(3));
        fc.Start(t0);
        fc.ShowCard(t0);
        for (A a : c.answers) {
            bool showNext = false;
            switch (a) {
            case Know:
                fc.MyKnow();
                break;
            case Dimness:
                fc.MyDimness();
                break;
            case Unknown:
                fc.MyUnknown();
                break;
            case Repeat:
                showNext = fc.RepeatNext();
                break;
            case Right:
                showNext = fc.NextWord();
                break;
            case Again:
                showNext = fc.GuessAgain();
                break;
            case Mastered:
                showNext = fc.AlreadyMastery();
                break;
            }
            if (showNext) {
                fc.ShowCard(t0 + 1s);
            }
        }
        EXPECT_EQ(fc.View(), c.view);
        EXPECT_EQ(s.WordCursor, c.cursor);
        EXPECT_EQ(fc.Word(), c.shown);
        EXPECT_EQ(s.MasteredList.size(), 3u);
    }
}

TEST_F(FlashCardsTest, RestartWhileContinueIsOfferedKeepsIt) {
    Load(2, Entries(2));
    cards.Start(t0);
    cards.ShowCard(t0);
    ASSERT_TRUE(cards.MyDimness());
    cards.Start(t0);
    cards.ShowCard(t0);
    EXPECT_EQ(cards.View(), (CardView{true, false, true, false}));
}

TEST_F(FlashCardsTest, UnknownAddsToReviewOnceAndCounts) {
    Load(1, Entries(3));
    state.ReviewCount = 5;
    cards.Start(t0);
    cards.ShowCard(t0);
    EXPECT_EQ(cards.MyUnknown(), UnknownAnswer::Added);
    EXPECT_EQ(state.ReviewList.Lines(), std::vector<std::string>{"w1[w]meaning1"});
    EXPECT_EQ(state.NewList.size(), 3u) << "the entry stays in its own list";
    EXPECT_EQ(state.ReviewCount, 6);
    EXPECT_EQ(state.NewLearnedCount, 1);
    EXPECT_EQ(texts[StatText::Review], "需复习单词6个");
    EXPECT_EQ(texts[StatText::NewLearned], "新学单词量1个");
    EXPECT_EQ(cards.View(), (CardView{false, false, true, true}));

    // The same word again (a different letter case counts as the same entry).
    state.NewList.Replace({"W1[w]MEANING1"});
    ASSERT_TRUE(cards.RepeatNext());
    cards.ShowCard(t0);
    texts.clear();
    EXPECT_EQ(cards.MyUnknown(), UnknownAnswer::Listed);
    EXPECT_EQ(state.ReviewList.size(), 1u);
    EXPECT_EQ(state.ReviewCount, 6);
    EXPECT_EQ(state.NewLearnedCount, 1);
    EXPECT_TRUE(texts.empty()) << "no counter text is rewritten";
    EXPECT_EQ(cards.View(), (CardView{false, false, true, true})) << "it still reveals";
}

// What a known word does to the lists is StudyState::MarkKnown's table; here, that the cards
// hand it the chosen list's kind and the line at the cursor.
TEST_F(FlashCardsTest, AlreadyMasteryActsOnTheLineAtTheCursor) {
    struct Case {
        int kind;
        const char* left; ///< the line that leaves the studied list, or none
        int masteredCount;
    };
    // Each list starts with three entries of its own; the counters start at 3.
    const Case cases[] = {
        {1, "n2[n]meaning2", 4},
        {2, nullptr, 4},
        {3, "r2[r]meaning2", 4}, // held by no other list: it joins the mastered list
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        core::StudyState s;
        FlashCards fc(s);
        s.NewList.Replace(Entries(3, "n"));
        s.MasteredList.Replace(Entries(3, "m"));
        s.ReviewList.Replace(Entries(3, "r"));
        s.MasteredCount = s.ReviewCount = 3;
        s.ContentKind = core::StudyContent(c.kind);
        s.WordCursor = 1;
        fc.Start(t0);
        fc.ShowCard(t0);
        ASSERT_TRUE(fc.MyKnow());
        ASSERT_TRUE(fc.AlreadyMastery());
        EXPECT_EQ(s.CurrentList().size(), c.left != nullptr ? 2u : 3u);
        if (c.left != nullptr) {
            EXPECT_FALSE(s.CurrentList().ContainsIgnoringCase(c.left));
        }
        EXPECT_EQ(s.MasteredCount, c.masteredCount);
        EXPECT_EQ(s.WordCursor, 2);
    }
}

TEST_F(FlashCardsTest, MasteringSkipsTheEntryThatMovesUpUntilTheCursorWraps) {
    Load(1, Entries(3));
    cards.Start(t0);
    cards.ShowCard(t0);
    cards.MyKnow();
    cards.AlreadyMastery(); // w1 leaves; w2 moves to index 0, cursor goes to 1
    cards.ShowCard(t0);
    EXPECT_EQ(cards.Word(), "w3");
    cards.MyKnow();
    cards.NextWord();
    cards.ShowCard(t0);
    EXPECT_EQ(cards.Word(), "w2") << "the cursor wrapped back";
    EXPECT_EQ(state.MasteredList.Lines(), std::vector<std::string>{"w1[w]meaning1"});
}

TEST_F(FlashCardsTest, MasteringTheLastReviewEntryEmptiesTheList) {
    Load(3, Entries(1, "r"));
    state.ReviewCount = 1;
    cards.Start(t0);
    ASSERT_EQ(cards.ShowCard(t0).stop, CardStop::None);
    cards.MyKnow();
    cards.AlreadyMastery();
    EXPECT_TRUE(state.ReviewList.empty());
    EXPECT_EQ(state.ReviewCount, 0);
    EXPECT_EQ(texts[StatText::Review], "需复习单词0个");
    EXPECT_EQ(cards.ShowCard(t0 + 1s).stop, CardStop::EmptyContent);
    EXPECT_EQ(state.CurrentEntry, "");
}

TEST_F(FlashCardsTest, AfterTimeIsUpNoListChanges) {
    Load(1, Entries(3));
    state.ReviewCount = 0;
    cards.Start(t0);
    cards.ShowCard(t0);
    cards.MyKnow();
    ASSERT_TRUE(cards.NextWord());
    ASSERT_EQ(cards.ShowCard(t0 + 16min).stop, CardStop::TimeUp);
    EXPECT_EQ(state.WordCursor, 1);

    EXPECT_FALSE(cards.AlreadyMastery());
    EXPECT_FALSE(cards.NextWord());
    EXPECT_FALSE(cards.GuessAgain());
    EXPECT_FALSE(cards.MyKnow());
    EXPECT_EQ(cards.MyUnknown(), UnknownAnswer::Ignored);
    EXPECT_FALSE(cards.RepeatNext());
    EXPECT_EQ(state.NewList.size(), 3u);
    EXPECT_TRUE(state.MasteredList.empty());
    EXPECT_TRUE(state.ReviewList.empty());
    EXPECT_EQ(state.WordCursor, 1);

    // A renewed period carries on with the card at the cursor.
    cards.RenewPeriod(t0 + 16min);
    const core::CardShown shown = cards.ShowCard(t0 + 16min + 1s);
    EXPECT_EQ(shown.stop, CardStop::None);
    EXPECT_EQ(cards.Word(), "w2");
    EXPECT_EQ(shown.timeText, "0:14:59");
}

TEST_F(FlashCardsTest, EmptyListOffersNothingSoNoEmptyEntryReachesAList) {
    Load(3, {});
    cards.Start(t0);
    ASSERT_EQ(cards.ShowCard(t0).stop, CardStop::EmptyContent);
    EXPECT_EQ(cards.MyUnknown(), UnknownAnswer::Ignored);
    EXPECT_FALSE(cards.AlreadyMastery());
    EXPECT_TRUE(state.ReviewList.empty());
    EXPECT_TRUE(state.MasteredList.empty());
    EXPECT_EQ(state.ReviewCount, 0);
}

TEST_F(FlashCardsTest, EntryFieldsFollowTheFirstBrackets) {
    struct Case {
        const char* entry;
        const char* word;
        const char* phonetic;
        const char* meaning;
    };
    const Case cases[] = {
        {"good[gud]adj.好的", " good", "  gud", " adj.好的"},
        {"no bracket at all", " ", "  ", " no bracket at all"},
        {"a[b]c]d", " a", "  b", " c]d"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        core::StudyState s;
        FlashCards fc(s);
        s.ContentKind = core::StudyContent::Mastered;
        s.MasteredList.Replace({c.entry});
        fc.Start(t0);
        const core::CardShown shown = fc.ShowCard(t0);
        ASSERT_EQ(shown.stop, CardStop::None);
        EXPECT_EQ(shown.face.word, c.word);
        EXPECT_EQ(shown.face.phonetic, c.phonetic);
        EXPECT_EQ(shown.face.meaning, c.meaning);
    }
}

} // namespace
