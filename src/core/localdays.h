#pragma once
#include "clock.h"

#include <optional>

namespace core {

/// Numbers calendar days: the days since 1970-01-01 in local time (or at a fixed offset from
/// UTC). Fast for times that come in order: the offset is looked up once an hour.
class LocalDays {
public:
    /// Local time as the system's time zone has it.
    LocalDays() = default;
    /// A fixed offset from UTC in seconds (tests, and places that want UTC).
    explicit LocalDays(long offsetSeconds) : fixed_(offsetSeconds) {}

    /// The day number of t.
    long long Day(TimePoint t) const;
    /// 0 for a Monday, 6 for a Sunday.
    static int Weekday(long long day);

private:
    std::optional<long> fixed_;
    mutable long long cachedHour_ = -1;
    mutable long cachedOffset_ = 0;
};

} // namespace core
