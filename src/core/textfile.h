#pragma once
#include "status.h"

#include <string>
#include <string_view>
#include <vector>

namespace core {

/// Decodes GB18030 (a superset of GBK) into UTF-8; undecodable bytes become U+FFFD.
std::string Gb18030ToUtf8(std::string_view bytes);
/// Encodes UTF-8 as GB18030: identical to GBK for GBK characters, lossless for the rest.
/// Invalid UTF-8 input bytes are encoded as U+FFFD rather than dropped.
std::string Utf8ToGb18030(std::string_view text);

/// Splits text into lines: CR, LF and CR LF each end a line; a final break adds no empty line.
std::vector<std::string> SplitLines(std::string_view text);
/// Joins lines with CR LF after every line (an empty list gives an empty text).
std::string JoinLinesCrLf(const std::vector<std::string>& lines);

/// Reads a whole file as bytes.
Status ReadFileBytes(const std::string& path, std::string& bytes);
/// Writes a whole file through a temporary file in the same folder renamed over the target,
/// so that a failed write leaves the old file untouched. With sync (the default) the data
/// reaches the disk before the rename; scratch files rewritten all the time may skip that.
Status WriteFileAtomic(const std::string& path, std::string_view bytes, bool sync = true);

/// Reads a GB18030 text file into UTF-8 lines.
Status ReadTextLines(const std::string& path, std::vector<std::string>& lines);
/// Writes UTF-8 lines as a GB18030 text file with CR LF after every line, atomically.
Status WriteTextLines(const std::string& path, const std::vector<std::string>& lines);

/// True when path names an existing regular file.
bool FileExists(const std::string& path);

} // namespace core
