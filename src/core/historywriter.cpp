#include "historywriter.h"

#include "historyline.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace core {

HistoryWriter::HistoryWriter(std::string path) : path_(std::move(path)) {
}

HistoryWriter::~HistoryWriter() {
    (void)Sync();
    const std::lock_guard lock(mutex_);
    CloseLocked();
}

void HistoryWriter::CloseLocked() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

Status HistoryWriter::OpenLocked() {
    struct stat st {};
    if (fd_ >= 0) {
        // Still the file at the path? A restore replaces it by renaming another over it.
        if (::stat(path_.c_str(), &st) == 0 &&
            static_cast<unsigned long long>(st.st_dev) == device_ &&
            static_cast<unsigned long long>(st.st_ino) == inode_) {
            return Status::Ok();
        }
        if (dirty_) {
            ::fdatasync(fd_);
            dirty_ = false;
        }
        CloseLocked();
    }
    const int fd = ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        return Status::File(Failure::Open, path_, errno);
    }
    if (::fstat(fd, &st) != 0) {
        const int error = errno;
        ::close(fd);
        return Status::File(Failure::Open, path_, error);
    }
    char last = '\n';
    if (st.st_size > 0) {
        const int reader = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
        if (reader >= 0) {
            if (::pread(reader, &last, 1, st.st_size - 1) != 1) {
                last = '\n';
            }
            ::close(reader);
        }
    }
    fd_ = fd;
    device_ = static_cast<unsigned long long>(st.st_dev);
    inode_ = static_cast<unsigned long long>(st.st_ino);
    endLine_ = last != '\n';
    return Status::Ok();
}

Status HistoryWriter::Append(const HistoryEvent& event) {
    std::string line;
    line.reserve(96);
    const std::lock_guard lock(mutex_);
    if (Status s = OpenLocked(); !s) {
        return s;
    }
    if (endLine_) {
        line += '\n';
    }
    line += FormatHistoryLine(event);
    line += '\n';
    std::string_view rest = line;
    while (!rest.empty()) {
        const ssize_t wrote = ::write(fd_, rest.data(), rest.size());
        if (wrote < 0) {
            if (errno == EINTR) {
                continue;
            }
            const int error = errno;
            // Part of the line may be in the file: the next line starts on a line of its own.
            endLine_ = rest.size() != line.size() || endLine_;
            return Status::File(Failure::Write, path_, error);
        }
        rest.remove_prefix(static_cast<std::size_t>(wrote));
        dirty_ = true;
    }
    endLine_ = false;
    return Status::Ok();
}

Status HistoryWriter::Sync() {
    int fd = -1;
    {
        const std::lock_guard lock(mutex_);
        if (!dirty_ || fd_ < 0) {
            return Status::Ok();
        }
        dirty_ = false;
        // A copy of the descriptor: the flush may take long and must not hold appends up.
        fd = ::dup(fd_);
    }
    if (fd < 0) {
        return Status::File(Failure::Write, path_, errno);
    }
    const bool synced = ::fdatasync(fd) == 0;
    const int error = errno;
    ::close(fd);
    if (!synced) {
        const std::lock_guard lock(mutex_);
        dirty_ = true;
        return Status::File(Failure::Write, path_, error);
    }
    return Status::Ok();
}

bool HistoryWriter::Unsynced() const {
    const std::lock_guard lock(mutex_);
    return dirty_;
}

} // namespace core
