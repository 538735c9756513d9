#include "core/listbackup.h"

#include "test_dir.h"

#include <ctime>
#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

core::TimePoint At(int year, int month, int day, int hour = 12, int minute = 0, int second = 0) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&tm));
}

TEST(BackupName, WrittenAndReadBack) {
    EXPECT_EQ(core::BackupName(At(2024, 12, 7, 9, 5, 3)), "2024-12-07_09-05-03");
    EXPECT_EQ(core::BackupTimeText(At(2024, 12, 7, 9, 5, 3)), "2024-12-07 09:05:03");
    struct Case {
        const char* name;
        bool ok;
        int sequence;
    };
    const Case cases[] = {
        {"2024-12-07_09-05-03", true, 1},       {"2024-12-07_09-05-03-2", true, 2},
        {"2024-12-07_09-05-03-12", true, 12},   {"2024-12-07_09-05-03-", false, 0},
        {"2024-12-07_09-05-03x", false, 0},     {"2024-12-07 09-05-03", false, 0},
        {".new-2024-12-07_09-05-03", false, 0}, {"backup", false, 0},
    };
    for (const auto& c : cases) {
        core::TimePoint when;
        int sequence = 0;
        EXPECT_EQ(core::ParseBackupName(c.name, when, sequence), c.ok) << c.name;
        if (c.ok) {
            EXPECT_EQ(when, At(2024, 12, 7, 9, 5, 3)) << c.name;
            EXPECT_EQ(sequence, c.sequence) << c.name;
        }
    }
}

TEST(BackupsToKeep, TheLatestTenAndOneADayForThirtyDays) {
    const core::TimePoint now = At(2024, 12, 31, 20);
    using Times = std::vector<core::TimePoint>;
    struct Case {
        const char* name;
        Times newestFirst;
        std::size_t kept;
        std::vector<std::size_t> dropped; // positions that go
    };
    Times sameDay;
    for (int i = 0; i < 15; ++i) {
        sameDay.push_back(At(2024, 12, 31, 19, 59 - i));
    }
    Times daily;
    for (int i = 0; i < 40; ++i) {
        daily.push_back(now - std::chrono::hours(24 * i));
    }
    Times mixed;
    for (int i = 0; i < 12; ++i) {
        mixed.push_back(At(2024, 12, 31, 19, 59 - i));
    }
    for (int d = 1; d <= 5; ++d) {
        mixed.push_back(At(2024, 12, 31 - d, 10));
        mixed.push_back(At(2024, 12, 31 - d, 9)); // a second save that day
    }
    const Case cases[] = {
        {"fewer than ten", Times(sameDay.begin(), sameDay.begin() + 4), 4, {}},
        {"fifteen saves today", sameDay, 10, {10, 11, 12, 13, 14}},
        {"one save a day for forty days", daily, 30, {30, 31, 32, 33, 34, 35, 36, 37, 38, 39}},
        {"many today, two a day before", mixed, 15, {10, 11, 13, 15, 17, 19, 21}},
        {"a backup dated after now",
         {now + std::chrono::hours(48), now - std::chrono::hours(24 * 60)},
         2,
         {}},
    };
    for (const auto& c : cases) {
        const std::vector<bool> keep = core::BackupsToKeep(c.newestFirst, now);
        ASSERT_EQ(keep.size(), c.newestFirst.size()) << c.name;
        std::size_t kept = 0;
        for (bool k : keep) {
            kept += k ? 1 : 0;
        }
        EXPECT_EQ(kept, c.kept) << c.name;
        for (std::size_t at : c.dropped) {
            EXPECT_FALSE(keep[at]) << c.name << ": position " << at;
        }
    }
}

TEST(Backups, MadeWholeListedNewestFirstAndPruned) {
    TestDir dir;
    const std::string folder = dir.AppDir() + "Li";
    fs::create_directories(folder);
    const std::vector<std::string> files = {folder + "/Li1.bm", folder + "/Li2.bm",
                                            folder + "/Li3.bm"};
    WriteAll(files[0], "a\r\nb\r\n   \r\nc\r\n");
    WriteAll(files[1], "m\r\n");
    // The review file does not exist yet: the backup leaves it out.
    const core::TimePoint first = At(2024, 11, 1, 8);
    std::vector<std::string> names;
    for (int i = 0; i < 3; ++i) {
        std::string name;
        ASSERT_TRUE(core::BackupFiles(folder, files, first, name));
        names.push_back(name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"2024-11-01_08-00-00", "2024-11-01_08-00-00-2",
                                               "2024-11-01_08-00-00-3"}));
    EXPECT_EQ(ReadAll(folder + "/backup/" + names[0] + "/Li1.bm"), ReadAll(files[0]));
    EXPECT_FALSE(fs::exists(folder + "/backup/" + names[0] + "/Li3.bm"));
    // A backup is a copy of its own: writing the live file in place (as an editor or another
    // program may) leaves it as it was.
    const std::vector<std::string> before = {ReadAll(files[0]), ReadAll(files[1])};
    for (std::size_t f = 0; f < before.size(); ++f) {
        EXPECT_EQ(fs::hard_link_count(files[f]), 1u) << files[f];
        WriteAll(files[f], "changed\r\n");
    }
    for (const auto& name : names) {
        for (std::size_t f = 0; f < before.size(); ++f) {
            const std::string kept =
                folder + "/backup/" + name + "/Li" + std::to_string(f + 1) + ".bm";
            EXPECT_EQ(ReadAll(kept), before[f]) << kept;
            EXPECT_EQ(fs::hard_link_count(kept), 1u) << kept;
        }
    }
    for (std::size_t f = 0; f < before.size(); ++f) {
        WriteAll(files[f], before[f]);
    }

    const auto listed = core::ListBackups(folder, {"Li1.bm", "Li2.bm", "Li3.bm"});
    ASSERT_EQ(listed.size(), 3u);
    EXPECT_EQ(listed[0].name, names[2]);
    EXPECT_EQ(listed[2].name, names[0]);
    EXPECT_EQ(listed[2].words, (std::array<std::size_t, 3>{3, 1, 0}));

    // Twelve more saves a month later: the three old ones fall out of every rule.
    fs::create_directories(folder + "/backup/.new-2024-11-02_08-00-00"); // an interrupted backup
    const core::TimePoint later = At(2024, 12, 15, 8);
    for (int i = 0; i < 12; ++i) {
        std::string name;
        ASSERT_TRUE(core::BackupFiles(folder, files, later + std::chrono::minutes(i), name));
    }
    core::PruneBackups(folder, later + std::chrono::hours(1));
    const auto pruned = core::ListBackups(folder, {"Li1.bm", "Li2.bm", "Li3.bm"});
    EXPECT_EQ(pruned.size(), 10u);
    EXPECT_EQ(CountStartingWith(folder + "/backup", "."), 0);
    EXPECT_EQ(CountStartingWith(folder + "/backup", "2024-11"), 0);
}

} // namespace
