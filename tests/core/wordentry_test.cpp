#include "core/wordentry.h"

#include <gtest/gtest.h>

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
                      EntryCase{"close]only", "", "", "only"},
                      EntryCase{"a[b]c]d[e", "a", "b", "c]d[e"}, EntryCase{"]x[y", "]x", "", "x[y"},
                      EntryCase{"[]", "", "", ""},
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

} // namespace
