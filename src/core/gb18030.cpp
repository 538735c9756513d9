#include "gb18030.h"

#include "utf8.h"
#include "wordlist.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <iconv.h>
#include <memory>
#include <utility>

namespace core {
namespace {

constexpr char32_t Euro = 0x20AC;
constexpr std::string_view ReplacementGb = "\x84\x31\xA4\x37"; // U+FFFD in GB18030

/// The linear number of the first four-byte code outside the Basic Multilingual Plane
/// (90 30 81 30, which stands for U+10000).
constexpr std::uint32_t FirstSupplementaryCode = 189000;

bool IsKeptByteCharacter(char32_t code) {
    return code >= KeptByteBase + 0x81 && code <= KeptByteBase + 0xFF;
}

/// Converts one short piece with iconv; false when iconv refuses any of it.
bool IconvPiece(const char* to, const char* from, std::string_view in, std::string& out) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return false;
    }
    char buffer[32];
    char* inPtr = const_cast<char*>(in.data());
    std::size_t inLeft = in.size();
    char* outPtr = buffer;
    std::size_t outLeft = sizeof buffer;
    const bool ok = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1) &&
                    inLeft == 0;
    iconv_close(cd);
    out.assign(buffer, sizeof buffer - outLeft);
    return ok;
}

/// Two-byte GB18030 codes (the GBK area) and their Unicode characters, built once from
/// iconv so that the common characters are converted by table lookup. Four-byte codes of the
/// Basic Multilingual Plane go through iconv itself; those beyond it are computed.
struct GbkTables {
    // Index (lead - 0x81) * 191 + (trail - 0x40); 0 = the code is not read as a character.
    std::vector<char16_t> toUnicode;
    // Basic Multilingual Plane character -> two-byte code (lead << 8 | trail), 0 = none.
    std::vector<std::uint16_t> fromUnicode;

    GbkTables() : toUnicode(126 * 191, 0), fromUnicode(0x10000, 0) {
        iconv_t cd = iconv_open("UTF-16LE", "GB18030");
        if (cd == reinterpret_cast<iconv_t>(-1)) {
            return;
        }
        std::vector<char16_t> decoded(toUnicode.size(), 0);
        for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
            for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
                if (trail == 0x7F) {
                    continue;
                }
                char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                char out[8];
                char* inPtr = in;
                char* outPtr = out;
                std::size_t inLeft = 2;
                std::size_t outLeft = sizeof out;
                iconv(cd, nullptr, nullptr, nullptr, nullptr);
                if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) ||
                    sizeof out - outLeft != 2) {
                    continue;
                }
                auto u = static_cast<char16_t>(static_cast<unsigned char>(out[0]) |
                                               (static_cast<unsigned char>(out[1]) << 8));
                // The euro sign belongs to byte 0x80, as in the code page the files come from.
                if (u < 0x80 || u == Euro || (u >= 0xD800 && u <= 0xDFFF)) {
                    continue;
                }
                const std::size_t index = (lead - 0x81) * 191 + (trail - 0x40);
                decoded[index] = u;
                if (fromUnicode[u] == 0) {
                    fromUnicode[u] = static_cast<std::uint16_t>(lead << 8 | trail);
                }
            }
        }
        iconv_close(cd);
        // Only the code a character is written as reads as that character: a second code
        // for the same character is kept as bytes, so that reading and writing never
        // exchange one code for another.
        for (std::size_t index = 0; index < decoded.size(); ++index) {
            const char16_t u = decoded[index];
            const auto code =
                static_cast<std::uint16_t>((index / 191 + 0x81) << 8 | (index % 191 + 0x40));
            if (u != 0 && fromUnicode[u] == code) {
                toUnicode[index] = u;
            }
        }
    }
};

const GbkTables& Tables() {
    static const GbkTables tables;
    return tables;
}

bool IsAscii(std::string_view text) {
    for (unsigned char c : text) {
        if (c >= 0x80) {
            return false;
        }
    }
    return true;
}

std::string EncodeBmpFourByte(char32_t code) {
    std::string utf8;
    AppendUtf8(utf8, code);
    std::string out;
    if (!IconvPiece("GB18030", "UTF-8", utf8, out)) {
        return std::string(ReplacementGb);
    }
    return out;
}

