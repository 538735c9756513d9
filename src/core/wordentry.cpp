#include "wordentry.h"

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

std::string EntryPhonetic(std::string_view entry) {
    auto open = entry.find('[');
    auto close = entry.find(']');
    // Only the first "[" and the first "]" count; a "]" before the "[" leaves no phonetic.
    if (open == std::string_view::npos || close == std::string_view::npos || close < open) {
        return {};
    }
    return std::string(entry.substr(open + 1, close - open - 1));
}

std::string EntryMeaning(std::string_view entry) {
    auto close = entry.find(']');
    if (close == std::string_view::npos) {
        return std::string(entry);
    }
    return std::string(entry.substr(close + 1));
}

namespace {

/// Hands the case-folded UTF-8 bytes of text, in order, to emit. Every folded letter keeps
/// its encoded length, and only a few lead bytes can start a capital, so most characters
/// (Chinese included) pass through without decoding.
template <class Emit> void FoldBytes(std::string_view text, Emit&& emit) {
    const std::size_t n = text.size();
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    auto isCont = [&](std::size_t k) { return k < n && (byte(k) & 0xC0) == 0x80; };
    std::size_t i = 0;
    while (i < n) {
        const unsigned char b = byte(i);
        if (b < 0x80) {
            emit(static_cast<unsigned char>(b >= 'A' && b <= 'Z' ? b + 32 : b));
            ++i;
            continue;
        }
        if ((b == 0xC3 || b == 0xCE || b == 0xD0) && isCont(i + 1)) {
            const unsigned char t = byte(i + 1);
            unsigned char lead = b;
            unsigned char trail = t;
            if (b == 0xC3 && t >= 0x80 && t <= 0x9E && t != 0x97) {
                trail = static_cast<unsigned char>(t + 0x20); // Latin-1 capitals
            } else if (b == 0xCE && t >= 0x91 && t <= 0x9F) {
                trail = static_cast<unsigned char>(t + 0x20); // Greek Alpha..Omicron
            } else if (b == 0xCE && t >= 0xA0 && t <= 0xAB && t != 0xA2) {
                lead = 0xCF; // Greek Pi..Upsilon with dialytika
                trail = static_cast<unsigned char>(t - 0x20);
            } else if (b == 0xD0 && t >= 0x90 && t <= 0x9F) {
                trail = static_cast<unsigned char>(t + 0x20); // Cyrillic A..Pe
            } else if (b == 0xD0 && t >= 0xA0 && t <= 0xAF) {
                lead = 0xD1; // Cyrillic Er..Ya
                trail = static_cast<unsigned char>(t - 0x20);
            } else if (b == 0xD0 && t >= 0x80 && t <= 0x8F) {
                lead = 0xD1; // Cyrillic Ie with grave..Dzhe
                trail = static_cast<unsigned char>(t + 0x10);
            }
            emit(lead);
            emit(trail);
            i += 2;
            continue;
        }
        if (b == 0xEF && isCont(i + 1) && isCont(i + 2) && byte(i + 1) == 0xBC &&
            byte(i + 2) >= 0xA1 && byte(i + 2) <= 0xBA) {
            emit(b); // full-width Latin capitals
            emit(static_cast<unsigned char>(0xBD));
            emit(static_cast<unsigned char>(byte(i + 2) - 0x20));
            i += 3;
            continue;
        }
        emit(b);
        ++i;
    }
}

} // namespace

void FoldCaseInto(std::string_view text, char* out) {
    std::size_t k = 0;
    FoldBytes(text, [&](unsigned char c) { out[k++] = static_cast<char>(c); });
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
        std::size_t k = 0;
        FoldBytes(text, [&](unsigned char c) { buffer[k++] = static_cast<char>(c); });
        return std::hash<std::string_view>{}(std::string_view(buffer, k));
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
