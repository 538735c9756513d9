#include "letterdiff.h"

#include "utf8.h"

#include <algorithm>
#include <cstdint>

namespace core {

namespace {

std::vector<std::string_view> Letters(std::string_view text) {
    std::vector<std::string_view> letters;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t size = DecodeUtf8At(text, pos).size;
        letters.push_back(text.substr(pos, size));
        pos += size;
    }
    return letters;
}

void Add(std::vector<LetterSpan>& spans, LetterMark mark, std::string_view letter) {
    if (spans.empty() || spans.back().mark != mark) {
        spans.push_back({mark, std::string()});
    }
    spans.back().text += letter;
}

/// Past this many table cells (an attempt pasted from elsewhere) the letters are compared
/// place by place instead, which costs no memory worth mentioning.
constexpr std::size_t MaxCells = std::size_t{1} << 22;

} // namespace

std::vector<LetterSpan> CompareLetters(std::string_view attempt, std::string_view answer) {
    const std::vector<std::string_view> a = Letters(attempt);
    const std::vector<std::string_view> b = Letters(answer);
    const std::size_t n = a.size();
    const std::size_t m = b.size();
    std::vector<LetterSpan> spans;

    if ((n + 1) * (m + 1) > MaxCells) {
        const std::size_t common = std::min(n, m);
        for (std::size_t i = 0; i < common; ++i) {
            Add(spans, a[i] == b[i] ? LetterMark::Same : LetterMark::Wrong, a[i]);
        }
        for (std::size_t i = common; i < n; ++i) {
            Add(spans, LetterMark::Extra, a[i]);
        }
        for (std::size_t j = common; j < m; ++j) {
            Add(spans, LetterMark::Missing, b[j]);
        }
        return spans;
    }

    // cost[i][j]: fewest changes turning the last n-i letters of the attempt into the last
    // m-j letters of the answer; filled from the end so the walk below runs forwards.
    const std::size_t w = m + 1;
    std::vector<std::uint32_t> cost((n + 1) * w);
    for (std::size_t i = n + 1; i-- > 0;) {
        for (std::size_t j = m + 1; j-- > 0;) {
            std::uint32_t& c = cost[i * w + j];
            if (i == n) {
                c = static_cast<std::uint32_t>(m - j);
            } else if (j == m) {
                c = static_cast<std::uint32_t>(n - i);
            } else {
                const std::uint32_t diagonal = cost[(i + 1) * w + j + 1] + (a[i] == b[j] ? 0 : 1);
                c = std::min({diagonal, cost[(i + 1) * w + j] + 1, cost[i * w + j + 1] + 1});
            }
        }
    }
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < n || j < m) {
        const std::uint32_t here = cost[i * w + j];
        if (i < n && j < m && here == cost[(i + 1) * w + j + 1] + (a[i] == b[j] ? 0 : 1)) {
            Add(spans, a[i] == b[j] ? LetterMark::Same : LetterMark::Wrong, a[i]);
            ++i;
            ++j;
        } else if (i < n && here == cost[(i + 1) * w + j] + 1) {
            Add(spans, LetterMark::Extra, a[i]);
            ++i;
        } else {
            Add(spans, LetterMark::Missing, b[j]);
            ++j;
        }
    }
    return spans;
}

} // namespace core
