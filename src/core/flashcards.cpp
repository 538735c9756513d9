#include "flashcards.h"

#include "studyperiod.h"
#include "studystate.h"

namespace core {

namespace {

/// New words are drilled ten at a time: mastered ones leave the list and the following
/// entries move up into the window.
constexpr int NewWordWindow = 10;

} // namespace

FlashCards::FlashCards(StudyState& state) : s_(state) {
}

void FlashCards::Start(TimePoint now) {
    s_.BrowseRunning = 0;
    if (s_.WordCursor == -1) {
        s_.WordCursor = 0;
    }
    s_.BrowseMode = 0;
    s_.StudyDeadline = StudyDeadlineFrom(now);
}

void FlashCards::RecountMastered() {
    s_.MasteredCount = static_cast<int>(s_.MasteredList.size());
    if (s_.OnText) {
        s_.OnText(StatText::Mastered, s_.StatisticText(StatText::Mastered));
    }
}

void FlashCards::RenewPeriod(TimePoint now) {
    s_.StudyDeadline = StudyDeadlineFrom(now);
}

CardShown FlashCards::ShowCard(TimePoint now) {
    if (s_.ContentKind == StudyContent::NewWords && s_.WordCursor >= NewWordWindow) {
        s_.WordCursor = 0;
    }
    if (ChoosesList(s_.ContentKind)) {
        if (s_.WordCursor > static_cast<long long>(s_.CurrentList().size()) - 1) {
            s_.WordCursor = 0;
        }
        s_.FetchEntry();
    } else {
        // Nothing is chosen to study: an entry left over from earlier must not come up.
        s_.CurrentEntry.clear();
    }

    CardShown shown;
    s_.StudyNow = now;
    shown.timeText = RemainingTimeText(s_.StudyNow, s_.StudyDeadline);
    const bool timeUp = StudyTimeUp(s_.StudyNow, s_.StudyDeadline, false);
    if (s_.CurrentEntry.empty() || timeUp) {
        shown.stop = s_.StudyNow < s_.StudyDeadline ? CardStop::EmptyContent : CardStop::TimeUp;
        // The run has stopped: no answer is offered, so that an entry that was never shown
        // is not moved and an empty entry never reaches a list. The labels stay as they were.
        view_.judge = view_.grade = view_.next = false;
        return shown;
    }

    shown.face = CardFaceOf(s_.CurrentEntry);
    word_ = shown.face.Word();
    view_.meaning = false;
    view_.grade = false;
    view_.judge = true;
    // "继续" is left as it was: a run restarted while it was offered keeps it.
    return shown;
}

bool FlashCards::MyKnow() {
    if (!view_.judge) {
        return false;
    }
    view_.meaning = true;
    view_.judge = false;
    view_.grade = true;
    return true;
}

bool FlashCards::MyDimness() {
    if (!view_.judge) {
        return false;
    }
    view_.judge = false;
    view_.next = true;
    view_.meaning = true;
    return true;
}

UnknownAnswer FlashCards::MyUnknown() {
    if (!view_.judge) {
        return UnknownAnswer::Ignored;
    }
    const UnknownAnswer answer = s_.AddToReview() ? UnknownAnswer::Added : UnknownAnswer::Listed;
    view_.judge = false;
    view_.next = true;
    view_.meaning = true;
    return answer;
}

bool FlashCards::RepeatNext() {
    if (!view_.next) {
        return false;
    }
    view_.next = false;
    return true;
}

bool FlashCards::NextWord() {
    if (!view_.grade) {
        return false;
    }
    ++s_.WordCursor;
    return true;
}

bool FlashCards::GuessAgain() {
    return view_.grade;
}

bool FlashCards::AlreadyMastery() {
    if (!view_.grade) {
        return false;
    }
    switch (s_.ContentKind) {
    case StudyContent::NewWords:
        s_.RemoveFromNew(s_.WordCursor);
        s_.AddToMastered();
        break;
    case StudyContent::Mastered:
        s_.CountMastered();
        break;
    case StudyContent::Review:
        s_.MasterReviewLine(s_.WordCursor);
        break;
    default:
        break;
    }
    // The cursor advances even where a line was removed, so the entry that moved up into
    // its place comes round again only when the cursor wraps.
    ++s_.WordCursor;
    return true;
}

} // namespace core
