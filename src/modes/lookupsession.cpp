#include "lookupsession.h"

LookupSession::LookupSession(std::string appDir, std::string learnerDir)
    : appDir_(std::move(appDir)), learnerDir_(std::move(learnerDir)) {
}

std::shared_ptr<const core::LookupIndex> LookupSession::Index(bool* builtNow) {
    if (builtNow != nullptr) {
        *builtNow = false;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    if (closed_.load()) {
        return nullptr;
    }
    if (index_) {
        return index_;
    }
    const auto stop = [this] { return closed_.load(); };
    core::LookupFiles files;
    if (!core::ReadLookupFiles(appDir_, files, stop, learnerDir_)) {
        return nullptr;
    }
    auto index = std::make_shared<const core::LookupIndex>(std::move(files), stop);
    if (!index->Complete()) {
        return nullptr; // stopped by Close()
    }
    index_ = std::move(index);
    if (builtNow != nullptr) {
        *builtNow = true;
    }
    return index_;
}

void LookupSession::Close() {
    closed_.store(true);
}
