#include "core/letterdiff.h"
#include "core/spelling.h"
#include "core/studystate.h"
#include "core/utf8.h"

#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

using core::LetterMark;
using core::LetterSpan;
using core::SpellingTest;
using core::SpellStage;
using core::SpellStop;
using core::SpellVerdict;
using core::StatText;
using namespace std::chrono_literals;

namespace {

const core::TimePoint t0 = core::TimePoint{} + 1000h;

std::vector<std::string> Entries(const std::vector<std::string>& words) {
    std::vector<std::string> lines;
    for (const std::string& w : words) {
        lines.push_back(w + "[" + w + "]n." + w + "的意思");
    }
    return lines;
}

struct Speller {
    Speller(int kind, std::vector<std::string> lines) {
        s.OnText = [this](StatText which, const std::string& text) { texts[which] = text; };
        s.ContentKind = core::StudyContent(kind);
        s.CurrentList().Replace(std::move(lines));
        test.Start(t0);
    }
    core::SpellShown Show(std::chrono::seconds after = 1s, bool phonetic = false) {
        return test.Prepare(t0 + after, phonetic);
    }
    /// Answers right and lets the praise end: the next tick prepares the next word.
    void AnswerRight() {
        ASSERT_EQ(test.Judge(test.SpellAnswer).verdict, SpellVerdict::Right);
        ASSERT_TRUE(test.Tick().prepare);
    }

