#pragma once
#include "canceltoken.h"
#include "historyevent.h"
#include "status.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace core {

/// What reading a study history found.
struct HistoryRead {
    /// The good events, in time order (events with the same time keep their file order).
    std::vector<HistoryEvent> events;
    std::size_t damaged = 0;    ///< complete lines that are not events
    std::size_t newer = 0;      ///< lines of a later format, skipped
    bool tornLast = false;      ///< the file ends in a line without its end: a write cut off
    std::size_t outOfOrder = 0; ///< events older than one before them (the clock went back)
    Status status;              ///< a file that could not be read; what was read still counts
    bool cancelled = false;     ///< reading stopped on a cancel

    /// The lines left out, torn one included.
    std::size_t Skipped() const { return damaged + newer + (tornLast ? 1 : 0); }
};

/// Reads the lines of a history held in memory, as ReadHistory does a file.
HistoryRead ParseHistory(std::string_view bytes);
/// Reads the study history at path. A missing file is an empty history. The file is only read,
/// never changed, whatever it holds; reading stops early (cancelled) when token is cancelled.
HistoryRead ReadHistory(const std::string& path, const CancelToken* token = nullptr);

/// Reads only the end of the history at path: at least the events since the given time (and a
/// little before), for a first look while the whole file is read. Skipped lines are counted for
/// the part read only.
HistoryRead ReadHistoryTail(const std::string& path, TimePoint since);

} // namespace core
