#pragma once
#include "clock.h"
#include "fileset.h"
#include "listbackup.h"
#include "soundindex.h"
#include "speech.h"
#include "status.h"
#include "wordlist.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

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
    /// Which list holds a line of entry's word (EntryWordKey: letter case ignored, whatever its
    /// phonetic and meaning): the new words, the mastered or the review list; None when none.
    enum class Holder { None, NewWords, Mastered, Review };

    /// Gathers the list changes made while it lives, so that a word taken out of one list and
    /// put into another is reported to OnMove as one move. Groups nest; the outermost reports.
    class MoveGroup {
    public:
        explicit MoveGroup(StudyState& state) : state_(state) { ++state_.moveDepth_; }
        ~MoveGroup();
        MoveGroup(const MoveGroup&) = delete;
        MoveGroup& operator=(const MoveGroup&) = delete;

    private:
        StudyState& state_;
    };

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
    /// Called after every change of a list (the periodic save follows it).
    std::function<void()> OnListsChanged;
    /// Receives each move of a word between the lists once the operation that made it is
    /// done: from is the list it was taken out of, to the one it was put into (None for
    /// neither). A word that only joins a list (a copy) comes from None.
    std::function<void(const std::string& entry, Holder from, Holder to)> OnMove;
    /// The clock that dates backups; null: the system clock.
    const Clock* BackupClock = nullptr;

    /// The list chosen by ContentKind (the new-word list for 0 or any other value).
    WordList& CurrentList();
    const WordList& CurrentList() const;

    /// CurrentEntry := the trimmed line at WordCursor of CurrentList (empty past the end).
    void FetchEntry();
    /// Appends CurrentEntry to MasteredList unless it is there already (case ignored) or empty.
    bool AddToMastered();
    /// Appends CurrentEntry to ReviewList unless it is there already (case ignored) or empty.
    bool AddToReview();
    Holder ListHoldingWord(std::string_view entry) const;
    /// Appends entry (trimmed) to NewList unless it is empty or its word is in one of the three
    /// lists already; NewCount goes up by 1 and the total and summary texts are rewritten.
    bool AddToNewList(const std::string& entry);
    /// Deletes the line at pos from NewList; no counter changes.
    void RemoveFromNew(long long pos);
    /// Deletes the line at pos from ReviewList; with count, ReviewCount goes down by 1 first.
    void RemoveFromReview(long long pos, bool withCount);
    /// The learner has mastered the review line at pos: it leaves ReviewList (ReviewCount goes
    /// down by 1), and when no other list holds its word it joins MasteredList (counted as
    /// AddToMastered does), so that a mastered word is never lost.
    void MasterReviewLine(long long pos);
    /// Counts one more mastered word without a list change.
    void CountMastered();
    /// The learner knows CurrentEntry, which stands at pos in the list kind chooses: a new
    /// word moves to the mastered list, a mastered word is counted once more, a review word
    /// leaves the review list and its count. The cursor then advances.
    void MarkKnown(StudyContent kind, long long pos);

    /// Outcome of AddImportedWords.
    struct ImportCount {
        std::size_t added = 0;
        std::size_t alreadyListed = 0; ///< lines whose word is listed already or came before
    };
    /// Appends the lines to NewList, except those whose word one of the three lists already
    /// holds or an earlier line brought (EntryWordKey); NewCount follows, with the texts that
    /// show it.
    ImportCount AddImportedWords(const std::vector<std::string>& lines);

    /// Reads the learner's three list files, after finishing or undoing a save that was
    /// interrupted. Blank lines are left out: they would read as the end of a list. A file
    /// that cannot be read leaves its list empty and not loaded; the others still load, and
    /// the first failure is returned (counters, texts, ContentKind and SoundIndex then stay).
    Status LoadLearnerLists();
    /// Writes the lists changed since they were loaded or saved, as one unit (all of them or
    /// none), keeping the previous files as a backup. Nothing when nobody is signed in. A list
    /// whose file did not load is never replaced by what memory holds: the entries added to
    /// it since are added to the file as it is then, and when that file still cannot be read
    /// the save fails and writes nothing.
    Status SaveLearnerLists();
    /// True when list which (1 new words, 2 mastered, 3 review) came from its file.
    bool ListLoaded(int which) const { return loaded_.at(static_cast<std::size_t>(which - 1)); }
    /// The learner's backups, newest first, with their word counts.
    std::vector<BackupInfo> Backups() const;
    /// Saves the lists, then puts the backup's files in place of the list files (keeping the
    /// present ones and the study history as a backup first) and loads them. The study history
    /// loses nothing: a live history that does not continue the backup's copy gets the backup's
    /// events back, its own events after them.
    Status RestoreBackup(const std::string& name);

    /// The text the given statistics control shows now.
    std::string StatisticText(StatText which) const;
    /// Sends the texts LoadLearnerLists writes (mastered, review, total, banner, summary).
    void PublishLoadTexts() const;

private:
    void Publish(StatText which) const;
    std::string LearnerFolder() const;
    std::vector<std::string> ListPaths() const;
    TimePoint BackupTime() const;
    /// Writes the items as one unit with a backup of the present files first.
    Status CommitLists(const std::vector<FileSetItem>& items);

    /// A word taken out of (joined false) or put into a list, waiting for its group's end.
    struct ListChange {
        std::string entry;
        Holder list;
        bool joined;
    };
    void Changed(const std::string& entry, Holder list, bool joined);
    void ReportMoves();
    /// True when a backup made on now's day holds a copy of the study history.
    bool BackupOfDayHoldsHistory(TimePoint now) const;
    /// Puts the history of a backup back, keeping every event of the live one.
    Status RestoreHistory(const std::string& backupFolder);

    int moveDepth_ = 0;
    bool forceHistoryBackup_ = false;
    std::vector<ListChange> changes_;
    std::array<bool, 3> loaded_{};
    std::array<std::uint64_t, 3> savedGeneration_{};
};

/// "已掌握单词" + n + "个" and the like: prefix, plain decimal, "个".
std::string CountText(const std::string& prefix, long long n);

} // namespace core
