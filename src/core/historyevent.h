#pragma once
#include "clock.h"

#include <array>
#include <string>
#include <string_view>

namespace core {

/// What a line of the study history records.
enum class HistoryKind {
    Answer, ///< an answer in a mode
    Move,   ///< a word moved between the lists (or joined or left them)
    Score,  ///< a pronunciation score
    Period, ///< a study period, from time to end
    Lists,  ///< the sizes of the three lists (at sign-in and after a restore)
};

/// The mode an answer was given in.
enum class HistoryMode { Cards, Spelling, Choice, Recording };

/// What an answer was.
enum class HistoryResult { Known, Unknown, Right, Wrong, Revealed };

/// A list in a move; None where the word came from nowhere or left every list.
enum class HistoryList { None, NewWords, Mastered, Review };

/// One event of a learner's study history. The fields a kind does not use stay at their
/// defaults and are neither written nor read.
struct HistoryEvent {
    TimePoint time{};
    HistoryKind kind = HistoryKind::Answer;
    std::string word;                            ///< Answer, Move, Score
    HistoryMode mode = HistoryMode::Cards;       ///< Answer
    HistoryResult result = HistoryResult::Known; ///< Answer
    HistoryList from = HistoryList::None;        ///< Move
    HistoryList to = HistoryList::None;          ///< Move
    /// Move and Lists: the entries of the new-word, mastered and review lists afterwards.
    std::array<long long, 3> lists{};
    int score = 0;          ///< Score: 0 to 100
    std::string worstSound; ///< Score: the sound that scored worst; may be empty
    TimePoint end{};        ///< Period

    bool operator==(const HistoryEvent&) const = default;
};

/// The name a mode, result or list has in a history line and in the exported table.
std::string_view HistoryName(HistoryMode mode);
std::string_view HistoryName(HistoryResult result);
std::string_view HistoryName(HistoryList list);
std::string_view HistoryName(HistoryKind kind);

/// An answer given at time.
HistoryEvent AnswerEvent(TimePoint time, HistoryMode mode, std::string word, HistoryResult result);
/// A pronunciation score given at time.
HistoryEvent ScoreEvent(TimePoint time, std::string word, int score, std::string worstSound);

} // namespace core
