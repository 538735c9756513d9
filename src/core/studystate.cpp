#include "studystate.h"

#include "fileset.h"
#include "learnerfiles.h"
#include "linetext.h"
#include "textfile.h"
#include "wordentry.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <dirent.h>
#include <future>
#include <iterator>
#include <sys/stat.h>
#include <system_error>
#include <unordered_map>
#include <unordered_set>

namespace core {

std::string CountText(const std::string& prefix, long long n) {
    return prefix + std::to_string(n) + "个";
}

namespace {

bool PathExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 || errno != ENOENT;
}

/// Reads the three list files side by side: each is decoded on its own thread, which on a
/// machine of two or more cores shortens the sign-in with long lists. Blank lines are dropped.
/// Where no thread can be started the files are read one after the other.
void ReadListsAtOnce(const std::vector<std::string>& paths,
                     std::array<std::vector<std::string>, 3>& lines,
                     std::array<Status, 3>& status) {
    auto readOne = [&](std::size_t i) {
        status[i] = ReadTextLines(paths[i], lines[i]);
        std::erase_if(lines[i], [](const std::string& line) { return IsBlankLine(line); });
    };
    std::array<std::future<void>, 2> others;
    for (std::size_t i = 1; i < 3; ++i) {
        try {
            others[i - 1] = std::async(std::launch::async, readOne, i);
        } catch (const std::system_error&) {
            readOne(i);
        }
    }
    readOne(0);
    for (auto& other : others) {
        if (other.valid()) {
            other.get();
        }
    }
}

} // namespace

StudyState::StudyState() {
    for (WordList* list : {&NewList, &MasteredList, &ReviewList}) {
        list->SetChangeHook([this] {
            if (OnListsChanged) {
                OnListsChanged();
            }
        });
    }
}

WordList& StudyState::CurrentList() {
    switch (ContentKind) {
    case StudyContent::Mastered:
        return MasteredList;
    case StudyContent::Review:
        return ReviewList;
    default:
        return NewList;
    }
}

const WordList& StudyState::CurrentList() const {
    return const_cast<StudyState*>(this)->CurrentList();
}

void StudyState::FetchEntry() {
    CurrentEntry = Trim(CurrentList().Line(WordCursor));
}

StudyState::MoveGroup::~MoveGroup() {
    if (--state_.moveDepth_ == 0) {
        state_.ReportMoves();
    }
}

void StudyState::Changed(const std::string& entry, Holder list, bool joined) {
    if (OnMove) {
        MoveGroup group(*this);
        changes_.push_back({Trim(entry), list, joined});
    }
}

void StudyState::ReportMoves() {
    std::vector<ListChange> changes;
    changes.swap(changes_);
    if (!OnMove) {
        return;
    }
    // One move per word, in the order the words were first changed: out of the first list it
    // left, into the last list it joined.
    std::vector<std::pair<std::string, std::pair<Holder, Holder>>> moves;
    std::unordered_map<std::string, std::size_t> byWord; // an import changes thousands
    for (const ListChange& change : changes) {
        const auto [it, added] = byWord.try_emplace(EntryWordKey(change.entry), moves.size());
        if (added) {
            moves.push_back({change.entry, {Holder::None, Holder::None}});
        }
        auto& [from, to] = moves[it->second].second;
        if (change.joined) {
            to = change.list;
        } else if (from == Holder::None) {
            from = change.list;
        }
    }
    for (const auto& [entry, move] : moves) {
        if (move.first != move.second) {
            OnMove(entry, move.first, move.second);
        }
    }
}

bool StudyState::AddToMastered() {
    // An empty or blank entry means "nothing left"; it must never become a list line.
    if (!MasteredList.AppendIfNew(CurrentEntry)) {
        return false;
    }
    Changed(CurrentEntry, Holder::Mastered, true);
    ++MasteredCount;
    Publish(StatText::Mastered);
    return true;
}

bool StudyState::AddToReview() {
    if (!ReviewList.AppendIfNew(CurrentEntry)) {
        return false;
    }
    Changed(CurrentEntry, Holder::Review, true);
    ++NewLearnedCount;
    Publish(StatText::NewLearned);
    ++ReviewCount;
    Publish(StatText::Review);
    return true;
}

StudyState::Holder StudyState::ListHoldingWord(std::string_view entry) const {
    const std::string key = EntryWordKey(entry);
    const std::pair<const WordList*, Holder> lists[] = {{&NewList, Holder::NewWords},
                                                        {&MasteredList, Holder::Mastered},
                                                        {&ReviewList, Holder::Review}};
    for (const auto& [list, holder] : lists) {
        for (const std::string& line : list->Lines()) {
            if (EntryWordKey(line) == key) {
                return holder;
            }
        }
    }
    return Holder::None;
}

