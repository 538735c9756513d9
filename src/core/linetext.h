#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace core {

/// A whole text split into lines and kept in one block, so that a large file costs one
/// allocation for its characters and eight bytes per line. CR, LF and CR LF each end a line;
/// a final break adds no empty line; an empty line between two lines is an empty line.
class LineText {
public:
    LineText() = default;
    /// Takes the text (UTF-8) and splits it.
    explicit LineText(std::string text);

    std::size_t size() const { return spans_.size() / 2; }
    bool empty() const { return spans_.empty(); }
    /// Line i (0-based, i < size()), without its line break.
    std::string_view Line(std::size_t i) const {
        return std::string_view(text_).substr(spans_[2 * i], spans_[2 * i + 1]);
    }
    /// The whole text with its line breaks.
    const std::string& Text() const { return text_; }
    /// Byte offset in Text() at which line i starts.
    std::size_t LineStart(std::size_t i) const { return spans_[2 * i]; }
    /// Bytes held (characters and line table).
    std::size_t MemoryBytes() const;

private:
    std::string text_;
    std::vector<std::uint32_t> spans_; ///< start and length of every line
};

} // namespace core
