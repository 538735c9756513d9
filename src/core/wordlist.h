#pragma once
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace core {

/// One of the learner's word lists: ordered text lines in file order, with a case-folded
/// index so that the duplicate test costs O(1) per call.
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
    /// True when a line equals text whole, ignoring letter case.
    bool ContainsIgnoringCase(std::string_view text) const;

    /// Replaces every line (file lines may be empty: an empty line is an empty entry).
    void Replace(std::vector<std::string> lines);
    /// Appends a line; an empty line is refused (returns false, nothing changes).
    bool Append(std::string line);
    /// Deletes the line at pos; a position outside the list changes nothing (returns false).
    bool RemoveAt(long long pos);

    void SetObserver(Observer observer) { observer_ = std::move(observer); }

private:
    void Notify(Change change, std::size_t pos) const;
    void IndexAdd(const std::string& line);
    void IndexRemove(const std::string& line);

    /// Hashes and compares lines ignoring letter case, so that the index needs no folded
    /// copies and a lookup of a plain string_view allocates nothing.
    struct FoldedHasher {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const;
    };
    struct FoldedEqual {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const;
    };

    std::vector<std::string> lines_;
    std::unordered_map<std::string, std::size_t, FoldedHasher, FoldedEqual> folded_; // occurrences
    Observer observer_;
};

} // namespace core
