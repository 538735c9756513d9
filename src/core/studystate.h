#pragma once
#include "clock.h"
#include "soundindex.h"
#include "speech.h"
#include "status.h"
#include "wordlist.h"

#include <cstdint>
#include <functional>
#include <string>

namespace core {

/// What the modes study: the value of StudyState::ContentKind. The numbers are the ones the
/// study-content window's radio buttons have always stood for.
enum class StudyContent : int {
    None = 0,     ///< nothing to study
    NewWords = 1, ///< the new-word list
    Mastered = 2, ///< consolidation of the mastered list
    Review = 3,   ///< the review list
};

/// True for the three kinds that choose a list (not None).
constexpr bool ChoosesList(StudyContent kind) {
    return kind == StudyContent::NewWords || kind == StudyContent::Mastered ||
           kind == StudyContent::Review;
}

/// The statistics texts that the list operations rewrite.
enum class StatText {
    Mastered,   ///< main window LBalreadymastery: "已掌握单词N个"
    NewLearned, ///< main window LBnewword: "新学单词量N个"
    Review,     ///< main window LbreviewCount: "需复习单词N个"
    Total,      ///< main window LBzhongCount: "单词总数量N个"
    Banner,     ///< main window Label4: name + "     努力吧！ 成功就在眼前！"
    Summary,    ///< study-content window Label1
};

/// The program-wide study state shared by every window: the learner, the three lists with
/// their counters, the study position and the flags the modes hand to one another.
class StudyState {
public:
    StudyState();
    StudyState(const StudyState&) = delete;
    StudyState& operator=(const StudyState&) = delete;

    // Program folder, learner data folder and learner. AppDir holds the data the program
    // reads; LearnerDataDir receives everything it writes (learner folders, the recording,
    // the generated pages, imported banks). Both end in "/"; an empty LearnerDataDir means
    // AppDir, as when the program runs from a folder it may write to.
    std::string AppDir;
    std::string LearnerDataDir;
    std::string LearnerName;

    /// The folder that receives what the program writes: LearnerDataDir, or AppDir.
    const std::string& DataHome() const { return LearnerDataDir.empty() ? AppDir : LearnerDataDir; }

    // Study position: what is studied and where in its list.
    StudyContent ContentKind = StudyContent::None;
    int WordCursor = 0;
    std::string CurrentEntry;

    // Counters kept beside the lists; they may drift from the list lengths between loads.
    int NewCount = 0;
    int MasteredCount = 0;
    int ReviewCount = 0;
    int NewLearnedCount = 0;

    // Study period: full date-times, so that a period started before midnight still ends.
    TimePoint StudyDeadline{};
    TimePoint StudyNow{};

    // Truth-valued flags, compared with 1.
    std::uint8_t BrowseMode = 0;
    std::uint8_t BrowseRunning = 0;
    std::uint8_t SpellAdvance = 0;
    std::uint8_t ModelSoundPlaying = 0;
    std::uint8_t ReturningLearner = 0;

    // Colour components of the card-label colour cycle.
    int ColourCycle1 = 0;
    int ColourCycle2 = 0;
    int ColourCycle3 = 0;

    SoundIndexFile SoundIndex;
    Speech* Voice = nullptr; ///< not owned

    WordList NewList;
    WordList MasteredList;
    WordList ReviewList;

    /// Receives every statistics text the operations write; the windows show them.
    std::function<void(StatText, const std::string&)> OnText;

    /// The list chosen by ContentKind (the new-word list for 0 or any other value).
    WordList& CurrentList();
    const WordList& CurrentList() const;

    /// CurrentEntry := the trimmed line at WordCursor of CurrentList (empty past the end).
    void FetchEntry();
    /// Appends CurrentEntry to MasteredList unless it is there already (case ignored) or empty.
    bool AddToMastered();
    /// Appends CurrentEntry to ReviewList unless it is there already (case ignored) or empty.
    bool AddToReview();
    /// Appends entry (trimmed) to NewList unless it is empty or there already (case ignored);
    /// NewCount goes up by 1 and the total and summary texts are rewritten.
    bool AddToNewList(const std::string& entry);
    /// Deletes the line at pos from NewList; no counter changes.
    void RemoveFromNew(long long pos);
    /// Deletes the line at pos from ReviewList; with count, ReviewCount goes down by 1 first.
    void RemoveFromReview(long long pos, bool withCount);
    /// Counts one more mastered word without a list change.
    void CountMastered();

    /// Outcome of AddImportedWords.
    struct ImportCount {
        std::size_t added = 0;
        std::size_t alreadyListed = 0; ///< lines one of the three lists holds already
    };
    /// Appends the lines to NewList, except those one of the three lists already holds
    /// (letter case ignored); NewCount follows, with the texts that show it.
    ImportCount AddImportedWords(const std::vector<std::string>& lines);

    /// Reads the learner's three list files; see the failure rule in the source.
    Status LoadLearnerLists();
    /// Writes the three list files (nothing when nobody is signed in).
    Status SaveLearnerLists();

    /// The text the given statistics control shows now.
    std::string StatisticText(StatText which) const;
    /// Sends the texts LoadLearnerLists writes (mastered, review, total, banner, summary).
    void PublishLoadTexts() const;

private:
    void Publish(StatText which) const;
};

/// "已掌握单词" + n + "个" and the like: prefix, plain decimal, "个".
std::string CountText(const std::string& prefix, long long n);

} // namespace core
