#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace core {

/// A list of text lines kept in one block of memory: copying a long word list into it costs
/// one allocation rather than one per line. Lines are only appended and removed, never changed.
class LineStore {
public:
    std::size_t size() const { return spans_.size(); }
    bool empty() const { return spans_.empty(); }

    void Clear();
    /// Room for the given number of lines and bytes.
    void Reserve(std::size_t lines, std::size_t bytes);
    void Append(std::string_view line);
    /// The line at pos (pos < size()); valid until the next Append or Clear.
    std::string_view Line(std::size_t pos) const;
    /// Removes the line at pos (pos < size()); the last line takes its place.
    void SwapRemove(std::size_t pos);

private:
    struct Span {
        std::size_t offset;
        std::size_t length;
    };
    std::string text_;
    std::vector<Span> spans_;
};

} // namespace core
