#pragma once
#include "historyevent.h"

#include <string>
#include <vector>

namespace core {

/// The study history as a CSV table (UTF-8 with a byte-order mark, CR LF, a title line):
/// time (UTC, ISO 8601), kind, mode, word, result, from, to, score, worst_sound, end, new,
/// mastered, review. Fields a kind does not use are empty; a field that a spreadsheet would
/// take for a formula is written as text.
std::string WriteHistoryCsv(const std::vector<HistoryEvent>& events);

} // namespace core
