#include "wordentry.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>

namespace core {

std::string Trim(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= 32) {
        ++begin;
    }
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 32) {
        --end;
    }
    return std::string(text.substr(begin, end - begin));
}

std::string EntryWord(std::string_view entry) {
    auto open = entry.find('[');
    if (open == std::string_view::npos) {
        return {};
    }
    return std::string(entry.substr(0, open));
}

std::string EntryWordKey(std::string_view entry) {
    const auto open = entry.find('[');
    return FoldCase(Trim(open == std::string_view::npos ? entry : entry.substr(0, open)));
}

std::string EntryPhonetic(std::string_view entry) {
    // Only the first "[" and the first "]" count. The phonetic runs from after the "[" (from
    // the start of the line when there is none) up to the "]"; without a "]", or with the
    // "]" before the "[", there is none.
    auto close = entry.find(']');
    if (close == std::string_view::npos) {
        return {};
    }
    auto open = entry.find('[');
    const std::size_t begin = open == std::string_view::npos ? 0 : open + 1;
    if (close < begin) {
        return {};
    }
    return std::string(entry.substr(begin, close - begin));
}

std::string EntryMeaning(std::string_view entry) {
    auto close = entry.find(']');
    if (close == std::string_view::npos) {
        return std::string(entry);
    }
    return std::string(entry.substr(close + 1));
}

namespace {

/// What a byte means to the folding: nothing (most bytes, Chinese included), an ASCII
/// capital, or a lead byte that may start a capital of another script.
enum ByteClass : unsigned char { Plain, AsciiCapital, MaybeCapital };

constexpr std::array<unsigned char, 256> ByteClasses = [] {
    std::array<unsigned char, 256> classes{};
    for (int b = 'A'; b <= 'Z'; ++b) {
        classes[static_cast<std::size_t>(b)] = AsciiCapital;
    }
    for (int b : {0xC3, 0xCE, 0xD0, 0xEF}) {
        classes[static_cast<std::size_t>(b)] = MaybeCapital;
    }
    return classes;
}();

/// Folds the character whose lead byte (0xC3, 0xCE, 0xD0 or 0xEF) is at o[i]; returns where
/// the next character starts.
std::size_t FoldLeadByte(unsigned char* o, std::size_t i, std::size_t n) {
    auto isCont = [&](std::size_t k) { return k < n && (o[k] & 0xC0) == 0x80; };
    const unsigned char b = o[i];
    if ((b == 0xC3 || b == 0xCE || b == 0xD0) && isCont(i + 1)) {
        const unsigned char t = o[i + 1];
        if (b == 0xC3 && t >= 0x80 && t <= 0x9E && t != 0x97) {
            o[i + 1] = static_cast<unsigned char>(t + 0x20); // Latin-1 capitals
        } else if (b == 0xCE && t >= 0x91 && t <= 0x9F) {
            o[i + 1] = static_cast<unsigned char>(t + 0x20); // Greek Alpha..Omicron
        } else if (b == 0xCE && t >= 0xA0 && t <= 0xAB && t != 0xA2) {
            o[i] = 0xCF; // Greek Pi..Upsilon with dialytika
            o[i + 1] = static_cast<unsigned char>(t - 0x20);
        } else if (b == 0xD0 && t >= 0x90 && t <= 0x9F) {
            o[i + 1] = static_cast<unsigned char>(t + 0x20); // Cyrillic A..Pe
        } else if (b == 0xD0 && t >= 0xA0 && t <= 0xAF) {
            o[i] = 0xD1; // Cyrillic Er..Ya
            o[i + 1] = static_cast<unsigned char>(t - 0x20);
        } else if (b == 0xD0 && t >= 0x80 && t <= 0x8F) {
            o[i] = 0xD1; // Cyrillic Ie with grave..Dzhe
            o[i + 1] = static_cast<unsigned char>(t + 0x10);
        }
        return i + 2;
    }
    if (b == 0xEF && isCont(i + 1) && isCont(i + 2) && o[i + 1] == 0xBC && o[i + 2] >= 0xA1 &&
        o[i + 2] <= 0xBA) {
        o[i + 1] = 0xBD; // full-width Latin capitals
        o[i + 2] = static_cast<unsigned char>(o[i + 2] - 0x20);
        return i + 3;
    }
    return i + 1;
}

} // namespace

void FoldCaseInto(std::string_view text, char* out) {
    // Copies the text, then lowers capitals in place: every folded letter keeps its encoded
    // length, and only a few lead bytes can start a capital outside ASCII, so most bytes
    // (Chinese included) are only looked at.
    const std::size_t n = text.size();
    if (n == 0) {
        return;
    }
    std::memcpy(out, text.data(), n);
    auto* o = reinterpret_cast<unsigned char*>(out);
    constexpr std::uint64_t High = 0x8080808080808080ULL;
    std::size_t i = 0;
    while (i < n) {
        // Eight ASCII bytes at once: the capitals among them are lowered together.
        if (i + 8 <= n) {
            std::uint64_t w;
            std::memcpy(&w, o + i, 8);
            if ((w & High) == 0) {
                // High bit of each byte: at least 'A' and not above 'Z' (no carry crosses a
                // byte: 0x7F + 0x3F < 0x100).
                const std::uint64_t atLeastA = w + 0x3F3F3F3F3F3F3F3FULL;
                const std::uint64_t aboveZ = w + 0x2525252525252525ULL;
                w |= (atLeastA & ~aboveZ & High) >> 2; // 0x80 >> 2 is the 0x20 of a lower case
                std::memcpy(o + i, &w, 8);
                i += 8;
                continue;
            }
        }
        // Otherwise byte by byte up to the next block.
        const std::size_t stop = std::min(n, i + 8);
        while (i < stop) {
            const unsigned char b = o[i];
            switch (ByteClasses[b]) {
            case Plain:
                ++i;
                break;
            case AsciiCapital:
                o[i] = static_cast<unsigned char>(b + 32);
                ++i;
                break;
            default:
                i = FoldLeadByte(o, i, n);
                break;
            }
        }
    }
}

std::string FoldCase(std::string_view text) {
    std::string out(text.size(), '\0');
    FoldCaseInto(text, out.data());
    return out;
}

std::uint64_t FoldedHash(std::string_view text) {
    // Fold into a stack buffer for the usual short line, then use the library's fast hash.
    char buffer[256];
    if (text.size() <= sizeof buffer) {
        FoldCaseInto(text, buffer);
        return std::hash<std::string_view>{}(std::string_view(buffer, text.size()));
    }
    return std::hash<std::string>{}(FoldCase(text));
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false; // folding keeps the length
    }
    return a == b || FoldCase(a) == FoldCase(b);
}

} // namespace core
