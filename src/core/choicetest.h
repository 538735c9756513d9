#pragma once
#include "linestore.h"
#include "random.h"
#include "studystate.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace core {

/// The pending answer of a panel whose turn came when no line was left to ask.
inline constexpr std::string_view ChoiceEndMark = "NO00";

/// The two question panels: the upper one (rows 1-4) and the lower one (rows 5-8).
enum class ChoicePanel { Upper = 0, Lower = 1 };

/// The picture on a row's marker button.
enum class ChoiceMarker {
    Neutral, ///< "help01.bmp"
    Right,   ///< "check1.BMP"
    Wrong,   ///< "wrong1.BMP"
};

/// Where a choice test stands, read from the two pending answers.
enum class ChoiceState {
    NotStarted,    ///< nothing asked yet (or nothing to ask)
    UpperAsking,   ///< the upper panel waits for its right row
    LowerAsking,   ///< the lower panel waits for its right row
    FinishedLower, ///< the list ran out when the lower panel's turn came
    FinishedUpper, ///< the list ran out when the upper panel's turn came
};

/// One answer row.
struct ChoiceRow {
    std::string text;     ///< three blanks and a meaning; empty for a row not offered
    bool offered = false; ///< false when too few different lines were found to fill the row
    ChoiceMarker marker = ChoiceMarker::Neutral;
};

/// What one panel shows.
struct ChoicePanelView {
    std::string question;          ///< the tested word (empty when the panel is blank)
    std::array<ChoiceRow, 4> rows; ///< top to bottom
    /// Three blanks and the right meaning while the panel asks; empty when nothing is
    /// pending; ChoiceEndMark once the list ran out on this panel's turn.
    std::string pending;
};

/// What a click on a row (or on the marker beside it) did.
enum class ChoiceResult {
    Ignored, ///< the panel does not ask, or the row is not offered: nothing changed
    Wrong,   ///< counted, marked; the word went to the review list unless it was there
    Right,   ///< counted, marked, the lists moved; the other panel asks next
};

struct ChoiceClick {
    ChoiceResult result = ChoiceResult::Ignored;
    /// Right only: a new question went up in the other panel (its word is to be pronounced);
    /// false when the list has run out.
    bool asked = false;
};

/// The multiple-choice test: every line of the studied list is asked once, in random order,
/// with its meaning among up to three others; questions alternate between the two panels so
/// that the one just answered stays visible. A right choice moves the word on in the lists as
/// the kind of study content says; a wrong one puts it on the review list.
class ChoiceTest {
public:
    /// Lines to fill the wrong rows from when the learner's lists hold too few different
    /// ones (the installed word banks); asked for at most once per test.
    using ExtraLines = std::function<std::vector<std::string>()>;

    ChoiceTest(StudyState& state, RandomSource& random, ExtraLines extra = {});

    /// Copies the studied list and the distractor pool (new words, then mastered words;
    /// blank lines left out) and asks the first question in the upper panel. Returns false
    /// when there is nothing to ask: the window reports the empty content and closes.
    bool Start();

    /// A click on row 0..7 (MYwordLabel1..MYwordLabel8, or the marker beside it).
    ChoiceClick Click(int row);

    const ChoicePanelView& Panel(ChoicePanel panel) const {
        return panels_[static_cast<int>(panel)];
    }
    ChoiceState State() const;

    /// Lines in the test at its start.
    std::size_t TestSize() const { return testSize_; }
    /// Lines not asked yet.
    std::size_t Remaining() const { return tests_.size(); }
    /// The word of the latest question: what is pronounced.
    const std::string& TestWord() const { return testWord_; }
    /// The line of the latest question, as in the list (the one a click answers).
    const std::string& Question() const { return question_; }

    /// "测试单词共：" + TestSize + "个"
    std::string SizeText() const;
    /// "正确选择：" + RightCount + "个"
    std::string RightText() const;
    /// "点击错误：" + WrongCount + "个"
    std::string WrongText() const;

    int RightCount = 0;
    int WrongCount = 0;

private:
    void Ask(ChoicePanel panel);
    void RightChoice();
    const LineStore* Extra();

    StudyState& s_;
    RandomSource& random_;
    ExtraLines extraSource_;
    bool extraLoaded_ = false;
    LineStore extra_;
    LineStore tests_;
    LineStore pool_;
    std::size_t testSize_ = 0;
    StudyContent kind_ = StudyContent::None;
    std::string question_; ///< the line of the latest question, as in the list
    std::string testWord_;
    std::array<ChoicePanelView, 2> panels_;
};

/// True for a line that holds nothing but blanks: such a line is never asked nor offered.
bool BlankLine(std::string_view line);

/// Draws up to count lines for the wrong rows: each different, whole and with case, from the
/// question and from the ones drawn before, every pool position that qualifies equally likely.
/// Where pool holds too few such lines the rest come from extra (may be null); if that too
/// runs short, fewer lines come back. Never loops without end.
std::vector<std::string_view> DrawDistractors(std::string_view question, const LineStore& pool,
                                              const LineStore* extra, RandomSource& random,
                                              std::size_t count = 3);

/// A random order for lines lines (at most 4): row k shows line order[k]. Every order is
/// equally likely; entries from lines on are -1.
std::array<int, 4> ShuffleRows(RandomSource& random, int lines);

/// Lines of the installed word banks, in catalogue order, read until at least limit non-blank
/// lines are in hand (fewer when the banks hold fewer; none when nothing can be read).
std::vector<std::string> ReadBankLines(const std::string& appDir, std::size_t limit);

} // namespace core
