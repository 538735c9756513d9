#pragma once
#include <QString>
#include <memory>

class QLockFile;

/// Keeps a learner's folder for one running copy of the program while the learner is signed
/// in: a lock file in the folder. A lock left behind by a copy that ended without releasing
/// it (a crash, a kill) is taken over.
class LearnerLock {
public:
    enum class Outcome {
        Taken,         ///< this copy holds the folder now
        HeldElsewhere, ///< another running copy has the learner signed in
        NotPossible,   ///< no lock file can be made there (a read-only folder): not locked
    };

    LearnerLock();
    ~LearnerLock();
    LearnerLock(const LearnerLock&) = delete;
    LearnerLock& operator=(const LearnerLock&) = delete;

    /// Takes the folder, releasing any folder held before.
    Outcome Take(const QString& learnerFolder);
    /// Gives the folder up.
    void Release();
    bool Held() const;

    /// The lock file's name in the learner's folder.
    static QString FileName();

private:
    std::unique_ptr<QLockFile> lock_;
};
