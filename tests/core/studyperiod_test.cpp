#include "core/studyperiod.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>

namespace {

using namespace std::chrono;
using core::TimePoint;

// A local date and time as the system clock reports it.
TimePoint Local(int year, int month, int day, int hour, int minute, int second = 0) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    return system_clock::from_time_t(std::mktime(&tm));
}

TEST(StudyPeriod, LastsFifteenMinutes) {
    const TimePoint start = Local(2024, 3, 5, 9, 30);
    EXPECT_EQ(core::StudyDeadlineFrom(start), Local(2024, 3, 5, 9, 45));
    EXPECT_EQ(core::RemainingTimeText(start, core::StudyDeadlineFrom(start)), "0:15:00");
}

TEST(StudyPeriod, TimeUpComparesOrIncludesTheDeadline) {
    const TimePoint deadline = Local(2024, 3, 5, 9, 45);
    struct Case {
        milliseconds offset; // now - deadline
        bool atDeadline;
        bool up;
    };
    const Case cases[] = {
        {-minutes(15), false, false},    {-milliseconds(1), false, false},
        {milliseconds(0), false, false}, {milliseconds(1), false, true},
        {-milliseconds(1), true, false}, {milliseconds(0), true, true},
        {hours(30), true, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(core::StudyTimeUp(deadline + c.offset, deadline, c.atDeadline), c.up)
            << "offset " << c.offset.count() << " ms, atDeadline " << c.atDeadline;
    }
}

TEST(StudyPeriod, PeriodStartedBeforeMidnightEndsAfterIt) {
    const TimePoint start = Local(2024, 12, 31, 23, 50);
    const TimePoint deadline = core::StudyDeadlineFrom(start);
    EXPECT_FALSE(core::StudyTimeUp(Local(2025, 1, 1, 0, 1), deadline, false));
    EXPECT_EQ(core::RemainingTimeText(Local(2025, 1, 1, 0, 1), deadline), "0:04:00");
    EXPECT_TRUE(core::StudyTimeUp(Local(2025, 1, 1, 0, 5, 1), deadline, false));
    EXPECT_TRUE(core::StudyTimeUp(Local(2025, 1, 1, 0, 5), deadline, true));
    // A time of day just after midnight is small, but a day later it is still over.
    EXPECT_TRUE(core::StudyTimeUp(Local(2025, 1, 2, 0, 1), deadline, false));
}

TEST(StudyPeriod, RemainingTextUsesTheLongTimeFormat) {
    const TimePoint deadline = Local(2024, 3, 5, 10, 0);
    struct Case {
        milliseconds left;
        const char* text;
    };
    const Case cases[] = {
        {minutes(15), "0:15:00"},
        {minutes(15) - milliseconds(100), "0:14:59"},
        {seconds(61), "0:01:01"},
        {milliseconds(999), "0:00:00"},
        {milliseconds(0), "0:00:00"},
        {-seconds(5), "0:00:00"},
        {hours(1) + minutes(2) + seconds(3), "1:02:03"},
        {hours(12), "12:00:00"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(core::RemainingTimeText(deadline - c.left, deadline), c.text)
            << c.left.count() << " ms left";
    }
}

} // namespace
