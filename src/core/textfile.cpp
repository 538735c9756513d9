#include "textfile.h"

#include "utf8.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

namespace core {
namespace {

/// One iconv conversion of a whole text. Bytes the source encoding cannot hold are replaced
/// by `replacement` (already in the target encoding) and the conversion goes on, so that no
/// character is ever dropped silently.
std::string Convert(const char* to, const char* from, std::string_view in,
                    std::string_view replacement, std::size_t badInputSkip) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return std::string(in);
    }
    std::string out;
    out.reserve(in.size() * 2 + 16);
    char* inPtr = const_cast<char*>(in.data());
    std::size_t inLeft = in.size();
    char buffer[8192];
    while (inLeft > 0) {
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        std::size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        out.append(buffer, sizeof buffer - outLeft);
        if (r == static_cast<std::size_t>(-1)) {
            if (errno == E2BIG) {
                continue;
            }
            // EILSEQ or EINVAL: an invalid or truncated sequence in the input.
            out.append(replacement);
            std::size_t skip = std::min(badInputSkip, inLeft);
            if (std::strcmp(from, "UTF-8") == 0) {
                // Skip one whole (possibly broken) UTF-8 sequence: the lead byte and its
                // continuation bytes.
                skip = 1;
                while (skip < inLeft && (static_cast<unsigned char>(inPtr[skip]) & 0xC0) == 0x80) {
                    ++skip;
                }
            }
            inPtr += skip;
            inLeft -= skip;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    char* outPtr = buffer;
    std::size_t outLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    out.append(buffer, sizeof buffer - outLeft);
    iconv_close(cd);
    return out;
}

std::string FolderOf(const std::string& path) {
    auto slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

namespace {

/// Two-byte GB18030 codes (the GBK area) and their Unicode characters, built once from
/// iconv so that the common characters are converted by table lookup. Four-byte codes and
/// anything the tables do not hold go through iconv itself.
struct GbkTables {
    // Index (lead - 0x81) * 191 + (trail - 0x40); 0 = not a two-byte character.
    std::vector<char16_t> toUnicode;
    // Basic Multilingual Plane character -> two-byte code (lead << 8 | trail), 0 = none.
    std::vector<std::uint16_t> fromUnicode;

    GbkTables() : toUnicode(126 * 191, 0), fromUnicode(0x10000, 0) {
        iconv_t cd = iconv_open("UTF-16LE", "GB18030");
        if (cd == reinterpret_cast<iconv_t>(-1)) {
            return;
        }
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
                if (u >= 0xD800 && u <= 0xDFFF) {
                    continue;
                }
                toUnicode[(lead - 0x81) * 191 + (trail - 0x40)] = u;
                if (fromUnicode[u] == 0) {
                    fromUnicode[u] = static_cast<std::uint16_t>(lead << 8 | trail);
                }
            }
        }
        iconv_close(cd);
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

constexpr std::string_view Replacement8 = "\xEF\xBF\xBD";
constexpr std::string_view ReplacementGb = "\x84\x31\xA4\x37"; // U+FFFD in GB18030

} // namespace

std::string Gb18030ToUtf8(std::string_view bytes) {
    if (IsAscii(bytes)) {
        return std::string(bytes);
    }
    const auto& table = Tables().toUnicode;
    const std::size_t n = bytes.size();
    // Worst case: every byte invalid, each replaced by three bytes of U+FFFD.
    std::string out(3 * n, '\0');
    char* o = out.data();
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    std::size_t i = 0;
    auto put = [&](std::string_view piece) {
        std::memcpy(o, piece.data(), piece.size());
        o += piece.size();
    };
    while (i < n) {
        const unsigned char b = in[i];
        if (b < 0x80) {
            *o++ = static_cast<char>(b);
            ++i;
            continue;
        }
        if (b >= 0x81 && b <= 0xFE && i + 1 < n) {
            const unsigned char t = in[i + 1];
            if (t >= 0x40 && t <= 0xFE && t != 0x7F) {
                const unsigned u = table[(b - 0x81) * 191 + (t - 0x40)];
                if (u >= 0x800) {
                    *o++ = static_cast<char>(0xE0 | (u >> 12));
                    *o++ = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
                    *o++ = static_cast<char>(0x80 | (u & 0x3F));
                    i += 2;
                    continue;
                }
                if (u != 0) {
                    *o++ = static_cast<char>(0xC0 | (u >> 6));
                    *o++ = static_cast<char>(0x80 | (u & 0x3F));
                    i += 2;
                    continue;
                }
            } else if (t >= 0x30 && t <= 0x39 && i + 3 < n) {
                // A four-byte code: rare, left to iconv.
                put(Convert("UTF-8", "GB18030", bytes.substr(i, 4), Replacement8, 1));
                i += 4;
                continue;
            }
        }
        put(Convert("UTF-8", "GB18030", bytes.substr(i, 1), Replacement8, 1));
        ++i;
    }
    out.resize(static_cast<std::size_t>(o - out.data()));
    return out;
}

std::string Utf8ToGb18030(std::string_view text) {
    if (IsAscii(text)) {
        return std::string(text);
    }
    const auto& table = Tables().fromUnicode;
    std::string out;
    out.reserve(text.size());
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            out += static_cast<char>(b);
            ++i;
            continue;
        }
        const Utf8Char c = DecodeUtf8At(text, i);
        const auto cp = static_cast<unsigned>(c.code);
        const std::size_t len = c.valid ? c.size : 0;
        if (len == 0) {
            // One replacement for the whole broken sequence: its lead and continuation bytes.
            out += ReplacementGb;
            ++i;
            while (i < n && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) {
                ++i;
            }
            continue;
        }
        if (len < 4 && table[cp] != 0) {
            out += static_cast<char>(table[cp] >> 8);
            out += static_cast<char>(table[cp] & 0xFF);
        } else {
            out += Convert("GB18030", "UTF-8", text.substr(i, len), ReplacementGb, 1);
        }
        i += len;
    }
    return out;
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        char c = text[i];
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

Status ReadFileBytes(const std::string& path, std::string& bytes) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        int e = errno;
        return Status::Fail(Failure::Open, path, e);
    }
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        return Status::Fail(Failure::Open, path, EISDIR);
    }
    bytes.clear();
    if (st.st_size > 0) {
        bytes.reserve(static_cast<std::size_t>(st.st_size));
    }
    char buffer[65536];
    for (;;) {
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            int e = errno;
            ::close(fd);
            return Status::Fail(Failure::Read, path, e);
        }
        if (got == 0) {
            break;
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return Status::Ok();
}

