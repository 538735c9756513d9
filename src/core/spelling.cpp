#include "spelling.h"

#include "studyperiod.h"
#include "studystate.h"
#include "utf8.h"
#include "wordentry.h"

namespace core {

bool SpellingMatches(std::string_view input, std::string_view answer) {
    // The answer is the word as written before "[". A blank between the word and "[" in a
    // learner's own bank would otherwise make the word impossible to answer and keep the
    // learner on it for ever; the reveal still writes the answer as it stands.
    return Trim(input) == Trim(answer);
}

SpellingTest::SpellingTest(StudyState& state) : s_(state) {
}

void SpellingTest::Start(TimePoint now) {
    s_.StudyDeadline = StudyDeadlineFrom(now);
    s_.WordCursor = 0;
}

bool SpellingTest::RenewPeriod(TimePoint now) {
    if (s_.CurrentEntry.empty()) {
        return false;
    }
    s_.StudyDeadline = StudyDeadlineFrom(now);
    return true;
}

SpellShown SpellingTest::Prepare(TimePoint now, bool showPhonetic) {
    s_.SpellAdvance = 0;
    // New words: the cursor wraps at the last line but one, so the last line comes up only
    // when it is the only one left. Stored progress relies on this order.
    if (s_.ContentKind == StudyContent::NewWords &&
        s_.WordCursor >= static_cast<long long>(s_.NewList.size()) - 1) {
        s_.WordCursor = 0;
    }
    if (ChoosesList(s_.ContentKind)) {
        s_.FetchEntry();
    } else {
        // Nothing is chosen to study: an entry left over from another mode must not be asked
        // (a right answer would count it as mastered).
        s_.CurrentEntry.clear();
    }

    SpellShown shown;
    s_.StudyNow = now;
    SpellPhonetic.clear();
    shown.timeText = RemainingTimeText(s_.StudyNow, s_.StudyDeadline);
    if (!s_.CurrentEntry.empty() && !StudyTimeUp(s_.StudyNow, s_.StudyDeadline, false)) {
        SpellAnswer = EntryWord(s_.CurrentEntry);
        SpellPhonetic = EntryPhonetic(s_.CurrentEntry);
        // Appending instead of `"  " + text` keeps GCC 12 at -O3 from a false -Wrestrict
        // warning about the inserted prefix.
        if (showPhonetic) {
            shown.phonetic = std::string(2, ' ').append(SpellPhonetic);
        }
        shown.meaning = std::string(1, ' ').append(EntryMeaning(s_.CurrentEntry));
        stage_ = SpellStage::Asking;
        return shown;
    }
    shown.stop = s_.StudyNow >= s_.StudyDeadline ? SpellStop::TimeUp : SpellStop::EmptyContent;
    // The answer on screen belongs to a word that is no longer asked, and CurrentEntry may be
    // one the learner never saw: nothing is judged until a word is shown again.
    stage_ = SpellStage::Stopped;
    return shown;
}

SpellJudged SpellingTest::Judge(std::string_view input) {
    SpellJudged judged;
    if (stage_ != SpellStage::Asking && stage_ != SpellStage::Revealing) {
        // Between a right answer and the next word the old answer would be judged right
        // again and remove the next, unseen entry from its list.
        return judged;
    }
    if (SpellingMatches(input, SpellAnswer)) {
        judged.verdict = SpellVerdict::Right;
        const StudyState::MoveGroup group(s_);
        // Not StudyState::MarkKnown: a word spelled right counts as mastered from the review
        // list too, and consolidation counts nothing. Learners' statistics have always been
        // kept this way by the spelling test.
        if (s_.ContentKind != StudyContent::Mastered) {
            s_.AddToMastered();
        }
        if (s_.ContentKind == StudyContent::NewWords) {
            s_.RemoveFromNew(s_.WordCursor);
            // The cursor advances even where a line was removed: the entry that moved up into
            // its place comes round again after the wrap. Stored progress relies on this order.
            ++s_.WordCursor;
        } else if (s_.ContentKind == StudyContent::Review) {
            // The review list does not wrap: the entry that moved up into the place of the one
            // answered is the next word, and the count follows the list. Stepping on as well
            // would skip every other word and end the test while words remain.
            s_.RemoveFromReview(s_.WordCursor, true);
        } else {
            ++s_.WordCursor;
        }
        s_.SpellAdvance = 1;
        stage_ = SpellStage::Praising;
        return judged;
    }
    judged.verdict = SpellVerdict::Wrong;
    RevealLength = 1;
    s_.SpellAdvance = 0;
    judged.speak = s_.AddToReview();
    stage_ = SpellStage::Revealing;
    return judged;
}

SpellTick SpellingTest::Tick() {
    SpellTick tick;
    if (s_.SpellAdvance == 1) {
        tick.prepare = true;
        return tick;
    }
    if (stage_ != SpellStage::Revealing) {
        // A stray tick outside a reveal writes nothing.
        return tick;
    }
    const auto length = static_cast<std::size_t>(RevealLength);
    tick.write = true;
    tick.edit1 = std::string(Utf8Prefix(SpellAnswer, length));
    if (Utf8Length(SpellAnswer) < length) {
        tick.prepare = true;
    }
    ++RevealLength;
    return tick;
}

std::string SpellingTest::PhoneticText(bool ticked) const {
    return ticked ? SpellPhonetic : std::string();
}

bool SpellingTest::WaitsForPraise() const {
    return stage_ == SpellStage::Praising && s_.SpellAdvance == 1;
}

} // namespace core
