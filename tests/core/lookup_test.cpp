#include "core/lookup.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using core::BankMatch;
using core::QueryKind;

namespace {

struct KindCase {
    const char* name;
    std::string query;
    QueryKind kind;
};

class Classification : public ::testing::TestWithParam<KindCase> {};

TEST_P(Classification, JudgesByCharacters) {
    EXPECT_EQ(core::ClassifyQuery(GetParam().query), GetParam().kind);
}

INSTANTIATE_TEST_SUITE_P(
    Queries, Classification,
    ::testing::Values(KindCase{"letters", "cat", QueryKind::English},
                      KindCase{"phrase", "ice cream", QueryKind::English},
                      KindCase{"oneLetter", "a", QueryKind::English},
                      KindCase{"chinese", "苹果", QueryKind::Chinese},
                      KindCase{"oneChinese", "猫", QueryKind::Chinese},
                      KindCase{"chinesePunctuation", "苹果，梨", QueryKind::Chinese},
                      KindCase{"latinThenChinese", "cat猫", QueryKind::Mixed},
                      KindCase{"chineseThenLatin", "猫cat", QueryKind::Mixed},
                      // Odd byte counts: a byte walk by twos would step off these.
                      KindCase{"oddLatinThenChinese", "c猫", QueryKind::Mixed},
                      KindCase{"chineseThenOneLetter", "猫c", QueryKind::Mixed},
                      KindCase{"chineseWithSpace", "小 猫", QueryKind::Mixed},
                      KindCase{"empty", "", QueryKind::Empty},
                      KindCase{"brokenByte", std::string("\xE7\x8C"), QueryKind::Chinese}),
    [](const auto& info) { return info.param.name; });

struct BankLineCase {
    const char* name;
    const char* line;
    const char* query;
    BankMatch match;
    bool hit;
};

class BankLine : public ::testing::TestWithParam<BankLineCase> {};

TEST_P(BankLine, MatchesByWholeWordOrContainment) {
    const auto& c = GetParam();
    EXPECT_EQ(core::BankLineMatches(c.line, c.query, c.match), c.hit);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, BankLine,
    ::testing::Values(
        BankLineCase{"exact", "apple[A]n.苹果", "apple", BankMatch::WholeWord, true},
        BankLineCase{"otherCase", "apple[A]n.苹果", "Apple", BankMatch::WholeWord, false},
        BankLineCase{"prefixOnly", "apples[A]n.苹果", "apple", BankMatch::WholeWord, false},
        BankLineCase{"spaceBeforeBracket", "apple [A]n.苹果", "apple", BankMatch::WholeWord, false},
        BankLineCase{"phrase", "ice cream[aIs]n.冰淇淋", "ice cream", BankMatch::WholeWord, true},
        BankLineCase{"noBracket", "apple", "apple", BankMatch::WholeWord, false},
        BankLineCase{"wordInMeaning", "pear[p]n.apple", "apple", BankMatch::WholeWord, false},
        BankLineCase{"containsChinese", "apple[A]n.苹果；苹果树", "苹果", BankMatch::Containment,
                     true},
        BankLineCase{"containsPart", "apple[A]n.苹果", "果", BankMatch::Containment, true},
        BankLineCase{"missingChinese", "apple[A]n.苹果", "梨", BankMatch::Containment, false},
        BankLineCase{"emptyQuery", "apple[A]n.苹果", "", BankMatch::Containment, false}),
    [](const auto& info) { return info.param.name; });

struct SentenceCase {
    const char* name;
    const char* line;
    const char* query;
    bool hit;
};

class SentenceRule : public ::testing::TestWithParam<SentenceCase> {};

TEST_P(SentenceRule, TestsTheFirstOccurrenceInTheEnglishPart) {
    const auto& c = GetParam();
    EXPECT_EQ(core::SentenceMatches(c.line, c.query), c.hit) << c.line;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SentenceRule,
    ::testing::Values(
        SentenceCase{"spacesAround", "A cat sat.‖一只猫坐着。", "cat", true},
        SentenceCase{"startThenSpace", "cat and dog.‖猫和狗。", "cat", true},
        SentenceCase{"startThenCommaSpace", "cat, dog.‖猫，狗。", "cat", true},
        SentenceCase{"endOneCharacter", "I saw a cat.‖我看见一只猫。", "cat", true},
        SentenceCase{"endTwoCharacters", "Is it a cat?!‖是猫吗？！", "cat", true},
        SentenceCase{"endThreeCharacters", "I saw a cat...‖我看见一只猫……", "cat", false},
        SentenceCase{"endNoCharacter", "I saw a cat‖我看见一只猫", "cat", false},
        SentenceCase{"endOneWideCharacter", "I saw a cat。‖我看见一只猫。", "cat", true},
        SentenceCase{"startSecondIsWideThenSpace", "cat。 dog‖猫。狗", "cat", true},
        SentenceCase{"insideWordFirst", "concatenate cat‖连接猫", "cat", false},
        SentenceCase{"laterOccurrenceIgnored", "Concatenate the cat food.‖", "cat", false},
        SentenceCase{"suffixInWord", "The cats sleep.‖猫睡觉。", "cat", false},
        SentenceCase{"pluralAtEnd", "I like cats.‖我喜欢猫。", "cat", true},
        SentenceCase{"letterCase", "A Cat sat.‖一只猫坐着。", "cat", false},
        SentenceCase{"wholeSentence", "cat‖猫", "cat", false},
        SentenceCase{"onlyInTranslation", "A dog sat.‖cat 狗", "cat", false},
        SentenceCase{"noSeparator", "I saw a cat.", "cat", true},
        SentenceCase{"phrase", "I like ice cream a lot.‖我很喜欢冰淇淋。", "ice cream", true},
        SentenceCase{"chineseAnywhere", "A cat sat.‖一只猫坐着。", "猫", true},
        SentenceCase{"chineseMissing", "A cat sat.‖一只猫坐着。", "狗", false},
        SentenceCase{"emptyQuery", "A cat sat.‖一只猫坐着。", "", false}),
    [](const auto& info) { return info.param.name; });

TEST(SentenceParts, SplitAtTheFirstSeparator) {
    EXPECT_EQ(core::SentenceEnglish("A b.‖甲‖乙"), "A b.");
    EXPECT_EQ(core::SentenceTranslation("A b.‖甲‖乙"), "甲‖乙");
    EXPECT_EQ(core::SentenceEnglish("no separator"), "no separator");
    EXPECT_EQ(core::SentenceTranslation("no separator"), "");
}

TEST(ScanSentences, StopsAtTheTwentyEighthHit) {
    std::vector<std::string> lines;
    for (int i = 0; i < 60; ++i) {
        lines.push_back(i % 2 ? "A dog " + std::to_string(i) + " ran.‖狗"
                              : "A cat " + std::to_string(i) + " sat.‖猫");
    }
    std::string text;
    for (const auto& line : lines) {
        text += line + "\r\n";
    }
    const core::LineText corpus(text);
    const auto hits = core::ScanSentences(corpus, "cat");
    ASSERT_EQ(hits.size(), core::MaxSentences);
    EXPECT_EQ(hits.front(), 0u);
    EXPECT_EQ(hits.back(), 54u); // the 28th cat line; the 29th (line 56) is not shown
    EXPECT_TRUE(core::ScanSentences(corpus, "").empty());
}

TEST(ScanBanks, OneHitPerBankTheFirstInFileOrder) {
    std::vector<core::WordBankText> banks;
    banks.push_back({"一", "", core::LineText("apple[1]a\napple[2]b\n")});
    banks.push_back({"二", "", core::LineText("pear[3]c\n")});
    banks.push_back({"三", "", core::LineText("Apple[4]d\napple[5]e\n")});
    const auto hits = core::ScanBanks(banks, "apple", BankMatch::WholeWord);
    ASSERT_EQ(hits.size(), 2u);
    EXPECT_EQ(hits[0], (core::BankHit{0, 0, "一", "apple[1]a"}));
    EXPECT_EQ(hits[1], (core::BankHit{2, 1, "三", "apple[5]e"}));
}

struct StepCase {
    int index;
    int count;
    int step;
    int next;
};

class StudyStep : public ::testing::TestWithParam<StepCase> {};

TEST_P(StudyStep, ReachesEveryLineAndStopsAtTheEnds) {
    const auto& c = GetParam();
    EXPECT_EQ(core::StepStudyIndex(c.index, c.count, c.step), c.next)
        << c.index << " of " << c.count << " step " << c.step;
}

INSTANTIATE_TEST_SUITE_P(Steps, StudyStep,
                         ::testing::Values(StepCase{0, 3, +1, 1}, StepCase{1, 3, +1, 2},
                                           StepCase{2, 3, +1, 2}, StepCase{2, 3, -1, 1},
                                           StepCase{1, 3, -1, 0}, // line 0 is reachable
                                           StepCase{0, 3, -1, 0}, StepCase{0, 1, +1, 0},
                                           StepCase{0, 1, -1, 0}, StepCase{0, 0, +1, 0},
                                           StepCase{5, 3, -1, 2}));

} // namespace