bool StudyState::AddToNewList(const std::string& entry) {
    const std::string line = Trim(entry);
    // A word the learner has mastered or is reviewing is not new to them.
    if (line.empty() || ListHoldingWord(line) != Holder::None) {
        return false;
    }
    NewList.Append(line);
    Changed(line, Holder::NewWords, true);
    ++NewCount;
    Publish(StatText::Total);
    Publish(StatText::Summary);
    return true;
}

void StudyState::RemoveFromNew(long long pos) {
    const std::string line = NewList.Line(pos);
    if (NewList.RemoveAt(pos)) {
        Changed(line, Holder::NewWords, false);
    }
}

void StudyState::RemoveFromReview(long long pos, bool withCount) {
    const std::string line = ReviewList.Line(pos);
    const bool removed = ReviewList.RemoveAt(pos);
    if (removed) {
        Changed(line, Holder::Review, false);
    }
    // The count follows only a real removal, so it cannot run below the list it counts.
    if (withCount && removed) {
        --ReviewCount;
        Publish(StatText::Review);
    }
}

void StudyState::MasterReviewLine(long long pos) {
    if (pos < 0 || static_cast<std::size_t>(pos) >= ReviewList.size()) {
        return;
    }
    const std::string line = Trim(ReviewList.Lines()[static_cast<std::size_t>(pos)]);
    const MoveGroup group(*this);
    RemoveFromReview(pos, true);
    // A review line is mostly a copy of a new or a mastered word, which stays where it is; a
    // word held by the review list alone (a bank replaced the new words it came from, or
    // lists written by an older version) would vanish with it.
    if (IsBlankLine(line) || ListHoldingWord(line) != Holder::None) {
        return;
    }
    MasteredList.Append(line);
    Changed(line, Holder::Mastered, true);
    ++MasteredCount;
    Publish(StatText::Mastered);
}

void StudyState::CountMastered() {
    ++MasteredCount;
    Publish(StatText::Mastered);
}

void StudyState::MarkKnown(StudyContent kind, long long pos) {
    const MoveGroup group(*this);
    switch (kind) {
    case StudyContent::NewWords:
        RemoveFromNew(pos);
        AddToMastered();
        break;
    case StudyContent::Mastered:
        CountMastered();
        break;
    case StudyContent::Review:
        MasterReviewLine(pos);
        break;
    case StudyContent::None:
        break;
    }
    // The cursor advances even where a line was removed, so the entry that moved up into
    // its place comes round again only when the cursor wraps.
    ++WordCursor;
}

std::string StudyState::LearnerFolder() const {
    std::string folder = LearnerFolderPath(DataHome(), LearnerName);
    folder.pop_back();
    return folder;
}

std::vector<std::string> StudyState::ListPaths() const {
    const auto paths = LearnerListPaths(DataHome(), LearnerName);
    return {paths.begin(), paths.end()};
}

TimePoint StudyState::BackupTime() const {
    return BackupClock != nullptr ? BackupClock->Now() : std::chrono::system_clock::now();
}

Status StudyState::LoadLearnerLists() {
    // Lists read from their files are no change to be saved.
    struct Quiet {
        explicit Quiet(std::function<void()>& hook) : hook_(hook), saved_(std::move(hook)) {
            hook_ = nullptr;
        }
        ~Quiet() { hook_ = std::move(saved_); }
        std::function<void()>& hook_;
        std::function<void()> saved_;
    } quiet(OnListsChanged);
    WordList* lists[] = {&NewList, &MasteredList, &ReviewList};
    const std::vector<std::string> paths = ListPaths();
    // A save that was interrupted is finished (or undone) first: the files then hold one
    // whole set, old or new.
    if (Status s = RecoverFileSet(LearnerFolder(), paths); !s) {
        loaded_ = {};
        return s;
    }
    std::array<std::vector<std::string>, 3> read;
    std::array<Status, 3> readStatus;
    ReadListsAtOnce(paths, read, readStatus);
    Status failed = Status::Ok();
    for (std::size_t i = 0; i < 3; ++i) {
        std::vector<std::string>& lines = read[i];
        Status& s = readStatus[i];
        if (!s) {
            // A learner folder with its new-word file but without the mastered or review
            // file starts that list empty (it is written at the next save) rather than
            // locking the learner out.
            if (i == 0 || PathExists(paths[i])) {
                if (failed.ok) {
                    failed = s;
                }
                // What the learner adds to this list is added to its file at the save.
                lists[i]->Replace({});
                loaded_[i] = false;
                continue;
            }
            lines.clear();
        }
        lists[i]->Replace(std::move(lines));
        loaded_[i] = true;
        savedGeneration_[i] = lists[i]->Generation();
    }
    if (!failed) {
        return failed;
    }
    MasteredCount = static_cast<int>(MasteredList.size());
    NewCount = static_cast<int>(NewList.size());
    ReviewCount = static_cast<int>(ReviewList.size());
    PublishLoadTexts();
    ContentKind = StudyContent::NewWords;
    // An unreadable index counts as none: every word is then spoken.
    if (!SoundIndex.Open(AppDir + "br.tif")) {
        SoundIndex.Parse({});
    }
    return Status::Ok();
}

