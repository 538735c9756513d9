#pragma once
#include "status.h"

#include <functional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace core {

/// Decodes the learners' 8-bit text (GBK as the Windows code page 936 has it, read with the
/// GB18030 tables) into UTF-8. Byte 0x80 is the euro sign, as in that code page. Every other
/// byte that does not start a character is kept as one of the private-use characters
/// U+10FE81..U+10FEFF, so that Utf8ToGb18030 writes it back unchanged: a line the program
/// does not change is written back byte for byte.
std::string Gb18030ToUtf8(std::string_view bytes);
/// Encodes UTF-8 as GB18030: identical to GBK for GBK characters, lossless for the rest; the
/// euro sign becomes byte 0x80 and the private-use characters of a kept byte become that byte.
/// Invalid UTF-8 input bytes are encoded as U+FFFD rather than dropped.
std::string Utf8ToGb18030(std::string_view text);

/// Utf8ToGb18030 of the lines with CR LF after every line (an empty list gives an empty text).
std::string LinesToGb18030(const std::vector<std::string>& lines);

/// The first private-use character that stands for a kept byte: U+10FE00 + the byte.
constexpr char32_t KeptByteBase = 0x10FE00;

/// Splits text into lines: CR, LF and CR LF each end a line; a final break adds no empty line.
std::vector<std::string> SplitLines(std::string_view text);
/// SplitLines(Gb18030ToUtf8(bytes)) in one pass, without the whole text in between.
std::vector<std::string> Gb18030Lines(std::string_view bytes);
/// Joins lines with CR LF after every line (an empty list gives an empty text).
std::string JoinLinesCrLf(const std::vector<std::string>& lines);
/// True when the line holds nothing but characters of code 32 and below (an empty entry).
bool IsBlankLine(std::string_view line);

/// Reads a whole file as bytes.
Status ReadFileBytes(const std::string& path, std::string& bytes);
/// Reads a whole file as bytes in steps, asking stop() between them: never blocked for long
/// by a file that is huge, never ends or waits for a writer (a pipe). When stop() turns true
/// the read ends with bytes incomplete and stopped set; the status is then Ok.
Status ReadFileBytesUntil(const std::string& path, std::string& bytes,
                          const std::function<bool()>& stop, bool& stopped);
/// Gb18030ToUtf8 in pieces of whole lines, asking stop() between them; false (text
/// incomplete) when it turned true.
bool Gb18030ToUtf8Until(std::string_view bytes, std::string& text,
                        const std::function<bool()>& stop);
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
