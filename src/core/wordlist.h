#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace core {

/// One of the learner's word lists: ordered text lines in file order, with a case-folded
/// index so that the duplicate test costs O(1) per call. The index of a replaced list is
/// built at its first duplicate test, in one pass: loading a learner's lists costs only the
/// reading. Like the lists themselves, a WordList belongs to one thread.
/// A list's size with room for the lines a study session adds (a quarter more).
constexpr std::size_t WithGrowthRoom(std::size_t size) {
    return size + size / 4 + 16;
}

class WordList {
public:
    enum class Change { Reset, Appended, Removed };
    /// Called after every change (position of the appended or removed line; 0 for Reset).
    using Observer = std::function<void(Change, std::size_t)>;

    std::size_t size() const { return lines_.size(); }
    bool empty() const { return lines_.empty(); }
    const std::vector<std::string>& Lines() const { return lines_; }

    /// The line at pos; an empty line for any position outside the list.
    std::string Line(long long pos) const;
    /// True when a line equals text whole, ignoring letter case. The first call after
    /// Replace builds the index.
    bool ContainsIgnoringCase(std::string_view text) const;

    /// Replaces every line.
    void Replace(std::vector<std::string> lines);
    /// Appends a line; an empty or blank line (only characters of code 32 and below) is
    /// refused (returns false, nothing changes): it would read as the end of the list.
    bool Append(std::string line);
    /// Appends a line unless it is blank or the list holds it already (letter case ignored):
    /// the duplicate test and the append in one look-up of the index.
    bool AppendIfNew(std::string_view line);
    /// Deletes the line at pos; a position outside the list changes nothing (returns false).
    bool RemoveAt(long long pos);

    void SetObserver(Observer observer) { observer_ = std::move(observer); }
    /// Called after every change, besides the observer (the periodic save follows it).
    void SetChangeHook(std::function<void()> hook) { changeHook_ = std::move(hook); }
    /// Counts the changes: equal values mean equal contents.
    std::uint64_t Generation() const { return generation_; }

private:
    void Notify(Change change, std::size_t pos);

    /// Open-addressing table of the case-folded lines. The folded texts live in one
    /// arena string, so that building the index for a long list costs no allocation per
    /// line. A key whose count drops to 0 keeps its slot and is reused when it comes back.
    class FoldedIndex {
    public:
        void Reset(std::size_t expected);
        /// Reset, then every line, in one pass over a table and an arena of their final size.
        void Build(const std::vector<std::string>& lines);
        void Add(std::string_view line);
        /// Adds the line unless a line of the same folded text is counted; false then.
        bool AddIfAbsent(std::string_view line);
        void Remove(std::string_view line);
        bool Contains(std::string_view text) const;

    private:
        /// 16 bytes, so that a long list's table stays small in the cache.
        struct Slot {
            static constexpr std::uint32_t Unused = 0xFFFFFFFFu;
            std::uint32_t tag = 0; ///< upper half of the hash
            std::uint32_t offset = Unused;
            std::uint32_t length = 0;
            std::uint32_t count = 0;
            bool used() const { return offset != Unused; }
        };
        /// The slot holding folded, or the empty slot where it belongs.
        std::size_t Find(std::string_view folded, std::uint64_t hash) const;
        /// Counts in the folded key that was just put at the end of the arena (at offset),
        /// or gives its bytes back when the key is there already.
        bool AddFolded(std::string_view line, bool onlyIfAbsent);
        /// onlyIfAbsent: a key that is counted already is left as it is (returns false).
        bool Insert(std::size_t offset, std::size_t length, bool onlyIfAbsent = false);
        void Grow();

        std::string arena_;
        std::vector<Slot> slots_;
        std::size_t used_ = 0;
    };

    /// The index, built on demand: changes made while it is not built need no upkeep.
    const FoldedIndex& Index() const;

    std::vector<std::string> lines_;
    mutable FoldedIndex index_;
    mutable bool indexed_ = false;
    Observer observer_;
    std::function<void()> changeHook_;
    std::uint64_t generation_ = 0;
};

} // namespace core