Status WriteFileAtomic(const std::string& path, std::string_view bytes, bool sync) {
    const std::string folder = FolderOf(path);
    std::string pattern = folder + "/.ljt-save-XXXXXX";
    int fd = ::mkstemp(pattern.data());
    auto fail = [&](int e) {
        return Status::Fail(Failure::Write, path, e);
    };
    if (fd < 0) {
        return fail(errno);
    }
    const std::string& temp = pattern;
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t put = ::write(fd, p, left);
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            int e = errno;
            ::close(fd);
            ::unlink(temp.c_str());
            return fail(e);
        }
        p += put;
        left -= static_cast<std::size_t>(put);
    }
    // Keep the permissions of the file being replaced; a new file gets the usual 0644.
    struct stat st {};
    mode_t mode = 0644;
    if (::stat(path.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
    }
    ::fchmod(fd, mode);
    if (sync && ::fsync(fd) != 0) {
        int e = errno;
        ::close(fd);
        ::unlink(temp.c_str());
        return fail(e);
    }
    if (::close(fd) != 0) {
        int e = errno;
        ::unlink(temp.c_str());
        return fail(e);
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        int e = errno;
        ::unlink(temp.c_str());
        return fail(e);
    }
    return Status::Ok();
}

Status ReadTextLines(const std::string& path, std::vector<std::string>& lines) {
    std::string bytes;
    Status s = ReadFileBytes(path, bytes);
    if (!s) {
        return s;
    }
    lines = SplitLines(Gb18030ToUtf8(bytes));
    return Status::Ok();
}

Status WriteTextLines(const std::string& path, const std::vector<std::string>& lines) {
    return WriteFileAtomic(path, Utf8ToGb18030(JoinLinesCrLf(lines)));
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace core
