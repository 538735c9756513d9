#include "textfile.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace core {

Status ReadFileBytes(const std::string& path, std::string& bytes) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        int e = errno;
        return Status::File(Failure::Open, path, e);
    }
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        return Status::File(Failure::Open, path, EISDIR);
    }
    // Read straight into the string, sized for the file as it stands; a file that grows
    // meanwhile is read to its end all the same.
    std::size_t room = st.st_size > 0 ? static_cast<std::size_t>(st.st_size) : 0;
    bytes.resize(room + 1);
    std::size_t used = 0;
    for (;;) {
        if (used == bytes.size()) {
            bytes.resize(bytes.size() * 2 + 65536);
        }
        ssize_t got = ::read(fd, bytes.data() + used, bytes.size() - used);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            int e = errno;
            ::close(fd);
            bytes.clear();
            return Status::File(Failure::Read, path, e);
        }
        if (got == 0) {
            break;
        }
        used += static_cast<std::size_t>(got);
    }
    ::close(fd);
    bytes.resize(used);
    return Status::Ok();
}

Status ReadFileBytesUntil(const std::string& path, std::string& bytes,
                          const std::function<bool()>& stop, bool& stopped) {
    stopped = false;
    bytes.clear();
    // Without O_NONBLOCK, opening a pipe waits for a writer and reading it waits for data;
    // for a regular file the flag changes nothing.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return Status::File(Failure::Open, path, errno);
    }
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        return Status::File(Failure::Open, path, EISDIR);
    }
    if (st.st_size > 0) {
        bytes.reserve(static_cast<std::size_t>(st.st_size));
    }
    // A step of 1 MiB takes about a millisecond from the page cache.
    constexpr std::size_t Step = std::size_t{1} << 20;
    for (;;) {
        if (stop && stop()) {
            stopped = true;
            ::close(fd);
            return Status::Ok();
        }
        const std::size_t at = bytes.size();
        bytes.resize(at + Step);
        const ssize_t got = ::read(fd, bytes.data() + at, Step);
        bytes.resize(at + static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
        if (got > 0) {
            continue;
        }
        if (got == 0) {
            break;
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            // Nothing to read yet: wait a little for data, then ask stop() again.
            pollfd wait{fd, POLLIN, 0};
            ::poll(&wait, 1, 50);
            continue;
        }
        const int e = errno;
        ::close(fd);
        return Status::File(Failure::Read, path, e);
    }
    ::close(fd);
    return Status::Ok();
}

std::string FolderOf(const std::string& path) {
    auto slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

namespace {

/// Read-only: no write permission bit at all, or the system refuses writing.
int ReadOnlyError(const std::string& path, const struct stat& st, int accessMode) {
    if ((st.st_mode & 0222) == 0) {
        return EACCES;
    }
    if (::access(path.c_str(), accessMode) != 0) {
        return errno;
    }
    return 0;
}

} // namespace

Status CheckSaveTarget(const std::string& path, SaveTarget& target) {
    auto fail = [&](int e) { return Status::File(Failure::Write, path, e); };
    target = SaveTarget{};
    std::string at = path;
    for (int hops = 0;; ++hops) {
        if (hops > 40) {
            return fail(ELOOP);
        }
        struct stat st {};
        if (::lstat(at.c_str(), &st) != 0) {
            if (errno != ENOENT) {
                return fail(errno);
            }
            target.path = at; // a new file, or the missing file a link names
            break;
        }
        if (S_ISLNK(st.st_mode)) {
            // Saving through a link writes the file it names; the link stays a link.
            std::string link(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 4096), '\0');
            const ssize_t got = ::readlink(at.c_str(), link.data(), link.size());
            if (got < 0) {
                return fail(errno);
            }
            link.resize(static_cast<std::size_t>(got));
            at = !link.empty() && link[0] == '/' ? link : FolderOf(at) + "/" + link;
            continue;
        }
        if (S_ISDIR(st.st_mode)) {
            return fail(EISDIR);
        }
        if (!S_ISREG(st.st_mode)) {
            return fail(EINVAL);
        }
        if (const int e = ReadOnlyError(at, st, W_OK); e != 0) {
            return fail(e);
        }
        target.path = at;
        target.exists = true;
        target.mode = st.st_mode & 07777;
        target.owner = st.st_uid;
        target.group = st.st_gid;
        break;
    }
    const std::string folder = FolderOf(target.path);
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0) {
        return fail(errno);
    }
    if (!S_ISDIR(st.st_mode)) {
        return fail(ENOTDIR);
    }
    if (const int e = ReadOnlyError(folder, st, W_OK | X_OK); e != 0) {
        return fail(e);
    }
    return Status::Ok();
}

Status WriteSyncedTemp(const SaveTarget& target, std::string_view bytes,
                       const std::string& failPath, std::string& temp, bool sync) {
    temp = FolderOf(target.path) + "/" + std::string(SaveTempPrefix) + "XXXXXX";
    int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        int e = errno;
        temp.clear();
        return Status::File(Failure::Write, failPath, e);
    }
    auto fail = [&](int e) {
        ::close(fd);
        ::unlink(temp.c_str());
        temp.clear();
        return Status::File(Failure::Write, failPath, e);
    };
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t put = ::write(fd, p, left);
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            return fail(errno);
        }
        p += put;
        left -= static_cast<std::size_t>(put);
    }
    // The new file keeps the permissions (and, for a program run with every right, the
    // owner) of the file it replaces.
    ::fchmod(fd, target.mode);
    if (target.exists && ::geteuid() == 0 &&
        (target.owner != ::geteuid() || target.group != ::getegid())) {
        if (::fchown(fd, target.owner, target.group) != 0) {
            // The file then belongs to the program's user; its contents are what matter.
        }
    }
    if (sync && ::fsync(fd) != 0) {
        return fail(errno);
    }
    if (::close(fd) != 0) {
        int e = errno;
        ::unlink(temp.c_str());
        temp.clear();
        return Status::File(Failure::Write, failPath, e);
    }
    return Status::Ok();
}

void SyncFolder(const std::string& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

Status WriteFileAtomic(const std::string& path, std::string_view bytes, bool sync) {
    SaveTarget target;
    if (Status s = CheckSaveTarget(path, target); !s) {
        return s;
    }
    std::string temp;
    if (Status s = WriteSyncedTemp(target, bytes, path, temp, sync); !s) {
        return s;
    }
    if (::rename(temp.c_str(), target.path.c_str()) != 0) {
        int e = errno;
        ::unlink(temp.c_str());
        return Status::File(Failure::Write, path, e);
    }
    if (sync) {
        SyncFolder(FolderOf(target.path));
    }
    return Status::Ok();
}

Status ReadTextLines(const std::string& path, std::vector<std::string>& lines) {
    std::string bytes;
    Status s = ReadFileBytes(path, bytes);
    if (!s) {
        return s;
    }
    lines = Gb18030Lines(bytes);
    return Status::Ok();
}

Status WriteTextLines(const std::string& path, const std::vector<std::string>& lines) {
    return WriteFileAtomic(path, LinesToGb18030(lines));
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace core
