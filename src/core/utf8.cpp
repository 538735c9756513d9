#include "utf8.h"

namespace core {

namespace {

constexpr char32_t Replacement = 0xFFFD;

bool IsContinuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

} // namespace

Utf8Char DecodeUtf8At(std::string_view text, std::size_t pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80) {
        return {lead, 1, true};
    }
    std::size_t size = 0;
    char32_t code = 0;
    char32_t least = 0; // smallest code point this length may carry (no overlong forms)
    if (lead >= 0xC2 && lead <= 0xDF) {
        size = 2;
        code = lead & 0x1F;
        least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        size = 3;
        code = lead & 0x0F;
        least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        size = 4;
        code = lead & 0x07;
        least = 0x10000;
    } else {
        return {Replacement, 1, false}; // continuation byte, C0/C1 or F5..FF
    }
    if (text.size() - pos < size) {
        return {Replacement, 1, false};
    }
    for (std::size_t k = 1; k < size; ++k) {
        const auto b = static_cast<unsigned char>(text[pos + k]);
        if (!IsContinuation(b)) {
            return {Replacement, 1, false};
        }
        code = code << 6 | (b & 0x3F);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return {Replacement, 1, false};
    }
    return {code, size, true};
}

void AppendUtf8(std::string& out, char32_t code) {
    if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        code = Replacement;
    }
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

bool IsValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const Utf8Char c = DecodeUtf8At(text, i);
        if (!c.valid) {
            return false;
        }
        i += c.size;
    }
    return true;
}

std::size_t Utf8Length(std::string_view text) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < text.size(); ++n) {
        i += DecodeUtf8At(text, i).size;
    }
    return n;
}

std::string_view Utf8Prefix(std::string_view text, std::size_t count) {
    std::size_t i = 0;
    for (std::size_t n = 0; n < count && i < text.size(); ++n) {
        i += DecodeUtf8At(text, i).size;
    }
    return text.substr(0, i);
}

} // namespace core
