#include "listbackup.h"

#include "textfile.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <set>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace core {
namespace {

constexpr std::string_view StagingPrefix = ".new-"; // a backup being made
constexpr std::string_view RetiredPrefix = ".old-"; // a backup being removed

std::tm LocalTime(TimePoint when) {
    const std::time_t t = std::chrono::system_clock::to_time_t(when);
    std::tm tm{};
    ::localtime_r(&t, &tm);
    return tm;
}

int LocalDay(TimePoint when) {
    const std::tm tm = LocalTime(when);
    return (tm.tm_year + 1900) * 10000 + (tm.tm_mon + 1) * 100 + tm.tm_mday;
}

std::string BackupRoot(const std::string& learnerFolder) {
    return learnerFolder + "/" + std::string(BackupFolderName);
}

std::string BaseName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") {
                names.push_back(name);
            }
        }
        ::closedir(dir);
    }
    return names;
}

/// Removes a backup folder and the files in it (backups hold files only).
void RemoveFolder(const std::string& folder) {
    for (const auto& name : FolderEntries(folder)) {
        ::unlink((folder + "/" + name).c_str());
    }
    ::rmdir(folder.c_str());
}

Status SyncAndClose(int fd, const std::string& to) {
    if (::fsync(fd) != 0) {
        const int e = errno;
        ::close(fd);
        return Status::File(Failure::Write, to, e);
    }
    if (::close(fd) != 0) {
        return Status::File(Failure::Write, to, errno);
    }
    return Status::Ok();
}

/// Shares the blocks of from with the new file to (copy on write) where the file system can
/// (Btrfs, XFS): as independent as a copy, at no cost in space. False where it cannot.
bool CloneFile(const std::string& from, int to) {
    const int source = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (source < 0) {
        return false;
    }
    const bool cloned = ::ioctl(to, FICLONE, source) == 0;
    ::close(source);
    return cloned;
}

Status CopyFile(const std::string& from, const std::string& to) {
    const int fd = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        return Status::File(Failure::Write, to, errno);
    }
    if (CloneFile(from, fd)) {
        return SyncAndClose(fd, to);
    }
    std::string bytes;
    if (Status s = ReadFileBytes(from, bytes); !s) {
        ::close(fd);
        return s;
    }
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t put = ::write(fd, p, left);
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            const int e = errno;
            ::close(fd);
            return Status::File(Failure::Write, to, e);
        }
        p += put;
        left -= static_cast<std::size_t>(put);
    }
    return SyncAndClose(fd, to);
}

std::size_t CountWords(const std::string& path) {
    std::string bytes;
    if (!ReadFileBytes(path, bytes)) {
        return 0;
    }
    // GB18030 never uses CR or LF inside a character: lines can be told apart as bytes. A line
    // counts when it holds anything above a blank.
    std::size_t words = 0;
    bool filled = false;
    for (const char c : bytes) {
        if (c == '\r' || c == '\n') {
            words += filled ? 1 : 0;
            filled = false;
        } else if (static_cast<unsigned char>(c) > 32) {
            filled = true;
        }
    }
    return words + (filled ? 1 : 0);
}

struct Found {
    std::string name;
    TimePoint when;
    int sequence;
};

/// The backups in the folder, newest first.
std::vector<Found> FindBackups(const std::string& root) {
    std::vector<Found> found;
    for (const auto& name : FolderEntries(root)) {
        TimePoint when;
        int sequence = 0;
        if (ParseBackupName(name, when, sequence)) {
            found.push_back({name, when, sequence});
        }
    }
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
        return a.when != b.when ? a.when > b.when : a.sequence > b.sequence;
    });
    return found;
}

} // namespace

