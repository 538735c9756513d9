#pragma once
#include "historyevent.h"
#include "localdays.h"

#include <array>
#include <string>
#include <utility>
#include <vector>

namespace core {

/// The span of days the statistics cover, ending today.
enum class HistoryRange { Week, Month, Year, All };

/// The test modes whose right-answer rate is charted, in this order.
inline constexpr HistoryMode RatedModes[] = {HistoryMode::Spelling, HistoryMode::Choice};

/// What one day of the history holds.
struct DayFigures {
    long long day = 0;          ///< LocalDays number
    int studied = 0;            ///< different words answered or scored
    int mastered = 0;           ///< words that joined the mastered list
    double minutes = 0;         ///< study periods begun that day
    std::array<int, 2> right{}; ///< per RatedModes: right answers
    std::array<int, 2> tried{}; ///< per RatedModes: answers (a revealed word counts as not right)
    int scores = 0;             ///< pronunciation scores
    double scoreSum = 0;
    /// The sizes of the new-word, mastered and review lists at the end of the day, as last
    /// recorded on or before it; unknown before the first record.
    bool listsKnown = false;
    std::array<long long, 3> lists{};
};

/// The figures the statistics window shows.
struct HistorySummary {
    long long today = 0;
    /// One entry per day of the range, oldest first, today last (empty days included).
    std::vector<DayFigures> days;
    /// The sounds flagged worst in the range's scores, most often first (at most 8).
    std::vector<std::pair<std::string, int>> flaggedSounds;
    int todayWords = 0; ///< different words studied today
    int weekWords = 0;  ///< different words studied since Monday
    /// Study days in a row up to today (or up to yesterday, while today has none yet).
    int streak = 0;
    int studyDays = 0; ///< days of the range with study
};

/// Days summed up in runs of size (the last run may be shorter): counts, minutes and scores add
/// up, the list sizes are those of a run's last day, day is the run's first day.
std::vector<DayFigures> GroupDays(const std::vector<DayFigures>& days, std::size_t size);
/// The run length that keeps a chart of count days readable: 1 up to a month, 7 up to a
/// year, else 30.
std::size_t GroupSizeFor(std::size_t count);

/// Sums events (in time order) up for the range ending on the day of now.
HistorySummary SummarizeHistory(const std::vector<HistoryEvent>& events, TimePoint now,
                                HistoryRange range, const LocalDays& days = LocalDays());

} // namespace core
