#include "wordlist.h"

#include "wordentry.h"

namespace core {

std::string WordList::Line(long long pos) const {
    if (pos < 0 || static_cast<unsigned long long>(pos) >= lines_.size()) {
        return {};
    }
    return lines_[static_cast<std::size_t>(pos)];
}

std::size_t WordList::FoldedHasher::operator()(std::string_view s) const {
    return static_cast<std::size_t>(FoldedHash(s));
}

bool WordList::FoldedEqual::operator()(std::string_view a, std::string_view b) const {
    return EqualIgnoringCase(a, b);
}

bool WordList::ContainsIgnoringCase(std::string_view text) const {
    return folded_.find(text) != folded_.end();
}

void WordList::Replace(std::vector<std::string> lines) {
    lines_ = std::move(lines);
    folded_.clear();
    folded_.reserve(lines_.size());
    for (const auto& line : lines_) {
        IndexAdd(line);
    }
    Notify(Change::Reset, 0);
}

bool WordList::Append(std::string line) {
    if (line.empty()) {
        return false;
    }
    IndexAdd(line);
    lines_.push_back(std::move(line));
    Notify(Change::Appended, lines_.size() - 1);
    return true;
}

bool WordList::RemoveAt(long long pos) {
    if (pos < 0 || static_cast<unsigned long long>(pos) >= lines_.size()) {
        return false;
    }
    auto at = static_cast<std::size_t>(pos);
    IndexRemove(lines_[at]);
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(at));
    Notify(Change::Removed, at);
    return true;
}

void WordList::Notify(Change change, std::size_t pos) const {
    if (observer_) {
        observer_(change, pos);
    }
}

void WordList::IndexAdd(const std::string& line) {
    ++folded_[FoldCase(line)];
}

void WordList::IndexRemove(const std::string& line) {
    auto it = folded_.find(FoldCase(line));
    if (it != folded_.end() && --it->second == 0) {
        folded_.erase(it);
    }
}

} // namespace core