std::string BackupName(TimePoint when) {
    const std::tm tm = LocalTime(when);
    char text[80]; // room for any int, so that the compiler sees no truncation
    std::snprintf(text, sizeof text, "%04d-%02d-%02d_%02d-%02d-%02d", tm.tm_year + 1900,
                  tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
    return text;
}

std::string BackupTimeText(TimePoint when) {
    std::string text = BackupName(when);
    text[10] = ' ';
    text[13] = ':';
    text[16] = ':';
    return text;
}

bool ParseBackupName(std::string_view name, TimePoint& when, int& sequence) {
    if (name.size() < 19) {
        return false;
    }
    static constexpr std::string_view shape = "dddd-dd-dd_dd-dd-dd";
    for (std::size_t i = 0; i < shape.size(); ++i) {
        const char c = name[i];
        if (shape[i] == 'd' ? (c < '0' || c > '9') : c != shape[i]) {
            return false;
        }
    }
    sequence = 1;
    if (name.size() > 19) {
        if (name[19] != '-' || name.size() == 20 || name.size() > 26) {
            return false;
        }
        sequence = 0;
        for (char c : name.substr(20)) {
            if (c < '0' || c > '9') {
                return false;
            }
            sequence = sequence * 10 + (c - '0');
        }
    }
    auto number = [&](std::size_t at, std::size_t length) {
        int n = 0;
        for (std::size_t i = at; i < at + length; ++i) {
            n = n * 10 + (name[i] - '0');
        }
        return n;
    };
    std::tm tm{};
    tm.tm_year = number(0, 4) - 1900;
    tm.tm_mon = number(5, 2) - 1;
    tm.tm_mday = number(8, 2);
    tm.tm_hour = number(11, 2);
    tm.tm_min = number(14, 2);
    tm.tm_sec = number(17, 2);
    tm.tm_isdst = -1;
    const std::time_t t = std::mktime(&tm);
    if (t == static_cast<std::time_t>(-1)) {
        return false;
    }
    when = std::chrono::system_clock::from_time_t(t);
    return true;
}

std::vector<bool> BackupsToKeep(const std::vector<TimePoint>& newestFirst, TimePoint now) {
    std::vector<bool> keep(newestFirst.size(), false);
    std::set<int> days;
    const auto window = std::chrono::hours(24 * BackupDays);
    for (std::size_t i = 0; i < newestFirst.size(); ++i) {
        if (i < BackupsKeptLatest) {
            keep[i] = true;
        }
        // A backup dated after now (the clock was set back) counts as recent.
        if (now - newestFirst[i] < window && days.insert(LocalDay(newestFirst[i])).second) {
            keep[i] = true;
        }
    }
    return keep;
}

std::string BackupPath(const std::string& learnerFolder, const std::string& name) {
    return BackupRoot(learnerFolder) + "/" + name;
}

Status BackupFiles(const std::string& learnerFolder, const std::vector<std::string>& files,
                   TimePoint now, std::string& name) {
    const std::string root = BackupRoot(learnerFolder);
    const bool madeRoot = ::mkdir(root.c_str(), 0755) == 0;
    if (!madeRoot && errno != EEXIST) {
        return Status::File(Failure::CreateFolder, root, errno);
    }
    // A backup that fails leaves nothing behind, not even the folder it made for it.
    const auto dropRoot = [&root, madeRoot] {
        if (madeRoot) {
            ::rmdir(root.c_str());
        }
    };
    const std::string base = BackupName(now);
    name = base;
    for (int n = 2;; ++n) {
        struct stat st {};
        if (::lstat((root + "/" + name).c_str(), &st) != 0) {
            break;
        }
        name = base + "-" + std::to_string(n);
    }
    const std::string staging = root + "/" + std::string(StagingPrefix) + name;
    if (::mkdir(staging.c_str(), 0755) != 0) {
        const int e = errno;
        dropRoot();
        return Status::File(Failure::CreateFolder, staging, e);
    }
    for (const auto& file : files) {
        char resolved[PATH_MAX];
        if (::realpath(file.c_str(), resolved) == nullptr) {
            continue; // no such file yet: nothing to keep
        }
        // A copy, never a link: a backup must not change when something writes the live file
        // in place (an editor, a restore, another program).
        const std::string copy = staging + "/" + BaseName(file);
        if (Status s = CopyFile(resolved, copy); !s) {
            RemoveFolder(staging);
            dropRoot();
            return s;
        }
    }
    if (::rename(staging.c_str(), (root + "/" + name).c_str()) != 0) {
        const int e = errno;
        RemoveFolder(staging);
        dropRoot();
        return Status::File(Failure::Write, root + "/" + name, e);
    }
    return Status::Ok();
}

void RemoveBackup(const std::string& learnerFolder, const std::string& name) {
    RemoveFolder(BackupPath(learnerFolder, name));
    // The backup folder itself goes too when this was its only backup.
    ::rmdir(BackupRoot(learnerFolder).c_str());
}

void PruneBackups(const std::string& learnerFolder, TimePoint now) {
    const std::string root = BackupRoot(learnerFolder);
    for (const auto& name : FolderEntries(root)) {
        if (name.starts_with(StagingPrefix) || name.starts_with(RetiredPrefix)) {
            RemoveFolder(root + "/" + name);
        }
    }
    const std::vector<Found> found = FindBackups(root);
    std::vector<TimePoint> times;
    for (const auto& backup : found) {
        times.push_back(backup.when);
    }
    const std::vector<bool> keep = BackupsToKeep(times, now);
    for (std::size_t i = 0; i < found.size(); ++i) {
        if (keep[i]) {
            continue;
        }
        // Renamed first, so that a backup is never listed half removed.
        const std::string retired = root + "/" + std::string(RetiredPrefix) + found[i].name;
        if (::rename((root + "/" + found[i].name).c_str(), retired.c_str()) == 0) {
            RemoveFolder(retired);
        }
    }
}

std::vector<BackupInfo> ListBackups(const std::string& learnerFolder,
                                    const std::array<std::string, 3>& fileNames) {
    const std::string root = BackupRoot(learnerFolder);
    std::vector<BackupInfo> backups;
    for (const auto& found : FindBackups(root)) {
        BackupInfo info;
        info.name = found.name;
        info.when = found.when;
        for (std::size_t i = 0; i < fileNames.size(); ++i) {
            info.words[i] = CountWords(root + "/" + found.name + "/" + fileNames[i]);
        }
        backups.push_back(info);
    }
    return backups;
}

} // namespace core
