#include "core/textencoding.h"

#include "core/utf8.h"

#include <gtest/gtest.h>

namespace {

using core::TextEncoding;

/// text (UTF-8) as UTF-16, with or without a byte-order mark.
std::string Utf16(std::string_view text, bool little, bool mark) {
    std::string out;
    auto put = [&](char32_t unit) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        out += little ? low : high;
        out += little ? high : low;
    };
    if (mark) {
        put(0xFEFF);
    }
    for (std::size_t i = 0; i < text.size();) {
        const core::Utf8Char c = core::DecodeUtf8At(text, i);
        if (c.code >= 0x10000) {
            put(0xD800 + ((c.code - 0x10000) >> 10));
            put(0xDC00 + ((c.code - 0x10000) & 0x3FF));
        } else {
            put(c.code);
        }
        i += c.size;
    }
    return out;
}

const std::string Entry = "one[wQn]num.一；单词\r\n";
const std::string EntryGbk = "one[wQn]num.\xD2\xBB\xA3\xBB\xB5\xA5\xB4\xCA\r\n";

TEST(BankEncoding, RecognisedAndConvertedToTheLearnersEncoding) {
    struct Case {
        const char* name;
        std::string bytes;
        TextEncoding encoding;
        std::string converted;
    };
    const Case cases[] = {
        {"GBK", EntryGbk, TextEncoding::Gbk, EntryGbk},
        {"plain ASCII", "cat[kAt]n.\r\n", TextEncoding::Gbk, "cat[kAt]n.\r\n"},
        {"GBK that also reads as UTF-8", "\xC2\x84[x]v.\r\n", TextEncoding::Gbk,
         "\xC2\x84[x]v.\r\n"},
        {"GBK with the code page's euro sign",
         "p[p]n.\x80"
         "5\r\n",
         TextEncoding::Gbk,
         "p[p]n.\x80"
         "5\r\n"},
        {"UTF-8", Entry, TextEncoding::Utf8, EntryGbk},
        {"UTF-8 with a byte-order mark", "\xEF\xBB\xBF" + Entry, TextEncoding::Utf8Bom, EntryGbk},
        {"UTF-8 beyond GBK", "𠀀[x]\r\n", TextEncoding::Utf8, "\x95\x32\x82\x36[x]\r\n"},
        {"UTF-16 little-endian with mark", Utf16(Entry, true, true), TextEncoding::Utf16Le,
         EntryGbk},
        {"UTF-16 big-endian with mark", Utf16(Entry, false, true), TextEncoding::Utf16Be, EntryGbk},
        {"UTF-16 little-endian without mark", Utf16(Entry, true, false), TextEncoding::Utf16Le,
         EntryGbk},
        {"UTF-16 big-endian without mark", Utf16(Entry, false, false), TextEncoding::Utf16Be,
         EntryGbk},
        {"UTF-16 beyond the plane", Utf16("𠀀[x]\r\n", true, true), TextEncoding::Utf16Le,
         "\x95\x32\x82\x36[x]\r\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(core::DetectTextEncoding(c.bytes), c.encoding) << c.name;
        std::string out;
        EXPECT_TRUE(core::ConvertToGb18030(c.bytes, c.encoding, out)) << c.name;
        EXPECT_EQ(out, c.converted) << c.name;
    }
}

TEST(BankEncoding, TextThatBreaksItsEncodingIsRefused) {
    struct Case {
        const char* name;
        std::string bytes;
    };
    std::string loneSurrogate = Utf16("a", true, true);
    loneSurrogate += std::string("\x00\xD8", 2);
    const Case cases[] = {
        {"UTF-8 mark before broken UTF-8", "\xEF\xBB\xBF"
                                           "a\xFF"
                                           "b\r\n"},
        {"odd number of UTF-16 bytes", Utf16(Entry, true, true) + "x"},
        {"lone UTF-16 surrogate", loneSurrogate},
        {"binary data", std::string("\x01\x00\x00\x07\x00\x00\x00\x09", 8)},
    };
    for (const auto& c : cases) {
        std::string out = "stale";
        EXPECT_FALSE(core::ConvertToGb18030(c.bytes, core::DetectTextEncoding(c.bytes), out))
            << c.name;
        EXPECT_TRUE(out.empty()) << c.name;
    }
}

} // namespace
