#pragma once
#include "clock.h"

#include <chrono>
#include <string>

namespace core {

/// How long one study period of the timed modes lasts.
inline constexpr std::chrono::minutes StudyPeriodLength{15};

/// The end of a period that starts at now. Full date-times are used, so a period started
/// shortly before midnight ends fifteen minutes later like any other.
TimePoint StudyDeadlineFrom(TimePoint now);

/// True when the period is over: now past the deadline, or at it when atDeadline is set
/// (browsing stops at the deadline itself, the other modes only after it).
bool StudyTimeUp(TimePoint now, TimePoint deadline, bool atDeadline);

/// The time left in the long time format, hours without a leading zero: "0:14:59".
/// Parts of a second are dropped; a period that is over shows "0:00:00".
std::string RemainingTimeText(TimePoint now, TimePoint deadline);

} // namespace core
