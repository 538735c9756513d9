#pragma once
#include "status.h"

#include <string>
#include <string_view>
#include <vector>

namespace core {

/// One file of a set that is saved as one unit.
struct FileSetItem {
    std::string path;  ///< the file to replace (a symbolic link is saved through)
    std::string bytes; ///< its new contents
};

/// The journal of a save in progress, in the folder the set belongs to.
constexpr std::string_view FileSetJournal = ".ljt-journal";

/// Saves the files as one unit. Every file is first written whole to a temporary file beside
/// it and synced; then a journal naming the temporary files is written and synced in folder;
/// then each temporary file is renamed over its file and the journal is removed. A failure
/// before the journal is complete removes the temporary files and changes nothing on disk;
/// the failure names the file concerned. After a crash at any moment, RecoverFileSet finds
/// either every old file or every new one. committed (when given) tells whether the journal
/// was complete, i.e. whether the new set will be the one found.
Status SaveFileSet(const std::string& folder, const std::vector<FileSetItem>& files,
                   bool* committed = nullptr);

/// Brings folder back to one whole set after an interrupted save: a complete journal is
/// carried out (the new set), an incomplete one undone (the old set), and the temporary files
/// interrupted saves left in folder and beside the given files are removed. Run before the
/// files are read or saved again.
Status RecoverFileSet(const std::string& folder, const std::vector<std::string>& paths);

/// What RecoverFileSet found (for the tests and the kill harness).
struct RecoveryReport {
    bool rolledForward = false; ///< a complete journal was carried out
    bool rolledBack = false;    ///< an incomplete journal was undone
    int tempsRemoved = 0;       ///< leftover temporary files removed
};
Status RecoverFileSet(const std::string& folder, const std::vector<std::string>& paths,
                      RecoveryReport& report);

} // namespace core
