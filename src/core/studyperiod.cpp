#include "studyperiod.h"

#include <cstdio>

namespace core {

TimePoint StudyDeadlineFrom(TimePoint now) {
    return now + StudyPeriodLength;
}

bool StudyTimeUp(TimePoint now, TimePoint deadline, bool atDeadline) {
    return atDeadline ? now >= deadline : now > deadline;
}

std::string RemainingTimeText(TimePoint now, TimePoint deadline) {
    using namespace std::chrono;
    // A negative remainder has no sensible clock reading; the modes show their rest
    // message then, and the label reads zero.
    const long long total = now >= deadline ? 0 : duration_cast<seconds>(deadline - now).count();
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", total / 3600, total / 60 % 60,
                  total % 60);
    return text;
}

} // namespace core
