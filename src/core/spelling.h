#pragma once
#include "clock.h"

#include <string>
#include <string_view>

namespace core {

class StudyState;

/// Why Prepare showed no word.
enum class SpellStop {
    None,         ///< a word is shown and waits for its answer
    EmptyContent, ///< nothing at the cursor while time is left: the empty-content message
    TimeUp,       ///< the period is over: the end-of-period box
};

/// Where a spelling run stands; it decides which answers are judged.
enum class SpellStage {
    Idle,      ///< no word prepared yet
    Asking,    ///< a word is shown; the answer is judged
    Revealing, ///< after a wrong answer the letters appear one by one; an answer is judged
    Praising,  ///< after a right answer until the next word is shown; nothing is judged
    Stopped,   ///< the end-of-period box or the empty-content message came; nothing is judged
};

/// What Prepare did.
struct SpellShown {
    SpellStop stop = SpellStop::None;
    std::string timeText; ///< the time left in the period, "0:14:59"
    std::string phonetic; ///< Label2: "  " + phonetic when it is to be shown, else empty
    std::string meaning;  ///< Label3: " " + meaning
};

/// The verdict on one answer.
enum class SpellVerdict {
    Ignored, ///< no word waits for an answer (praising, stopped, idle): nothing changed
    Right,   ///< the praise sound plays; the end of it moves on to the next word
    Wrong,   ///< the reveal starts (Timer1 on) and the same word is asked again
};

/// What Judge did.
struct SpellJudged {
    SpellVerdict verdict = SpellVerdict::Ignored;
    /// Wrong only: the entry went onto the review list just now, so the word is to be spoken.
    bool speak = false;
};

/// What one Timer1 tick did.
struct SpellTick {
    bool write = false;   ///< Edit1 is to show edit1 (a reveal step)
    std::string edit1;    ///< the revealed letters
    bool prepare = false; ///< Timer1 stops and the word at WordCursor is prepared ("重新输入")
};

/// The rules of the spelling test: which entry is asked, how an answer is judged, what it does
/// to the lists and to WordCursor, the letter-by-letter reveal after a wrong answer and the
/// advance after the praise sound. The window shows the results and owns the timer.
class SpellingTest {
public:
    explicit SpellingTest(StudyState& state);

    /// The opening: a fifteen-minute period from now, and the first line of the list.
    void Start(TimePoint now);

    /// OK in the end-of-period box: a new fifteen-minute period from now, when there is a
    /// word to go on with (CurrentEntry not empty). The word comes with "重新输入".
    bool RenewPeriod(TimePoint now);

    /// "重新输入": SpellAdvance := 0, and the word at WordCursor is prepared. New words wrap
    /// back to the first line once the cursor reaches the last line but one; the other kinds
    /// do not wrap and run out at the end of their list.
    SpellShown Prepare(TimePoint now, bool showPhonetic);

    /// "写好确认": input is compared, trimmed, with the answer, letter case included.
    SpellJudged Judge(std::string_view input);

    /// One tick of Timer1: a reveal step, or the advance after a right answer.
    SpellTick Tick();

    /// Label2 when "显示音标" is clicked: the phonetic when ticked (without the leading
    /// blanks a newly shown word gets), else empty.
    std::string PhoneticText(bool ticked) const;

    /// True when a right answer's praise is pending: the end of the shared player's sound
    /// starts Timer1, whose next tick shows the next word.
    bool WaitsForPraise() const;

    SpellStage Stage() const { return stage_; }

    /// EntryWord of the shown entry, untrimmed: what the reveal writes and what is spoken.
    std::string SpellAnswer;
    /// EntryPhonetic of the shown entry; emptied each time a word is prepared.
    std::string SpellPhonetic;
    /// How many letters of SpellAnswer the next reveal tick writes.
    int RevealLength = 1;

private:
    StudyState& s_;
    SpellStage stage_ = SpellStage::Idle;
};

/// True when the learner's input is the answer: the input trimmed, compared exactly.
bool SpellingMatches(std::string_view input, std::string_view answer);

} // namespace core
