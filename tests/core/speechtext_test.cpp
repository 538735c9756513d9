#include "core/speechtext.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Repeat(const std::string& piece, std::size_t times) {
    std::string out;
    for (std::size_t i = 0; i < times; ++i) {
        out += piece;
    }
    return out;
}

TEST(SpokenText, KeepsWordsAndCutsTextsLongerThanTheLimitAtACharacter) {
    const std::size_t max = core::MaxSpokenChars;
    struct Case {
        const char* name;
        std::string text;
        std::string spoken;
    };
    const Case cases[] = {
        {"a word", "hello", "hello"},
        {"browse's blanks", " ice cream ", " ice cream "},
        {"empty", "", ""},
        {"exactly the limit", Repeat("a", max), Repeat("a", max)},
        {"one over", Repeat("a", max + 1), Repeat("a", max)},
        {"twenty thousand", Repeat("abcdefghij", 2000), Repeat("abcdefghij", max / 10)},
        // Characters, not bytes: a three-byte character is never split.
        {"Chinese", Repeat("词", max + 5), Repeat("词", max)},
        {"mixed at the cut", Repeat("a", max - 1) + "词x", Repeat("a", max - 1) + "词"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(core::SpokenText(c.text), c.spoken) << c.name;
    }
}

} // namespace
