#include "historyevent.h"

#include <utility>

namespace core {

std::string_view HistoryName(HistoryMode mode) {
    switch (mode) {
    case HistoryMode::Cards:
        return "cards";
    case HistoryMode::Spelling:
        return "spelling";
    case HistoryMode::Choice:
        return "choice";
    case HistoryMode::Recording:
        return "recording";
    }
    return {};
}

std::string_view HistoryName(HistoryResult result) {
    switch (result) {
    case HistoryResult::Known:
        return "known";
    case HistoryResult::Unknown:
        return "unknown";
    case HistoryResult::Right:
        return "right";
    case HistoryResult::Wrong:
        return "wrong";
    case HistoryResult::Revealed:
        return "revealed";
    }
    return {};
}

std::string_view HistoryName(HistoryList list) {
    switch (list) {
    case HistoryList::None:
        return "none";
    case HistoryList::NewWords:
        return "new";
    case HistoryList::Mastered:
        return "mastered";
    case HistoryList::Review:
        return "review";
    }
    return {};
}

std::string_view HistoryName(HistoryKind kind) {
    switch (kind) {
    case HistoryKind::Answer:
        return "answer";
    case HistoryKind::Move:
        return "move";
    case HistoryKind::Score:
        return "score";
    case HistoryKind::Period:
        return "period";
    case HistoryKind::Lists:
        return "lists";
    }
    return {};
}

HistoryEvent AnswerEvent(TimePoint time, HistoryMode mode, std::string word, HistoryResult result) {
    HistoryEvent event;
    event.time = time;
    event.kind = HistoryKind::Answer;
    event.mode = mode;
    event.word = std::move(word);
    event.result = result;
    return event;
}

HistoryEvent ScoreEvent(TimePoint time, std::string word, int score, std::string worstSound) {
    HistoryEvent event;
    event.time = time;
    event.kind = HistoryKind::Score;
    event.word = std::move(word);
    event.score = score;
    event.worstSound = std::move(worstSound);
    return event;
}

} // namespace core