    core::StudyState s;
    SpellingTest test{s};
    std::map<StatText, std::string> texts;
};

TEST(SpellingTest, JudgementTrimsTheInputAndKeepsLetterCase) {
    struct Case {
        const char* input;
        const char* answer;
        bool right;
    };
    const Case cases[] = {
        {"apple", "apple", true},
        {"Apple", "apple", false},
        {"APPLE", "apple", false},
        {"  apple  ", "apple", true},
        {"\tapple\r\n", "apple", true},
        {"appl", "apple", false},
        {"apples", "apple", false},
        {"ap ple", "apple", false},
        {"ice cream", "ice cream", true},
        {"apple", "apple ", true}, // a blank between the word and "[" in a learner's bank
        {"", "apple", false},
        {"", "", true}, // an entry without "[" has nothing to type
        {"café", "café", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << '"' << c.input << "\" for \"" << c.answer << '"');
        EXPECT_EQ(core::SpellingMatches(c.input, c.answer), c.right);
    }
}

TEST(SpellingTest, PrepareShowsTheEntryAtTheCursor) {
    Speller r(2, {"good[gud]adj.好的", "plain"});
    core::SpellShown shown = r.Show(1s, true);
    EXPECT_EQ(shown.stop, SpellStop::None);
    EXPECT_EQ(shown.timeText, "0:14:59");
    EXPECT_EQ(shown.phonetic, "  gud");
    EXPECT_EQ(shown.meaning, " adj.好的");
    EXPECT_EQ(r.test.SpellAnswer, "good");
    EXPECT_EQ(r.test.SpellPhonetic, "gud");
    EXPECT_EQ(r.test.PhoneticText(true), "gud");
    EXPECT_EQ(r.test.PhoneticText(false), "");
    EXPECT_EQ(r.test.Stage(), SpellStage::Asking);
    EXPECT_EQ(r.s.StudyNow, t0 + 1s);

    EXPECT_EQ(r.Show(1s, false).phonetic, "") << "unticked: no phonetic";
    r.s.WordCursor = 1;
    shown = r.Show();
    EXPECT_EQ(r.test.SpellAnswer, "");
    EXPECT_EQ(r.test.SpellPhonetic, "");
    EXPECT_EQ(shown.meaning, " plain");
}

TEST(SpellingTest, PrepareStopsOnEmptyContentOrTimeUp) {
    struct Case {
        const char* name;
        int kind;
        std::vector<std::string> lines;
        int cursor;
        std::chrono::seconds after;
        SpellStop stop;
        const char* timeText;
    };
    const std::vector<Case> cases = {
        {"empty review list", 3, {}, 0, 60s, SpellStop::EmptyContent, "0:14:00"},
        {"review cursor past the end", 3, Entries({"a", "b"}), 2, 1s, SpellStop::EmptyContent,
         "0:14:59"},
        {"mastered cursor past the end", 2, Entries({"a"}), 5, 1s, SpellStop::EmptyContent,
         "0:14:59"},
        {"blank line at the cursor", 2, {"   "}, 0, 1s, SpellStop::EmptyContent, "0:14:59"},
        {"word at the deadline still shows", 2, Entries({"a"}), 0, 900s, SpellStop::None,
         "0:00:00"},
        {"word after the deadline", 2, Entries({"a"}), 0, 901s, SpellStop::TimeUp, "0:00:00"},
        {"empty list at the deadline", 3, {}, 0, 900s, SpellStop::TimeUp, "0:00:00"},
        {"nothing chosen to study", 0, Entries({"a"}), 0, 1s, SpellStop::EmptyContent, "0:14:59"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Speller r(c.kind, c.lines);
        r.s.CurrentEntry = "left[over]from another mode";
        r.s.WordCursor = c.cursor;
        const core::SpellShown shown = r.Show(c.after);
        EXPECT_EQ(shown.stop, c.stop);
        EXPECT_EQ(shown.timeText, c.timeText);
        EXPECT_EQ(r.test.Stage(),
                  c.stop == SpellStop::None ? SpellStage::Asking : SpellStage::Stopped);
        if (c.stop != SpellStop::None) {
            // Mended: a stopped run judges nothing, so neither a stale answer nor an entry
            // the learner never saw moves between the lists.
            EXPECT_EQ(r.test.Judge(r.test.SpellAnswer).verdict, SpellVerdict::Ignored);
            EXPECT_EQ(r.test.Judge("wrong").verdict, SpellVerdict::Ignored);
            EXPECT_TRUE(r.s.MasteredList.empty() || c.kind == 2);
            EXPECT_TRUE(r.s.ReviewList.empty() || c.kind == 3);
            EXPECT_EQ(r.s.WordCursor, c.cursor);
        }
    }
}

// Only right answers, from the first line: the order the words come in and what is left.
TEST(SpellingTest, RenewPeriodOnlyWithAWordToGoOn) {
    Speller r(2, Entries({"a"}));
    ASSERT_EQ(r.Show(16min).stop, SpellStop::TimeUp);
    EXPECT_TRUE(r.test.RenewPeriod(t0 + 16min));
    EXPECT_EQ(r.s.StudyDeadline, t0 + 31min);
    EXPECT_EQ(r.test.Stage(), SpellStage::Stopped) << "the word comes with 重新输入";
    EXPECT_EQ(r.Show(17min).stop, SpellStop::None);

    Speller empty(3, {});
    ASSERT_EQ(empty.Show(16min).stop, SpellStop::TimeUp);
    EXPECT_FALSE(empty.test.RenewPeriod(t0 + 16min));
    EXPECT_EQ(empty.s.StudyDeadline, t0 + 15min);
}

TEST(SpellingTest, CursorRulesPerKind) {
    struct Case {
        const char* name;
        int kind;
        std::vector<std::string> words;
        std::vector<std::string> asked;
        std::size_t newLeft, masteredLeft, reviewLeft;
        int reviewCount;
    };
    const std::vector<Case> cases = {
        // Each removal is followed by a step of the cursor, and the wrap comes at the last
        // line but one.
        {"new words", 1, {"a", "b", "c", "d"}, {"a", "c", "b", "d"}, 0, 4, 0, 0},
        {"new words, the last only when alone", 1, {"a", "b", "c"}, {"a", "b", "c"}, 0, 3, 0, 0},
        {"a single new word", 1, {"a"}, {"a"}, 0, 1, 0, 0},
        // Review words leave their list one after the other and the count follows; the end
        // comes when none is left (mended: every other word was skipped, the count stayed).
        {"review", 3, {"a", "b", "c", "d"}, {"a", "b", "c", "d"}, 0, 4, 0, 0},
        {"a single review word", 3, {"a"}, {"a"}, 0, 1, 0, 0},
        // Consolidation changes no list.
        {"consolidation", 2, {"a", "b", "c"}, {"a", "b", "c"}, 0, 3, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Speller r(c.kind, Entries(c.words));
        r.s.ReviewCount = c.kind == 3 ? static_cast<int>(c.words.size()) : 0;
        std::vector<std::string> asked;
        for (core::SpellShown shown = r.Show(); shown.stop == SpellStop::None && asked.size() < 10;
             shown = r.Show()) {
            asked.push_back(r.test.SpellAnswer);
            r.AnswerRight();
        }
        EXPECT_EQ(asked, c.asked);
        EXPECT_EQ(r.s.NewList.size(), c.newLeft);
        EXPECT_EQ(r.s.MasteredList.size(), c.masteredLeft);
        EXPECT_EQ(r.s.ReviewList.size(), c.reviewLeft);
        EXPECT_EQ(r.s.ReviewCount, c.reviewCount);
        EXPECT_EQ(r.test.Stage(), SpellStage::Stopped);
    }
}

TEST(SpellingTest, RightAnswerMovesTheEntryAndCounts) {
    Speller r(1, Entries({"a", "b", "c"}));
    r.s.MasteredList.Replace({"A[A]N.A的意思"}); // the same entry in another letter case
    r.s.MasteredCount = 1;
    r.Show();
    EXPECT_EQ(r.test.Judge(" a ").verdict, SpellVerdict::Right);
    EXPECT_EQ(r.s.MasteredList.size(), 1u) << "listed already: not appended again";
    EXPECT_EQ(r.s.MasteredCount, 1);
    EXPECT_EQ(r.s.NewList.Lines(), Entries({"b", "c"}));
    EXPECT_EQ(r.s.WordCursor, 1);
    EXPECT_EQ(r.s.SpellAdvance, 1);
    EXPECT_TRUE(r.test.WaitsForPraise());

    ASSERT_TRUE(r.test.Tick().prepare);
    r.Show();
    EXPECT_EQ(r.test.SpellAnswer, "b") << "the cursor wrapped at the last line but one";
    EXPECT_EQ(r.s.SpellAdvance, 0);
    EXPECT_FALSE(r.test.WaitsForPraise());
    EXPECT_EQ(r.test.Judge("b").verdict, SpellVerdict::Right);
    EXPECT_EQ(r.s.MasteredCount, 2);
    EXPECT_EQ(r.texts[StatText::Mastered], "已掌握单词2个");
}

// Mended: while the praise sounds, a second Enter would judge the old answer right again and
// remove the next entry, which the learner has not seen, from its list.
TEST(SpellingTest, NothingIsJudgedBetweenARightAnswerAndTheNextWord) {
    for (int kind : {1, 3}) {
        SCOPED_TRACE(kind);
        Speller r(kind, Entries({"a", "b", "c", "d"}));
        r.Show();
        ASSERT_EQ(r.test.Judge("a").verdict, SpellVerdict::Right);
        const std::vector<std::string> left = r.s.CurrentList().Lines();
        const int cursor = r.s.WordCursor;
        for (const char* again : {"a", "", "b", "c"}) {
            EXPECT_EQ(r.test.Judge(again).verdict, SpellVerdict::Ignored) << again;
        }
        EXPECT_EQ(r.s.CurrentList().Lines(), left);
        EXPECT_EQ(r.s.WordCursor, cursor);
        EXPECT_EQ(r.s.MasteredList.size(), 1u);
        EXPECT_TRUE(r.s.ReviewList.size() == (kind == 3 ? 3u : 0u));
        EXPECT_EQ(r.test.Stage(), SpellStage::Praising);
        ASSERT_TRUE(r.test.Tick().prepare);
        r.Show();
        EXPECT_EQ(r.test.Judge("wrong").verdict, SpellVerdict::Wrong) << "judged again";
    }
}

TEST(SpellingTest, WrongAnswerGoesToReviewOnceAndIsSpokenOnlyThen) {
    Speller r(1, Entries({"apple", "b"}));
    r.s.ReviewCount = 3;
    r.Show();
    core::SpellJudged judged = r.test.Judge("Apple");
    EXPECT_EQ(judged.verdict, SpellVerdict::Wrong);
    EXPECT_TRUE(judged.speak);
    EXPECT_EQ(r.s.ReviewList.Lines(), Entries({"apple"}));
    EXPECT_EQ(r.s.NewList.size(), 2u) << "the entry stays where it was";
    EXPECT_EQ(r.s.ReviewCount, 4);
    EXPECT_EQ(r.s.NewLearnedCount, 1);
    EXPECT_EQ(r.texts[StatText::Review], "需复习单词4个");
    EXPECT_EQ(r.texts[StatText::NewLearned], "新学单词量1个");
    EXPECT_EQ(r.s.WordCursor, 0);
    EXPECT_EQ(r.test.Stage(), SpellStage::Revealing);

    judged = r.test.Judge("aple");
    EXPECT_EQ(judged.verdict, SpellVerdict::Wrong) << "a wrong answer during the reveal";
    EXPECT_FALSE(judged.speak) << "listed already: not spoken";
    EXPECT_EQ(r.s.ReviewList.size(), 1u);
    EXPECT_EQ(r.s.ReviewCount, 4);
    EXPECT_EQ(r.test.RevealLength, 1) << "the reveal starts over";
}

TEST(SpellingTest, RevealTakesOneTickPerLetterAndOneMore) {
    for (const std::string word : {"go", "apple", "café", "ice cream", ""}) {
        SCOPED_TRACE(word);
        Speller r(2, {word + "[x]y"});
        r.Show();
        ASSERT_EQ(r.test.Judge("?").verdict, SpellVerdict::Wrong);
        const std::size_t letters = core::Utf8Length(word);
        std::vector<std::string> written;
        int ticks = 0;
        for (;;) {
            const core::SpellTick tick = r.test.Tick();
            ++ticks;
            ASSERT_TRUE(tick.write);
            written.push_back(tick.edit1);
            if (tick.prepare || ticks > 20) {
                break;
            }
        }
        EXPECT_EQ(ticks, static_cast<int>(letters) + 1);
        for (std::size_t k = 0; k < written.size(); ++k) {
            EXPECT_EQ(written[k], std::string(core::Utf8Prefix(word, k + 1)));
        }
        EXPECT_EQ(written.back(), word) << "the whole word stands at the last tick";
        r.Show();
        EXPECT_EQ(r.s.WordCursor, 0) << "the same word is asked again";
        EXPECT_EQ(r.test.SpellAnswer, word);
    }
}

TEST(SpellingTest, RightAnswerDuringTheRevealAdvancesAtTheNextTick) {
    Speller r(2, Entries({"go", "up"}));
    r.Show();
    r.test.Judge("og");
    r.test.Tick();
    const core::SpellTick whole = r.test.Tick();
    ASSERT_EQ(whole.edit1, "go");
    EXPECT_EQ(r.test.Judge(whole.edit1).verdict, SpellVerdict::Right);
    const core::SpellTick next = r.test.Tick();
    EXPECT_FALSE(next.write) << "no more letters";
    EXPECT_TRUE(next.prepare);
    r.Show();
    EXPECT_EQ(r.test.SpellAnswer, "up");
}

TEST(LetterDiff, MarksWrongExtraAndMissingLetters) {
    using M = LetterMark;
    struct Case {
        const char* attempt;
        const char* answer;
        std::vector<LetterSpan> spans;
    };
    const std::vector<Case> cases = {
        {"apple", "apple", {{M::Same, "apple"}}},
        {"Apple", "apple", {{M::Wrong, "A"}, {M::Same, "pple"}}},
        {"aple", "apple", {{M::Same, "ap"}, {M::Missing, "p"}, {M::Same, "le"}}},
        {"appple", "apple", {{M::Same, "app"}, {M::Extra, "p"}, {M::Same, "le"}}},
        {"applez", "apple", {{M::Same, "apple"}, {M::Extra, "z"}}},
        {"appie", "apple", {{M::Same, "app"}, {M::Wrong, "i"}, {M::Same, "e"}}},
        {"", "go", {{M::Missing, "go"}}},
        {"xyz", "", {{M::Extra, "xyz"}}},
        {"cafe", "café", {{M::Same, "caf"}, {M::Wrong, "e"}}},
        {"", "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.attempt << " / " << c.answer);
        EXPECT_EQ(core::CompareLetters(c.attempt, c.answer), c.spans);
    }
}

TEST(LetterDiff, VeryLongAttemptsAreComparedPlaceByPlace) {
    const std::string attempt(5000, 'a');
    const std::vector<LetterSpan> spans =
        core::CompareLetters(attempt, std::string(1000, 'a') + "b");
    ASSERT_EQ(spans.size(), 3u);
    EXPECT_EQ(spans[0], (LetterSpan{LetterMark::Same, std::string(1000, 'a')}));
    EXPECT_EQ(spans[1], (LetterSpan{LetterMark::Wrong, "a"}));
    EXPECT_EQ(spans[2], (LetterSpan{LetterMark::Extra, std::string(3999, 'a')}));
}

} // namespace
