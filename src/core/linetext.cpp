#include "linetext.h"

#include <cstring>
#include <stdexcept>

namespace core {

LineText::LineText(std::string text) : text_(std::move(text)) {
    // Offsets are 32-bit: a text of 4 GiB or more cannot be a word bank or a corpus.
    if (text_.size() >= 0xFFFFFFFFu) {
        throw std::length_error("text too large for a line table");
    }
    const char* data = text_.data();
    const std::size_t n = text_.size();
    std::size_t start = 0;
    std::size_t i = 0;
    std::size_t lfAt = 0; // the next LF at or after i (n when none); found once per LF
    bool lfKnown = false;
    while (i < n) {
        if (!lfKnown || lfAt < i) {
            const void* lf = std::memchr(data + i, '\n', n - i);
            lfAt = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - data) : n;
            lfKnown = true;
        }
        const void* cr = std::memchr(data + i, '\r', lfAt - i);
        const std::size_t end =
            cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - data) : lfAt;
        if (end == n) {
            break;
        }
        spans_.push_back(static_cast<std::uint32_t>(start));
        spans_.push_back(static_cast<std::uint32_t>(end - start));
        i = end + 1;
        if (data[end] == '\r' && i < n && data[i] == '\n') {
            ++i;
        }
        start = i;
    }
    if (start < n) {
        spans_.push_back(static_cast<std::uint32_t>(start));
        spans_.push_back(static_cast<std::uint32_t>(n - start));
    }
    spans_.shrink_to_fit();
}

std::size_t LineText::MemoryBytes() const {
    return text_.capacity() + spans_.capacity() * sizeof(std::uint32_t);
}

} // namespace core
