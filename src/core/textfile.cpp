#include "textfile.h"

#include <algorithm>
#include <cerrno>
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

std::string ErrnoText(int error) {
    return std::strerror(error);
}

std::string FolderOf(const std::string& path) {
    auto slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

std::string Gb18030ToUtf8(std::string_view bytes) {
    // Plain ASCII needs no conversion; most list lines are mostly ASCII but this keeps the
    // common all-ASCII file fast.
    bool ascii = true;
    for (unsigned char c : bytes) {
        if (c >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii) {
        return std::string(bytes);
    }
    return Convert("UTF-8", "GB18030", bytes, "\xEF\xBF\xBD", 1);
}

std::string Utf8ToGb18030(std::string_view text) {
    bool ascii = true;
    for (unsigned char c : text) {
        if (c >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii) {
        return std::string(text);
    }
    // U+FFFD in GB18030 is 84 31 A4 37.
    return Convert("GB18030", "UTF-8", text, "\x84\x31\xA4\x37", 1);
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
        return Status::Fail(path, "无法打开文件“" + path + "”：" + ErrnoText(e));
    }
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        return Status::Fail(path, "无法打开文件“" + path + "”：" + ErrnoText(EISDIR));
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
            return Status::Fail(path, "无法读取文件“" + path + "”：" + ErrnoText(e));
        }
        if (got == 0) {
            break;
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return Status::Ok();
}

Status WriteFileAtomic(const std::string& path, std::string_view bytes) {
    const std::string folder = FolderOf(path);
    std::string pattern = folder + "/.ljt-save-XXXXXX";
    int fd = ::mkstemp(pattern.data());
    auto fail = [&](int e) {
        return Status::Fail(path, "无法写入文件“" + path + "”：" + ErrnoText(e));
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
    if (::fsync(fd) != 0) {
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
