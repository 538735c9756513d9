#include "localdays.h"

#include <ctime>

namespace core {

namespace {

long long FloorDiv(long long a, long long b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

} // namespace

long long LocalDays::Day(TimePoint t) const {
    const long long seconds =
        std::chrono::duration_cast<std::chrono::seconds>(t.time_since_epoch()).count() -
        (t.time_since_epoch() < TimePoint::duration::zero() &&
                 t.time_since_epoch() % std::chrono::seconds(1) != TimePoint::duration::zero()
             ? 1
             : 0);
    long offset = 0;
    if (fixed_) {
        offset = *fixed_;
    } else {
        const long long hour = FloorDiv(seconds, 3600);
        if (hour != cachedHour_) {
            const std::time_t at = static_cast<std::time_t>(hour * 3600);
            std::tm local{};
            ::localtime_r(&at, &local);
            cachedOffset_ = local.tm_gmtoff;
            cachedHour_ = hour;
        }
        offset = cachedOffset_;
    }
    return FloorDiv(seconds + offset, 86400);
}

int LocalDays::Weekday(long long day) {
    // 1970-01-01 was a Thursday.
    return static_cast<int>(((day + 3) % 7 + 7) % 7);
}

} // namespace core
