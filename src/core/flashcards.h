#pragma once
#include "cardface.h"
#include "clock.h"

#include <string>

namespace core {

class StudyState;

/// Why ShowCard put up no card.
enum class CardStop {
    None,         ///< a card is up
    EmptyContent, ///< nothing at the cursor while time is left: the empty-content message
    TimeUp,       ///< the period is over: the rest box
};

/// What ShowCard did.
struct CardShown {
    CardStop stop = CardStop::None;
    std::string timeText; ///< the time left in the period, "0:14:59"
    CardFace face;        ///< the card put up (only when stop is None)
};

/// Which answer buttons and whether the meaning are visible.
struct CardView {
    bool judge = false;   ///< "我知道", "不清楚", "生疏词"
    bool grade = false;   ///< "猜对了", "没猜准", "已掌握"
    bool next = false;    ///< "继续"
    bool meaning = false; ///< the meaning label
    bool operator==(const CardView&) const = default;
};

/// What "生疏词" did.
enum class UnknownAnswer {
    Ignored, ///< the button was not offered
    Listed,  ///< the entry was in the review list already: nothing spoken or counted
    Added,   ///< the entry went to the review list; the word is to be spoken
};

/// The rules of the flash cards: which entry is up, what each answer does to the lists, the
/// counters and WordCursor, and which answers are offered. The window shows the result.
class FlashCards {
public:
    explicit FlashCards(StudyState& state);

    /// Start of a run, before the first card: browsing ends, a cursor of -1 becomes 0, and a
    /// fifteen-minute period starts at now.
    void Start(TimePoint now);
    /// The last step of a run's start: MasteredCount counts MasteredList again and its text
    /// is rewritten.
    void RecountMastered();
    /// A new fifteen-minute period from now.
    void RenewPeriod(TimePoint now);

    /// Puts up the card at WordCursor (new words are drilled in a window of the first ten
    /// entries; a cursor past the end starts again at the first), unless the list has nothing
    /// there or the period is over.
    CardShown ShowCard(TimePoint now);

    // The answers. Each acts only while its button is offered and returns whether it acted;
    // after a refused answer nothing has changed.

    /// "我知道": the meaning shows and the grade buttons replace the judge buttons.
    bool MyKnow();
    /// "不清楚": the meaning shows and "继续" replaces the judge buttons.
    bool MyDimness();
    /// "生疏词": the entry goes to the review list (unless it is there) and stays in its own;
    /// the meaning shows and "继续" replaces the judge buttons.
    UnknownAnswer MyUnknown();
    /// "继续": hides itself; the same card follows.
    bool RepeatNext();
    /// "猜对了": the next card follows.
    bool NextWord();
    /// "没猜准": the same card follows.
    bool GuessAgain();
    /// "已掌握": new words move to the mastered list, mastered words are counted again,
    /// review words leave the review list; then the next card follows.
    bool AlreadyMastery();

    const CardView& View() const { return view_; }
    /// The word of the card up (the word label trimmed); what speech says.
    const std::string& Word() const { return word_; }

private:
    StudyState& s_;
    CardView view_;
    std::string word_;
};

} // namespace core
