#include "textencoding.h"

#include "textfile.h"
#include "utf8.h"

#include <cstddef>

namespace core {
namespace {

bool StartsWith(std::string_view bytes, std::string_view mark) {
    return bytes.substr(0, mark.size()) == mark;
}

/// Every byte above ASCII starts a two-byte (or four-byte) GB18030 code, or is the euro sign.
bool IsValidGbk(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    for (std::size_t i = 0; i < n;) {
        const unsigned char b = p[i];
        if (b <= 0x80) {
            ++i;
            continue;
        }
        if (b == 0xFF || i + 1 >= n) {
            return false;
        }
        const unsigned char t = p[i + 1];
        if (t >= 0x40 && t <= 0xFE && t != 0x7F) {
            i += 2;
        } else if (t >= 0x30 && t <= 0x39 && i + 3 < n && p[i + 2] >= 0x81 && p[i + 2] <= 0xFE &&
                   p[i + 3] >= 0x30 && p[i + 3] <= 0x39) {
            i += 4;
        } else {
            return false;
        }
    }
    return true;
}

TextEncoding Utf16WithoutMark(std::string_view bytes) {
    std::size_t zeroEven = 0;
    std::size_t zeroOdd = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\0') {
            ++(i % 2 == 0 ? zeroEven : zeroOdd);
        }
    }
    const std::size_t half = bytes.size() / 2;
    // Latin letters, digits and line breaks take a NUL byte in UTF-16: one side holds many,
    // the other few (only characters such as U+4E00 put one there).
    if (bytes.size() % 2 == 0 && zeroOdd * 10 >= half * 3 && zeroEven * 4 <= zeroOdd) {
        return TextEncoding::Utf16Le;
    }
    if (bytes.size() % 2 == 0 && zeroEven * 10 >= half * 3 && zeroOdd * 4 <= zeroEven) {
        return TextEncoding::Utf16Be;
    }
    return TextEncoding::Unknown;
}

bool Utf16ToUtf8(std::string_view bytes, bool littleEndian, std::string& out) {
    if (bytes.size() % 2 != 0) {
        return false;
    }
    auto unit = [&](std::size_t i) -> char32_t {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return littleEndian ? (a | b << 8) : (a << 8 | b);
    };
    out.reserve(bytes.size() * 3 / 2);
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        char32_t u = unit(i);
        if (u >= 0xDC00 && u <= 0xDFFF) {
            return false;
        }
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (i + 3 >= bytes.size()) {
                return false;
            }
            const char32_t low = unit(i + 2);
            if (low < 0xDC00 || low > 0xDFFF) {
                return false;
            }
            u = 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00);
            i += 2;
        }
        AppendUtf8(out, u);
    }
    return true;
}

} // namespace

TextEncoding DetectTextEncoding(std::string_view bytes) {
    if (StartsWith(bytes, "\xEF\xBB\xBF")) {
        return TextEncoding::Utf8Bom;
    }
    if (StartsWith(bytes, "\xFF\xFE")) {
        return TextEncoding::Utf16Le;
    }
    if (StartsWith(bytes, "\xFE\xFF")) {
        return TextEncoding::Utf16Be;
    }
    if (bytes.find('\0') != std::string_view::npos) {
        return Utf16WithoutMark(bytes);
    }
    std::size_t narrow = 0; // two-byte UTF-8 characters
    std::size_t wide = 0;   // three- and four-byte ones
    for (std::size_t i = 0; i < bytes.size();) {
        const Utf8Char c = DecodeUtf8At(bytes, i);
        if (!c.valid) {
            return TextEncoding::Gbk;
        }
        if (c.size == 2) {
            ++narrow;
        } else if (c.size > 2) {
            ++wide;
        }
        i += c.size;
    }
    if (narrow + wide == 0) {
        return TextEncoding::Gbk; // plain ASCII reads the same either way
    }
    return !IsValidGbk(bytes) || wide >= narrow ? TextEncoding::Utf8 : TextEncoding::Gbk;
}

bool ConvertToGb18030(std::string_view bytes, TextEncoding encoding, std::string& out) {
    out.clear();
    if (encoding == TextEncoding::Gbk) {
        out.assign(bytes);
        return true;
    }
    // Every other encoding goes through UTF-8, which the program's own files are not.
    std::string utf8;
    if (!ConvertToUtf8(bytes, encoding, utf8)) {
        return false;
    }
    out = Utf8ToGb18030(utf8);
    return true;
}

bool ConvertToUtf8(std::string_view bytes, TextEncoding encoding, std::string& out) {
    out.clear();
    switch (encoding) {
    case TextEncoding::Gbk:
        out = Gb18030ToUtf8(bytes);
        return true;
    case TextEncoding::Utf8Bom:
        bytes.remove_prefix(3);
        [[fallthrough]];
    case TextEncoding::Utf8:
        if (!IsValidUtf8(bytes)) {
            return false;
        }
        out.assign(bytes);
        return true;
    case TextEncoding::Utf16Le:
    case TextEncoding::Utf16Be: {
        const bool little = encoding == TextEncoding::Utf16Le;
        if (StartsWith(bytes,
                       little ? std::string_view("\xFF\xFE") : std::string_view("\xFE\xFF"))) {
            bytes.remove_prefix(2);
        }
        if (!Utf16ToUtf8(bytes, little, out)) {
            out.clear();
            return false;
        }
        return true;
    }
    case TextEncoding::Unknown:
        return false;
    }
    return false;
}

} // namespace core
