#include "core/linetext.h"
#include "core/textfile.h"

#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace {

std::vector<std::string> LinesOf(const core::LineText& text) {
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < text.size(); ++i) {
        lines.emplace_back(text.Line(i));
    }
    return lines;
}

struct SplitCase {
    const char* name;
    std::string text;
    std::vector<std::string> lines;
};

class LineTextSplit : public ::testing::TestWithParam<SplitCase> {};

TEST_P(LineTextSplit, EndsLinesAtCrLfAndCrLf) {
    const auto& c = GetParam();
    const core::LineText text(c.text);
    EXPECT_EQ(LinesOf(text), c.lines);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LineTextSplit,
    ::testing::Values(SplitCase{"empty", "", {}}, SplitCase{"noBreak", "a", {"a"}},
                      SplitCase{"finalBreakAddsNoLine", "a\r\n", {"a"}},
                      SplitCase{"mixedBreaks", "a\rb\nc\r\nd", {"a", "b", "c", "d"}},
                      SplitCase{"emptyLineKept", "a\r\n\r\nb\r\n", {"a", "", "b"}},
                      SplitCase{"lfCr", "a\n\rb", {"a", "", "b"}},
                      SplitCase{"onlyBreaks", "\r\n\n\r", {"", "", ""}},
                      SplitCase{"crOnlyFile", "x\ry\rz\r", {"x", "y", "z"}}),
    [](const auto& info) { return info.param.name; });

TEST(LineText, AgreesWithSplitLinesOnRandomBreaks) {
    std::mt19937 rng(7);
    const char pieces[] = {'a', '\r', '\n', ' ', 'b'};
    for (int round = 0; round < 500; ++round) {
        std::string text;
        const int length = static_cast<int>(rng() % 30);
        for (int k = 0; k < length; ++k) {
            text += pieces[rng() % sizeof pieces];
        }
        ASSERT_EQ(LinesOf(core::LineText(text)), core::SplitLines(text)) << round;
    }
}

} // namespace
