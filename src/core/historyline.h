#pragma once
#include "historyevent.h"

#include <string>
#include <string_view>

namespace core {

/// The version of the history lines this program writes.
inline constexpr int HistoryFormatVersion = 1;
/// A line longer than this is damage, whatever it holds.
inline constexpr std::size_t HistoryLineLimit = 4096;

// The study history is a UTF-8 text file with one event per line, each line ended by "\n".
// Fields are separated by tabs; the first three are the format version, the time in
// milliseconds since 1970-01-01 UTC, and the kind:
//
//   1 <ms> answer <mode> <word> <result>        mode: cards|spelling|choice|recording
//                                               result: known|unknown|right|wrong|revealed
//   1 <ms> move   <word> <from> <to> <n> <m> <r>  from, to: none|new|mastered|review;
//                                               n m r: the three list sizes afterwards
//   1 <ms> score  <word> <0-100> <worst sound>  the worst sound may be empty
//   1 <ms> period <end ms>                      a study period from <ms> to <end ms>
//   1 <ms> lists  <n> <m> <r>                   the three list sizes
//
// In words and sounds, "\\", "\t", "\n" and "\r" stand for a backslash, a tab, a line feed
// and a carriage return. A reader skips lines of a later version (their first field is a
// larger number) and counts them apart from damaged ones; a later version may add fields at
// the end of a line of this version, which this reader ignores.

/// How a line read.
enum class HistoryLineVerdict {
    Good,    ///< an event of this version
    Newer,   ///< a line of a later version
    Damaged, ///< anything else
};

/// The line for event, without its "\n".
std::string FormatHistoryLine(const HistoryEvent& event);
/// Reads one line (without its "\n"); event is set only for a good line.
HistoryLineVerdict ParseHistoryLine(std::string_view line, HistoryEvent& event);

} // namespace core
