#include "core/utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct DecodeCase {
    const char* name;
    std::string bytes;
    char32_t code;
    std::size_t size;
    bool valid;
};

TEST(Utf8, DecodesOneCharacterStrictly) {
    const DecodeCase cases[] = {
        {"ascii", "a", U'a', 1, true},
        {"two bytes", "\xC3\xA9", U'é', 2, true},
        {"three bytes", "\xE4\xB8\xAD", U'中', 3, true},
        {"four bytes", "\xF0\x9F\x98\x80", U'\U0001F600', 4, true},
        {"highest code point", "\xF4\x8F\xBF\xBF", U'\U0010FFFF', 4, true},
        {"overlong two-byte slash", "\xC0\xAF", 0xFFFD, 1, false},
        {"overlong three-byte", "\xE0\x80\xAF", 0xFFFD, 1, false},
        {"overlong four-byte", "\xF0\x80\x80\xAF", 0xFFFD, 1, false},
        {"surrogate", "\xED\xA0\x80", 0xFFFD, 1, false},
        {"above U+10FFFF", "\xF4\x90\x80\x80", 0xFFFD, 1, false},
        {"F5 lead", "\xF5\x80\x80\x80", 0xFFFD, 1, false},
        {"stray continuation", "\x80", 0xFFFD, 1, false},
        {"truncated at end", "\xE4\xB8", 0xFFFD, 1, false},
        {"truncated before ascii", "\xE4\xB8x", 0xFFFD, 1, false},
        {"lone FF", "\xFF", 0xFFFD, 1, false},
    };
    for (const auto& c : cases) {
        const core::Utf8Char got = core::DecodeUtf8At(c.bytes, 0);
        EXPECT_EQ(got.code, c.code) << c.name;
        EXPECT_EQ(got.size, c.size) << c.name;
        EXPECT_EQ(got.valid, c.valid) << c.name;
    }
}

TEST(Utf8, EncodeDecodeRoundTripOverTheCodeSpace) {
    for (char32_t cp = 0; cp <= 0x10FFFF; cp += (cp < 0x3000 ? 1 : 97)) {
        if (cp >= 0xD800 && cp <= 0xDFFF) {
            continue;
        }
        std::string s;
        core::AppendUtf8(s, cp);
        const core::Utf8Char back = core::DecodeUtf8At(s, 0);
        ASSERT_TRUE(back.valid) << std::hex << static_cast<unsigned>(cp);
        ASSERT_EQ(back.code, cp);
        ASSERT_EQ(back.size, s.size());
    }
    std::string s;
    core::AppendUtf8(s, 0xD800);
    EXPECT_EQ(s, "\xEF\xBF\xBD");
}

TEST(Utf8, LengthsAndPrefixesCountInvalidBytesOnce) {
    EXPECT_EQ(core::Utf8Length(""), 0u);
    EXPECT_EQ(core::Utf8Length("a中\x80z"), 4u);
    EXPECT_EQ(core::Utf8Prefix("中文ab", 3), "中文a");
    EXPECT_EQ(core::Utf8Prefix("ab", 5), "ab");
    EXPECT_TRUE(core::IsValidUtf8("abc中文"));
    EXPECT_FALSE(core::IsValidUtf8("abc\xE4\xB8"));
}

} // namespace