/// The character of the four-byte code at p (four bytes available), or 0 when the bytes are
/// not one, or not the code that character is written as.
char32_t FourByteCharacter(const unsigned char* p) {
    if (p[2] < 0x81 || p[2] > 0xFE || p[3] < 0x30 || p[3] > 0x39) {
        return 0;
    }
    const std::uint32_t linear =
        ((static_cast<std::uint32_t>(p[0] - 0x81) * 10 + (p[1] - 0x30)) * 126 + (p[2] - 0x81)) *
            10 +
        (p[3] - 0x30);
    if (p[0] >= 0x90) {
        if (linear < FirstSupplementaryCode || linear >= FirstSupplementaryCode + 0x100000) {
            return 0;
        }
        const char32_t code = 0x10000 + (linear - FirstSupplementaryCode);
        return IsKeptByteCharacter(code) ? 0 : code;
    }
    std::string out;
    const std::string_view piece(reinterpret_cast<const char*>(p), 4);
    if (!IconvPiece("UTF-16LE", "GB18030", piece, out) || out.size() != 2) {
        return 0;
    }
    const char32_t code =
        static_cast<unsigned char>(out[0]) | (static_cast<unsigned char>(out[1]) << 8);
    if (code < 0x80 || code == Euro || (code >= 0xD800 && code <= 0xDFFF) ||
        Tables().fromUnicode[code] != 0 || EncodeBmpFourByte(code) != piece) {
        return 0;
    }
    return code;
}

/// The six two-byte codes that stand for characters beyond the Basic Multilingual Plane
/// (the rest of that plane has four-byte codes only). Read and written as these two bytes, so
/// that a file holding them comes back byte for byte.
constexpr std::pair<std::uint16_t, char32_t> WideTwoByteCodes[] = {
    {0xFE51, 0x20087}, {0xFE52, 0x20089}, {0xFE53, 0x200CC},
    {0xFE6C, 0x215D7}, {0xFE76, 0x2298F}, {0xFE91, 0x241FE},
};

char32_t WideOfTwoByteCode(unsigned char lead, unsigned char trail) {
    const auto code = static_cast<std::uint16_t>(lead << 8 | trail);
    for (const auto& [two, wide] : WideTwoByteCodes) {
        if (two == code) {
            return wide;
        }
    }
    return 0;
}

std::uint16_t TwoByteCodeOfWide(char32_t wide) {
    for (const auto& [two, code] : WideTwoByteCodes) {
        if (code == wide) {
            return two;
        }
    }
    return 0;
}

/// Writes code as UTF-8 at o and returns the position after it.
char* PutUtf8(char* o, char32_t u) {
    if (u < 0x80) {
        *o++ = static_cast<char>(u);
    } else if (u < 0x800) {
        *o++ = static_cast<char>(0xC0 | (u >> 6));
        *o++ = static_cast<char>(0x80 | (u & 0x3F));
    } else if (u < 0x10000) {
        *o++ = static_cast<char>(0xE0 | (u >> 12));
        *o++ = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        *o++ = static_cast<char>(0x80 | (u & 0x3F));
    } else {
        *o++ = static_cast<char>(0xF0 | (u >> 18));
        *o++ = static_cast<char>(0x80 | ((u >> 12) & 0x3F));
        *o++ = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        *o++ = static_cast<char>(0x80 | (u & 0x3F));
    }
    return o;
}

} // namespace

namespace {

/// Room DecodeInto needs for n bytes: a kept byte grows the most, one byte to four, and the
/// ASCII runs are copied eight bytes at a time.
constexpr std::size_t DecodeRoom(std::size_t n) {
    return 4 * n + 8;
}

/// Decodes bytes into out, which has DecodeRoom(bytes.size()) bytes, and returns the length
/// written. No bound is checked inside the loop: the room covers the worst case.
std::size_t DecodeInto(std::string_view bytes, char* out) {
    const auto& table = Tables().toUnicode;
    const std::size_t n = bytes.size();
    char* o = out;
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    constexpr std::uint64_t High = 0x8080808080808080ULL;
    std::size_t i = 0;
    while (i < n) {
        const unsigned char b = in[i];
        if (b < 0x80) {
            // A run of ASCII, eight bytes at a time while it lasts.
            while (i + 8 <= n) {
                std::uint64_t w;
                std::memcpy(&w, in + i, 8);
                if ((w & High) != 0) {
                    break;
                }
                std::memcpy(o, &w, 8);
                o += 8;
                i += 8;
            }
            while (i < n && in[i] < 0x80) {
                *o++ = static_cast<char>(in[i++]);
            }
            continue;
        }
        if (b == 0x80) {
            o = PutUtf8(o, Euro);
            ++i;
            continue;
        }
        if (b <= 0xFE && i + 1 < n) {
            const unsigned char t = in[i + 1];
            if (t >= 0x40 && t <= 0xFE && t != 0x7F) {
                const char32_t u = table[(b - 0x81) * 191 + (t - 0x40)];
                if (u >= 0x800) {
                    // The common case, a Chinese character: three bytes of UTF-8.
                    o[0] = static_cast<char>(0xE0 | (u >> 12));
                    o[1] = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
                    o[2] = static_cast<char>(0x80 | (u & 0x3F));
                    o += 3;
                    i += 2;
                    continue;
                }
                if (u != 0) {
                    o = PutUtf8(o, u);
                    i += 2;
                    continue;
                }
                // A few two-byte codes stand for characters beyond the Basic Multilingual
                // Plane, which the table does not hold.
                if (const char32_t wide = WideOfTwoByteCode(b, t); wide != 0) {
                    o = PutUtf8(o, wide);
                    i += 2;
                    continue;
                }
            } else if (t >= 0x30 && t <= 0x39 && i + 3 < n) {
                const char32_t u = FourByteCharacter(in + i);
                if (u != 0) {
                    o = PutUtf8(o, u);
                    i += 4;
                    continue;
                }
            }
        }
        // Not a character: the byte is kept as it is.
        o = PutUtf8(o, KeptByteBase + b);
        ++i;
    }
    return static_cast<std::size_t>(o - out);
}

/// A buffer of this thread for decoding one line at a time: each line then costs one
/// allocation of its exact size.
char* LineBuffer(std::size_t room) {
    thread_local std::string buffer;
    if (buffer.size() < room) {
        buffer.resize(std::max(room, buffer.size() * 2));
    }
    return buffer.data();
}

} // namespace

