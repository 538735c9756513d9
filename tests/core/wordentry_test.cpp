#include "core/wordentry.h"

#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

struct EntryCase {
    const char* line;
    const char* word;
    const char* phonetic;
    const char* meaning;
};

class EntryFields : public ::testing::TestWithParam<EntryCase> {};

TEST_P(EntryFields, SplitsAtFirstBrackets) {
    const auto& c = GetParam();
    EXPECT_EQ(core::EntryWord(c.line), c.word);
    EXPECT_EQ(core::EntryPhonetic(c.line), c.phonetic);
    EXPECT_EQ(core::EntryMeaning(c.line), c.meaning);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, EntryFields,
    ::testing::Values(EntryCase{"word[wE:d]n.词；单词", "word", "wE:d", "n.词；单词"},
                      EntryCase{"no bracket at all", "", "", "no bracket at all"},
                      EntryCase{"open[only", "open", "", "open[only"},
                      EntryCase{"close]only", "", "close", "only"},
                      EntryCase{"wE:d]n.词", "", "wE:d", "n.词"},
                      EntryCase{"]lead", "", "", "lead"}, EntryCase{"a[b]c]d[e", "a", "b", "c]d[e"},
                      EntryCase{"]x[y", "]x", "", "x[y"}, EntryCase{"[]", "", "", ""},
                      EntryCase{"ice cream[aIs kri:m]n.冰淇淋", "ice cream", "aIs kri:m",
                                "n.冰淇淋"},
                      EntryCase{"", "", "", ""}));

TEST(Trim, RemovesCodesUpTo32OnBothEndsOnly) {
    EXPECT_EQ(core::Trim("  \t\r\nword[x]y \x01\x1f "), "word[x]y");
    EXPECT_EQ(core::Trim("a  b"), "a  b");
    EXPECT_EQ(core::Trim(" \t "), "");
    // Bytes of multi-byte characters are above 127 and are never trimmed.
    EXPECT_EQ(core::Trim(" 单词 "), "单词");
    EXPECT_EQ(core::Trim("\xC2\xA0x"), "\xC2\xA0x");
}

TEST(FoldCase, FoldsLettersOfCommonScriptsOnly) {
    EXPECT_EQ(core::FoldCase("Word[WE:D]N.词"), "word[we:d]n.词");
    EXPECT_EQ(core::FoldCase("CAFÉ"), "café");
    EXPECT_EQ(core::FoldCase("ΑΒΓ"), "αβγ");
    EXPECT_EQ(core::FoldCase("ПРИВЕТ"), "привет");
    EXPECT_EQ(core::FoldCase("×÷"), "×÷");
    // An invalid byte is kept, not dropped.
    EXPECT_EQ(core::FoldCase("A\xFF"
                             "B"),
              "a\xFF"
              "b");
}

TEST(FoldCase, LongTextsFoldLikeTheirCharactersOneByOne) {
    // Long texts are folded several bytes at a time, single characters one by one: both
    // must agree for every mix of scripts and every position of a character in a block.
    const std::vector<std::string> pieces = {"A", "z",  "Z",  "@",  "[", "`", "{", "7",
                                             " ", "É",  "é",  "×",  "Ω", "ω", "Ж", "ж",
                                             "Ѐ", "Ｑ", "词", "；", "ə", "ː", "😀", "\xFF"};
    std::mt19937 rng(2024);
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        std::string expected;
        const int count = static_cast<int>(rng() % 40);
        for (int k = 0; k < count; ++k) {
            const std::string& piece = pieces[rng() % pieces.size()];
            text += piece;
            expected += core::FoldCase(piece);
        }
        ASSERT_EQ(core::FoldCase(text), expected) << text;
    }
}

} // namespace
