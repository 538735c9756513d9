#include "wordlist.h"

#include "textfile.h"
#include "wordentry.h"

#include <algorithm>
#include <functional>

namespace core {

std::string WordList::Line(long long pos) const {
    if (pos < 0 || static_cast<unsigned long long>(pos) >= lines_.size()) {
        return {};
    }
    return lines_[static_cast<std::size_t>(pos)];
}

bool WordList::ContainsIgnoringCase(std::string_view text) const {
    return Index().Contains(text);
}

const WordList::FoldedIndex& WordList::Index() const {
    if (!indexed_) {
        index_.Build(lines_);
        indexed_ = true;
    }
    return index_;
}

void WordList::Replace(std::vector<std::string> lines) {
    lines_ = std::move(lines);
    // Room for the lines a study session adds, so that the answers do not move the whole
    // list to grow it. The loader reserves it already; for a long list the room is address
    // space only until lines are added.
    if (const std::size_t room = WithGrowthRoom(lines_.size()); lines_.capacity() < room) {
        lines_.reserve(room);
    }
    // Most loads are never followed by a duplicate test of every list: the index waits.
    indexed_ = false;
    Notify(Change::Reset, 0);
}

bool WordList::Append(std::string line) {
    if (IsBlankLine(line)) {
        return false;
    }
    if (indexed_) {
        index_.Add(line);
    }
    lines_.push_back(std::move(line));
    Notify(Change::Appended, lines_.size() - 1);
    return true;
}

bool WordList::AppendIfNew(std::string_view line) {
    if (IsBlankLine(line)) {
        return false;
    }
    Index();
    if (!index_.AddIfAbsent(line)) {
        return false;
    }
    lines_.emplace_back(line);
    Notify(Change::Appended, lines_.size() - 1);
    return true;
}

bool WordList::RemoveAt(long long pos) {
    if (pos < 0 || static_cast<unsigned long long>(pos) >= lines_.size()) {
        return false;
    }
    auto at = static_cast<std::size_t>(pos);
    if (indexed_) {
        index_.Remove(lines_[at]);
    }
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(at));
    Notify(Change::Removed, at);
    return true;
}

void WordList::Notify(Change change, std::size_t pos) {
    ++generation_;
    if (observer_) {
        observer_(change, pos);
    }
    if (changeHook_) {
        changeHook_();
    }
}

namespace {

/// Folds text into buffer (grown when needed) and returns the folded view.
std::string_view Folded(std::string_view text, std::string& buffer) {
    buffer.resize(text.size());
    FoldCaseInto(text, buffer.data());
    return buffer;
}

std::uint64_t HashOf(std::string_view folded) {
    return std::hash<std::string_view>{}(folded);
}

} // namespace

void WordList::FoldedIndex::Reset(std::size_t expected) {
    arena_.clear();
    used_ = 0;
    std::size_t capacity = 16;
    while (capacity < expected * 2) {
        capacity *= 2;
    }
    slots_.assign(capacity, Slot{});
}

std::size_t WordList::FoldedIndex::Find(std::string_view folded, std::uint64_t hash) const {
    const std::size_t mask = slots_.size() - 1;
    std::size_t at = static_cast<std::size_t>(hash) & mask;
    for (;;) {
        const Slot& slot = slots_[at];
        if (!slot.used()) {
            return at;
        }
        if (slot.tag == static_cast<std::uint32_t>(hash >> 32) && slot.length == folded.size() &&
            std::string_view(arena_).substr(slot.offset, slot.length) == folded) {
            return at;
        }
        at = (at + 1) & mask;
    }
}

void WordList::FoldedIndex::Build(const std::vector<std::string>& lines) {
    // Sized for all lines at once, so that the table never grows while it is built.
    Reset(lines.size());
    std::size_t bytes = 0;
    for (const auto& line : lines) {
        bytes += line.size();
    }
    arena_.reserve(WithGrowthRoom(bytes));
    for (const auto& line : lines) {
        Add(line);
    }
}

void WordList::FoldedIndex::Add(std::string_view line) {
    (void)AddFolded(line, false);
}

bool WordList::FoldedIndex::AddIfAbsent(std::string_view line) {
    return AddFolded(line, true);
}

bool WordList::FoldedIndex::AddFolded(std::string_view line, bool onlyIfAbsent) {
    if (slots_.empty() || (used_ + 1) * 10 > slots_.size() * 7) {
        Grow();
    }
    // The line is folded straight to the end of the arena: a new key stays there, a repeated
    // one gives the bytes back.
    const std::size_t offset = arena_.size();
    arena_.resize(offset + line.size());
    FoldCaseInto(line, arena_.data() + offset);
    return Insert(offset, line.size(), onlyIfAbsent);
}

bool WordList::FoldedIndex::Insert(std::size_t offset, std::size_t length, bool onlyIfAbsent) {
    const std::string_view folded = std::string_view(arena_).substr(offset, length);
    const std::uint64_t hash = HashOf(folded);
    const std::size_t at = Find(folded, hash);
    Slot& slot = slots_[at];
    if (slot.used()) {
        arena_.resize(offset);
        if (onlyIfAbsent && slot.count > 0) {
            return false;
        }
    } else {
        slot.tag = static_cast<std::uint32_t>(hash >> 32);
        slot.offset = static_cast<std::uint32_t>(offset);
        slot.length = static_cast<std::uint32_t>(length);
        ++used_;
    }
    ++slot.count;
    return true;
}

void WordList::FoldedIndex::Remove(std::string_view line) {
    if (slots_.empty()) {
        return;
    }
    thread_local std::string buffer;
    std::string_view folded = Folded(line, buffer);
    Slot& slot = slots_[Find(folded, HashOf(folded))];
    if (slot.used() && slot.count > 0) {
        --slot.count;
    }
}

bool WordList::FoldedIndex::Contains(std::string_view text) const {
    if (slots_.empty()) {
        return false;
    }
    thread_local std::string buffer;
    std::string_view folded = Folded(text, buffer);
    const Slot& slot = slots_[Find(folded, HashOf(folded))];
    return slot.used() && slot.count > 0;
}

void WordList::FoldedIndex::Grow() {
    // Rebuild at twice the size, dropping keys no line holds any more.
    std::vector<Slot> old = std::move(slots_);
    std::string oldArena = std::move(arena_);
    Reset(std::max<std::size_t>(used_ + 1, old.size()));
    for (const Slot& slot : old) {
        if (!slot.used() || slot.count == 0) {
            continue;
        }
        std::string_view folded = std::string_view(oldArena).substr(slot.offset, slot.length);
        Slot& fresh = slots_[Find(folded, HashOf(folded))];
        fresh = slot;
        fresh.offset = static_cast<std::uint32_t>(arena_.size());
        arena_.append(folded);
        ++used_;
    }
}

} // namespace core
