#include "wordentry.h"

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

/// Decodes one UTF-8 sequence at text[i]; returns the code point and advances i.
/// An invalid byte decodes as itself (as a negative marker) so that it is kept unchanged.
long DecodeAt(std::string_view text, std::size_t& i) {
    auto b0 = static_cast<unsigned char>(text[i]);
    auto cont = [&](std::size_t k) {
        return i + k < text.size() && (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
    };
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    if ((b0 & 0xE0) == 0xC0 && cont(1)) {
        long cp = ((b0 & 0x1F) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3F);
        i += 2;
        return cp;
    }
    if ((b0 & 0xF0) == 0xE0 && cont(1) && cont(2)) {
        long cp = ((b0 & 0x0F) << 12) | ((static_cast<unsigned char>(text[i + 1]) & 0x3F) << 6) |
                  (static_cast<unsigned char>(text[i + 2]) & 0x3F);
        i += 3;
        return cp;
    }
    ++i;
    return -static_cast<long>(b0);
}

void AppendUtf8(std::string& out, long cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

long LowerCodePoint(long cp) {
    if (cp >= 'A' && cp <= 'Z') {
        return cp + 32;
    }
    if ((cp >= 0xC0 && cp <= 0xDE && cp != 0xD7)) { // Latin-1 capitals
        return cp + 32;
    }
    if (cp >= 0x391 && cp <= 0x3AB && cp != 0x3A2) { // Greek capitals
        return cp + 32;
    }
    if (cp >= 0x410 && cp <= 0x42F) { // Cyrillic capitals
        return cp + 32;
    }
    if (cp >= 0x400 && cp <= 0x40F) {
        return cp + 80;
    }
    if (cp >= 0xFF21 && cp <= 0xFF3A) { // full-width Latin capitals
        return cp + 32;
    }
    return cp;
}

} // namespace

std::string FoldCase(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            out += static_cast<char>(b >= 'A' && b <= 'Z' ? b + 32 : b);
            ++i;
            continue;
        }
        long cp = DecodeAt(text, i);
        if (cp < 0) {
            out += static_cast<char>(-cp);
        } else {
            AppendUtf8(out, LowerCodePoint(cp));
        }
    }
    return out;
}

} // namespace core
