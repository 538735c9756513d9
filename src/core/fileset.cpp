#include "fileset.h"

#include "textfile.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace core {
namespace {

constexpr std::string_view JournalHeader = "LJT-JOURNAL 1";
constexpr std::string_view JournalEnd = "END";

std::string JournalPath(const std::string& folder) {
    return folder + "/" + std::string(FileSetJournal);
}

std::string BaseName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsSaveTemp(const std::string& path) {
    return BaseName(path).starts_with(SaveTempPrefix);
}

/// The journal: a header, then the temporary file and the file it replaces for every file of
/// the set, then an end mark; every field ends in NUL, which no path can hold. A journal
/// without its end mark was cut short and is not carried out.
std::string JournalText(const std::vector<std::string>& temps,
                        const std::vector<std::string>& targets) {
    std::string text(JournalHeader);
    text += '\0';
    for (std::size_t i = 0; i < temps.size(); ++i) {
        text += temps[i];
        text += '\0';
        text += targets[i];
        text += '\0';
    }
    text += JournalEnd;
    text += '\0';
    return text;
}

struct Journal {
    bool complete = false;
    std::vector<std::pair<std::string, std::string>> entries; ///< temporary file, target
    std::vector<std::string> temps; ///< every temporary file named, also in a cut journal
};

Journal ParseJournal(const std::string& text) {
    Journal journal;
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\0') {
            fields.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    if (fields.empty() || fields.front() != JournalHeader) {
        return journal;
    }
    const bool ended = fields.size() >= 2 && fields.back() == JournalEnd;
    const std::size_t last = ended ? fields.size() - 1 : fields.size();
    for (std::size_t i = 1; i < last; i += 2) {
        if (IsSaveTemp(fields[i])) {
            journal.temps.push_back(fields[i]);
        }
        if (i + 1 < last) {
            journal.entries.emplace_back(fields[i], fields[i + 1]);
        }
    }
    journal.complete = ended && (last - 1) % 2 == 0;
    return journal;
}

/// The file a path leads to through symbolic links (the path itself when it leads nowhere).
std::string FollowLinks(const std::string& path) {
    std::string at = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            return at;
        }
        std::string link(4096, '\0');
        const ssize_t got = ::readlink(at.c_str(), link.data(), link.size());
        if (got < 0) {
            return at;
        }
        link.resize(static_cast<std::size_t>(got));
        at = !link.empty() && link[0] == '/' ? link : FolderOf(at) + "/" + link;
    }
    return at;
}

int RemoveSaveTemps(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return 0;
    }
    int removed = 0;
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.starts_with(SaveTempPrefix)) {
            names.push_back(name);
        }
    }
    ::closedir(dir);
    for (const auto& name : names) {
        const std::string path = folder + "/" + name;
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::unlink(path.c_str()) == 0) {
            ++removed;
        }
    }
    return removed;
}

void RemoveAll(const std::vector<std::string>& temps) {
    for (const auto& temp : temps) {
        if (!temp.empty()) {
            ::unlink(temp.c_str());
        }
    }
}

} // namespace

