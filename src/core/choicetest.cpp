#include "choicetest.h"

#include "learnerfiles.h"
#include "textfile.h"
#include "wordentry.h"

#include <algorithm>

namespace core {

namespace {

const std::string Blanks = "   ";

/// Rejection draws tried before the qualifying positions are counted out. Drawing until a
/// line qualifies is uniform over the qualifying positions; after this many misses the same
/// choice is made directly, so a pool made mostly of one line cannot hold the test up.
constexpr int RejectionTries = 32;

bool Differs(std::string_view line, std::string_view question,
             const std::vector<std::string_view>& chosen) {
    return line != question && std::find(chosen.begin(), chosen.end(), line) == chosen.end();
}

/// One more line from store that differs from question and chosen; false when there is none.
bool DrawOne(const LineStore& store, std::string_view question,
             std::vector<std::string_view>& chosen, RandomSource& random) {
    const auto m = static_cast<std::uint32_t>(store.size());
    if (m == 0) {
        return false;
    }
    for (int tries = 0; tries < RejectionTries; ++tries) {
        const std::string_view line = store.Line(random.Below(m));
        if (Differs(line, question, chosen)) {
            chosen.push_back(line);
            return true;
        }
    }
    std::vector<std::uint32_t> qualifying;
    for (std::uint32_t pos = 0; pos < m; ++pos) {
        if (Differs(store.Line(pos), question, chosen)) {
            qualifying.push_back(pos);
        }
    }
    if (qualifying.empty()) {
        return false;
    }
    chosen.push_back(
        store.Line(qualifying[random.Below(static_cast<std::uint32_t>(qualifying.size()))]));
    return true;
}

void Fill(LineStore& store, const WordList& list) {
    for (const std::string& line : list.Lines()) {
        if (!BlankLine(line)) {
            store.Append(line);
        }
    }
}

std::size_t Bytes(const WordList& list) {
    std::size_t bytes = 0;
    for (const std::string& line : list.Lines()) {
        bytes += line.size();
    }
    return bytes;
}

/// The position of the first line of list that equals line exactly; -1 when there is none.
long long PositionOf(const WordList& list, std::string_view line) {
    const auto& lines = list.Lines();
    const auto it = std::find(lines.begin(), lines.end(), line);
    return it == lines.end() ? -1 : static_cast<long long>(it - lines.begin());
}

} // namespace

bool BlankLine(std::string_view line) {
    return std::all_of(line.begin(), line.end(),
                       [](char c) { return static_cast<unsigned char>(c) <= 32; });
}

std::vector<std::string_view> DrawDistractors(std::string_view question, const LineStore& pool,
                                              const LineStore* extra, RandomSource& random,
                                              std::size_t count) {
    std::vector<std::string_view> chosen;
    while (chosen.size() < count && DrawOne(pool, question, chosen, random)) {
    }
    if (extra != nullptr) {
        while (chosen.size() < count && DrawOne(*extra, question, chosen, random)) {
        }
    }
    return chosen;
}

std::array<int, 4> ShuffleRows(RandomSource& random, int lines) {
    std::array<int, 4> order{-1, -1, -1, -1};
    lines = std::clamp(lines, 0, 4);
    for (int k = 0; k < lines; ++k) {
        order[static_cast<std::size_t>(k)] = k;
    }
    // Fisher-Yates: every order equally likely, with a bounded number of draws.
    for (int k = lines - 1; k > 0; --k) {
        const auto j = static_cast<int>(random.Below(static_cast<std::uint32_t>(k + 1)));
        std::swap(order[static_cast<std::size_t>(k)], order[static_cast<std::size_t>(j)]);
    }
    return order;
}

std::vector<std::string> ReadBankLines(const std::string& appDir, std::size_t limit) {
    std::vector<std::string> lines;
    std::vector<std::string> banks;
    if (!ReadBankCatalogue(appDir, banks)) {
        return lines;
    }
    for (const std::string& bank : banks) {
        if (lines.size() >= limit) {
            break;
        }
        std::vector<std::string> bankLines;
        if (BlankLine(bank) || !ReadTextLines(WordBankPath(appDir, Trim(bank)), bankLines)) {
            continue;
        }
        for (std::string& line : bankLines) {
            if (!BlankLine(line)) {
                lines.push_back(std::move(line));
            }
        }
    }
    return lines;
}

ChoiceTest::ChoiceTest(StudyState& state, RandomSource& random, ExtraLines extra)
    : s_(state), random_(random), extraSource_(std::move(extra)) {
}

bool ChoiceTest::Start() {
    for (ChoicePanelView& panel : panels_) {
        for (ChoiceRow& row : panel.rows) {
            row.marker = ChoiceMarker::Neutral;
        }
    }
    tests_.Clear();
    pool_.Clear();
    pool_.Reserve(s_.NewList.size() + s_.MasteredList.size(),
                  Bytes(s_.NewList) + Bytes(s_.MasteredList));
    Fill(pool_, s_.NewList);
    Fill(pool_, s_.MasteredList);
    kind_ = s_.ContentKind;
    if (ChoosesList(kind_)) {
        const WordList& studied = s_.CurrentList();
        tests_.Reserve(studied.size(), Bytes(studied));
        Fill(tests_, studied);
    }
    testSize_ = tests_.size();
    RightCount = 0;
    WrongCount = 0;
    if (tests_.empty()) {
        return false;
    }
    Ask(ChoicePanel::Upper);
    panels_[static_cast<int>(ChoicePanel::Lower)].pending.clear();
    return true;
}

void ChoiceTest::Ask(ChoicePanel which) {
    ChoicePanelView& panel = panels_[static_cast<int>(which)];
    for (ChoiceRow& row : panel.rows) {
        row = ChoiceRow{};
    }
    if (tests_.empty()) {
        panel.question.clear();
        panel.pending = ChoiceEndMark;
        return;
    }
    // The line taken out is replaced by the last one; as every remaining line is equally
    // likely to be drawn next, the order of the rest does not matter.
    const auto pos = random_.Below(static_cast<std::uint32_t>(tests_.size()));
    question_ = std::string(tests_.Line(pos));
    tests_.SwapRemove(pos);
    s_.CurrentEntry = question_;

    std::vector<std::string_view> others = DrawDistractors(question_, pool_, nullptr, random_);
    if (others.size() < 3) {
        // Too few different lines in the learner's lists: the word banks fill the rest.
        others = DrawDistractors(question_, pool_, Extra(), random_);
    }
    std::vector<std::string_view> lines{question_};
    lines.insert(lines.end(), others.begin(), others.end());
    const std::array<int, 4> order = ShuffleRows(random_, static_cast<int>(lines.size()));
    for (std::size_t k = 0; k < 4; ++k) {
        if (order[k] >= 0) {
            panel.rows[k].text = Blanks + EntryMeaning(lines[static_cast<std::size_t>(order[k])]);
            panel.rows[k].offered = true;
        }
    }
    panel.question = EntryWord(question_);
    panel.pending = Blanks + EntryMeaning(question_);
    testWord_ = panel.question;
}

const LineStore* ChoiceTest::Extra() {
    if (!extraLoaded_) {
        extraLoaded_ = true;
        if (extraSource_) {
            for (const std::string& line : extraSource_()) {
                if (!BlankLine(line)) {
                    extra_.Append(line);
                }
            }
        }
    }
    return &extra_;
}

ChoiceClick ChoiceTest::Click(int row) {
    ChoiceClick click;
    if (row < 0 || row > 7) {
        return click;
    }
    const int which = row / 4;
    ChoicePanelView& panel = panels_[static_cast<std::size_t>(which)];
    ChoiceRow& chosen = panel.rows[static_cast<std::size_t>(row % 4)];
    // A panel without a pending question, a finished one included, takes no clicks: a click
    // there must not put the word answered last on the review list.
    if (panel.pending.empty() || panel.pending == ChoiceEndMark || !chosen.offered) {
        return click;
    }
    // The question's line is set again in case another window has changed the shared entry.
    s_.CurrentEntry = question_;
    if (chosen.text != panel.pending) {
        for (ChoiceRow& r : panel.rows) {
            r.marker = ChoiceMarker::Neutral;
        }
        chosen.marker = ChoiceMarker::Wrong;
        ++WrongCount;
        s_.AddToReview();
        click.result = ChoiceResult::Wrong;
        return click;
    }
    chosen.marker = ChoiceMarker::Right;
    panel.pending.clear();
    ++RightCount;
    RightChoice();
    click.result = ChoiceResult::Right;
    ChoicePanelView& other = panels_[static_cast<std::size_t>(1 - which)];
    if (other.pending.empty()) {
        Ask(ChoicePanel(1 - which));
        click.asked = other.pending != ChoiceEndMark;
    }
    return click;
}

void ChoiceTest::RightChoice() {
    switch (kind_) {
    case StudyContent::NewWords:
        s_.RemoveFromNew(PositionOf(s_.NewList, question_));
        s_.AddToMastered();
        break;
    case StudyContent::Mastered:
        s_.CountMastered();
        break;
    case StudyContent::Review:
        s_.MasterReviewLine(PositionOf(s_.ReviewList, question_));
        break;
    case StudyContent::None:
        break;
    }
    ++s_.WordCursor;
}

ChoiceState ChoiceTest::State() const {
    const std::string& upper = panels_[0].pending;
    const std::string& lower = panels_[1].pending;
    if (lower == ChoiceEndMark) {
        return ChoiceState::FinishedLower;
    }
    if (upper == ChoiceEndMark) {
        return ChoiceState::FinishedUpper;
    }
    if (!upper.empty()) {
        return ChoiceState::UpperAsking;
    }
    if (!lower.empty()) {
        return ChoiceState::LowerAsking;
    }
    return ChoiceState::NotStarted;
}

std::string ChoiceTest::SizeText() const {
    return CountText("测试单词共：", static_cast<long long>(testSize_));
}

std::string ChoiceTest::RightText() const {
    return CountText("正确选择：", RightCount);
}

std::string ChoiceTest::WrongText() const {
    return CountText("点击错误：", WrongCount);
}

} // namespace core
