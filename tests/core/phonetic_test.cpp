#include "core/phonetic.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Conversion {
    const char* from;
    const char* to;
};

class IpaToCodes : public ::testing::TestWithParam<Conversion> {};

TEST_P(IpaToCodes, WritesTheTypefaceCodes) {
    EXPECT_EQ(core::IpaToPhoneticCodes(GetParam().from), GetParam().to);
}

INSTANTIATE_TEST_SUITE_P(
    Symbols, IpaToCodes,
    ::testing::Values(
        // The classic symbols and their codes.
        Conversion{"ə", "E"}, Conversion{"ɔ", "C"}, Conversion{"æ", "A"}, Conversion{"ʌ", "Q"},
        Conversion{"θ", "W"}, Conversion{"ʃ", "F"}, Conversion{"ð", "T"}, Conversion{"ʒ", "V"},
        Conversion{"ŋ", "N"}, Conversion{"ɛ", "Z"}, Conversion{"ː", ":"},
        // Whole transcriptions, stress marks included.
        Conversion{"wəːd", "wE:d"}, Conversion{"əˈbændən", "E'bAndEn"},
        Conversion{"ˌθæŋksˈɡɪvɪŋ", ",WANks'giviN"}, Conversion{"tʃeə", "tFeE"},
        // Older-notation and variant characters share the classic codes.
        Conversion{"ә", "E"}, Conversion{"ɒ", "C"}, Conversion{"ɪ", "i"}, Conversion{"ʊ", "u"},
        Conversion{"ɜː", "E:"}, Conversion{"є", "Z"}, Conversion{"ɡ", "g"},
        // Plain letters and characters without a code stay as they are.
        Conversion{"pbtdkgfvszhmnlrwjieu", "pbtdkgfvszhmnlrwjieu"}, Conversion{"xʔç", "xʔç"},
        Conversion{"", ""}, Conversion{"n.名词", "n.名词"},
        // Malformed UTF-8 passes through byte by byte instead of being lost.
        Conversion{"\xE0"
                   "a",
                   "\xE0"
                   "a"},
        Conversion{"ə\xC3", "E\xC3"}, Conversion{"\xF0\x9F", "\xF0\x9F"}));

class CodesToIpa : public ::testing::TestWithParam<Conversion> {};

TEST_P(CodesToIpa, ReadsTheSymbolsTheTypefaceDraws) {
    EXPECT_EQ(core::PhoneticCodesToIpa(GetParam().from), GetParam().to);
}

INSTANTIATE_TEST_SUITE_P(
    Symbols, CodesToIpa,
    ::testing::Values(Conversion{"wE:d", "wəːd"}, Conversion{"tF", "tʃ"}, Conversion{"dV", "dʒ"},
                      Conversion{"ZE", "ɛə"}, Conversion{"Ci", "ɔi"}, Conversion{"Eu", "əu"},
                      Conversion{"WTNQ", "θðŋʌ"}, Conversion{"a:", "ɑː"},
                      Conversion{"'sAmpl", "ˈsæmpl"}, Conversion{"i:,E:", "iː,əː"},
                      Conversion{"pbtdkgfvszhmnlrwjieu", "pbtdkgfvszhmnlrwjieu"},
                      Conversion{"中文 é", "中文 é"}, Conversion{"", ""}));

// Every printable ASCII character read as IPA and written back gives the same code, so no two
// codes draw the same symbol and no alias steals the symbol of another code.
TEST(PhoneticCodes, EveryCodeSurvivesTheRoundTrip) {
    for (char c = 0x20; c < 0x7F; ++c) {
        const std::string code(1, c);
        EXPECT_EQ(core::IpaToPhoneticCodes(core::PhoneticCodesToIpa(code)), code)
            << "code '" << c << "' reads as " << core::PhoneticCodesToIpa(code);
    }
}

// A code that the typeface redraws must read as a different character, or the bank builder
// and the font would disagree about what a code means.
TEST(PhoneticCodes, RedrawnCodesReadAsNonAscii) {
    for (const char c : std::string("ECAQWFTVNZ:")) {
        const std::string ipa = core::PhoneticCodesToIpa(std::string(1, c));
        ASSERT_FALSE(ipa.empty());
        EXPECT_GE(static_cast<unsigned char>(ipa[0]), 0x80) << "code " << c;
    }
}

} // namespace
