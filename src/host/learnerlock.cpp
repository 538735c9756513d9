#include "host/learnerlock.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

/// A lock file that no running copy holds: its holder ended (a crash, a kill) perhaps before
/// it wrote who it was, which the lock file's own check cannot tell. A running holder keeps
/// a system lock on the file; a file only a moment old may still be in the making.
bool LeftBehind(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists() || info.lastModified().msecsTo(QDateTime::currentDateTime()) < 2000) {
        return false;
    }
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return free;
}

} // namespace

LearnerLock::LearnerLock() = default;

LearnerLock::~LearnerLock() {
    Release();
}

QString LearnerLock::FileName() {
    return QStringLiteral(".signed-in.lock");
}

LearnerLock::Outcome LearnerLock::Take(const QString& learnerFolder) {
    Release();
    const QString path = learnerFolder + QLatin1Char('/') + FileName();
    auto lock = std::make_unique<QLockFile>(path);
    // The lock is held for a whole session: it never grows stale by age, only when the copy
    // that holds it is gone.
    lock->setStaleLockTime(0);
    bool taken = lock->tryLock(0);
    if (!taken && lock->error() == QLockFile::LockFailedError && LeftBehind(path)) {
        lock->removeStaleLockFile();
        taken = lock->tryLock(0);
    }
    if (taken) {
        lock_ = std::move(lock);
        return Outcome::Taken;
    }
    return lock->error() == QLockFile::LockFailedError ? Outcome::HeldElsewhere
                                                       : Outcome::NotPossible;
}

void LearnerLock::Release() {
    if (lock_) {
        lock_->unlock();
        lock_.reset();
    }
}

bool LearnerLock::Held() const {
    return lock_ != nullptr && lock_->isLocked();
}
