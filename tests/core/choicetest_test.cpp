#include "core/choicetest.h"
#include "core/textfile.h"

#include "test_dir.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>
#include <vector>

using core::ChoiceMarker;
using core::ChoicePanel;
using core::ChoiceResult;
using core::ChoiceState;
using core::ChoiceTest;
using core::StatText;

namespace {

std::vector<std::string> Lines(const std::string& stem, int n) {
    std::vector<std::string> lines;
    for (int i = 1; i <= n; ++i) {
        lines.push_back(stem + std::to_string(i) + "[x]n." + stem + std::to_string(i) + "的意思");
    }
    return lines;
}

/// Always the first choice: a source like this must not make any draw loop.
class FirstChoice : public core::RandomSource {
public:
    std::uint32_t Below(std::uint32_t) override { return 0; }
};

struct Quiz {
    Quiz(int kind, std::vector<std::string> newLines, std::vector<std::string> mastered = {},
         std::vector<std::string> review = {}, ChoiceTest::ExtraLines extra = {},
         core::RandomSource* source = nullptr)
        : test(s, source ? *source : random, std::move(extra)) {
        s.OnText = [this](StatText which, const std::string& text) { texts[which] = text; };
        s.ContentKind = core::StudyContent(kind);
        s.NewList.Replace(std::move(newLines));
        s.MasteredList.Replace(std::move(mastered));
        s.ReviewList.Replace(std::move(review));
        s.NewCount = static_cast<int>(s.NewList.size());
        s.MasteredCount = static_cast<int>(s.MasteredList.size());
        s.ReviewCount = static_cast<int>(s.ReviewList.size());
    }
    ChoicePanel Asking() const {
        return test.State() == ChoiceState::LowerAsking ? ChoicePanel::Lower : ChoicePanel::Upper;
    }
    /// The first row of the panel (0..7) whose text is (or is not) the pending answer.
    int Row(ChoicePanel panel, bool right) const {
        const core::ChoicePanelView& view = test.Panel(panel);
        for (int k = 0; k < 4; ++k) {
            const core::ChoiceRow& row = view.rows[static_cast<std::size_t>(k)];
            if (row.offered && (row.text == view.pending) == right) {
                return static_cast<int>(panel) * 4 + k;
            }
        }
        return -1;
    }
    int Offered(ChoicePanel panel) const {
        const auto& rows = test.Panel(panel).rows;
        return static_cast<int>(
            std::count_if(rows.begin(), rows.end(), [](const auto& r) { return r.offered; }));
    }
    /// Answers every question right; returns how many were asked (bounded).
    int AnswerAll(std::vector<int>* offered = nullptr) {
        int asked = 0;
        while ((test.State() == ChoiceState::UpperAsking ||
                test.State() == ChoiceState::LowerAsking) &&
               asked < 100000) {
            if (offered != nullptr) {
                offered->push_back(Offered(Asking()));
            }
            const int row = Row(Asking(), true);
            if (row < 0 || test.Click(row).result != ChoiceResult::Right) {
                ADD_FAILURE() << "no right row";
                break;
            }
            ++asked;
        }
        return asked;
    }

