// The study history: its line format, the reader's handling of damaged files, the writer, the
// study periods and the figures the statistics window charts.
#include "core/historycsv.h"
#include "core/historyline.h"
#include "core/historyreader.h"
#include "core/historystats.h"
#include "core/historywriter.h"
#include "core/studysession.h"
#include "core/studystate.h"
#include "test_dir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace std::chrono_literals;
using core::HistoryEvent;
using core::HistoryKind;
using core::HistoryLineVerdict;
using core::HistoryList;
using core::HistoryMode;
using core::HistoryResult;

namespace {

core::TimePoint At(long long ms) {
    return core::TimePoint(std::chrono::milliseconds(ms));
}

HistoryEvent Move(long long ms, std::string word, HistoryList from, HistoryList to,
                  std::array<long long, 3> lists) {
    HistoryEvent e;
    e.time = At(ms);
    e.kind = HistoryKind::Move;
    e.word = std::move(word);
    e.from = from;
    e.to = to;
    e.lists = lists;
    return e;
}

HistoryEvent Period(long long ms, long long endMs) {
    HistoryEvent e;
    e.kind = HistoryKind::Period;
    e.time = At(ms);
    e.end = At(endMs);
    return e;
}

HistoryEvent Lists(long long ms, std::array<long long, 3> lists) {
    HistoryEvent e;
    e.kind = HistoryKind::Lists;
    e.time = At(ms);
    e.lists = lists;
    return e;
}

TEST(HistoryLine, EveryKindReadsBackAsWritten) {
    const HistoryEvent events[] = {
        core::AnswerEvent(At(1733650000123), HistoryMode::Spelling, "apple", HistoryResult::Right),
        core::AnswerEvent(At(5), HistoryMode::Cards, "苹果 tab\there\\n", HistoryResult::Revealed),
        Move(7, "take off", HistoryList::NewWords, HistoryList::Mastered, {10, 20, 3}),
        Move(8, "line\nbreak\r", HistoryList::None, HistoryList::Review, {0, 0, 1}),
        core::ScoreEvent(At(9), "think", 61, "θ"),
        core::ScoreEvent(At(10), "cat", 100, ""),
        Period(11, 900011),
        Lists(-1000, {1, 2, 3}),
    };
    for (const HistoryEvent& e : events) {
        const std::string line = core::FormatHistoryLine(e);
        SCOPED_TRACE(line);
        EXPECT_EQ(line.find('\n'), std::string::npos);
        HistoryEvent back;
        ASSERT_EQ(core::ParseHistoryLine(line, back), HistoryLineVerdict::Good);
        EXPECT_EQ(back, e);
    }
}

TEST(HistoryLine, DamagedAndNewerLinesAreTold) {
    const std::string longWord(core::HistoryLineLimit, 'a');
    const struct {
        const char* name;
        std::string line;
        HistoryLineVerdict verdict;
    } rows[] = {
        {"good answer", "1\t1000\tanswer\tchoice\tcat\twrong", HistoryLineVerdict::Good},
        {"extra fields of a later writer", "1\t1000\tanswer\tchoice\tcat\twrong\tx",
         HistoryLineVerdict::Good},
        {"later version", "2\t1000\tanswer\tchoice\tcat\twrong", HistoryLineVerdict::Newer},
        {"later version, new kind", "17\t1\tmood\thappy", HistoryLineVerdict::Newer},
        {"empty", "", HistoryLineVerdict::Damaged},
        {"garbage", "%%%% not a line", HistoryLineVerdict::Damaged},
        {"version zero", "0\t1000\tanswer\tchoice\tcat\twrong", HistoryLineVerdict::Damaged},
        {"time not a number", "1\t10x0\tanswer\tchoice\tcat\twrong", HistoryLineVerdict::Damaged},
        {"unknown kind", "1\t1000\tjump\tchoice\tcat\twrong", HistoryLineVerdict::Damaged},
        {"unknown mode", "1\t1000\tanswer\tdance\tcat\twrong", HistoryLineVerdict::Damaged},
        {"unknown result", "1\t1000\tanswer\tchoice\tcat\tmaybe", HistoryLineVerdict::Damaged},
        {"missing field", "1\t1000\tanswer\tchoice\tcat", HistoryLineVerdict::Damaged},
        {"empty word", "1\t1000\tanswer\tchoice\t\twrong", HistoryLineVerdict::Damaged},
        {"bad escape", "1\t1000\tanswer\tchoice\tc\\qat\twrong", HistoryLineVerdict::Damaged},
        {"carriage return (a CRLF file)", "1\t1000\tanswer\tchoice\tcat\twrong\r",
         HistoryLineVerdict::Damaged},
        {"NUL bytes of a lost block", std::string("\0\0\0\0", 4), HistoryLineVerdict::Damaged},
        {"score over 100", "1\t1000\tscore\tcat\t101\tæ", HistoryLineVerdict::Damaged},
        {"negative score", "1\t1000\tscore\tcat\t-1\tæ", HistoryLineVerdict::Damaged},
        {"move to where it was", "1\t1\tmove\tcat\tnew\tnew\t1\t2\t3", HistoryLineVerdict::Damaged},
        {"negative list size", "1\t1\tlists\t1\t-2\t3", HistoryLineVerdict::Damaged},
        {"period ending before it starts", "1\t1000\tperiod\t999", HistoryLineVerdict::Damaged},
        {"too long", "1\t1000\tanswer\tchoice\t" + longWord + "\twrong",
         HistoryLineVerdict::Damaged},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        HistoryEvent e;
        EXPECT_EQ(core::ParseHistoryLine(row.line, e), row.verdict);
    }
}

std::string Line(const HistoryEvent& e) {
    return core::FormatHistoryLine(e) + "\n";
}

TEST(HistoryReader, SkipsWhatItCannotReadAndCountsIt) {
    const std::string a =
        Line(core::AnswerEvent(At(3000), HistoryMode::Cards, "a", HistoryResult::Known));
    const std::string b =
        Line(core::AnswerEvent(At(2000), HistoryMode::Cards, "b", HistoryResult::Unknown));
    const std::string c =
        Line(core::AnswerEvent(At(4000), HistoryMode::Cards, "c", HistoryResult::Known));
    const struct {
        const char* name;
        std::string bytes;
        std::vector<std::string> words; ///< in the order read
        std::size_t damaged, newer, outOfOrder;
        bool torn;
    } rows[] = {
        {"empty file", "", {}, 0, 0, 0, false},
        {"in order", a + c, {"a", "c"}, 0, 0, 0, false},
        {"clock went back: sorted, counted", a + b + c, {"b", "a", "c"}, 0, 0, 1, false},
        {"a period is written at its end: sorted, not counted",
         a + Line(Period(1000, 3000)),
         {"", "a"},
         0,
         0,
         0,
         false},
        {"garbage between", a + "rubbish\n\n" + c, {"a", "c"}, 2, 0, 0, false},
        {"newer lines", "2\t1\tanswer\tcards\tx\tknown\n" + a, {"a"}, 0, 1, 0, false},
        {"torn last line", a + c.substr(0, 10), {"a"}, 0, 0, 0, true},
        {"torn line ended by the next append",
         a + c.substr(0, 10) + "\n" + c,
         {"a", "c"},
         1,
         0,
         0,
         false},
        {"line without any end", std::string(100000, 'x'), {}, 0, 0, 0, true},
        {"huge garbage line then good", std::string(100000, 'x') + "\n" + a, {"a"}, 1, 0, 0, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const core::HistoryRead read = core::ParseHistory(row.bytes);
        std::vector<std::string> words;
        for (const HistoryEvent& e : read.events) {
            words.push_back(e.word);
        }
        EXPECT_EQ(words, row.words);
        EXPECT_EQ(read.damaged, row.damaged);
        EXPECT_EQ(read.newer, row.newer);
        EXPECT_EQ(read.outOfOrder, row.outOfOrder);
        EXPECT_EQ(read.tornLast, row.torn);
        EXPECT_EQ(read.Skipped(), row.damaged + row.newer + (row.torn ? 1 : 0));
    }
}

TEST(HistoryReader, BigFileReadsAcrossChunksAndIsLeftAsItWas) {
    TestDir dir;
    const std::string path = dir.File("history.log");
    std::string bytes;
    const int count = 60000; // about 3 MB: several read chunks, lines cut at their edges
    for (int i = 0; i < count; ++i) {
        bytes += Line(core::AnswerEvent(At(i * 1000LL), HistoryMode::Choice,
                                        "word" + std::to_string(i), HistoryResult::Right));
        if (i % 1000 == 0) {
            bytes += "garbage line\n";
        }
    }
    {
        FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    const core::HistoryRead read = core::ReadHistory(path);
    EXPECT_TRUE(read.status.ok);
    ASSERT_EQ(read.events.size(), static_cast<std::size_t>(count));
    EXPECT_EQ(read.events.back().word, "word" + std::to_string(count - 1));
    EXPECT_EQ(read.damaged, static_cast<std::size_t>(count / 1000));
    EXPECT_EQ(ReadAll(path), bytes);
}

TEST(HistoryReader, TheTailHoldsEveryEventSinceTheTimeAsked) {
    TestDir dir;
    const std::string path = dir.File("history.log");
    std::string bytes;
    const int count = 80000; // about 4 MB
    for (int i = 0; i < count; ++i) {
        bytes += Line(core::AnswerEvent(At(i * 1000LL), HistoryMode::Cards,
                                        std::string("w").append(std::to_string(i)),
                                        HistoryResult::Known));
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    const struct {
        long long sinceEvent;
        bool whole;
    } rows[] = {{count - 10, false}, {count / 2, false}, {1, true}, {0, true}, {-5, true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.sinceEvent);
        const core::HistoryRead tail = core::ReadHistoryTail(path, At(row.sinceEvent * 1000));
        ASSERT_FALSE(tail.events.empty());
        EXPECT_EQ(tail.events.back().word, "w" + std::to_string(count - 1));
        EXPECT_LE(tail.events.front().time, At(std::max(0LL, row.sinceEvent) * 1000));
        EXPECT_EQ(tail.events.size() == static_cast<std::size_t>(count), row.whole);
        EXPECT_EQ(tail.Skipped(), 0u) << "the line cut by the start of the part is not damage";
    }
    EXPECT_TRUE(core::ReadHistoryTail(dir.File("none.log"), At(0)).events.empty());
}

TEST(HistoryReader, MissingFileIsEmptyAndUnreadableOneIsReported) {
    TestDir dir;
    const core::HistoryRead missing = core::ReadHistory(dir.File("none.log"));
    EXPECT_TRUE(missing.status.ok);
    EXPECT_TRUE(missing.events.empty());
    // A folder in the file's place cannot be read as a file.
    ASSERT_EQ(::mkdir(dir.File("folder.log").c_str(), 0755), 0);
    const core::HistoryRead folder = core::ReadHistory(dir.File("folder.log"));
    EXPECT_FALSE(folder.status.ok);
    EXPECT_EQ(folder.status.file, dir.File("folder.log"));
}

TEST(HistoryWriter, AppendsWholeLinesAndEndsATornOneFirst) {
    TestDir dir;
    const std::string path = dir.File("h.log");
    {
        FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fputs("1\t5\tanswer\tcards\ta\tknown\n1\t6\tansw", f); // cut by a kill
        std::fclose(f);
    }
    core::HistoryWriter writer(path);
    EXPECT_FALSE(writer.Unsynced());
    const HistoryEvent next =
        core::AnswerEvent(At(7), HistoryMode::Choice, "b", HistoryResult::Wrong);
    ASSERT_TRUE(writer.Append(next));
    EXPECT_TRUE(writer.Unsynced());
    ASSERT_TRUE(writer.Sync());
    EXPECT_FALSE(writer.Unsynced());
    const std::string bytes = ReadAll(path);
    EXPECT_EQ(bytes.substr(0, 33), "1\t5\tanswer\tcards\ta\tknown\n1\t6\tansw");
    const core::HistoryRead read = core::ReadHistory(path);
    ASSERT_EQ(read.events.size(), 2u);
    EXPECT_EQ(read.events[1], next);
    EXPECT_EQ(read.damaged, 1u);
    EXPECT_FALSE(read.tornLast);
}

TEST(HistoryWriter, FollowsAFilePutInPlaceOfItsOwn) {
    TestDir dir;
    const std::string path = dir.File("h.log");
    core::HistoryWriter writer(path);
    ASSERT_TRUE(
        writer.Append(core::AnswerEvent(At(1), HistoryMode::Cards, "old", HistoryResult::Known)));
    // A restore renames another file over the history.
    const std::string other = dir.File("other");
    {
        FILE* f = std::fopen(other.c_str(), "wb");
        std::fputs(
            Line(core::AnswerEvent(At(0), HistoryMode::Cards, "restored", HistoryResult::Known))
                .c_str(),
            f);
        std::fclose(f);
    }
    ASSERT_EQ(std::rename(other.c_str(), path.c_str()), 0);
    ASSERT_TRUE(
        writer.Append(core::AnswerEvent(At(2), HistoryMode::Cards, "new", HistoryResult::Known)));
    const core::HistoryRead read = core::ReadHistory(path);
    ASSERT_EQ(read.events.size(), 2u);
    EXPECT_EQ(read.events[0].word, "restored");
    EXPECT_EQ(read.events[1].word, "new");
}

TEST(HistoryWriter, AFolderInItsPlaceFailsWithThePath) {
    TestDir dir;
    ASSERT_EQ(::mkdir(dir.File("h.log").c_str(), 0755), 0);
    core::HistoryWriter writer(dir.File("h.log"));
    const core::Status s =
        writer.Append(core::AnswerEvent(At(1), HistoryMode::Cards, "x", HistoryResult::Known));
    EXPECT_FALSE(s.ok);
    EXPECT_EQ(s.file, dir.File("h.log"));
}

TEST(StudySession, PausesEndPeriods) {
    core::StudySessionTracker tracker(5min);
    const auto base = At(1'000'000'000);
    EXPECT_FALSE(tracker.Finish());
    EXPECT_FALSE(tracker.Activity(base));
    EXPECT_FALSE(tracker.Activity(base + 4min));
    EXPECT_FALSE(tracker.Activity(base + 3min)); // the clock went back a little
    EXPECT_FALSE(tracker.Activity(base + 8min));
    const auto first = tracker.Activity(base + 14min);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->time, base);
    EXPECT_EQ(first->end, base + 8min);
    // A clock set back by an hour starts a new period rather than stretching this one.
    const auto second = tracker.Activity(base - 1h);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->time, base + 14min);
    EXPECT_EQ(second->end, base + 14min);
    const auto last = tracker.Finish();
    ASSERT_TRUE(last);
    EXPECT_EQ(last->time, base - 1h);
    EXPECT_FALSE(tracker.Finish());
}

// Day 20000 (2024-10-04, a Friday) at UTC+8; times are given as day and hour there.
constexpr long Offset = 8 * 3600;
core::TimePoint DayHour(long long day, int hour) {
    return At((day * 86400 + hour * 3600 - Offset) * 1000LL);
}

TEST(HistoryStats, DaysStreakRatesAndSounds) {
    constexpr long long Today = 20000;
    const core::LocalDays days(Offset);
    ASSERT_EQ(days.Day(DayHour(Today, 0)), Today);
    ASSERT_EQ(days.Day(DayHour(Today, 23)), Today);
    ASSERT_EQ(core::LocalDays::Weekday(Today), 4);
    std::vector<HistoryEvent> events = {
        Lists(DayHour(Today - 10, 9).time_since_epoch().count() / 1000000, {50, 0, 0}),
        core::AnswerEvent(DayHour(Today - 10, 9), HistoryMode::Cards, "old", HistoryResult::Known),
        // Three days in a row up to yesterday.
        core::AnswerEvent(DayHour(Today - 3, 23), HistoryMode::Spelling, "a", HistoryResult::Right),
        core::AnswerEvent(DayHour(Today - 2, 1), HistoryMode::Spelling, "a", HistoryResult::Wrong),
        core::AnswerEvent(DayHour(Today - 2, 1), HistoryMode::Spelling, "A b c",
                          HistoryResult::Revealed),
        Move(DayHour(Today - 2, 2).time_since_epoch().count() / 1000000, "a", HistoryList::NewWords,
             HistoryList::Mastered, {49, 1, 0}),
        core::AnswerEvent(DayHour(Today - 1, 8), HistoryMode::Choice, "b", HistoryResult::Right),
        core::AnswerEvent(DayHour(Today - 1, 8), HistoryMode::Choice, "c", HistoryResult::Wrong),
        core::ScoreEvent(DayHour(Today - 1, 9), "think", 40, "θ"),
        core::ScoreEvent(DayHour(Today - 1, 9), "this", 60, "ð"),
        core::ScoreEvent(DayHour(Today - 1, 9), "thin", 50, "θ"),
        Period(DayHour(Today - 1, 8).time_since_epoch().count() / 1000000,
               (DayHour(Today - 1, 8) + 12min).time_since_epoch().count() / 1000000),
        // A clock that ran ahead is left out of the ranges.
        core::AnswerEvent(DayHour(Today + 5, 8), HistoryMode::Choice, "z", HistoryResult::Right),
    };
    // Lists/Move/Period helpers take milliseconds; recompute them from the day-hour times.
    events[0].time = DayHour(Today - 10, 9);
    events[5].time = DayHour(Today - 2, 2);
    events[11].time = DayHour(Today - 1, 8);
    events[11].end = DayHour(Today - 1, 8) + 12min;

    const core::HistorySummary week =
        core::SummarizeHistory(events, DayHour(Today, 12), core::HistoryRange::Week, days);
    ASSERT_EQ(week.days.size(), 7u);
    EXPECT_EQ(week.days.front().day, Today - 6);
    EXPECT_EQ(week.days.back().day, Today);
    const core::DayFigures& d3 = week.days[3]; // Today - 3
    const core::DayFigures& d2 = week.days[4];
    const core::DayFigures& d1 = week.days[5];
    EXPECT_EQ(d3.studied, 1);
    EXPECT_EQ(d2.studied, 2); // "a" and "A b c": one word each, "a" once
    EXPECT_EQ(d2.mastered, 1);
    EXPECT_EQ(d2.right[0], 0);
    EXPECT_EQ(d2.tried[0], 2); // the revealed word counts as tried, not right
    EXPECT_EQ(d3.right[0], 1);
    EXPECT_EQ(d1.right[1], 1);
    EXPECT_EQ(d1.tried[1], 2);
    EXPECT_EQ(d1.scores, 3);
    EXPECT_DOUBLE_EQ(d1.scoreSum, 150);
    EXPECT_DOUBLE_EQ(d1.minutes, 12);
    EXPECT_EQ(d1.studied, 5); // b, c, think, this, thin
    // The lists: known from before the range, changed on day -2, carried to today.
    EXPECT_TRUE(week.days[0].listsKnown);
    EXPECT_EQ(week.days[3].lists, (std::array<long long, 3>{50, 0, 0}));
    EXPECT_EQ(week.days[4].lists, (std::array<long long, 3>{49, 1, 0}));
    EXPECT_EQ(week.days[6].lists, (std::array<long long, 3>{49, 1, 0}));
    EXPECT_EQ(week.todayWords, 0);
    EXPECT_EQ(week.streak, 3); // today has none yet: the streak up to yesterday stands
    EXPECT_EQ(week.studyDays, 3);
    // Monday of this week is Today - 4: the words of days -3 to today.
    EXPECT_EQ(week.weekWords, 7);
    ASSERT_EQ(week.flaggedSounds.size(), 2u);
    EXPECT_EQ(week.flaggedSounds[0], (std::pair<std::string, int>{"θ", 2}));

    // Study today extends the streak; a gap ends it.
    events.push_back(
        core::AnswerEvent(DayHour(Today, 7), HistoryMode::Cards, "d", HistoryResult::Known));
    std::stable_sort(events.begin(), events.end(),
                     [](const auto& a, const auto& b) { return a.time < b.time; });
    EXPECT_EQ(
        core::SummarizeHistory(events, DayHour(Today, 12), core::HistoryRange::Week, days).streak,
        4);
    EXPECT_EQ(core::SummarizeHistory(events, DayHour(Today + 2, 12), core::HistoryRange::Week, days)
                  .streak,
              0);

    const struct {
        core::HistoryRange range;
        std::size_t days;
    } ranges[] = {{core::HistoryRange::Month, 30},
                  {core::HistoryRange::Year, 365},
                  {core::HistoryRange::All, 11}};
    for (const auto& row : ranges) {
        EXPECT_EQ(core::SummarizeHistory(events, DayHour(Today, 12), row.range, days).days.size(),
                  row.days);
    }
    EXPECT_EQ(
        core::SummarizeHistory({}, DayHour(Today, 12), core::HistoryRange::All, days).days.size(),
        1u);
}

TEST(HistoryStats, GroupedDaysAddUpAndKeepTheLastLists) {
    std::vector<core::DayFigures> days(10);
    for (int i = 0; i < 10; ++i) {
        core::DayFigures& d = days[static_cast<std::size_t>(i)];
        d.day = 100 + i;
        d.studied = i;
        d.minutes = 0.5;
        d.tried = {1, 2};
        d.right = {i % 2, 1};
        d.listsKnown = i >= 5;
        d.lists = {i, 2 * i, 0};
    }
    EXPECT_EQ(core::GroupDays(days, 1).size(), 10u);
    const std::vector<core::DayFigures> weeks = core::GroupDays(days, 7);
    ASSERT_EQ(weeks.size(), 2u);
    EXPECT_EQ(weeks[0].day, 100);
    EXPECT_EQ(weeks[1].day, 107);
    EXPECT_EQ(weeks[0].studied, 21);
    EXPECT_DOUBLE_EQ(weeks[1].minutes, 1.5);
    EXPECT_EQ(weeks[0].right, (std::array<int, 2>{3, 7}));
    EXPECT_EQ(weeks[0].tried, (std::array<int, 2>{7, 14}));
    EXPECT_TRUE(weeks[0].listsKnown);
    EXPECT_EQ(weeks[0].lists, (std::array<long long, 3>{6, 12, 0}));
    EXPECT_EQ(weeks[1].lists, (std::array<long long, 3>{9, 18, 0}));
    const struct {
        std::size_t count, size;
    } sizes[] = {{7, 1}, {31, 1}, {32, 7}, {366, 7}, {367, 30}};
    for (const auto& row : sizes) {
        EXPECT_EQ(core::GroupSizeFor(row.count), row.size) << row.count;
    }
}

TEST(StudyStateMoves, OneMovePerWordAndOperation) {
    struct Seen {
        std::string entry;
        core::StudyState::Holder from, to;
        bool operator==(const Seen&) const = default;
    };
    using H = core::StudyState::Holder;
    const struct {
        const char* name;
        std::function<void(core::StudyState&)> act;
        std::vector<Seen> moves;
    } rows[] = {
        {"known new word",
         [](core::StudyState& s) { s.MarkKnown(core::StudyContent::NewWords, 0); },
         {{"apple n. 苹果", H::NewWords, H::Mastered}}},
        {"unknown word joins the review list",
         [](core::StudyState& s) { s.AddToReview(); },
         {{"apple n. 苹果", H::None, H::Review}}},
        {"known review word",
         [](core::StudyState& s) {
             s.ReviewList.Append("pear n. 梨");
             s.MarkKnown(core::StudyContent::Review, 0);
         },
         {{"pear n. 梨", H::Review, H::Mastered}}},
        {"mastered word known again moves nothing",
         [](core::StudyState& s) { s.MarkKnown(core::StudyContent::Mastered, 0); },
         {}},
        {"a word added from the lookup",
         [](core::StudyState& s) { s.AddToNewList("kiwi"); },
         {{"kiwi", H::None, H::NewWords}}},
        {"removed review word",
         [](core::StudyState& s) {
             s.ReviewList.Append("fig");
             s.RemoveFromReview(0, true);
         },
         {{"fig", H::Review, H::None}}},
        {"two calls in one group",
         [](core::StudyState& s) {
             const core::StudyState::MoveGroup group(s);
             s.AddToMastered();
             s.RemoveFromNew(0);
         },
         {{"apple n. 苹果", H::NewWords, H::Mastered}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        core::StudyState state;
        state.NewList.Append("apple n. 苹果");
        state.ContentKind = core::StudyContent::NewWords;
        state.FetchEntry();
        std::vector<Seen> seen;
        state.OnMove = [&seen](const std::string& entry, H from, H to) {
            seen.push_back({entry, from, to});
        };
        row.act(state);
        EXPECT_EQ(seen, row.moves);
    }
}

} // namespace

namespace {

TEST(HistoryCsv, RowsPerKindWithQuotingAndNoFormulas) {
    HistoryEvent move;
    move.kind = HistoryKind::Move;
    move.time = At(1000);
    move.word = "a, \"b\"";
    move.from = HistoryList::NewWords;
    move.to = HistoryList::Mastered;
    move.lists = {1, 2, 3};
    HistoryEvent period;
    period.kind = HistoryKind::Period;
    period.time = At(-1);
    period.end = At(60000);
    const std::string csv = core::WriteHistoryCsv({
        core::AnswerEvent(At(1733650000123), HistoryMode::Spelling, "=1+1", HistoryResult::Right),
        move,
        core::ScoreEvent(At(0), "think", 61, "θ"),
        period,
    });
    EXPECT_EQ(csv,
              "\xEF\xBB\xBF"
              "time,kind,mode,word,result,from,to,score,worst_sound,end,new,mastered,review\r\n"
              "2024-12-08T09:26:40.123Z,answer,spelling,'=1+1,right,,,,,,,,\r\n"
              "1970-01-01T00:00:01.000Z,move,,\"a, \"\"b\"\"\",,new,mastered,,,,1,2,3\r\n"
              "1970-01-01T00:00:00.000Z,score,,think,,,,61,θ,,,,\r\n"
              "1969-12-31T23:59:59.999Z,period,,,,,,,,1970-01-01T00:01:00.000Z,,,\r\n");
}

} // namespace
