#pragma once
#include "cardface.h"
#include "clock.h"

#include <string>

namespace core {

class StudyState;

/// What the content check at the start of browsing chose.
enum class BrowseContent {
    Unchanged,     ///< the review list has entries: ContentKind stays
    NewWords,      ///< no review words: the new words are browsed (ContentKind 1)
    MasteredWords, ///< neither review nor new words: the mastered words (ContentKind 2)
    Nothing,       ///< all three lists are empty (ContentKind 0): browsing does not start
};

/// How a browse tick ended.
enum class BrowseStop {
    None,    ///< an entry is shown and is to be pronounced
    RestBox, ///< the period is over: the pacing timer stops and the rest box shows
    Ended,   ///< no entry at the cursor: the run is over
};

/// What one browse tick did.
struct BrowseStep {
    bool firstTick = false; ///< the run's first tick: pacing becomes 1200 ms, colours start
    BrowseStop stop = BrowseStop::None;
    std::string timeText; ///< the time left in the period, "0:14:59"
    CardFace face;        ///< the card shown (only when stop is None)
    std::string word;     ///< the word looked up in the sound index (the word label trimmed)
    std::string spoken;   ///< what speech says when there is no recording: " word "
};

/// The rules of browse follow-read: the content check, the tick that shows each entry twice,
/// and the stop conditions. It lives as long as the program, because the repeat count carries
/// over from one run to the next.
class Browse {
public:
    explicit Browse(StudyState& state);

    /// A cursor of -1 becomes 0.
    void NormaliseCursor();
    /// Chooses the list to browse: the review list if it has entries, else the new words,
    /// else the mastered words, else nothing (ContentKind 0).
    BrowseContent CheckContent();
    /// Starts a run: a fifteen-minute period from now, BrowseMode := 1.
    void Begin(TimePoint now);
    /// A new fifteen-minute period from now (OK in the rest box).
    void RenewPeriod(TimePoint now);

    /// One tick: the entry at WordCursor (no wrapping) with the stop conditions. A run that
    /// ends clears BrowseMode and BrowseRunning.
    BrowseStep Tick(TimePoint now);
    /// The shown entry has been handed to its pronunciation: every entry is shown twice, then
    /// the cursor moves on.
    void Shown();
    /// "浏览单词： " + WordCursor + "个"
    std::string CountText() const;

    /// How many times the entry at the cursor has been shown in the current step (0 or 1).
    int BrowseRepeat = 0;

private:
    StudyState& s_;
};

} // namespace core