Status StudyState::SaveLearnerLists() {
    if (LearnerName.empty()) {
        return Status::Ok();
    }
    const WordList* lists[] = {&NewList, &MasteredList, &ReviewList};
    const std::vector<std::string> paths = ListPaths();
    std::vector<FileSetItem> items;
    std::vector<std::size_t> saved;
    for (std::size_t i = 0; i < 3; ++i) {
        const WordList& list = *lists[i];
        if (loaded_[i]) {
            if (list.Generation() != savedGeneration_[i]) {
                items.push_back({paths[i], LinesToGb18030(list.Lines())});
                saved.push_back(i);
            }
            continue;
        }
        if (list.empty()) {
            continue; // untouched: the file stays as it is
        }
        std::vector<std::string> fileLines;
        if (Status s = ReadTextLines(paths[i], fileLines); !s) {
            if (PathExists(paths[i])) {
                return s;
            }
            fileLines.clear();
        }
        WordList onDisk;
        onDisk.Replace(fileLines);
        for (const auto& line : list.Lines()) {
            if (!onDisk.ContainsIgnoringCase(line)) {
                fileLines.push_back(line);
            }
        }
        items.push_back({paths[i], LinesToGb18030(fileLines)});
    }
    if (items.empty()) {
        return Status::Ok();
    }
    if (Status s = CommitLists(items); !s) {
        return s;
    }
    for (std::size_t i : saved) {
        savedGeneration_[i] = lists[i]->Generation();
    }
    return Status::Ok();
}

Status StudyState::CommitLists(const std::vector<FileSetItem>& items) {
    const std::string folder = LearnerFolder();
    const std::vector<std::string> paths = ListPaths();
    if (Status s = RecoverFileSet(folder, paths); !s) {
        return s;
    }
    // Every file is checked before anything is written, the backup included: a save that
    // cannot be made changes nothing on disk.
    for (const auto& item : items) {
        SaveTarget target;
        if (Status s = CheckSaveTarget(item.path, target); !s) {
            return s;
        }
    }
    const TimePoint now = BackupTime();
    std::string backup;
    // The study history goes into the day's first backup (and into any later one once that one
    // is gone): it only grows, and a copy in every save would fill the disk with copies.
    std::vector<std::string> kept = paths;
    const std::string history = LearnerHistoryPath(DataHome(), LearnerName);
    if (forceHistoryBackup_ || !BackupOfDayHoldsHistory(now)) {
        kept.push_back(history);
    }
    // A backup that cannot be made does not stop the save: the learner's progress comes first.
    const bool backedUp = BackupFiles(folder, kept, now, backup).ok;
    bool committed = false;
    if (Status s = SaveFileSet(folder, items, &committed); !s) {
        if (backedUp && !committed) {
            RemoveBackup(folder, backup);
        }
        return s;
    }
    PruneBackups(folder, now);
    return Status::Ok();
}

StudyState::ImportCount StudyState::AddImportedWords(const std::vector<std::string>& lines) {
    ImportCount count;
    // A word the learner has mastered or is reviewing is not new to them, whatever meaning the
    // file gives it; a word the file repeats comes in once.
    std::unordered_set<std::string> known;
    for (const WordList* list : {&NewList, &MasteredList, &ReviewList}) {
        for (const std::string& line : list->Lines()) {
            known.insert(EntryWordKey(line));
        }
    }
    for (const std::string& line : lines) {
        if (line.empty() || !known.insert(EntryWordKey(line)).second) {
            ++count.alreadyListed;
            continue;
        }
        NewList.Append(line);
        Changed(line, Holder::NewWords, true);
        ++count.added;
    }
    NewCount += static_cast<int>(count.added);
    Publish(StatText::Total);
    Publish(StatText::Summary);
    return count;
}

