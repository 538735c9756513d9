#include "studystate.h"

#include "learnerfiles.h"
#include "textfile.h"
#include "wordentry.h"

#include <cerrno>
#include <sys/stat.h>

namespace core {

std::string CountText(const std::string& prefix, long long n) {
    return prefix + std::to_string(n) + "个";
}

namespace {

bool PathExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 || errno != ENOENT;
}

} // namespace

StudyState::StudyState() = default;

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

bool StudyState::AddToMastered() {
    // An empty entry means "nothing left"; it must never become a list line.
    if (CurrentEntry.empty() || MasteredList.ContainsIgnoringCase(CurrentEntry)) {
        return false;
    }
    MasteredList.Append(CurrentEntry);
    ++MasteredCount;
    Publish(StatText::Mastered);
    return true;
}

bool StudyState::AddToReview() {
    if (CurrentEntry.empty() || ReviewList.ContainsIgnoringCase(CurrentEntry)) {
        return false;
    }
    ReviewList.Append(CurrentEntry);
    ++NewLearnedCount;
    Publish(StatText::NewLearned);
    ++ReviewCount;
    Publish(StatText::Review);
    return true;
}

bool StudyState::AddToNewList(const std::string& entry) {
    const std::string line = Trim(entry);
    if (line.empty() || NewList.ContainsIgnoringCase(line)) {
        return false;
    }
    NewList.Append(line);
    ++NewCount;
    Publish(StatText::Total);
    Publish(StatText::Summary);
    return true;
}

void StudyState::RemoveFromNew(long long pos) {
    NewList.RemoveAt(pos);
}

void StudyState::RemoveFromReview(long long pos, bool withCount) {
    const bool removed = ReviewList.RemoveAt(pos);
    // The count follows only a real removal, so it cannot run below the list it counts.
    if (withCount && removed) {
        --ReviewCount;
        Publish(StatText::Review);
    }
}

void StudyState::CountMastered() {
    ++MasteredCount;
    Publish(StatText::Mastered);
}

Status StudyState::LoadLearnerLists() {
    WordList* lists[] = {&NewList, &MasteredList, &ReviewList};
    for (int which = 1; which <= 3; ++which) {
        const std::string path = LearnerListPath(DataHome(), LearnerName, which);
        std::vector<std::string> lines;
        Status s = ReadTextLines(path, lines);
        if (!s) {
            // A learner folder with its new-word file but without the mastered or review
            // file starts that list empty (it is written at the next save) rather than
            // locking the learner out.
            if (which == 1 || PathExists(path)) {
                return s;
            }
            lines.clear();
        }
        lists[which - 1]->Replace(std::move(lines));
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
    for (int which = 1; which <= 3; ++which) {
        Status s = WriteTextLines(LearnerListPath(DataHome(), LearnerName, which),
                                  lists[which - 1]->Lines());
        if (!s) {
            return s;
        }
    }
    return Status::Ok();
}

StudyState::ImportCount StudyState::AddImportedWords(const std::vector<std::string>& lines) {
    ImportCount count;
    for (const std::string& line : lines) {
        // A word the learner has mastered or is reviewing is not new to them.
        if (line.empty() || NewList.ContainsIgnoringCase(line) ||
            MasteredList.ContainsIgnoringCase(line) || ReviewList.ContainsIgnoringCase(line)) {
            ++count.alreadyListed;
            continue;
        }
        NewList.Append(line);
        ++count.added;
    }
    NewCount += static_cast<int>(count.added);
    Publish(StatText::Total);
    Publish(StatText::Summary);
    return count;
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
