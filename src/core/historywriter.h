#pragma once
#include "historyevent.h"
#include "status.h"

#include <mutex>
#include <string>

namespace core {

/// Appends events to a study history file. Each event is one write of one whole line at the
/// end of the file (opened for appending), so a kill cuts at most the line being written and
/// never touches the lines before it; a line left torn that way is ended before the next one
/// is appended. Appending only hands the line to the system; Sync makes it durable, so that
/// the caller can batch the costly flush and run it off the interface thread.
///
/// Append and Sync may run on different threads; Append itself belongs to one thread.
class HistoryWriter {
public:
    explicit HistoryWriter(std::string path);
    ~HistoryWriter();
    HistoryWriter(const HistoryWriter&) = delete;
    HistoryWriter& operator=(const HistoryWriter&) = delete;

    /// Appends the event's line. The file is created on the first event and opened again when
    /// something put another file in its place (a restore).
    Status Append(const HistoryEvent& event);
    /// Flushes what was appended since the last flush to the disk; nothing when nothing was.
    Status Sync();
    /// True when events were appended since the last Sync.
    bool Unsynced() const;
    const std::string& Path() const { return path_; }

private:
    Status OpenLocked();
    void CloseLocked();

    const std::string path_;
    mutable std::mutex mutex_;
    int fd_ = -1;
    unsigned long long device_ = 0;
    unsigned long long inode_ = 0;
    bool endLine_ = false; ///< the file ends in a cut line: end it before the next one
    bool dirty_ = false;
};

} // namespace core
