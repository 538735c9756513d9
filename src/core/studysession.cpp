#include "studysession.h"

namespace core {

std::optional<HistoryEvent> StudySessionTracker::Activity(TimePoint t) {
    std::optional<HistoryEvent> ended;
    if (open_ && (t - last_ > pauseLimit_ || last_ - t > pauseLimit_)) {
        ended = Finish();
    }
    if (!open_) {
        open_ = true;
        start_ = last_ = t;
    } else if (t > last_) {
        last_ = t;
    }
    return ended;
}

std::optional<HistoryEvent> StudySessionTracker::Finish() {
    if (!open_) {
        return std::nullopt;
    }
    open_ = false;
    HistoryEvent period;
    period.kind = HistoryKind::Period;
    period.time = start_;
    period.end = last_;
    return period;
}

} // namespace core
