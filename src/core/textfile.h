#pragma once
#include "gb18030.h"
#include "status.h"

#include <functional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace core {

/// Reads a whole file as bytes.
Status ReadFileBytes(const std::string& path, std::string& bytes);
/// Reads a whole file as bytes in steps, asking stop() between them: never blocked for long
/// by a file that is huge, never ends or waits for a writer (a pipe). When stop() turns true
/// the read ends with bytes incomplete and stopped set; the status is then Ok.
Status ReadFileBytesUntil(const std::string& path, std::string& bytes,
                          const std::function<bool()>& stop, bool& stopped);
/// Writes a whole file through a temporary file beside the file it replaces, renamed over it,
/// so that a failed write leaves the old file untouched. A symbolic link is written through to
/// the file it names; a file that may not be written is refused (see CheckSaveTarget). With
/// sync (the default) the data reaches the disk before the rename; scratch files rewritten all
/// the time may skip that.
Status WriteFileAtomic(const std::string& path, std::string_view bytes, bool sync = true);

/// Where a save of path writes and what it keeps of the file it replaces.
struct SaveTarget {
    std::string path; ///< the file itself: symbolic links followed
    bool exists = false;
    mode_t mode = 0644; ///< the permissions the new file gets
    uid_t owner = 0;
    gid_t group = 0;
};
/// Follows path through symbolic links and checks that the file there may be replaced: it is a
/// regular file (or does not exist yet) in an existing folder, and neither the file nor the
/// folder is read-only. Read-only means without any write permission bit, or refused by the
/// system (permissions, an immutable file, a read-only file system), so that a file the learner
/// made read-only is never replaced, even when the program runs with every right. Failures are
/// Write failures naming path.
Status CheckSaveTarget(const std::string& path, SaveTarget& target);

/// The prefix of the temporary files that saves write beside the files they replace.
constexpr std::string_view SaveTempPrefix = ".ljt-save-";
/// Writes bytes to a new temporary file beside target and (with sync) syncs it to the disk;
/// temp receives its path. On failure nothing is left behind; the failure names failPath.
Status WriteSyncedTemp(const SaveTarget& target, std::string_view bytes,
                       const std::string& failPath, std::string& temp, bool sync = true);
/// Syncs a folder, so that names created, renamed or removed in it survive a power loss.
void SyncFolder(const std::string& folder);
/// The folder part of a path ("." when there is none).
std::string FolderOf(const std::string& path);

/// Reads a GB18030 text file into UTF-8 lines.
Status ReadTextLines(const std::string& path, std::vector<std::string>& lines);
/// Writes UTF-8 lines as a GB18030 text file with CR LF after every line, atomically.
Status WriteTextLines(const std::string& path, const std::vector<std::string>& lines);

/// True when path names an existing regular file.
bool FileExists(const std::string& path);

} // namespace core