std::string Gb18030ToUtf8(std::string_view bytes) {
    if (IsAscii(bytes)) {
        return std::string(bytes);
    }
    // Large texts are decoded into a buffer whose untouched worst-case room is never paged in.
    const std::unique_ptr<char[]> buffer(new char[DecodeRoom(bytes.size())]);
    return std::string(buffer.get(), DecodeInto(bytes, buffer.get()));
}

namespace {

/// Appends the encoding of text to out[0, used) and returns the new used size. The buffer
/// grows when a character might not fit; GBK text is never longer than its UTF-8, so for the
/// usual text it never does.
std::size_t EncodeInto(std::string_view text, std::string& out, std::size_t used) {
    const auto& table = Tables().fromUnicode;
    const auto* in = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    char* o = out.data() + used;
    char* end = out.data() + out.size();
    std::size_t i = 0;
    while (i < n) {
        if (end - o < 4) {
            const std::size_t at = static_cast<std::size_t>(o - out.data());
            out.resize(out.size() * 2 + 16);
            o = out.data() + at;
            end = out.data() + out.size();
        }
        const unsigned char b = in[i];
        if (b < 0x80) {
            *o++ = static_cast<char>(b);
            ++i;
            continue;
        }
        // The common case, a Chinese character: three bytes of UTF-8, two of GBK.
        if (b >= 0xE1 && b <= 0xEC && i + 2 < n && (in[i + 1] & 0xC0) == 0x80 &&
            (in[i + 2] & 0xC0) == 0x80) {
            const char32_t cp = (b & 0x0Fu) << 12 | (in[i + 1] & 0x3Fu) << 6 | (in[i + 2] & 0x3Fu);
            if (table[cp] != 0 && cp != Euro) {
                *o++ = static_cast<char>(table[cp] >> 8);
                *o++ = static_cast<char>(table[cp] & 0xFF);
                i += 3;
                continue;
            }
        }
        const Utf8Char c = DecodeUtf8At(text, i);
        if (!c.valid) {
            // One replacement for the whole broken sequence: its lead and continuation bytes.
            std::memcpy(o, ReplacementGb.data(), ReplacementGb.size());
            o += ReplacementGb.size();
            ++i;
            while (i < n && (in[i] & 0xC0) == 0x80) {
                ++i;
            }
            continue;
        }
        const char32_t cp = c.code;
        if (cp == Euro) {
            *o++ = '\x80';
        } else if (IsKeptByteCharacter(cp)) {
            *o++ = static_cast<char>(cp - KeptByteBase);
        } else if (cp < 0x10000 && table[cp] != 0) {
            *o++ = static_cast<char>(table[cp] >> 8);
            *o++ = static_cast<char>(table[cp] & 0xFF);
        } else if (const std::uint16_t two = TwoByteCodeOfWide(cp); two != 0) {
            *o++ = static_cast<char>(two >> 8);
            *o++ = static_cast<char>(two & 0xFF);
        } else if (cp >= 0x10000) {
            std::uint32_t linear = FirstSupplementaryCode + (cp - 0x10000);
            o[3] = static_cast<char>(0x30 + linear % 10);
            linear /= 10;
            o[2] = static_cast<char>(0x81 + linear % 126);
            linear /= 126;
            o[1] = static_cast<char>(0x30 + linear % 10);
            linear /= 10;
            o[0] = static_cast<char>(0x81 + linear);
            o += 4;
        } else {
            const std::string code = EncodeBmpFourByte(cp);
            std::memcpy(o, code.data(), code.size());
            o += code.size();
        }
        i += c.size;
    }
    return static_cast<std::size_t>(o - out.data());
}

} // namespace

