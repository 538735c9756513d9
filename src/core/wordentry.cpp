#include "wordentry.h"

#include <algorithm>
#include <array>
#include <cstdint>
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

constexpr std::uint64_t Ones = 0x0101010101010101ULL;
constexpr std::uint64_t High = 0x8080808080808080ULL;

/// True when some byte of w is zero.
constexpr bool HasZeroByte(std::uint64_t w) {
    return ((w - Ones) & ~w & High) != 0;
}

/// True when some byte of w is one of the lead bytes FoldLeadByte handles.
constexpr bool HasFoldLead(std::uint64_t w) {
    return HasZeroByte(w ^ (Ones * 0xC3)) || HasZeroByte(w ^ (Ones * 0xCE)) ||
           HasZeroByte(w ^ (Ones * 0xD0)) || HasZeroByte(w ^ (Ones * 0xEF));
}

/// The high bit of every byte of w that is an ASCII capital. Bytes of 0x80 and above are
/// masked off first, so that no sum carries into the next byte.
constexpr std::uint64_t AsciiCapitals(std::uint64_t w) {
    const std::uint64_t low = w & ~High;
    const std::uint64_t atLeastA = low + Ones * (0x80 - 'A');
    const std::uint64_t aboveZ = low + Ones * (0x80 - 'Z' - 1);
    return atLeastA & ~aboveZ & ~w & High;
}

static_assert(AsciiCapitals(0x415A405B617A8182ULL) == 0x8080000000000000ULL);
static_assert(HasFoldLead(0x41EF424344454647ULL) && !HasFoldLead(0xE8AF8DE8AF8D4142ULL));

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
    std::size_t i = 0;
    while (i < n) {
        // Eight bytes at once where none of them can start a capital outside ASCII: the
        // ASCII capitals among them are lowered together, other bytes (Chinese included)
        // pass as they are.
        if (i + 8 <= n) {
            std::uint64_t w;
            std::memcpy(&w, o + i, 8);
            if (!HasFoldLead(w)) {
                w |= AsciiCapitals(w) >> 2; // 0x80 >> 2 is the 0x20 of a lower case
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
