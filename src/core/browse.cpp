#include "browse.h"

#include "studyperiod.h"
#include "studystate.h"
#include "wordentry.h"

namespace core {

Browse::Browse(StudyState& state) : s_(state) {
}

void Browse::NormaliseCursor() {
    if (s_.WordCursor == -1) {
        s_.WordCursor = 0;
    }
}

BrowseContent Browse::CheckContent() {
    if (!s_.ReviewList.empty()) {
        return BrowseContent::Unchanged;
    }
    if (!s_.NewList.empty()) {
        s_.ContentKind = StudyContent::NewWords;
        return BrowseContent::NewWords;
    }
    if (!s_.MasteredList.empty()) {
        s_.ContentKind = StudyContent::Mastered;
        return BrowseContent::MasteredWords;
    }
    s_.ContentKind = StudyContent::None;
    return BrowseContent::Nothing;
}

void Browse::Begin(TimePoint now) {
    s_.StudyDeadline = StudyDeadlineFrom(now);
    s_.BrowseMode = 1;
}

void Browse::RenewPeriod(TimePoint now) {
    s_.StudyDeadline = StudyDeadlineFrom(now);
}

BrowseStep Browse::Tick(TimePoint now) {
    BrowseStep step;
    if (s_.BrowseRunning == 0) {
        s_.BrowseRunning = 1;
        step.firstTick = true;
    }
    s_.StudyNow = now;
    step.timeText = RemainingTimeText(s_.StudyNow, s_.StudyDeadline);

    if (ChoosesList(s_.ContentKind)) {
        // No wrapping: past the last line the entry is empty and the run ends.
        s_.FetchEntry();
    } else {
        // Nothing is chosen to browse: an entry left over from earlier must not come up.
        s_.CurrentEntry.clear();
    }

    const bool empty = Trim(s_.CurrentEntry).empty();
    if (!empty && StudyTimeUp(s_.StudyNow, s_.StudyDeadline, true)) {
        // The flags stay: the run waits, out of time, until the learner moves on.
        step.stop = BrowseStop::RestBox;
        return step;
    }
    if (empty) {
        s_.BrowseMode = 0;
        s_.BrowseRunning = 0;
        step.stop = BrowseStop::Ended;
        return step;
    }

    step.face = CardFaceOf(s_.CurrentEntry);
    // Speech gets the word with a space on either side.
    s_.CurrentEntry = step.face.word + " ";
    step.word = step.face.Word();
    step.spoken = s_.CurrentEntry;
    return step;
}

void Browse::Shown() {
    ++BrowseRepeat;
    if (BrowseRepeat >= 2) {
        ++s_.WordCursor;
        BrowseRepeat = 0;
    }
}

std::string Browse::CountText() const {
    return "浏览单词： " + std::to_string(s_.WordCursor) + "个";
}

} // namespace core
