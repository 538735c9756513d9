#include "historystats.h"

#include "wordentry.h"

#include <algorithm>
#include <limits>
#include <map>
#include <set>
#include <unordered_map>
#include <unordered_set>

namespace core {

namespace {

int RatedIndex(HistoryMode mode) {
    for (std::size_t i = 0; i < std::size(RatedModes); ++i) {
        if (RatedModes[i] == mode) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool IsStudy(const HistoryEvent& e) {
    return e.kind == HistoryKind::Answer || e.kind == HistoryKind::Score;
}

} // namespace

std::vector<DayFigures> GroupDays(const std::vector<DayFigures>& days, std::size_t size) {
    if (size <= 1) {
        return days;
    }
    std::vector<DayFigures> groups;
    for (std::size_t i = 0; i < days.size(); ++i) {
        const DayFigures& d = days[i];
        if (i % size == 0) {
            groups.push_back(DayFigures{});
            groups.back().day = d.day;
        }
        DayFigures& g = groups.back();
        g.studied += d.studied;
        g.mastered += d.mastered;
        g.minutes += d.minutes;
        for (std::size_t m = 0; m < g.right.size(); ++m) {
            g.right[m] += d.right[m];
            g.tried[m] += d.tried[m];
        }
        g.scores += d.scores;
        g.scoreSum += d.scoreSum;
        g.listsKnown = d.listsKnown;
        g.lists = d.lists;
    }
    return groups;
}

std::size_t GroupSizeFor(std::size_t count) {
    return count <= 31 ? 1 : count <= 366 ? 7 : 30;
}

HistorySummary SummarizeHistory(const std::vector<HistoryEvent>& events, TimePoint now,
                                HistoryRange range, const LocalDays& localDays) {
    HistorySummary summary;
    summary.today = localDays.Day(now);
    const long long monday = summary.today - LocalDays::Weekday(summary.today);
    long long first = summary.today;
    switch (range) {
    case HistoryRange::Week:
        first = summary.today - 6;
        break;
    case HistoryRange::Month:
        first = summary.today - 29;
        break;
    case HistoryRange::Year:
        first = summary.today - 364;
        break;
    case HistoryRange::All:
        // A clock once set decades back must not make a chart of every day since.
        if (!events.empty()) {
            first = std::clamp(localDays.Day(events.front().time), summary.today - 366 * 20,
                               summary.today);
        }
        break;
    }
    const long long earliest = std::min(first, monday);
    summary.days.resize(static_cast<std::size_t>(summary.today - first + 1));
    for (std::size_t i = 0; i < summary.days.size(); ++i) {
        summary.days[i].day = first + static_cast<long long>(i);
    }

    std::set<long long> studyDays;
    std::unordered_map<long long, std::unordered_set<std::string>> words;
    std::unordered_set<std::string> weekWords;
    std::map<std::string, int> sounds;
    bool listsKnown = false;
    std::array<long long, 3> lists{};
    long long listsDay = first;
    const auto carryLists = [&](long long upTo) {
        // Days up to upTo take the sizes last known.
        for (; listsDay < upTo && listsDay <= summary.today; ++listsDay) {
            if (listsDay >= first) {
                DayFigures& d = summary.days[static_cast<std::size_t>(listsDay - first)];
                d.listsKnown = listsKnown;
                d.lists = lists;
            }
        }
    };

    long long lastStudyDay = std::numeric_limits<long long>::min();
    for (const HistoryEvent& e : events) {
        const long long day = localDays.Day(e.time);
        if ((IsStudy(e) || e.kind == HistoryKind::Period) && day != lastStudyDay) {
            studyDays.insert(day);
            lastStudyDay = day;
        }
        if (day > summary.today) {
            continue; // a clock that ran ahead; not part of any range that ends today
        }
        if (e.kind == HistoryKind::Move || e.kind == HistoryKind::Lists) {
            carryLists(day);
            lists = e.lists;
            listsKnown = true;
        }
        if (day < earliest) {
            continue;
        }
        if (IsStudy(e)) {
            const std::string key = EntryWordKey(e.word);
            if (day >= monday) {
                weekWords.insert(key);
            }
            if (day >= first) {
                words[day].insert(key);
            }
        }
        if (day < first) {
            continue;
        }
        DayFigures& d = summary.days[static_cast<std::size_t>(day - first)];
        switch (e.kind) {
        case HistoryKind::Answer:
            if (const int i = RatedIndex(e.mode); i >= 0) {
                ++d.tried[static_cast<std::size_t>(i)];
                if (e.result == HistoryResult::Right) {
                    ++d.right[static_cast<std::size_t>(i)];
                }
            }
            break;
        case HistoryKind::Move:
            if (e.to == HistoryList::Mastered) {
                ++d.mastered;
            }
            break;
        case HistoryKind::Score:
            ++d.scores;
            d.scoreSum += e.score;
            if (!e.worstSound.empty()) {
                ++sounds[e.worstSound];
            }
            break;
        case HistoryKind::Period:
            d.minutes += std::chrono::duration<double, std::ratio<60>>(e.end - e.time).count();
            break;
        case HistoryKind::Lists:
            break;
        }
    }
    carryLists(summary.today + 1);

    for (auto& [day, set] : words) {
        summary.days[static_cast<std::size_t>(day - first)].studied = static_cast<int>(set.size());
    }
    summary.todayWords = summary.days.back().studied;
    summary.weekWords = static_cast<int>(weekWords.size());
    for (const DayFigures& d : summary.days) {
        summary.studyDays += studyDays.count(d.day) > 0 ? 1 : 0;
    }
    long long day = studyDays.count(summary.today) > 0 ? summary.today : summary.today - 1;
    while (studyDays.count(day) > 0) {
        ++summary.streak;
        --day;
    }
    summary.flaggedSounds.assign(sounds.begin(), sounds.end());
    std::stable_sort(summary.flaggedSounds.begin(), summary.flaggedSounds.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    if (summary.flaggedSounds.size() > 8) {
        summary.flaggedSounds.resize(8);
    }
    return summary;
}

} // namespace core
