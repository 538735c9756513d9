#pragma once
#include "historyevent.h"

#include <chrono>
#include <optional>

namespace core {

/// A pause longer than this between two answers ends a study period.
inline constexpr std::chrono::minutes StudyPauseLimit{5};

/// Turns the times of a learner's activity into study periods: a period runs from its first
/// activity to its last, and ends at a pause longer than the limit.
class StudySessionTracker {
public:
    explicit StudySessionTracker(std::chrono::milliseconds pauseLimit = StudyPauseLimit)
        : pauseLimit_(pauseLimit) {}

    /// Activity at t. Returns the period that t has ended, if any. A time before the last one
    /// (the clock was set back) that is within the limit counts as the last one.
    std::optional<HistoryEvent> Activity(TimePoint t);
    /// Ends the open period; nothing when none is open.
    std::optional<HistoryEvent> Finish();

private:
    std::chrono::milliseconds pauseLimit_;
    bool open_ = false;
    TimePoint start_{};
    TimePoint last_{};
};

} // namespace core