bool StudyState::BackupOfDayHoldsHistory(TimePoint now) const {
    const std::string day = BackupName(now).substr(0, 10);
    const std::string root = LearnerFolder() + "/" + std::string(BackupFolderName);
    DIR* dir = ::opendir(root.c_str());
    if (dir == nullptr) {
        return false;
    }
    bool found = false;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.compare(0, day.size(), day) == 0 &&
            PathExists(root + "/" + name + "/" + std::string(HistoryFileName))) {
            found = true;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

Status StudyState::RestoreHistory(const std::string& backupFolder) {
    const std::string saved = backupFolder + "/" + std::string(HistoryFileName);
    const std::string live = LearnerHistoryPath(DataHome(), LearnerName);
    if (!PathExists(saved)) {
        return Status::Ok();
    }
    std::string old;
    if (Status s = ReadFileBytes(saved, old); !s) {
        return s;
    }
    std::string now;
    if (PathExists(live)) {
        if (Status s = ReadFileBytes(live, now); !s) {
            return s;
        }
    }
    // The history only grows: what the backup holds is normally where the live file starts,
    // and then the live file is the whole story. Otherwise (it was lost, cut or replaced) the
    // backup's lines come back, followed by the live lines that they do not hold, so that no
    // event is lost either way.
    if (now.compare(0, old.size(), old) == 0) {
        return Status::Ok();
    }
    std::string merged = old;
    if (!merged.empty() && merged.back() != '\n') {
        merged += '\n';
    }
    const LineText oldLines(std::move(old));
    const LineText nowLines(std::move(now));
    std::unordered_set<std::string_view> held;
    for (std::size_t i = 0; i < oldLines.size(); ++i) {
        held.insert(oldLines.Line(i));
    }
    for (std::size_t i = 0; i < nowLines.size(); ++i) {
        const std::string_view line = nowLines.Line(i);
        if (!line.empty() && held.count(line) == 0) {
            merged.append(line);
            merged += '\n';
        }
    }
    return WriteFileAtomic(live, merged);
}

std::vector<BackupInfo> StudyState::Backups() const {
    if (LearnerName.empty()) {
        return {};
    }
    return ListBackups(LearnerFolder(),
                       {LearnerName + "1.bm", LearnerName + "2.bm", LearnerName + "3.bm"});
}

Status StudyState::RestoreBackup(const std::string& name) {
    const std::string folder = BackupPath(LearnerFolder(), name);
    struct stat st {};
    if (LearnerName.empty() || ::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        return Status::File(Failure::Open, folder, ENOENT);
    }
    // Read first: the saves below may retire old backups.
    const std::vector<std::string> paths = ListPaths();
    std::vector<FileSetItem> items;
    for (int which = 1; which <= 3; ++which) {
        const std::string file = folder + "/" + LearnerName + std::to_string(which) + ".bm";
        std::string bytes;
        if (Status s = ReadFileBytes(file, bytes); !s && PathExists(file)) {
            return s;
        }
        items.push_back({paths[static_cast<std::size_t>(which - 1)], std::move(bytes)});
    }
    if (Status s = SaveLearnerLists(); !s) {
        return s;
    }
    // The backup made before the restore keeps the live history too, whatever the day holds.
    forceHistoryBackup_ = true;
    const Status committed = CommitLists(items);
    forceHistoryBackup_ = false;
    if (!committed) {
        return committed;
    }
    if (Status s = LoadLearnerLists(); !s) {
        return s;
    }
    return RestoreHistory(folder);
}

std::string StudyState::StatisticText(StatText which) const {
    switch (which) {
    case StatText::Mastered:
        return CountText("已掌握单词", MasteredCount);
    case StatText::NewLearned:
        return CountText("新学单词量", NewLearnedCount);
    case StatText::Review:
        return CountText("需复习单词", ReviewCount);
    case StatText::Total:
        return CountText("单词总数量",
                         static_cast<long long>(NewCount) + MasteredCount + ReviewCount);
    case StatText::Banner:
        return LearnerName + "     努力吧！ 成功就在眼前！";
    case StatText::Summary:
        return "单词共" + std::to_string(static_cast<long long>(NewCount) + MasteredCount) +
               "个单词，已经掌握" + std::to_string(MasteredCount) + "个，需复习单词" +
               std::to_string(ReviewCount) + "个：  ";
    }
    return {};
}

void StudyState::PublishLoadTexts() const {
    Publish(StatText::Mastered);
    Publish(StatText::Review);
    Publish(StatText::Total);
    Publish(StatText::Banner);
    Publish(StatText::Summary);
}

void StudyState::Publish(StatText which) const {
    if (OnText) {
        OnText(which, StatisticText(which));
    }
}

} // namespace core