Status RecoverFileSet(const std::string& folder, const std::vector<std::string>& paths,
                      RecoveryReport& report) {
    report = RecoveryReport{};
    const std::string journalPath = JournalPath(folder);
    struct stat st {};
    if (::lstat(journalPath.c_str(), &st) == 0) {
        std::string text;
        if (Status s = ReadFileBytes(journalPath, text); !s) {
            return s;
        }
        const Journal journal = ParseJournal(text);
        if (journal.complete) {
            // The new set was whole on disk before the first rename: finish the renames.
            std::set<std::string> folders;
            for (const auto& [temp, target] : journal.entries) {
                struct stat tempStat {};
                if (!IsSaveTemp(temp) || ::lstat(temp.c_str(), &tempStat) != 0) {
                    continue; // renamed before the interruption
                }
                if (::rename(temp.c_str(), target.c_str()) != 0) {
                    return Status::File(Failure::Write, target, errno);
                }
                folders.insert(FolderOf(target));
            }
            for (const auto& f : folders) {
                SyncFolder(f);
            }
            report.rolledForward = true;
        } else {
            // Cut short before any file was replaced: the old set stands.
            RemoveAll(journal.temps);
            report.rolledBack = true;
        }
        if (::unlink(journalPath.c_str()) != 0 && errno != ENOENT) {
            return Status::File(Failure::Write, journalPath, errno);
        }
        SyncFolder(folder);
    }
    std::set<std::string> folders = {folder};
    for (const auto& path : paths) {
        folders.insert(FolderOf(FollowLinks(path)));
    }
    for (const auto& f : folders) {
        report.tempsRemoved += RemoveSaveTemps(f);
    }
    return Status::Ok();
}

Status RecoverFileSet(const std::string& folder, const std::vector<std::string>& paths) {
    RecoveryReport report;
    return RecoverFileSet(folder, paths, report);
}

Status SaveFileSet(const std::string& folder, const std::vector<FileSetItem>& files,
                   bool* committed) {
    if (committed != nullptr) {
        *committed = false;
    }
    std::vector<std::string> paths;
    for (const auto& file : files) {
        paths.push_back(file.path);
    }
    // A save interrupted earlier is finished or undone first, so that this one starts from
    // one whole set and its journal cannot meet an older one.
    if (Status s = RecoverFileSet(folder, paths); !s) {
        return s;
    }
    if (files.empty()) {
        return Status::Ok();
    }
    std::vector<SaveTarget> targets(files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (Status s = CheckSaveTarget(files[i].path, targets[i]); !s) {
            return s;
        }
    }

    // 1. Every new file whole on disk, beside the file it replaces.
    std::vector<std::string> temps(files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (Status s = WriteSyncedTemp(targets[i], files[i].bytes, files[i].path, temps[i]); !s) {
            RemoveAll(temps);
            return s;
        }
    }
    std::set<std::string> folders;
    for (const auto& target : targets) {
        folders.insert(FolderOf(target.path));
    }
    for (const auto& f : folders) {
        if (f != folder) {
            SyncFolder(f); // the journal's folder is synced with the journal below
        }
    }

    // 2. The journal: from the moment it is whole on disk, the new set is the one found.
    std::vector<std::string> targetPaths;
    for (const auto& target : targets) {
        targetPaths.push_back(target.path);
    }
    const std::string journalPath = JournalPath(folder);
    const std::string journal = JournalText(temps, targetPaths);
    int fd = ::open(journalPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    auto journalFailed = [&](int e) {
        if (fd >= 0) {
            ::close(fd);
        }
        ::unlink(journalPath.c_str());
        RemoveAll(temps);
        return Status::File(Failure::Write, journalPath, e);
    };
    if (fd < 0) {
        return journalFailed(errno);
    }
    const char* p = journal.data();
    std::size_t left = journal.size();
    while (left > 0) {
        const ssize_t put = ::write(fd, p, left);
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            return journalFailed(errno);
        }
        p += put;
        left -= static_cast<std::size_t>(put);
    }
    if (::fsync(fd) != 0) {
        return journalFailed(errno);
    }
    if (::close(fd) != 0) {
        fd = -1;
        return journalFailed(errno);
    }
    fd = -1;
    SyncFolder(folder);
    if (committed != nullptr) {
        *committed = true;
    }

    // 3. The renames. A failure here leaves the journal: the next recovery completes them.
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (::rename(temps[i].c_str(), targets[i].path.c_str()) != 0) {
            return Status::File(Failure::Write, files[i].path, errno);
        }
    }
    for (const auto& f : folders) {
        SyncFolder(f);
    }
    ::unlink(journalPath.c_str());
    return Status::Ok();
}

} // namespace core
