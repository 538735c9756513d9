#pragma once
#include "core/lookupindex.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

/// The texts of one showing of the lookup window and their index, shared by its searches.
/// The first search to need the index reads and builds it on its own thread; searches that
/// come while it is being built wait for it, later ones reuse it. Thread-safe.
class LookupSession {
public:
    /// The banks and corpus of appDir, and the learner's own banks in learnerDir.
    explicit LookupSession(std::string appDir, std::string learnerDir = {});

    const std::string& AppDir() const { return appDir_; }

    /// The index, built by the first caller. builtNow tells that caller that the index is its
    /// own (so that it reports the files that could not be read). Null once Close() was called.
    std::shared_ptr<const core::LookupIndex> Index(bool* builtNow = nullptr);

    /// Stops a build in progress at its next step; every later Index() returns null.
    void Close();
    bool Closed() const { return closed_.load(); }

private:
    const std::string appDir_;
    const std::string learnerDir_;
    std::mutex mutex_; ///< held while building, so that one build serves every search
    std::shared_ptr<const core::LookupIndex> index_;
    std::atomic<bool> closed_{false};
};