    core::StudyState s;
    core::SeededRandom random{20240611};
    ChoiceTest test;
    std::map<StatText, std::string> texts;
};

TEST(ChoiceTest, StateMachine) {
    enum Do { RightUpper, WrongUpper, RightLower, WrongLower, AnyUpper, AnyLower };
    struct Step {
        Do action;
        ChoiceResult result;
        ChoiceState state;
    };
    struct Case {
        const char* name;
        int lines;
        std::vector<Step> steps;
    };
    const std::vector<Case> cases = {
        {"three lines end in the lower panel",
         3,
         {{AnyLower, ChoiceResult::Ignored, ChoiceState::UpperAsking},
          {WrongUpper, ChoiceResult::Wrong, ChoiceState::UpperAsking},
          {RightUpper, ChoiceResult::Right, ChoiceState::LowerAsking},
          {AnyUpper, ChoiceResult::Ignored, ChoiceState::LowerAsking},
          {WrongLower, ChoiceResult::Wrong, ChoiceState::LowerAsking},
          {RightLower, ChoiceResult::Right, ChoiceState::UpperAsking},
          {RightUpper, ChoiceResult::Right, ChoiceState::FinishedLower},
          {AnyLower, ChoiceResult::Ignored, ChoiceState::FinishedLower},
          {AnyUpper, ChoiceResult::Ignored, ChoiceState::FinishedLower}}},
        {"two lines end in the upper panel",
         2,
         {{RightUpper, ChoiceResult::Right, ChoiceState::LowerAsking},
          {RightLower, ChoiceResult::Right, ChoiceState::FinishedUpper},
          {AnyUpper, ChoiceResult::Ignored, ChoiceState::FinishedUpper},
          {AnyLower, ChoiceResult::Ignored, ChoiceState::FinishedUpper}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Quiz t(2, Lines("n", 10), Lines("m", c.lines));
        EXPECT_EQ(t.test.State(), ChoiceState::NotStarted);
        ASSERT_TRUE(t.test.Start());
        EXPECT_EQ(t.test.State(), ChoiceState::UpperAsking);
        EXPECT_EQ(t.test.Panel(ChoicePanel::Lower).pending, "");
        int step = 0;
        for (const Step& s : c.steps) {
            SCOPED_TRACE(step++);
            int row = 0;
            switch (s.action) {
            case RightUpper:
                row = t.Row(ChoicePanel::Upper, true);
                break;
            case WrongUpper:
                row = t.Row(ChoicePanel::Upper, false);
                break;
            case RightLower:
                row = t.Row(ChoicePanel::Lower, true);
                break;
            case WrongLower:
                row = t.Row(ChoicePanel::Lower, false);
                break;
            case AnyUpper:
                row = 2;
                break;
            case AnyLower:
                row = 5;
                break;
            }
            const std::string reviewBefore = t.s.StatisticText(StatText::Review);
            const std::size_t reviewSize = t.s.ReviewList.size();
            EXPECT_EQ(t.test.Click(row).result, s.result);
            EXPECT_EQ(t.test.State(), s.state);
            if (s.result == ChoiceResult::Ignored) {
                EXPECT_EQ(t.s.ReviewList.size(), reviewSize);
                EXPECT_EQ(t.s.StatisticText(StatText::Review), reviewBefore);
            }
        }
        EXPECT_EQ(t.test.Remaining(), 0u);
        EXPECT_EQ(t.test.RightCount, c.lines);
        EXPECT_EQ(t.test.RightText(), "正确选择：" + std::to_string(c.lines) + "个");
    }
}

TEST(ChoiceTest, OneLineEndsWithTheAnsweredQuestionOnShow) {
    Quiz t(2, Lines("n", 5), {"good[gud]adj.好的"});
    ASSERT_TRUE(t.test.Start());
    EXPECT_EQ(t.test.SizeText(), "测试单词共：1个");
    const core::ChoicePanelView& upper = t.test.Panel(ChoicePanel::Upper);
    EXPECT_EQ(upper.question, "good");
    EXPECT_EQ(upper.pending, "   adj.好的");
    EXPECT_EQ(t.test.TestWord(), "good");
    EXPECT_EQ(t.s.CurrentEntry, "good[gud]adj.好的");
    const int right = t.Row(ChoicePanel::Upper, true);
    const core::ChoiceClick click = t.test.Click(right);
    EXPECT_EQ(click.result, ChoiceResult::Right);
    EXPECT_FALSE(click.asked) << "nothing left to pronounce";

    EXPECT_EQ(t.test.State(), ChoiceState::FinishedLower);
    const core::ChoicePanelView& lower = t.test.Panel(ChoicePanel::Lower);
    EXPECT_EQ(lower.pending, core::ChoiceEndMark);
    EXPECT_EQ(lower.question, "");
    for (const core::ChoiceRow& row : lower.rows) {
        EXPECT_EQ(row.text, "");
        EXPECT_FALSE(row.offered);
        EXPECT_EQ(row.marker, ChoiceMarker::Neutral);
    }
    EXPECT_EQ(upper.question, "good") << "the answered question stays";
    EXPECT_EQ(upper.rows[static_cast<std::size_t>(right)].marker, ChoiceMarker::Right);
    EXPECT_EQ(upper.pending, "");
}

TEST(ChoiceTest, WrongClicksMarkTheLatestRowAndListTheWordOnce) {
    Quiz t(1, Lines("n", 8));
    t.s.ReviewCount = 2;
    ASSERT_TRUE(t.test.Start());
    const std::string asked = t.s.CurrentEntry;
    std::vector<int> wrong;
    for (int k = 0; k < 4; ++k) {
        if (t.test.Panel(ChoicePanel::Upper).rows[static_cast<std::size_t>(k)].text !=
            t.test.Panel(ChoicePanel::Upper).pending) {
            wrong.push_back(k);
        }
    }
    ASSERT_EQ(wrong.size(), 3u);
    for (int k : wrong) {
        EXPECT_EQ(t.test.Click(k).result, ChoiceResult::Wrong);
        for (int j = 0; j < 4; ++j) {
            EXPECT_EQ(t.test.Panel(ChoicePanel::Upper).rows[static_cast<std::size_t>(j)].marker,
                      j == k ? ChoiceMarker::Wrong : ChoiceMarker::Neutral);
        }
    }
    EXPECT_EQ(t.test.WrongCount, 3);
    EXPECT_EQ(t.test.WrongText(), "点击错误：3个");
    EXPECT_EQ(t.s.ReviewList.Lines(), std::vector<std::string>{asked});
    EXPECT_EQ(t.s.ReviewCount, 3);
    EXPECT_EQ(t.s.NewLearnedCount, 1);
    EXPECT_EQ(t.texts[StatText::NewLearned], "新学单词量1个");

    // The right choice then leaves the word on the review and mastered lists, off the new.
    ASSERT_EQ(t.test.Click(t.Row(ChoicePanel::Upper, true)).result, ChoiceResult::Right);
    EXPECT_EQ(t.s.ReviewList.Lines(), std::vector<std::string>{asked});
    EXPECT_EQ(t.s.MasteredList.Lines(), std::vector<std::string>{asked});
    EXPECT_EQ(t.s.NewList.size(), 7u);
    EXPECT_FALSE(t.s.NewList.ContainsIgnoringCase(asked));
}

// What a known word does to the lists is StudyState::MarkKnown's table; here, that the test
// hands it the kind it started on and the asked line's place, wherever the cursor stands.
TEST(ChoiceTest, RightChoiceActsOnTheAskedLine) {
    struct Case {
        int kind;
        std::size_t listSize; ///< of the tested list afterwards
        int masteredCount;
    };
    // Each list starts with four lines of its own; the counters with 4.
    const Case cases[] = {
        {1, 3, 5}, {2, 4, 5}, {3, 3, 5}, // held by no other list: it joins the mastered list
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        Quiz t(c.kind, Lines("n", 4), Lines("m", 4), Lines("r", 4));
        t.s.WordCursor = 7;
        ASSERT_TRUE(t.test.Start());
        const std::string asked = t.s.CurrentEntry;
        ASSERT_EQ(t.test.Click(t.Row(ChoicePanel::Upper, true)).result, ChoiceResult::Right);
        EXPECT_EQ(t.s.CurrentList().size(), c.listSize);
        EXPECT_EQ(t.s.MasteredCount, c.masteredCount);
        EXPECT_EQ(t.s.WordCursor, 8);
        if (c.kind != 2) {
            EXPECT_FALSE(t.s.CurrentList().ContainsIgnoringCase(asked)) << "the asked line left";
        }
        EXPECT_EQ(t.test.State(), ChoiceState::LowerAsking);
    }
}

TEST(ChoiceTest, EveryLineIsAskedOnceAndTheRightRowIsUniform) {
    const int n = 10000;
    Quiz t(2, {}, Lines("m", n));
    ASSERT_TRUE(t.test.Start());
    std::set<std::string> asked;
    std::array<int, 4> rightRow{};
    while (t.test.State() == ChoiceState::UpperAsking ||
           t.test.State() == ChoiceState::LowerAsking) {
        const ChoicePanel panel = t.Asking();
        const core::ChoicePanelView& view = t.test.Panel(panel);
        std::set<std::string> texts;
        for (const core::ChoiceRow& row : view.rows) {
            ASSERT_TRUE(row.offered);
            texts.insert(row.text);
        }
        ASSERT_EQ(texts.size(), 4u) << "four different lines";
        ASSERT_TRUE(asked.insert(t.s.CurrentEntry).second) << "asked twice: " << t.s.CurrentEntry;
        const int row = t.Row(panel, true);
        ++rightRow[static_cast<std::size_t>(row % 4)];
        ASSERT_EQ(t.test.Click(row).result, ChoiceResult::Right);
    }
    EXPECT_EQ(asked.size(), static_cast<std::size_t>(n));
    // 2500 expected per row; the bounds lie more than four standard deviations (43) away.
    for (int k = 0; k < 4; ++k) {
        EXPECT_GT(rightRow[static_cast<std::size_t>(k)], 2300) << "row " << k;
        EXPECT_LT(rightRow[static_cast<std::size_t>(k)], 2700) << "row " << k;
    }
}

// Mended: drawing until three different lines turn up never ended when the pool held fewer.
TEST(ChoiceTest, SmallPoolsFillFromTheBanksOrShowFewerRows) {
    const std::vector<std::string> bank = Lines("bank", 20);
    struct Case {
        const char* name;
        int kind;
        std::vector<std::string> newLines, mastered, review;
        std::vector<std::string> extra;
        bool firstChoice; // a source that always draws 0
        int rows;
    };
    const std::vector<Case> cases = {
        {"three new words, no banks", 1, Lines("n", 3), {}, {}, {}, false, 3},
        {"three new words, banks fill", 1, Lines("n", 3), {}, {}, bank, false, 4},
        {"review, one other line", 3, Lines("n", 1), {}, Lines("r", 2), {}, false, 2},
        {"review, nothing else anywhere", 3, {}, {}, Lines("r", 2), {}, false, 1},
        {"one line many times",
         2,
         std::vector<std::string>(500, "same[x]同"),
         {"same[x]同"},
         {},
         {},
         false,
         1},
        {"banks hold the same lines", 1, Lines("n", 2), {}, {}, Lines("n", 2), false, 2},
        {"always the first choice", 2, Lines("n", 3), Lines("m", 5), {}, bank, true, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int calls = 0;
        FirstChoice first;
        Quiz t(
            c.kind, c.newLines, c.mastered, c.review,
            [&calls, &c] {
                ++calls;
                return c.extra;
            },
            c.firstChoice ? &first : nullptr);
        ASSERT_TRUE(t.test.Start());
        const std::size_t size = t.test.TestSize();
        std::vector<int> offered;
        EXPECT_EQ(t.AnswerAll(&offered), static_cast<int>(size));
        EXPECT_TRUE(t.test.State() == ChoiceState::FinishedLower ||
                    t.test.State() == ChoiceState::FinishedUpper);
        EXPECT_EQ(offered.front(), c.rows);
        EXPECT_LE(calls, 1) << "the banks are read at most once";
    }
}

TEST(ChoiceTest, RowsNotOfferedTakeNoClicks) {
    Quiz t(1, Lines("n", 2));
    ASSERT_TRUE(t.test.Start());
    ASSERT_EQ(t.Offered(ChoicePanel::Upper), 2);
    EXPECT_FALSE(t.test.Panel(ChoicePanel::Upper).rows[2].offered);
    EXPECT_EQ(t.test.Click(2).result, ChoiceResult::Ignored);
    EXPECT_EQ(t.test.Click(3).result, ChoiceResult::Ignored);
    EXPECT_EQ(t.test.Click(-1).result, ChoiceResult::Ignored);
    EXPECT_EQ(t.test.Click(8).result, ChoiceResult::Ignored);
    EXPECT_EQ(t.test.WrongCount, 0);
    EXPECT_TRUE(t.s.ReviewList.empty());
}

TEST(ChoiceTest, BlankLinesAreNeitherAskedNorOffered) {
    Quiz t(1, {"", "   ", "a[a]n.甲", "\t", "b[b]n.乙", " \r "}, {"  ", "c[c]n.丙"}, {}, [] {
        return std::vector<std::string>{"", " ", "d[d]n.丁"};
    });
    ASSERT_TRUE(t.test.Start());
    EXPECT_EQ(t.test.TestSize(), 2u);
    EXPECT_EQ(t.test.SizeText(), "测试单词共：2个");
    std::vector<int> offered;
    while (t.test.State() == ChoiceState::UpperAsking ||
           t.test.State() == ChoiceState::LowerAsking) {
        const core::ChoicePanelView& view = t.test.Panel(t.Asking());
        EXPECT_FALSE(core::BlankLine(t.s.CurrentEntry));
        for (const core::ChoiceRow& row : view.rows) {
            if (row.offered) {
                EXPECT_FALSE(core::BlankLine(row.text)) << "a blank meaning offered";
            }
        }
        const int wrong = t.Row(t.Asking(), false);
        ASSERT_EQ(t.test.Click(wrong).result, ChoiceResult::Wrong);
        ASSERT_EQ(t.test.Click(t.Row(t.Asking(), true)).result, ChoiceResult::Right);
    }
    // Only the two asked lines were added anywhere.
    const std::set<std::string> asked{"a[a]n.甲", "b[b]n.乙"};
    const auto& review = t.s.ReviewList.Lines();
    const auto& mastered = t.s.MasteredList.Lines();
    EXPECT_EQ(std::set<std::string>(review.begin(), review.end()), asked);
    ASSERT_EQ(mastered.size(), 4u);
    EXPECT_EQ(std::set<std::string>(mastered.begin() + 2, mastered.end()), asked);
}

TEST(ChoiceTest, NothingToAsk) {
    struct Case {
        const char* name;
        int kind;
    };
    for (const Case& c : {Case{"empty review list", 3}, Case{"nothing chosen", 0}}) {
        SCOPED_TRACE(c.name);
        Quiz t(c.kind, Lines("n", 3), Lines("m", 3));
        t.s.ReviewList.Replace({"", "  "});
        EXPECT_FALSE(t.test.Start());
        EXPECT_EQ(t.test.SizeText(), "测试单词共：0个");
        EXPECT_EQ(t.test.State(), ChoiceState::NotStarted);
        EXPECT_EQ(t.test.Click(0).result, ChoiceResult::Ignored);
        EXPECT_EQ(t.s.NewList.size(), 3u);
        EXPECT_EQ(t.s.ReviewList.size(), 2u);
        EXPECT_TRUE(t.texts.empty());
    }
}

TEST(ChoiceTest, EqualMeaningsAreBothRight) {
    for (int pick = 0; pick < 2; ++pick) {
        Quiz t(2, {}, {"a[x]n.同", "b[y]n.同"});
        ASSERT_TRUE(t.test.Start());
        std::vector<int> same;
        for (int k = 0; k < 4; ++k) {
            if (t.test.Panel(ChoicePanel::Upper).rows[static_cast<std::size_t>(k)].text ==
                "   n.同") {
                same.push_back(k);
            }
        }
        ASSERT_EQ(same.size(), 2u);
        EXPECT_EQ(t.test.Click(same[static_cast<std::size_t>(pick)]).result, ChoiceResult::Right);
    }
}

TEST(ChoiceTest, ReadBankLinesFollowsTheCatalogue) {
    TestDir dir;
    std::filesystem::create_directories(dir.File("Worddata"));
    ASSERT_TRUE(core::WriteTextLines(dir.File("Ebook.txt"), {"一", "missing", "", "二"}));
    ASSERT_TRUE(core::WriteTextLines(dir.File("Worddata/一.dst"), {"a[a]甲", "", "b[b]乙"}));
    ASSERT_TRUE(core::WriteTextLines(dir.File("Worddata/二.dst"), {"c[c]丙"}));
    struct Case {
        std::size_t limit;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {1, {"a[a]甲", "b[b]乙"}},
        {3, {"a[a]甲", "b[b]乙", "c[c]丙"}},
        {100, {"a[a]甲", "b[b]乙", "c[c]丙"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(core::ReadBankLines(dir.AppDir(), c.limit), c.lines) << c.limit;
    }
    EXPECT_TRUE(core::ReadBankLines(dir.AppDir() + "nowhere/", 10).empty());
}

} // namespace
