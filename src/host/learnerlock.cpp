#include "host/learnerlock.h"

#include <QLockFile>

LearnerLock::LearnerLock() = default;

LearnerLock::~LearnerLock() {
    Release();
}

QString LearnerLock::FileName() {
    return QStringLiteral(".signed-in.lock");
}

LearnerLock::Outcome LearnerLock::Take(const QString& learnerFolder) {
    Release();
    auto lock = std::make_unique<QLockFile>(learnerFolder + QLatin1Char('/') + FileName());
    // The lock is held for a whole session: it never grows stale by age, only when the copy
    // that holds it is gone.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) {
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