std::string Utf8ToGb18030(std::string_view text) {
    if (IsAscii(text)) {
        return std::string(text);
    }
    std::string out(text.size() + 16, '\0');
    out.resize(EncodeInto(text, out, 0));
    return out;
}

std::string LinesToGb18030(const std::vector<std::string>& lines) {
    std::size_t total = 16;
    for (const auto& line : lines) {
        total += line.size() + 2;
    }
    std::string out(total, '\0');
    std::size_t used = 0;
    for (const auto& line : lines) {
        used = EncodeInto(line, out, used);
        if (out.size() - used < 2) {
            out.resize(out.size() * 2 + 16);
        }
        out[used++] = '\r';
        out[used++] = '\n';
    }
    out.resize(used);
    return out;
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.emplace_back(text.substr(start, i - start));
            if (c == '\r' && i + 1 < n && text[i + 1] == '\n') {
                ++i;
            }
            ++i;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < n) {
        lines.emplace_back(text.substr(start));
    }
    return lines;
}

namespace {

/// One line, decoded through the thread's buffer into a string of its exact size.
std::string DecodeLine(std::string_view bytes) {
    char* buffer = LineBuffer(DecodeRoom(bytes.size()));
    return std::string(buffer, DecodeInto(bytes, buffer));
}

} // namespace

std::vector<std::string> Gb18030Lines(std::string_view bytes) {
    // CR and LF never occur inside a GB18030 character (its later bytes are 0x30 and above),
    // so the lines can be cut before they are read: each line is read straight into its own
    // string, without the whole text in between.
    std::vector<std::string> lines;
    // Counting the line feeds first (a fast pass) spares the vector its regrowths, here and
    // when the learner adds words to the list.
    lines.reserve(
        WithGrowthRoom(static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n'))));
    const char* const begin = bytes.data();
    const char* const end = begin + bytes.size();
    const char* start = begin;
    while (start < end) {
        const auto* lf = static_cast<const char*>(
            std::memchr(start, '\n', static_cast<std::size_t>(end - start)));
        const char* stop = lf != nullptr ? lf : end;
        // A CR ends the line as well, alone or before the LF.
        const auto* cr = static_cast<const char*>(
            std::memchr(start, '\r', static_cast<std::size_t>(stop - start)));
        if (cr != nullptr) {
            stop = cr;
        }
        if (stop == end) {
            break;
        }
        lines.emplace_back(
            DecodeLine(std::string_view(start, static_cast<std::size_t>(stop - start))));
        start = stop + ((*stop == '\r' && stop + 1 < end && stop[1] == '\n') ? 2 : 1);
    }
    if (start < end) {
        lines.emplace_back(
            DecodeLine(std::string_view(start, static_cast<std::size_t>(end - start))));
    }
    return lines;
}

std::string JoinLinesCrLf(const std::vector<std::string>& lines) {
    std::size_t total = 0;
    for (const auto& line : lines) {
        total += line.size() + 2;
    }
    std::string out;
    out.reserve(total);
    for (const auto& line : lines) {
        out += line;
        out += "\r\n";
    }
    return out;
}

bool IsBlankLine(std::string_view line) {
    for (unsigned char c : line) {
        if (c > 32) {
            return false;
        }
    }
    return true;
}

bool Gb18030ToUtf8Until(std::string_view bytes, std::string& text,
                        const std::function<bool()>& stop) {
    text.clear();
    // GB18030 never uses LF inside a character: pieces end after a line feed.
    constexpr std::size_t Piece = std::size_t{1} << 20;
    std::size_t from = 0;
    while (from < bytes.size()) {
        if (stop && stop()) {
            return false;
        }
        std::size_t end = std::min(bytes.size(), from + Piece);
        if (end < bytes.size()) {
            const std::size_t lf = bytes.find('\n', end);
            end = lf == std::string_view::npos ? bytes.size() : lf + 1;
        }
        text += Gb18030ToUtf8(bytes.substr(from, end - from));
        from = end;
    }
    return true;
}

} // namespace core
