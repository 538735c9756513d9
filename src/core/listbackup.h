#pragma once
#include "clock.h"
#include "status.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace core {

/// The folder below a learner's folder that holds the backups, one folder per save.
constexpr std::string_view BackupFolderName = "backup";
/// How many of the latest backups are always kept.
constexpr std::size_t BackupsKeptLatest = 10;
/// For how many days one backup a day is kept besides.
constexpr int BackupDays = 30;

/// One saved copy of a learner's lists.
struct BackupInfo {
    std::string name; ///< its folder below backup/
    TimePoint when{};
    std::array<std::size_t, 3> words{}; ///< entries of the new-word, mastered and review lists
};

/// The folder name of a backup made at when: local time "YYYY-MM-DD_hh-mm-ss".
std::string BackupName(TimePoint when);
/// Reads a backup folder name (with an optional "-N" added when two saves share a second);
/// false for any other name.
bool ParseBackupName(std::string_view name, TimePoint& when, int& sequence);
/// The date and time a backup shows to the learner: "YYYY-MM-DD hh:mm:ss".
std::string BackupTimeText(TimePoint when);

/// Which backups stay, given their times newest first: the latest BackupsKeptLatest, and the
/// newest of every local day within the last BackupDays days.
std::vector<bool> BackupsToKeep(const std::vector<TimePoint>& newestFirst, TimePoint now);

/// Keeps copies of the present versions of files in learnerFolder/backup/<name>/ under their
/// own names, written to disk before the backup appears. Copies, not links, so that nothing
/// that writes a live file in place can change a backup. Files that do not exist are left
/// out. The backup appears whole or not at all; name receives its folder name.
Status BackupFiles(const std::string& learnerFolder, const std::vector<std::string>& files,
                   TimePoint now, std::string& name);
/// Removes one backup (the one made for a save that then failed).
void RemoveBackup(const std::string& learnerFolder, const std::string& name);
/// Removes the backups that BackupsToKeep lets go, and the remains of interrupted ones.
void PruneBackups(const std::string& learnerFolder, TimePoint now);
/// The backups, newest first, with the word count (non-blank lines) of the files named by
/// fileNames (base names: new-word, mastered and review list).
std::vector<BackupInfo> ListBackups(const std::string& learnerFolder,
                                    const std::array<std::string, 3>& fileNames);
/// The folder of a backup.
std::string BackupPath(const std::string& learnerFolder, const std::string& name);

} // namespace core
